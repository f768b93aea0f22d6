#include <gtest/gtest.h>

#include "app/main_window.h"
#include "support/palette.h"
#include "support/window_under_test.h"

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        window = CreateMainWindowAfresh();
        if (!window)
            GTEST_SKIP() << "no window can be created here (no display)";
    }
    void TearDown() override
    {
        if (window && IsWindow(window))
            DestroyWindow(window);
        DrainMessages();
    }

    HWND window = nullptr;
};

TEST_F(MainWindowTest, HasTheFixedClientSizeStyleAndTitle)
{
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right - client.left, ClientWidth);
    EXPECT_EQ(client.bottom - client.top, ClientHeight);
    // The system adds WS_CLIPSIBLINGS to every top-level window.
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)) & ~static_cast<DWORD>(WS_CLIPSIBLINGS),
              0x00CA0000u);
    EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);

    wchar_t text[32];
    GetWindowTextW(window, text, 32);
    EXPECT_STREQ(text, L"Nublaro");
    GetClassNameW(window, text, 32);
    EXPECT_STREQ(text, L"NublaroWnd");
    EXPECT_EQ(GetClassLongW(window, GCL_STYLE), CS_HREDRAW | CS_VREDRAW);
    EXPECT_EQ(PrintClient(window).At(1, 1), BackgroundColour);
}

TEST_F(MainWindowTest, IsCentredOnTheWorkAreaOfItsMonitor)
{
    RECT frame, work;
    GetWindowRect(window, &frame);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0); // the one monitor here
    EXPECT_EQ(frame.left, work.left + (work.right - work.left - (frame.right - frame.left)) / 2);
    EXPECT_EQ(frame.top, work.top + (work.bottom - work.top - (frame.bottom - frame.top)) / 2);
}
