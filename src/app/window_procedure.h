// The main window's procedure, and the switching pass it runs on a worker thread.
#pragma once

#include <windows.h>

const UINT WM_TOGGLE_DONE = WM_APP + 1;

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void StartToggle(HWND window, int requestedMode);
DWORD WINAPI ToggleWorker(LPVOID windowHandle);
// Called for every key pressed in the window: from then on, the switch shows a focus cue.
void ShowKeyboardCues(HWND target);

// Thread creation and the worker's one message, replaceable so that tests can make them fail.
typedef HANDLE WINAPI CreateThreadFn(LPSECURITY_ATTRIBUTES security, SIZE_T stackSize,
                                     LPTHREAD_START_ROUTINE routine, LPVOID parameter, DWORD flags, LPDWORD id);
typedef BOOL WINAPI PostMessageFn(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
extern CreateThreadFn* CreateThreadProc;
extern PostMessageFn* PostMessageProc;
