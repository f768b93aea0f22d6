// What the window shows: the status line and the switch, drawn from CurrentMode and BusyFlag with the
// look it is handed.
#include "app/painting.h"

#include "app/texts.h"
#include "app/window_state.h"

static const COLORREF BackgroundColor = 0xFCFAF8;
static const COLORREF WaitingColor = 0x695547;
static const COLORREF LabelColor = 0x2A170F;
static const COLORREF ActiveColor = 0x3D8015;
static const COLORREF InactiveColor = 0x1C1CB9;
static const COLORREF TrackOnColor = 0x4AA316;
static const COLORREF TrackOffColor = 0xB8A394;
static const COLORREF KnobColor = 0xFFFFFF;

static const int DesignDpi = 96;
static const int FontHeight = 20;
static const int StatusTop = 52;
static const RECT SwitchPlace = {130, 106, 270, 162};
static const int TrackWidth = 104;
static const int TrackHeight = 44;
static const int KnobInset = 4;
static const int KnobSize = 36;
static const int FocusGap = 3;
static const int FocusWidth = 2;

int Scale(int designed, int dpi)
{
    return MulDiv(designed, dpi, DesignDpi);
}

// The designed colour, or in high contrast the system's colour for that use.
static COLORREF Colour(const WindowLook& look, COLORREF designed, int systemColour)
{
    return look.HighContrast ? GetSysColor(systemColour) : designed;
}

HBRUSH CreateBackgroundBrush()
{
    return CreateSolidBrush(BackgroundColor);
}

HBRUSH BackgroundOf(const WindowLook& look)
{
    return look.HighContrast ? GetSysColorBrush(COLOR_WINDOW) : look.Background;
}

HFONT CreateStatusFont(int weight, int dpi)
{
    return CreateFontW(-Scale(FontHeight, dpi), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, FF_SWISS | DEFAULT_PITCH,
                       L"Segoe UI");
}

// An on/off switch is a check box to Windows, so a screen reader announces it with its state; the
// window sets the check from the mode it shows, never the click itself, and draws all of it.
HWND CreateToggleSwitch(HWND parent, HINSTANCE instance, int dpi)
{
    HWND toggle = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_CHECKBOX, 0, 0, 0, 0,
                                  parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_TOGGLE)), instance, nullptr);
    PlaceToggleSwitch(toggle, dpi);
    return toggle;
}

