// One copy of Nublaro per machine: DNS settings are the machine's, whoever is signed in.
#pragma once

#include <windows.h>

// The machine-wide lock that the running copy holds for its life.
extern const wchar_t InstanceLockName[];

enum HandOff { NoRunningCopysWindow, RunningCopyCameForward, RunningCopyClosing };

// Asks the running copy, if its window is on this desktop, to come to the front. Only a window of an
// elevated process is taken for the running copy's. A copy that is giving servers back before it goes
// does not come forward.
HandOff HandOffToRunningCopy();

enum InstanceVerdict { RunThisCopy, OtherCopyCameForward, OtherCopyInAnotherSession };

// For a copy with rights, before it looks at the adapters: takes the lock, or, when another copy holds
// it, waits up to windowWaitMs for that copy's window (it may be starting) or for the lock (it may be
// ending); for as long as that window says it is closing, for the lock. An object of that name that
// neither Administrators nor SYSTEM own is not taken for a copy.
InstanceVerdict SettleSingleInstance(const wchar_t* lockName, DWORD windowWaitMs);
