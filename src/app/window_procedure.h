// The main window's procedure, and the switching pass it runs on a worker thread.
#pragma once

#include <windows.h>

#include "dns/adapter_inventory.h"

const UINT WM_TOGGLE_DONE = WM_APP + 1;

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void StartToggle(HWND window, FilteringMode requestedMode);
DWORD WINAPI ToggleWorker(LPVOID windowHandle);
// Called for every key pressed in the window: from then on, the switch shows a focus cue.
void ShowKeyboardCues(HWND target);

// Replaceable because their failure cannot be had on demand: no thread, and a full message queue.
extern decltype(&CreateThread) CreateThreadProc;
extern decltype(&PostMessageW) PostMessageProc;
