// The main window's class and the one centred, fixed-size window made from it.
#pragma once

#include <windows.h>

const int ClientWidth = 400;
const int ClientHeight = 200;
const DWORD MainWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
extern const wchar_t MainWindowClass[];

ATOM RegisterMainWindowClass(HINSTANCE instance);
HWND CreateMainWindow(HINSTANCE instance);
