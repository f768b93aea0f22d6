// What the window shows: the status line and the switch, drawn from CurrentMode and BusyFlag at the
// window's DPI.
#pragma once

#include <windows.h>

const int IDC_TOGGLE = 1001;

// The fonts of the status line, and the brush of the window's background, which start-up makes and
// the window deletes when it goes.
extern HFONT RegularFont;
extern HFONT BoldFont;
extern HBRUSH BackgroundBrush;
// Whether Windows' high contrast is on: the window then takes the system's colours.
extern bool HighContrast;

// Every size is one of a 96-DPI design, scaled to the window's DPI where it is used.
int Scale(int designed, int dpi);

HFONT CreateStatusFont(int weight, int dpi);
HWND CreateToggleSwitch(HWND parent, HINSTANCE instance, int dpi);
void PlaceToggleSwitch(HWND toggle, int dpi);
// The switch's name, which assistive technology reads with its checked state.
const wchar_t* ToggleSwitchText();
// What fills the window and the switch's surroundings.
HBRUSH WindowBackground();

void PaintWindow(HDC hdc, RECT clientRect, int dpi);
// focusCue: the switch has the keyboard focus, and the user has used the keyboard in the window.
void DrawToggleSwitch(HDC dc, RECT r, bool pressed, bool focusCue, int dpi);
