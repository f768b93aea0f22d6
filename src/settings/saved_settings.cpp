// The saved-settings file: each adapter's DNS servers from before filtering mode, beside the executable.
//
// The file is the only copy of the servers a user had before filtering mode, and the folder beside
// the executable is often writable by programs without administrator rights. So it is never written
// in place: the whole content goes to a new file, created exclusively, which then replaces the old one
// in one rename. A crash leaves either the old file or the new one, and a link planted under either
// name is replaced, never written through.
#include "settings/saved_settings.h"

#include <stdio.h>
#include <strsafe.h>

wchar_t StateFilePath[MAX_PATH];
decltype(&fgetws) FgetwsProc = fgetws;

static const int LineUnits = 576;

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
        const SavedRow& savedRow = saved.Rows[i];
        wchar_t row[LineUnits];
        if (FAILED(StringCchPrintfW(row, ARRAYSIZE(row), L"%ls|%ls|%ls\r\n", savedRow.Name, savedRow.Ipv4Servers,
                                    savedRow.Ipv6Servers)))
            return false;
        if (!WriteUtf8(file, row))
            return false;
    }
    return true;
}

bool WriteSavedSettings(const SavedSettings& saved)
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

// Whether the piece of a line just read stops inside its last field: a line longer than the buffer
// goes on in the next piece, and unless that begins with a "," or the line end, mid-element.
static bool LastFieldWasCut(const wchar_t* piece, FILE* file)
{
    if (wcschr(piece, L'\n'))
        return false;
    wint_t next = fgetwc(file);
    if (next == WEOF)
        return false;
    ungetwc(next, file);
    return next != L',' && next != L'\n' && next != L'\r';
}

// A list cut to its buffer, or where its line was read in pieces, loses the element the cut splits:
// its first part could read as another valid address ("10.0.0.123" as "10.0.0.12").
static void CopyWholeElements(wchar_t* out, const wchar_t* list, bool goesOn)
{
    bool split = wcslen(list) >= SavedListUnits ? list[SavedListUnits - 1] != L',' : goesOn;
    StringCchCopyW(out, SavedListUnits, list);
    if (split) {
        wchar_t* lastComma = wcsrchr(out, L',');
        *(lastComma ? lastComma : out) = L'\0';
    }
}

// A row is "name|ipv4|ipv6"; the IPv6 list takes the rest of the line, "|" included. Fields are
// stored as they stand, cut to their buffers without a split address.
static bool ParseRow(wchar_t* line, bool lastFieldWasCut, SavedRow* row)
{
    line[wcscspn(line, L"\r\n")] = L'\0';
    wchar_t* firstBar = wcschr(line, L'|');
    if (!firstBar)
        return false;
    wchar_t* secondBar = wcschr(firstBar + 1, L'|');
    if (!secondBar)
        return false;
    *firstBar = L'\0';
    *secondBar = L'\0';

    ZeroMemory(row, sizeof(*row));
    StringCchCopyW(row->Name, ARRAYSIZE(row->Name), line);
    CopyWholeElements(row->Ipv4Servers, firstBar + 1, false);
    CopyWholeElements(row->Ipv6Servers, secondBar + 1, lastFieldWasCut);
    return true;
}

// The next line, or the next piece of a longer one; null at the end of the file, and when a read fails
// (another program's byte-range lock, a cloud file that cannot be fetched, a disk error), which must
// never pass for the end: the rows after it would be lost.
static wchar_t* ReadLine(wchar_t* line, FILE* file, bool* failed)
{
    wchar_t* read = FgetwsProc(line, LineUnits, file);
    if (!read && !feof(file))
        *failed = true;
    return read;
}

// A read that fails midway makes the whole file unreadable, never a shorter one.
static SavedSettingsState ReadRows(FILE* file, SavedSettings* saved)
{
    wchar_t line[LineUnits];
    bool failed = false;
    SavedSettingsState state = NoSavedSettings;
    if (ReadLine(line, file, &failed) && wcsstr(line, L"#v2")) {
        state = SavedSettingsRead;
        while (saved->RowCount < MaxSavedRows && ReadLine(line, file, &failed)) {
            if (ParseRow(line, LastFieldWasCut(line, file), &saved->Rows[saved->RowCount]))
                ++saved->RowCount;
        }
    }
    failed |= ferror(file) != 0;
    return failed ? SavedSettingsUnreadable : state;
}

void LoadSavedSettings(SavedSettings* saved)
{
    saved->RowCount = 0;
    saved->State = NoSavedSettings;
    SavedFileState file = ProbeSavedFile(StateFilePath);
    if (file == SavedFileUnreadable)
        saved->State = SavedSettingsUnreadable;
    if (file != SavedFileReadable)
        return;
    FILE* stream = _wfopen(StateFilePath, L"r, ccs=UTF-8");
    if (!stream) {
        saved->State = SavedSettingsUnreadable; // locked since the probe
        return;
    }
    saved->State = ReadRows(stream, saved);
    fclose(stream);
    if (saved->State != SavedSettingsRead)
        saved->RowCount = 0;
}
