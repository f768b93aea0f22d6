// One row of the saved settings as text: the same line in the file beside the executable and in the
// machine-wide copy.
#pragma once

#include <windows.h>

const int SavedNameUnits = 40;
const int SavedListUnits = 256;
const int MaxSavedRows = 32;
const int SavedDohUnits = 512;
// Longer than any row this program writes: a longer line is not one of its rows.
const int SavedLineUnits = 2048;

// One adapter's servers from before filtering, as text: its name and its two lists.
struct SavedRow {
    wchar_t Name[SavedNameUnits];
    wchar_t Ipv4Servers[SavedListUnits];
    wchar_t Ipv6Servers[SavedListUnits];
    // Each family's own DNS-over-HTTPS settings by server, as text; empty for none.
    wchar_t Ipv4Doh[SavedDohUnits] = {};
    wchar_t Ipv6Doh[SavedDohUnits] = {};
    // A restore that was cut short: until the family reads back as its saved list, what it holds is a
    // part of that list, not the user's own choice.
    bool Ipv4RestorePending = false;
    bool Ipv6RestorePending = false;
};

enum SavedSettingsState {
    NoSavedSettings,         // neither the file nor the machine-wide copy: a switch-on may write them
    SavedSettingsUnreadable, // there, but not read whole, or not in a form this version reads: no pass may
                             // replace them or act without them
    SavedSettingsRead,
};

// The saved settings as one value: their state, and their rows when they were read.
struct SavedSettings {
    SavedSettingsState State;
    int RowCount;
    SavedRow Rows[MaxSavedRows];
};

// "name|ipv4|ipv6", then a field for each mark the row carries, so that a row without one is written
// as every earlier version wrote it. No line end. False when the row does not fit.
bool FormatSavedRow(const SavedRow& row, wchar_t* line, int units);

enum SavedRowParse {
    NotARow,       // fewer than two "|": passed over, as always
    SavedRowRead,  // fields are stored as they stand, cut to their buffers without a split address
    UnknownFields, // a field this version cannot read: the row may hold what it cannot give back
};
// Takes the line apart in place; the line end, if any, is dropped.
SavedRowParse ParseSavedRow(wchar_t* line, SavedRow* row);
