// The main window's look, owned here alone: its fonts, background brush and icons, made when the window
// is created, made again when its DPI changes, freed when it goes; whether high contrast is on; and
// whether the keyboard has been used, which gives the switch its focus cue. The window's drawing goes
// through here with them.
#pragma once

#include <windows.h>

#include <commctrl.h>

// The application icon at the size of a square system metric (SM_CXICON, SM_CXSMICON) at that DPI.
// With LR_SHARED the system frees it; otherwise the caller does.
HICON LoadAppIcon(HINSTANCE instance, int metric, int dpi, UINT sharing = 0);

void CreateWindowLook(HWND window); // at WM_CREATE
void FreeWindowLook();              // at WM_DESTROY
void TakeDpi(HWND window, int dpi, const RECT& suggested);
void TakeSystemColours(HWND window);

void PaintMainWindow(HWND window, HDC dc);
void EraseBackground(HWND window, HDC dc);
// The switch is drawn whole here, in place of the system's check box.
LRESULT DrawSwitch(const NMCUSTOMDRAW& draw);

// The switch's name and check say what the window shows, for assistive technology, before both are
// painted again.
void ShowState(HWND window);
// Called for every key pressed, with the window the key went to: once one went to this window or its
// switch, the switch shows a focus cue.
void ShowKeyboardCues(HWND window, HWND target);
