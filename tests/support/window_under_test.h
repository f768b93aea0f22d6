// Nublaro's main window in a test program: made afresh, with the main thread's side of its messages.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Registers the class again with a new background brush (destroying a main window deletes the brush of
// its class) and makes the window; null where no window can be made (no display).
HWND CreateMainWindowAfresh();

// Dispatches everything queued; returns the code of a WM_QUIT among it, or -1.
int DrainMessages();

// Dispatches messages until no switching pass runs (BusyFlag is 0) or the time is up; returns whether
// the pass ended.
bool PumpUntilIdle(int timeoutMs = 30000);

// A message box the window owned, as a watching thread found and answered it.
struct AnsweredMessageBox {
    std::wstring Text;
    std::wstring SwitchTextThen; // what the switch said while the box was up
};

// Answers every message box that the window owns, from a thread of its own, until stopped; returns
// those it answered.
void StartAnsweringMessageBoxes(HWND owner);
std::vector<AnsweredMessageBox> StopAnsweringMessageBoxes();
