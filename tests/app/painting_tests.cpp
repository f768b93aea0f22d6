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
        FillRect(dc, &all, look.Background);
    }

    void SetUp() override
    {
        look.Background = CreateSolidBrush(BackgroundColour);
        look.Dpi = 96;
        CurrentMode = FilteringOff;
        BusyFlag = 0;
    }
    void TearDown() override
    {
        Close();
        DeleteObject(look.Background);
        CurrentMode = FilteringOff;
        BusyFlag = 0;
    }
    void Close()
    {
        if (dc) {
            SelectObject(dc, previousBitmap);
            DeleteObject(bitmap);
            DeleteDC(dc);
            dc = nullptr;
        }
    }

    COLORREF Pixel(int x, int y)
    {
        GdiFlush();
        DWORD value = bits[y * canvasWidth + x];
        return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
    }

    WindowLook look = {};
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

    void Draw(bool pressed = false, bool focusCue = false)
    {
        DrawToggleSwitch(dc, {0, 0, canvasWidth, canvasHeight}, pressed, focusCue, look);
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

TEST_F(DrawToggleSwitchTest, DrawsTheThreeLooksAtEveryScaleAndInHighContrast)
{
    const COLORREF window = GetSysColor(COLOR_WINDOW), text = GetSysColor(COLOR_WINDOWTEXT),
                   highlight = GetSysColor(COLOR_HIGHLIGHT), grey = GetSysColor(COLOR_GRAYTEXT);
    const struct {
        const char* name;
        FilteringMode mode;
        int busy;
        bool highContrast;
        COLORREF leftOfCentre, centre, rightOfCentre;
    } looks[] = {
        {"off", FilteringOff, 0, false, KnobColour, TrackOffColour, TrackOffColour},
        {"on", FilteringOn, 0, false, TrackOnColour, TrackOnColour, KnobColour},
        {"switching on", FilteringOff, 1, false, KnobColour, TrackOffColour, TrackOffColour},
        {"switching off", FilteringOn, 1, false, TrackOffColour, TrackOffColour, KnobColour},
        {"off in high contrast", FilteringOff, 0, true, window, text, text},
        {"on in high contrast", FilteringOn, 0, true, highlight, highlight, window},
        {"switching in high contrast", FilteringOn, 1, true, grey, grey, window},
    };
    for (int dpi : {96, 144}) {
        look.Dpi = dpi;
        Close();
        Open(140 * dpi / 96, 56 * dpi / 96);
        auto at = [&](int x, int y) { return Pixel(x * dpi / 96, y * dpi / 96); };
        for (const auto& row : looks) {
            SCOPED_TRACE(testing::Message() << row.name << " at " << dpi << " DPI");
            CurrentMode = row.mode;
            BusyFlag = row.busy;
            look.HighContrast = row.highContrast;
            Draw();
            COLORREF background = row.highContrast ? window : BackgroundColour;
            EXPECT_EQ(at(40, 28), row.leftOfCentre);
            EXPECT_EQ(at(70, 28), row.centre);
            EXPECT_EQ(at(100, 28), row.rightOfCentre);
            EXPECT_EQ(at(1, 1), background);
            EXPECT_EQ(at(10, 28), background) << "left of the track";
            EXPECT_EQ(at(130, 28), background) << "right of the track";
        }
    }
}

TEST_F(DrawToggleSwitchTest, RingsTheTrackOnlyWhenAFocusCueIsAsked)
{
    auto ringed = [&] {
        for (int y = 0; y < 6; ++y) {
            if (Pixel(70, y) == LabelInk)
                return true;
        }
        return false;
    };
    Draw();
    EXPECT_FALSE(ringed());
    Draw(false, true);
    EXPECT_TRUE(ringed()) << "above the track";
    EXPECT_EQ(Pixel(70, 28), TrackOffColour) << "around it, not over it";
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
    Draw(true);
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
    CurrentMode = FilteringOn;
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
        UseDpi(96);
    }
    void UseDpi(int scale)
    {
        dpi = look.Dpi = scale;
        Close();
        DeleteObject(look.RegularFont);
        DeleteObject(look.BoldFont);
        look.RegularFont = CreateStatusFont(FW_NORMAL, dpi);
        look.BoldFont = CreateStatusFont(FW_BOLD, dpi);
        Open(400 * dpi / 96, 200 * dpi / 96);
    }
    void TearDown() override
    {
        DeleteObject(look.RegularFont);
        DeleteObject(look.BoldFont);
        MemoryCanvasTest::TearDown();
    }

    int dpi = 96;

    int Measure(HFONT font, const wchar_t* text)
    {
        HGDIOBJ previous = SelectObject(dc, font);
        SIZE size = {};
        GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
        SelectObject(dc, previous);
        return size.cx;
    }

    // The columns where rows top to bottom - 1 hold ink (anything but the background), or ink of one colour.
    std::vector<int> InkColumns(COLORREF colour = CLR_INVALID, int top = -1, int bottom = -1)
    {
        top = top < 0 ? 52 * dpi / 96 : top;
        bottom = bottom < 0 ? 90 * dpi / 96 : bottom;
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
        FilteringMode mode;
        int dpi;
        const wchar_t* word;
        COLORREF colour;
    } states[] = {{FilteringOn, 96, L"activado", ActiveInk}, {FilteringOff, 96, L"desactivado", InactiveInk},
                  {FilteringOn, 144, L"activado", ActiveInk}, {FilteringOff, 144, L"desactivado", InactiveInk}};
    for (const auto& state : states) {
        SCOPED_TRACE(testing::Message() << state.mode << " at " << state.dpi << " DPI");
        UseDpi(state.dpi);
        RECT all = {0, 0, canvasWidth, canvasHeight};
        CurrentMode = state.mode;
        PaintWindow(dc, all, look);

        int cx1 = Measure(look.RegularFont, L"Modo nublaro ");
        int cx2 = Measure(look.BoldFont, state.word);
        int x = (canvasWidth - cx2 - cx1) / 2;
        EXPECT_NEAR(FirstInkColumn(), x, 3) << "the line starts at its centred position";
        EXPECT_NEAR(LastInkColumn(), x + cx1 + cx2, 4);
        EXPECT_EQ(InkColumns(CLR_INVALID, 0, 52 * dpi / 96).front(), -1) << "the line's top edge is at 52, scaled";
        EXPECT_TRUE(HasInkOfColour(LabelInk, x, x + cx1 - 4));
        EXPECT_FALSE(HasInkOfColour(LabelInk, x + cx1 + 1, canvasWidth)) << "the state word starts after cx1";
        EXPECT_TRUE(HasInkOfColour(state.colour, x + cx1, x + cx1 + cx2));
        EXPECT_FALSE(HasInkOfColour(state.colour, 0, x + cx1 - 1));
    }
    LOGFONTW font = {};
    GetObjectW(look.RegularFont, sizeof(font), &font);
    EXPECT_EQ(font.lfHeight, -30) << "20 units at 96 DPI";
}

TEST_F(PaintWindowTest, ShowsTheWaitingLineAloneWhileBusy)
{
    BusyFlag = 1;
    CurrentMode = FilteringOn;
    RECT all = {0, 0, 400, 200};
    PaintWindow(dc, all, look);
    int cx = Measure(look.RegularFont, L"Espere, por favor");
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
    PaintWindow(dc, all, look);
    BusyFlag = 1;
    PaintWindow(dc, all, look);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
}

TEST_F(PaintWindowTest, StartsALineWiderThanTheWindowLeftOfIt)
{
    RECT narrow = {0, 0, 100, 200};
    PaintWindow(dc, narrow, look);
    int cx = Measure(look.RegularFont, L"Modo nublaro ") + Measure(look.BoldFont, L"desactivado");
    ASSERT_GT(cx, 100);
    EXPECT_EQ(FirstInkColumn(), 0) << "the line is neither cut nor wrapped";
}
