#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/painting.h"
#include "app/window_state.h"
#include "support/palette.h"


// A top-down 32-bit bitmap selected into a memory DC, filled with the window background.
class MemoryCanvasTest : public testing::Test {
protected:
    void Open(int width, int height)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        previousBitmap = SelectObject(dc, bitmap);
        canvasWidth = width;
        canvasHeight = height;
        RECT all = {0, 0, width, height};
        FillRect(dc, &all, BackgroundBrush);
    }

    void SetUp() override
    {
        BackgroundBrush = CreateSolidBrush(BackgroundColour);
        CurrentMode = 0;
        BusyFlag = 0;
    }
    void TearDown() override
    {
        if (dc) {
            SelectObject(dc, previousBitmap);
            DeleteObject(bitmap);
            DeleteDC(dc);
        }
        DeleteObject(BackgroundBrush);
        CurrentMode = 0;
        BusyFlag = 0;
    }

    COLORREF Pixel(int x, int y)
    {
        GdiFlush();
        DWORD value = bits[y * canvasWidth + x];
        return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
    }

    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previousBitmap = nullptr;
    DWORD* bits = nullptr;
    int canvasWidth = 0, canvasHeight = 0;
};

class DrawToggleSwitchTest : public MemoryCanvasTest {
protected:
    void SetUp() override
    {
        MemoryCanvasTest::SetUp();
        Open(140, 56);
    }

    void Draw(UINT itemState = 0)
    {
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_BUTTON;
        item.CtlID = IDC_TOGGLE;
        item.hDC = dc;
        item.rcItem = {0, 0, 140, 56};
        item.itemState = itemState;
        DrawToggleSwitch(item);
    }

    // The first row from the top where column x is not background.
    int TopEdge(int x)
    {
        for (int y = 0; y < canvasHeight; ++y) {
            if (Pixel(x, y) != BackgroundColour)
                return y;
        }
        return -1;
    }
    int FirstRowOf(int x, COLORREF colour)
    {
        for (int y = 0; y < canvasHeight; ++y) {
            if (Pixel(x, y) == colour)
                return y;
        }
        return -1;
    }
    int LeftEdge(int y)
    {
        for (int x = 0; x < canvasWidth; ++x) {
            if (Pixel(x, y) != BackgroundColour)
                return x;
        }
        return -1;
    }
};

TEST_F(DrawToggleSwitchTest, DrawsTheThreeLooks)
{
    const struct {
        const char* look;
        int mode, busy;
        COLORREF leftOfCentre, rightOfCentre;
    } looks[] = {
        {"off", 0, 0, KnobColour, TrackOffColour},
        {"on", 1, 0, TrackOnColour, KnobColour},
        {"switching on", 0, 1, KnobColour, TrackOffColour},
        {"switching off", 1, 1, TrackOffColour, KnobColour},
        {"any other mode is off", 7, 0, KnobColour, TrackOffColour},
    };
    for (const auto& look : looks) {
        SCOPED_TRACE(look.look);
        CurrentMode = look.mode;
        BusyFlag = look.busy;
        Draw();
        EXPECT_EQ(Pixel(40, 28), look.leftOfCentre);
        EXPECT_EQ(Pixel(100, 28), look.rightOfCentre);
        EXPECT_EQ(Pixel(70, 28), look.mode == 1 && !look.busy ? TrackOnColour : TrackOffColour);
        EXPECT_EQ(Pixel(1, 1), BackgroundColour);
        EXPECT_EQ(Pixel(10, 28), BackgroundColour) << "left of the track";
        EXPECT_EQ(Pixel(130, 28), BackgroundColour) << "right of the track";
    }
}

TEST_F(DrawToggleSwitchTest, FillsTheWholeButtonWithTheBackgroundFirst)
{
    RECT all = {0, 0, 140, 56};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &all, red);
    DeleteObject(red);
    Draw();
    EXPECT_EQ(Pixel(0, 0), BackgroundColour);
    EXPECT_EQ(Pixel(139, 55), BackgroundColour);
    EXPECT_EQ(Pixel(20, 8), BackgroundColour) << "outside the rounded end";
}

TEST_F(DrawToggleSwitchTest, MovesDownOneUnitWhilePressed)
{
    Draw();
    int top = TopEdge(70), left = LeftEdge(28), knobTop = FirstRowOf(40, KnobColour);
    Draw(ODS_SELECTED);
    EXPECT_EQ(TopEdge(70), top + 1);
    EXPECT_EQ(LeftEdge(28 + 1), left) << "never sideways";
    EXPECT_EQ(FirstRowOf(40, KnobColour), knobTop + 1);
    Draw();
    EXPECT_EQ(TopEdge(70), top) << "back up when released";
}

