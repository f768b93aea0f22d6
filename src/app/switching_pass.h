// The switching pass the window runs: started by a click, carried out on a worker thread, reported to
// the window and ended there; and the restore that runs when the window closes.
#pragma once

#include <windows.h>

#include "dns/adapter_inventory.h"

// The worker's report: wParam the mode the system is now in, lParam the PassProblem that kept the pass
// from doing all it was asked.
const UINT WM_TOGGLE_DONE = WM_APP + 1;

void StartToggle(HWND window, FilteringMode requestedMode);
DWORD WINAPI ToggleWorker(LPVOID windowHandle);
void EndToggle(HWND window, WPARAM reachedMode, LPARAM problem);
// The saved servers come back before the window goes.
void RestoreAndClose(HWND window);

// Replaceable because their failure cannot be had on demand: no thread, and a full message queue.
extern decltype(&CreateThread) CreateThreadProc;
extern decltype(&PostMessageW) PostMessageProc;
