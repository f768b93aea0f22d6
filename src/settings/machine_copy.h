// The machine-wide copy of the saved settings, in the registry where only administrators can write:
// a copy of the program started from another folder, or after the first folder was deleted, still
// finds the servers to give back.
#pragma once

#include "settings/saved_rows.h"

// Under HKEY_LOCAL_MACHINE: one value per row, named by its position from "1", holding the row's line.
extern const wchar_t MachineCopyKeyPath[];

bool WriteMachineCopy(const SavedSettings& saved);
// Adds the copy's rows whose names saved lacks, while it has room. Returns the copy's own state.
SavedSettingsState MergeMachineCopy(SavedSettings* saved);
void DeleteMachineCopy();