TEST_F(DrawToggleSwitchTest, GivesBackTheDcsBrushAndPenAndKeepsNoObject)
{
    HGDIOBJ brush = GetCurrentObject(dc, OBJ_BRUSH);
    HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
    Draw();
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);

    // Three objects kept per draw would use up the process's GDI handles (some 65,000 under Wine) long
    // before the last of these draws, and its brushes could no longer be made.
    CurrentMode = 1;
    for (int i = 0; i < 25000; ++i)
        Draw();
    EXPECT_EQ(Pixel(70, 28), TrackOnColour);
    EXPECT_EQ(Pixel(100, 28), KnobColour);
}

class PaintWindowTest : public MemoryCanvasTest {
protected:
    void SetUp() override
    {
        MemoryCanvasTest::SetUp();
        RegularFont = CreateStatusFont(FW_NORMAL);
        BoldFont = CreateStatusFont(FW_BOLD);
        Open(400, 200);
    }
    void TearDown() override
    {
        DeleteObject(RegularFont);
        DeleteObject(BoldFont);
        MemoryCanvasTest::TearDown();
    }

    int Measure(HFONT font, const wchar_t* text)
    {
        HGDIOBJ previous = SelectObject(dc, font);
        SIZE size = {};
        GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
        SelectObject(dc, previous);
        return size.cx;
    }

    // The columns where rows top to bottom - 1 hold ink (anything but the background), or ink of one colour.
    std::vector<int> InkColumns(COLORREF colour = CLR_INVALID, int top = 52, int bottom = 90)
    {
        std::vector<int> columns;
        for (int x = 0; x < canvasWidth; ++x) {
            for (int y = top; y < bottom; ++y) {
                if (colour == CLR_INVALID ? Pixel(x, y) != BackgroundColour : Pixel(x, y) == colour) {
                    columns.push_back(x);
                    break;
                }
            }
        }
        return columns.empty() ? std::vector<int>{-1} : columns;
    }
    int FirstInkColumn() { return InkColumns().front(); }
    int LastInkColumn() { return InkColumns().back(); }
    bool HasInkOfColour(COLORREF colour, int fromX, int toX)
    {
        std::vector<int> columns = InkColumns(colour);
        return std::any_of(columns.begin(), columns.end(), [&](int x) { return x >= fromX && x < toX; });
    }
};

TEST_F(PaintWindowTest, CentresLabelAndStateWordOnTheSumOfTheirWidths)
{
    const struct {
        int mode;
        const wchar_t* word;
        COLORREF colour;
    } states[] = {{1, L"activado", ActiveInk}, {0, L"desactivado", InactiveInk}};
    for (const auto& state : states) {
        SCOPED_TRACE(state.mode);
        RECT all = {0, 0, 400, 200};
        FillRect(dc, &all, BackgroundBrush);
        CurrentMode = state.mode;
        PaintWindow(dc, all);

        int cx1 = Measure(RegularFont, L"Modo nublaro ");
        int cx2 = Measure(BoldFont, state.word);
        int x = (400 - cx2 - cx1) / 2;
        EXPECT_NEAR(FirstInkColumn(), x, 3) << "the line starts at its centred position";
        EXPECT_NEAR(LastInkColumn(), x + cx1 + cx2, 4);
        EXPECT_EQ(InkColumns(CLR_INVALID, 0, 52).front(), -1) << "the line's top edge is at 52";
        EXPECT_TRUE(HasInkOfColour(LabelInk, x, x + cx1 - 4));
        EXPECT_FALSE(HasInkOfColour(LabelInk, x + cx1 + 1, 400)) << "the state word starts after cx1";
        EXPECT_TRUE(HasInkOfColour(state.colour, x + cx1, x + cx1 + cx2));
        EXPECT_FALSE(HasInkOfColour(state.colour, 0, x + cx1 - 1));
    }
}

TEST_F(PaintWindowTest, ShowsTheWaitingLineAloneWhileBusy)
{
    BusyFlag = 1;
    CurrentMode = 1;
    RECT all = {0, 0, 400, 200};
    PaintWindow(dc, all);
    int cx = Measure(RegularFont, L"Espere, por favor");
    EXPECT_NEAR(FirstInkColumn(), (400 - cx) / 2, 3);
    EXPECT_NEAR(LastInkColumn(), (400 - cx) / 2 + cx, 4);
    EXPECT_TRUE(HasInkOfColour(WaitingInk, 0, 400));
    EXPECT_FALSE(HasInkOfColour(LabelInk, 0, 400)) << "no \"Modo nublaro \"";
    EXPECT_FALSE(HasInkOfColour(ActiveInk, 0, 400));
}

TEST_F(PaintWindowTest, LeavesTheDcWithItsFont)
{
    HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    RECT all = {0, 0, 400, 200};
    PaintWindow(dc, all);
    BusyFlag = 1;
    PaintWindow(dc, all);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
}

TEST_F(PaintWindowTest, StartsALineWiderThanTheWindowLeftOfIt)
{
    RECT narrow = {0, 0, 100, 200};
    PaintWindow(dc, narrow);
    int cx = Measure(RegularFont, L"Modo nublaro ") + Measure(BoldFont, L"desactivado");
    ASSERT_GT(cx, 100);
    EXPECT_EQ(FirstInkColumn(), 0) << "the line is neither cut nor wrapped";
}
