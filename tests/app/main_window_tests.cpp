#include <gtest/gtest.h>

#include <string>

#include "app/main_window.h"
#include "app/window_state.h"
#include "support/files.h"
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
    EXPECT_EQ(reinterpret_cast<HBRUSH>(GetClassLongPtrW(window, GCLP_HBRBACKGROUND)), BackgroundBrush);
}

TEST_F(MainWindowTest, IsCentredOnThePrimaryScreen)
{
    RECT frame;
    GetWindowRect(window, &frame);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    EXPECT_EQ(frame.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(frame.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
}

// The real program under Wine: it starts, detects the mode, shows its window and ends cleanly when closed.
TEST(NublaroExe, OpensItsWindowAndExitsWithZeroWhenClosed)
{
    HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (!probe)
        GTEST_SKIP() << "no window can be created here (no display)";
    DestroyWindow(probe);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::wstring commandLine = std::wstring(L"\"") + BesideTests(L"Nublaro.exe") + L"\"";
    ASSERT_TRUE(CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));

    HWND window = nullptr;
    for (int tries = 0; tries < 300 && !window; ++tries) {
        Sleep(100);
        window = FindWindowW(L"NublaroWnd", L"Nublaro");
    }
    if (!window) {
        TerminateProcess(process.hProcess, 99);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        FAIL() << "the window did not appear";
    }

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
    DWORD exitCode = 99;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}
