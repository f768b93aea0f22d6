// The switching passes the window runs, one at a time on a worker thread: a click's, the catch-up that
// follows the machine's connections while filtering is on, and the restore when the window closes.
// Each is started here, reported to the window and ended here.
#pragma once

#include <windows.h>

#include "dns/adapter_inventory.h"

// The worker's report: wParam the mode the system is now in, lParam the PassProblem that kept the pass
// from doing all it was asked.
const UINT WM_TOGGLE_DONE = WM_APP + 1;

// A click, or Space: while a catch-up runs, the switch waits for it.
void StartToggle(HWND window, FilteringMode requestedMode);
// A burst of connection changes has settled.
void CatchUp(HWND window);
// The window is asked to close: what the saved settings hold comes back first, off the main thread.
void CloseMainWindow(HWND window);
DWORD WINAPI ToggleWorker(LPVOID windowHandle);
void EndToggle(HWND window, WPARAM reachedMode, LPARAM problem);
// The connections are watched while filtering is on.
void FollowMode(HWND window);
// Whether the window is giving the saved servers back before it goes.
bool Closing();

// Replaceable because their failure cannot be had on demand: no thread, and a full message queue.
extern decltype(&CreateThread) CreateThreadProc;
extern decltype(&PostMessageW) PostMessageProc;
