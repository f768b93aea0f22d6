// Nublaro's main window in a test program: made afresh, with the main thread's side of its messages.
#pragma once

#include <windows.h>

// Registers the class again with a new background brush (destroying a main window deletes the brush of
// its class) and makes the window; null where no window can be made (no display).
HWND CreateMainWindowAfresh();

// Dispatches everything queued; returns the code of a WM_QUIT among it, or -1.
int DrainMessages();

// Dispatches messages until no switching pass runs (BusyFlag is 0) or the time is up; returns whether
// the pass ended.
bool PumpUntilIdle(int timeoutMs = 30000);
