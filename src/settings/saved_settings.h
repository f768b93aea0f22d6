// The saved settings: each adapter's DNS servers from before filtering mode, in a file beside the
// executable, which the user reads and may move, and in a machine-wide copy that any copy of the program
// finds, wherever it was started from.
#pragma once

#include <windows.h>

#include <stdio.h>

#include "settings/saved_rows.h"

// Beside the executable, as start-up finds it; empty when the path would not fit, and nothing is then
// saved or switched.
extern wchar_t StateFilePath[MAX_PATH];

// Returns whether both places now hold the rows; on failure an earlier file stays as it was.
bool WriteSavedSettings(const SavedSettings& saved);
// Reads the first MaxSavedRows rows: the file's, then those of the machine-wide copy that name other
// adapters, so that no row of either is lost. RowCount is 0 unless they were read.
void LoadSavedSettings(SavedSettings* saved);
// Both places, best effort, once nothing needs them.
void DeleteSavedSettings();

// Replaceable because a read that fails after the open cannot be had on demand: Wine's byte-range
// locks do not stop reads.
extern decltype(&fgetws) FgetwsProc;
