// What the window shows: the status line and the owner-drawn switch, drawn from CurrentMode and BusyFlag.
#include "app/painting.h"

#include "app/window_state.h"

HFONT RegularFont;
HFONT BoldFont;

static const COLORREF WaitingColor = 0x695547;
static const COLORREF LabelColor = 0x2A170F;
static const COLORREF ActiveColor = 0x3D8015;
static const COLORREF InactiveColor = 0x1C1CB9;
static const COLORREF TrackOnColor = 0x4AA316;
static const COLORREF TrackOffColor = 0xB8A394;
static const COLORREF KnobColor = 0xFFFFFF;

static const int StatusTop = 52;
static const int TrackWidth = 104;
static const int TrackHeight = 44;
static const int KnobInset = 4;
static const int KnobSize = 36;

static const wchar_t WaitingText[] = L"Espere, por favor";
static const wchar_t LabelText[] = L"Modo nublaro ";
static const wchar_t ActiveText[] = L"activado";
static const wchar_t InactiveText[] = L"desactivado";
static const wchar_t ActiveSwitchText[] = L"Modo nublaro activado";
static const wchar_t InactiveSwitchText[] = L"Modo nublaro desactivado";

HFONT CreateStatusFont(int weight)
{
    return CreateFontW(-20, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, FF_SWISS | DEFAULT_PITCH, L"Segoe UI");
}

// The text is never painted: DrawToggleSwitch draws all of the switch.
HWND CreateToggleSwitch(HWND parent, HINSTANCE instance)
{
    return CreateWindowExW(0, L"BUTTON", ToggleSwitchText(), WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 130, 106, 140, 56,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_TOGGLE)), instance, nullptr);
}

const wchar_t* ToggleSwitchText()
{
    if (BusyFlag)
        return WaitingText;
    return CurrentMode == 1 ? ActiveSwitchText : InactiveSwitchText;
}

// A failed measurement counts as no width at all.
static int TextWidth(HDC hdc, const wchar_t* text, int length)
{
    SIZE size = {};
    GetTextExtentPoint32W(hdc, text, length, &size);
    return size.cx;
}

static void PaintWaitingLine(HDC hdc, RECT clientRect, int width)
{
    const int length = ARRAYSIZE(WaitingText) - 1;
    int cx = TextWidth(hdc, WaitingText, length);
    SetTextColor(hdc, WaitingColor);
    TextOutW(hdc, clientRect.left + (width - cx) / 2, StatusTop, WaitingText, length);
}

// "Modo nublaro " and the state word in bold, centred together on the sum of both widths.
static void PaintStateLine(HDC hdc, RECT clientRect, int width)
{
    const int labelLength = ARRAYSIZE(LabelText) - 1;
    bool active = CurrentMode == 1;
    const wchar_t* state = active ? ActiveText : InactiveText;
    int stateLength = static_cast<int>(active ? ARRAYSIZE(ActiveText) - 1 : ARRAYSIZE(InactiveText) - 1);

    int cx1 = TextWidth(hdc, LabelText, labelLength);
    SelectObject(hdc, BoldFont);
    int cx2 = TextWidth(hdc, state, stateLength);
    int x = clientRect.left + (width - cx2 - cx1) / 2;

    SelectObject(hdc, RegularFont);
    SetTextColor(hdc, LabelColor);
    TextOutW(hdc, x, StatusTop, LabelText, labelLength);
    SelectObject(hdc, BoldFont);
    SetTextColor(hdc, active ? ActiveColor : InactiveColor);
    TextOutW(hdc, x + cx1, StatusTop, state, stateLength);
}

void PaintWindow(HDC hdc, RECT clientRect)
{
    int width = clientRect.right - clientRect.left;
    SetBkMode(hdc, TRANSPARENT);
    HGDIOBJ previousFont = SelectObject(hdc, RegularFont);
    if (BusyFlag)
        PaintWaitingLine(hdc, clientRect, width);
    else
        PaintStateLine(hdc, clientRect, width);
    SelectObject(hdc, previousFont);
}

void DrawToggleSwitch(const DRAWITEMSTRUCT& item)
{
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    int pressed = (item.itemState & ODS_SELECTED) ? 1 : 0;
    bool on = CurrentMode == 1;

    FillRect(dc, &r, BackgroundBrush);
    int left = r.left + (r.right - r.left - TrackWidth) / 2;
    int top = r.top + (r.bottom - r.top - TrackHeight) / 2 + pressed;

    // While a pass runs the track is grey whatever the mode; the knob keeps the mode's side.
    HBRUSH trackBrush = CreateSolidBrush(BusyFlag || !on ? TrackOffColor : TrackOnColor);
    HBRUSH knobBrush = CreateSolidBrush(KnobColor);
    HPEN noOutline = CreatePen(PS_NULL, 0, 0);
    HGDIOBJ previousBrush = SelectObject(dc, trackBrush);
    HGDIOBJ previousPen = SelectObject(dc, noOutline);

    RoundRect(dc, left, top, left + TrackWidth, top + TrackHeight, TrackHeight, TrackHeight);
    SelectObject(dc, knobBrush);
    int knobLeft = on ? left + TrackWidth - KnobInset - KnobSize : left + KnobInset;
    Ellipse(dc, knobLeft, top + KnobInset, knobLeft + KnobSize, top + KnobInset + KnobSize);

    SelectObject(dc, previousBrush);
    SelectObject(dc, previousPen);
    DeleteObject(trackBrush);
    DeleteObject(knobBrush);
    DeleteObject(noOutline);
}
