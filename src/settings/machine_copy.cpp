// The machine-wide copy of the saved settings. HKEY_LOCAL_MACHINE\SOFTWARE lets only administrators and
// the system create and write keys, so no program without those rights can plant rows here, as it could
// in a folder anyone may create first.
#include "settings/machine_copy.h"

#include <strsafe.h>

const wchar_t MachineCopyKeyPath[] = L"SOFTWARE\\Nublaro";

static void ValueName(int position, wchar_t* name, int units)
{
    StringCchPrintfW(name, units, L"%d", position + 1);
}

static bool WriteRow(HKEY key, int position, const SavedSettings& saved)
{
    wchar_t name[8];
    ValueName(position, name, ARRAYSIZE(name));
    if (position >= saved.RowCount) {
        LSTATUS deleted = RegDeleteValueW(key, name);
        return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
    }
    wchar_t line[SavedLineUnits];
    return FormatSavedRow(saved.Rows[position], line, ARRAYSIZE(line)) &&
           RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(line),
                          static_cast<DWORD>((wcslen(line) + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// Rows are written in place, the new ones before the old ones beyond them go: a copy cut short holds
// rows of the new saved settings and of the old, never none.
bool WriteMachineCopy(const SavedSettings& saved)
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, MachineCopyKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    bool written = true;
    for (int i = 0; i < MaxSavedRows && written; ++i)
        written = WriteRow(key, i, saved);
    RegCloseKey(key);
    return written;
}

static bool HasRowNamed(const SavedSettings& saved, const wchar_t* name)
{
    for (int i = 0; i < saved.RowCount; ++i) {
        if (CompareStringOrdinal(saved.Rows[i].Name, -1, name, -1, TRUE) == CSTR_EQUAL)
            return true;
    }
    return false;
}

// A row this program could not have written makes the whole copy unreadable, as it does the file.
static SavedSettingsState MergeRow(HKEY key, int position, SavedSettings* saved)
{
    wchar_t name[8];
    ValueName(position, name, ARRAYSIZE(name));
    wchar_t line[SavedLineUnits];
    DWORD bytes = sizeof(line);
    LSTATUS status = RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, line, &bytes);
    if (status == ERROR_FILE_NOT_FOUND)
        return SavedSettingsRead;
    SavedRow row;
    if (status != ERROR_SUCCESS || ParseSavedRow(line, &row) != SavedRowRead)
        return SavedSettingsUnreadable;
    if (!HasRowNamed(*saved, row.Name) && saved->RowCount < MaxSavedRows)
        saved->Rows[saved->RowCount++] = row;
    return SavedSettingsRead;
}

SavedSettingsState MergeMachineCopy(SavedSettings* saved)
{
    HKEY key;
    LSTATUS opened = RegOpenKeyExW(HKEY_LOCAL_MACHINE, MachineCopyKeyPath, 0, KEY_QUERY_VALUE, &key);
    if (opened == ERROR_FILE_NOT_FOUND)
        return NoSavedSettings;
    if (opened != ERROR_SUCCESS)
        return SavedSettingsUnreadable;
    SavedSettingsState state = SavedSettingsRead;
    for (int i = 0; i < MaxSavedRows && state == SavedSettingsRead; ++i)
        state = MergeRow(key, i, saved);
    RegCloseKey(key);
    return state;
}

void DeleteMachineCopy()
{
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, MachineCopyKeyPath);
}
