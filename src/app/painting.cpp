// What the window shows: the status line and the switch, drawn from CurrentMode and BusyFlag at the
// window's DPI.
#include "app/painting.h"

#include "app/window_state.h"

HFONT RegularFont;
HFONT BoldFont;
HBRUSH BackgroundBrush;
bool HighContrast;

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

static const wchar_t WaitingText[] = L"Espere, por favor";
static const wchar_t LabelText[] = L"Modo nublaro ";
static const wchar_t ActiveText[] = L"activado";
static const wchar_t InactiveText[] = L"desactivado";
static const wchar_t SwitchName[] = L"Modo nublaro";

int Scale(int designed, int dpi)
{
    return MulDiv(designed, dpi, DesignDpi);
}

// The designed colour, or in high contrast the system's colour for that use.
static COLORREF Colour(COLORREF designed, int systemColour)
{
    return HighContrast ? GetSysColor(systemColour) : designed;
}

HBRUSH WindowBackground()
{
    return HighContrast ? GetSysColorBrush(COLOR_WINDOW) : BackgroundBrush;
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
    HWND toggle = CreateWindowExW(0, L"BUTTON", ToggleSwitchText(), WS_CHILD | WS_VISIBLE | BS_CHECKBOX, 0, 0, 0, 0,
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

const wchar_t* ToggleSwitchText()
{
    return BusyFlag ? WaitingText : SwitchName;
}

// A failed measurement counts as no width at all.
static int TextWidth(HDC hdc, const wchar_t* text, int length)
{
    SIZE size = {};
    GetTextExtentPoint32W(hdc, text, length, &size);
    return size.cx;
}

static void PaintWaitingLine(HDC hdc, RECT clientRect, int width, int top)
{
    const int length = ARRAYSIZE(WaitingText) - 1;
    int cx = TextWidth(hdc, WaitingText, length);
    SetTextColor(hdc, Colour(WaitingColor, COLOR_GRAYTEXT));
    TextOutW(hdc, clientRect.left + (width - cx) / 2, top, WaitingText, length);
}

// "Modo nublaro " and the state word in bold, centred together on the sum of both widths.
static void PaintStateLine(HDC hdc, RECT clientRect, int width, int top)
{
    const int labelLength = ARRAYSIZE(LabelText) - 1;
    bool active = CurrentMode == FilteringOn;
    const wchar_t* state = active ? ActiveText : InactiveText;
    int stateLength = static_cast<int>(active ? ARRAYSIZE(ActiveText) - 1 : ARRAYSIZE(InactiveText) - 1);

    int cx1 = TextWidth(hdc, LabelText, labelLength);
    SelectObject(hdc, BoldFont);
    int cx2 = TextWidth(hdc, state, stateLength);
    int x = clientRect.left + (width - cx2 - cx1) / 2;

    SelectObject(hdc, RegularFont);
    SetTextColor(hdc, Colour(LabelColor, COLOR_WINDOWTEXT));
    TextOutW(hdc, x, top, LabelText, labelLength);
    SelectObject(hdc, BoldFont);
    SetTextColor(hdc, Colour(active ? ActiveColor : InactiveColor, COLOR_WINDOWTEXT));
    TextOutW(hdc, x + cx1, top, state, stateLength);
}

void PaintWindow(HDC hdc, RECT clientRect, int dpi)
{
    int width = clientRect.right - clientRect.left;
    SetBkMode(hdc, TRANSPARENT);
    HGDIOBJ previousFont = SelectObject(hdc, RegularFont);
    if (BusyFlag)
        PaintWaitingLine(hdc, clientRect, width, Scale(StatusTop, dpi));
    else
        PaintStateLine(hdc, clientRect, width, Scale(StatusTop, dpi));
    SelectObject(hdc, previousFont);
}

// A ring around the track, as Windows draws a focus cue once the keyboard is in use.
static void DrawFocusCue(HDC dc, int left, int top, int width, int height, int dpi)
{
    int gap = Scale(FocusGap, dpi);
    HPEN ring = CreatePen(PS_SOLID, Scale(FocusWidth, dpi), Colour(LabelColor, COLOR_WINDOWTEXT));
    HGDIOBJ previousPen = SelectObject(dc, ring);
    HGDIOBJ previousBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, left - gap, top - gap, left + width + gap, top + height + gap, height + 2 * gap, height + 2 * gap);
    SelectObject(dc, previousBrush);
    SelectObject(dc, previousPen);
    DeleteObject(ring);
}

void DrawToggleSwitch(HDC dc, RECT r, bool pressed, bool focusCue, int dpi)
{
    bool on = CurrentMode == FilteringOn;
    int trackWidth = Scale(TrackWidth, dpi), trackHeight = Scale(TrackHeight, dpi);
    int inset = Scale(KnobInset, dpi), knobSize = Scale(KnobSize, dpi);

    FillRect(dc, &r, WindowBackground());
    int left = r.left + (r.right - r.left - trackWidth) / 2;
    int top = r.top + (r.bottom - r.top - trackHeight) / 2 + (pressed ? 1 : 0);

    // While a pass runs the track is grey whatever the mode; the knob keeps the mode's side.
    COLORREF track = BusyFlag ? Colour(TrackOffColor, COLOR_GRAYTEXT)
                     : on     ? Colour(TrackOnColor, COLOR_HIGHLIGHT)
                              : Colour(TrackOffColor, COLOR_WINDOWTEXT);
    HBRUSH trackBrush = CreateSolidBrush(track);
    HBRUSH knobBrush = CreateSolidBrush(Colour(KnobColor, COLOR_WINDOW));
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
        DrawFocusCue(dc, left, top, trackWidth, trackHeight, dpi);
}
