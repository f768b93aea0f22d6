// Nublaro's main window in a test program: made afresh, with the main thread's side of its messages.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Makes the window, the class registered once for the test program; null where no window can be made
// (no display).
HWND CreateMainWindowAfresh();

// The client area as the window paints it when asked to print it (WM_PRINTCLIENT).
struct PrintedClient {
    int Width;
    int Height;
    std::vector<COLORREF> Pixels; // row by row, top down
    COLORREF At(int x, int y) const { return Pixels[y * Width + x]; }
};
PrintedClient PrintClient(HWND window);

// Dispatches everything queued; returns the code of a WM_QUIT among it, or -1.
int DrainMessages();

// Dispatches messages until done() holds or the time is up; returns whether it held.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 30000);
// The same until no switching pass shows (BusyFlag is 0).
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
