// The main window's procedure: each message to a short handler of its own.
#pragma once

#include <windows.h>

// A second start of Nublaro asks the window, by a message of this name, to come to the front; the window
// answers whether it did, or whether it is closing.
extern const wchar_t ComeForwardMessageName[];
const LRESULT CameForwardAnswer = 1;
const LRESULT ClosingAnswer = 2;

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