void PlaceToggleSwitch(HWND toggle, int dpi)
{
    SetWindowPos(toggle, nullptr, Scale(SwitchPlace.left, dpi), Scale(SwitchPlace.top, dpi),
                 Scale(SwitchPlace.right - SwitchPlace.left, dpi), Scale(SwitchPlace.bottom - SwitchPlace.top, dpi),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// A failed measurement counts as no width at all.
static int TextWidth(HDC hdc, const wchar_t* text, int length)
{
    SIZE size = {};
    GetTextExtentPoint32W(hdc, text, length, &size);
    return size.cx;
}

static void PaintWaitingLine(HDC hdc, RECT clientRect, int top, const WindowLook& look)
{
    wchar_t waiting[64];
    int length = LoadText(IDS_WAITING, waiting, ARRAYSIZE(waiting));
    int cx = TextWidth(hdc, waiting, length);
    SetTextColor(hdc, Colour(look, WaitingColor, COLOR_GRAYTEXT));
    TextOutW(hdc, clientRect.left + (clientRect.right - clientRect.left - cx) / 2, top, waiting, length);
}

// "Modo nublaro " and the state word in bold, centred together on the sum of both widths.
static void PaintStateLine(HDC hdc, RECT clientRect, int top, const WindowLook& look)
{
    bool active = CurrentMode == FilteringOn;
    wchar_t label[64], state[64];
    int labelLength = LoadText(IDS_LABEL, label, ARRAYSIZE(label));
    int stateLength = LoadText(active ? IDS_ACTIVE : IDS_INACTIVE, state, ARRAYSIZE(state));

    int cx1 = TextWidth(hdc, label, labelLength);
    SelectObject(hdc, look.BoldFont);
    int cx2 = TextWidth(hdc, state, stateLength);
    int x = clientRect.left + (clientRect.right - clientRect.left - cx2 - cx1) / 2;

    SelectObject(hdc, look.RegularFont);
    SetTextColor(hdc, Colour(look, LabelColor, COLOR_WINDOWTEXT));
    TextOutW(hdc, x, top, label, labelLength);
    SelectObject(hdc, look.BoldFont);
    SetTextColor(hdc, Colour(look, active ? ActiveColor : InactiveColor, COLOR_WINDOWTEXT));
    TextOutW(hdc, x + cx1, top, state, stateLength);
}

void PaintWindow(HDC hdc, RECT clientRect, const WindowLook& look)
{
    SetBkMode(hdc, TRANSPARENT);
    HGDIOBJ previousFont = SelectObject(hdc, look.RegularFont);
    if (BusyFlag)
        PaintWaitingLine(hdc, clientRect, Scale(StatusTop, look.Dpi), look);
    else
        PaintStateLine(hdc, clientRect, Scale(StatusTop, look.Dpi), look);
    SelectObject(hdc, previousFont);
}

// A ring around the track, as Windows draws a focus cue once the keyboard is in use.
static void DrawFocusCue(HDC dc, int left, int top, int width, int height, const WindowLook& look)
{
    int gap = Scale(FocusGap, look.Dpi);
    HPEN ring = CreatePen(PS_SOLID, Scale(FocusWidth, look.Dpi), Colour(look, LabelColor, COLOR_WINDOWTEXT));
    HGDIOBJ previousPen = SelectObject(dc, ring);
    HGDIOBJ previousBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, left - gap, top - gap, left + width + gap, top + height + gap, height + 2 * gap, height + 2 * gap);
    SelectObject(dc, previousBrush);
    SelectObject(dc, previousPen);
    DeleteObject(ring);
}

void DrawToggleSwitch(HDC dc, RECT r, bool pressed, bool focusCue, const WindowLook& look)
{
    bool on = CurrentMode == FilteringOn;
    int trackWidth = Scale(TrackWidth, look.Dpi), trackHeight = Scale(TrackHeight, look.Dpi);
    int inset = Scale(KnobInset, look.Dpi), knobSize = Scale(KnobSize, look.Dpi);

    FillRect(dc, &r, BackgroundOf(look));
    int left = r.left + (r.right - r.left - trackWidth) / 2;
    int top = r.top + (r.bottom - r.top - trackHeight) / 2 + (pressed ? 1 : 0);

    // While a pass runs the track is grey whatever the mode; the knob keeps the mode's side.
    COLORREF track = BusyFlag ? Colour(look, TrackOffColor, COLOR_GRAYTEXT)
                     : on     ? Colour(look, TrackOnColor, COLOR_HIGHLIGHT)
                              : Colour(look, TrackOffColor, COLOR_WINDOWTEXT);
    HBRUSH trackBrush = CreateSolidBrush(track);
    HBRUSH knobBrush = CreateSolidBrush(Colour(look, KnobColor, COLOR_WINDOW));
    HPEN noOutline = CreatePen(PS_NULL, 0, 0);
    HGDIOBJ previousBrush = SelectObject(dc, trackBrush);
    HGDIOBJ previousPen = SelectObject(dc, noOutline);

    RoundRect(dc, left, top, left + trackWidth, top + trackHeight, trackHeight, trackHeight);
    SelectObject(dc, knobBrush);
    int knobLeft = on ? left + trackWidth - inset - knobSize : left + inset;
    Ellipse(dc, knobLeft, top + inset, knobLeft + knobSize, top + inset + knobSize);

    SelectObject(dc, previousBrush);
    SelectObject(dc, previousPen);
    DeleteObject(trackBrush);
    DeleteObject(knobBrush);
    DeleteObject(noOutline);
    if (focusCue)
        DrawFocusCue(dc, left, top, trackWidth, trackHeight, look);
}
