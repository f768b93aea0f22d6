// The saved settings: the file beside the executable, and the machine-wide copy.
//
// The file holds the servers a user had before filtering mode, and the folder beside
// the executable is often writable by programs without administrator rights. So it is never written
// in place: the whole content goes to a new file, created exclusively, which then replaces the old one
// in one rename. A crash leaves either the old file or the new one, and a link planted under either
// name is replaced, never written through.
#include "settings/saved_settings.h"

#include <stdio.h>
#include <strsafe.h>

#include "settings/machine_copy.h"

wchar_t StateFilePath[MAX_PATH];
decltype(&fgetws) FgetwsProc = fgetws;

static const int LineUnits = SavedLineUnits;

static bool WriteUtf8(HANDLE file, const wchar_t* text)
{
    char bytes[4 * LineUnits];
    int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof(bytes), nullptr, nullptr);
    if (length == 0)
        return false;
    DWORD written = 0;
    return WriteFile(file, bytes, length - 1, &written, nullptr) && written == static_cast<DWORD>(length - 1);
}

static bool WriteContent(HANDLE file, const SavedSettings& saved)
{
    static const char ByteOrderMark[] = "\xEF\xBB\xBF";
    DWORD written = 0;
    if (!WriteFile(file, ByteOrderMark, 3, &written, nullptr) || written != 3)
        return false;
    if (!WriteUtf8(file, L"#v2\r\n"))
        return false;

    for (int i = 0; i < saved.RowCount; ++i) {
        wchar_t row[LineUnits];
        if (!FormatSavedRow(saved.Rows[i], row, ARRAYSIZE(row)) || FAILED(StringCchCatW(row, ARRAYSIZE(row), L"\r\n")) ||
            !WriteUtf8(file, row))
            return false;
    }
    return true;
}

static bool WriteSavedFile(const SavedSettings& saved)
{
    wchar_t temporaryPath[MAX_PATH];
    if (StateFilePath[0] == L'\0' ||
        FAILED(StringCchPrintfW(temporaryPath, ARRAYSIZE(temporaryPath), L"%ls.tmp", StateFilePath)))
        return false;

    // Whatever stands under the temporary name (left by a crash, or planted) goes first. Should
    // anything appear there again, the exclusive creation fails instead of writing through it.
    DeleteFileW(temporaryPath);
    HANDLE file = CreateFileW(temporaryPath, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool complete = WriteContent(file, saved) && FlushFileBuffers(file);
    CloseHandle(file);

    if (complete &&
        MoveFileExW(temporaryPath, StateFilePath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(temporaryPath); // best effort: a leftover is removed by the next write
    return false;
}

// The file as it stands before the C runtime reads it. Only a missing file is absent: one that exists
// but cannot be opened or read (another program holds it, or it may not be read) may well hold the
// only copy of the user's servers. Windows' C runtime refuses a file that starts with the UTF-16
// big-endian mark, while Wine's reads it as garbage; telling it here makes both refuse it.
enum SavedFileState { SavedFileMissing, SavedFileUnreadable, SavedFileBigEndian, SavedFileReadable };

static SavedFileState ProbeSavedFile(const wchar_t* path)
{
    if (path[0] == L'\0')
        return SavedFileMissing;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? SavedFileMissing : SavedFileUnreadable;
    }
    unsigned char mark[2] = {};
    DWORD read = 0;
    BOOL readable = ReadFile(file, mark, 2, &read, nullptr);
    CloseHandle(file);
    if (!readable)
        return SavedFileUnreadable;
    return read == 2 && mark[0] == 0xFE && mark[1] == 0xFF ? SavedFileBigEndian : SavedFileReadable;
}

// The next line whole; null at the end of the file, and when a read fails (another program's byte-range
// lock, a cloud file that cannot be fetched, a disk error) or the line is longer than any row this
// program writes. Neither must pass for the end: the rows after it would be lost.
static wchar_t* ReadLine(wchar_t* line, FILE* file, bool* failed)
{
    wchar_t* read = FgetwsProc(line, LineUnits, file);
    if (!read && !feof(file))
        *failed = true;
    if (read && !wcschr(read, L'\n'))
        *failed |= fgetwc(file) != WEOF;
    return *failed ? nullptr : read;
}

// Anything but saved settings read whole makes the file unreadable: one whose header a user deleted, or
// that an editor saved in another encoding, holds servers all the same, and must be neither replaced
// nor taken for none.
static SavedSettingsState ReadRows(FILE* file, SavedSettings* saved)
{
    wchar_t line[LineUnits];
    bool failed = false;
    if (!ReadLine(line, file, &failed) || !wcsstr(line, L"#v2"))
        return SavedSettingsUnreadable;
    while (saved->RowCount < MaxSavedRows && ReadLine(line, file, &failed)) {
        SavedRowParse parse = ParseSavedRow(line, &saved->Rows[saved->RowCount]);
        failed |= parse == UnknownFields;
        saved->RowCount += parse == SavedRowRead;
    }
    failed |= ferror(file) != 0;
    return failed ? SavedSettingsUnreadable : SavedSettingsRead;
}

static SavedSettingsState ReadSavedFile(SavedSettings* saved)
{
    SavedFileState file = ProbeSavedFile(StateFilePath);
    if (file == SavedFileMissing)
        return NoSavedSettings;
    if (file != SavedFileReadable)
        return SavedSettingsUnreadable;
    FILE* stream = _wfopen(StateFilePath, L"r, ccs=UTF-8");
    if (!stream)
        return SavedSettingsUnreadable; // locked since the probe
    SavedSettingsState state = ReadRows(stream, saved);
    fclose(stream);
    return state;
}

bool WriteSavedSettings(const SavedSettings& saved)
{
    return WriteSavedFile(saved) && WriteMachineCopy(saved);
}

// The file holds what the user reads and may have edited: its rows come first.
void LoadSavedSettings(SavedSettings* saved)
{
    saved->RowCount = 0;
    saved->State = ReadSavedFile(saved);
    if (saved->State != SavedSettingsUnreadable) {
        SavedSettingsState copy = MergeMachineCopy(saved);
        if (copy != NoSavedSettings)
            saved->State = copy;
    }
    if (saved->State != SavedSettingsRead)
        saved->RowCount = 0;
}

void DeleteSavedSettings()
{
    DeleteFileW(StateFilePath);
    DeleteMachineCopy();
}
