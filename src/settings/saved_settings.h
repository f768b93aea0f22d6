// The saved-settings file: each adapter's DNS servers from before filtering mode, beside the executable.
#pragma once

#include <windows.h>

#include <stdio.h>

const int SavedNameUnits = 40;
const int SavedListUnits = 256;
const int MaxSavedRows = 32;

// One adapter's servers from before filtering, as the file holds them: its name and its two lists,
// as text.
struct SavedRow {
    wchar_t Name[SavedNameUnits];
    wchar_t Ipv4Servers[SavedListUnits];
    wchar_t Ipv6Servers[SavedListUnits];
};

enum SavedSettingsState {
    NoSavedSettings,         // no file, or one without the header: a switch-on may write a new one
    SavedSettingsUnreadable, // a file that exists but cannot be opened or read whole: no pass may
                             // overwrite it or act without it
    SavedSettingsRead,
};

// The saved settings as one value: the file's state, and its rows when it was read.
struct SavedSettings {
    SavedSettingsState State;
    int RowCount;
    SavedRow Rows[MaxSavedRows];
};

// Beside the executable, as start-up finds it; empty when the path would not fit, and nothing is then
// saved or switched.
extern wchar_t StateFilePath[MAX_PATH];

// Returns whether the file now holds the rows; on failure an earlier file stays as it was.
bool WriteSavedSettings(const SavedSettings& saved);
// Reads the first MaxSavedRows rows; RowCount is 0 unless the file was read.
void LoadSavedSettings(SavedSettings* saved);

// Replaceable because a read that fails after the open cannot be had on demand: Wine's byte-range
// locks do not stop reads.
extern decltype(&fgetws) FgetwsProc;
