// The main window's class and the one centred, fixed-size window made from it.
#pragma once

#include <windows.h>

const int ClientWidth = 400;
const int ClientHeight = 200;
const DWORD MainWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
const int AppIconId = 101;
extern const wchar_t MainWindowClass[];

// The application icon at the size of a square system metric (SM_CXICON, SM_CXSMICON) at that DPI.
HICON LoadAppIcon(HINSTANCE instance, int metric, int dpi);
ATOM RegisterMainWindowClass(HINSTANCE instance, HICON largeIcon, HICON smallIcon);
HWND CreateMainWindow(HINSTANCE instance);
