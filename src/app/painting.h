// What the window shows: the status line and the owner-drawn switch, drawn from CurrentMode and BusyFlag.
#pragma once

#include <windows.h>

const int IDC_TOGGLE = 1001;

extern HFONT RegularFont;
extern HFONT BoldFont;

HFONT CreateStatusFont(int weight);
HWND CreateToggleSwitch(HWND parent, HINSTANCE instance);
// What the window shows, in words: the switch's window text, which assistive technology reads.
const wchar_t* ToggleSwitchText();

void PaintWindow(HDC hdc, RECT clientRect);
void DrawToggleSwitch(const DRAWITEMSTRUCT& item);
