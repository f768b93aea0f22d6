// The main thread's side of a window under test: what is queued is dispatched, as the message loop would.
#pragma once

// Dispatches everything queued; returns the code of a WM_QUIT among it, or -1.
int DrainMessages();

// Dispatches messages until no switching pass runs (BusyFlag is 0) or the time is up; returns whether
// the pass ended.
bool PumpUntilIdle(int timeoutMs = 30000);
