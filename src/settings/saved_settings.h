// The saved-settings file: each adapter's DNS servers from before filtering mode, beside the executable.
#pragma once

#include <stdio.h>

#include "dns/adapter_inventory.h"

// Beside the executable, as start-up finds it; empty when the path would not fit, and nothing is then
// saved or switched.
extern wchar_t StateFilePath[MAX_PATH];

// Returns whether the file now holds these rows; on failure an earlier file stays as it was.
bool WriteSavedSettings(const AdapterRecord* rows, int count);

// No file, or one without the header: a switch-on may write a new one.
const int NoValidSavedSettings = -1;
// A file that exists but cannot be opened or read whole: no pass may overwrite it or act without it.
const int SavedSettingsUnreadable = -2;

// One of the two above; with rows null, 0 for a valid file; otherwise the rows stored.
int LoadSavedSettings(AdapterRecord* rows, int capacity);

// Replaceable because a read that fails after the open cannot be had on demand: Wine's byte-range
// locks do not stop reads.
extern decltype(&fgetws) FgetwsProc;
