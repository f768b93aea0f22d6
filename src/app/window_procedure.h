// The main window's procedure: each message to a short handler of its own.
#pragma once

#include <windows.h>

// A second start of Nublaro asks the window, by a message of this name, to come to the front.
extern const wchar_t ComeForwardMessageName[];

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
