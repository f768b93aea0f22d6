// What the window shows: the status line and the switch, drawn from CurrentMode and BusyFlag with the
// look it is handed.
#pragma once

#include <windows.h>

const int IDC_TOGGLE = 1001;

// What the window draws with: its fonts at its DPI, its background, and whether high contrast is on,
// in which case the system's colours replace the designed ones.
struct WindowLook {
    HFONT RegularFont;
    HFONT BoldFont;
    HBRUSH Background;
    bool HighContrast;
    int Dpi;
};

// Every size is one of a 96-DPI design, scaled to the window's DPI where it is used.
int Scale(int designed, int dpi);

HFONT CreateStatusFont(int weight, int dpi);
// The designed background, for the window's look to hold.
HBRUSH CreateBackgroundBrush();
HWND CreateToggleSwitch(HWND parent, HINSTANCE instance, int dpi);
void PlaceToggleSwitch(HWND toggle, int dpi);
// What fills the window and the switch's surroundings.
HBRUSH BackgroundOf(const WindowLook& look);

void PaintWindow(HDC hdc, RECT clientRect, const WindowLook& look);
// focusCue: the switch has the keyboard focus, and the user has used the keyboard in the window.
void DrawToggleSwitch(HDC dc, RECT r, bool pressed, bool focusCue, const WindowLook& look);
