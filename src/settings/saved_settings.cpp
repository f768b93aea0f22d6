// The saved-settings file: each adapter's DNS servers from before filtering mode, beside the executable.
//
// The file is the only record of the servers a user had before filtering mode, and the folder beside
// the executable is often writable by programs without administrator rights. So it is never written
// in place: the whole content goes to a new file, created exclusively, which then replaces the old one
// in one rename. A crash leaves either the old file or the new one, and a link planted under either
// name is replaced, never written through.
#include "settings/saved_settings.h"

#include <stdio.h>
#include <strsafe.h>

wchar_t StateFilePath[MAX_PATH];

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

static bool WriteContent(HANDLE file, const AdapterRecord* records, int count)
{
    static const char ByteOrderMark[] = "\xEF\xBB\xBF";
    DWORD written = 0;
    if (!WriteFile(file, ByteOrderMark, 3, &written, nullptr) || written != 3)
        return false;
    if (!WriteUtf8(file, L"#v2\r\n"))
        return false;

    for (int i = 0; i < count; ++i) {
        const AdapterRecord& record = records[i];
        // A list that names the filter is not the user's own: saved as automatic servers.
        const wchar_t* ipv4 = ListHasFilterAddress(record.Ipv4Servers) ? L"" : record.Ipv4Servers;
        const wchar_t* ipv6 = ListHasFilterAddress(record.Ipv6Servers) ? L"" : record.Ipv6Servers;
        wchar_t row[LineUnits];
        if (FAILED(StringCchPrintfW(row, ARRAYSIZE(row), L"%ls|%ls|%ls\r\n", record.Name, ipv4, ipv6)))
            return false;
        if (!WriteUtf8(file, row))
            return false;
    }
    return true;
}

bool WriteSavedSettings(const AdapterRecord* records, int count)
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
    bool complete = WriteContent(file, records, count) && FlushFileBuffers(file);
    CloseHandle(file);

    if (complete &&
        MoveFileExW(temporaryPath, StateFilePath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(temporaryPath); // best effort: a leftover is removed by the next write
    return false;
}

// Windows' C runtime refuses a file that starts with the UTF-16 big-endian mark; Wine's reads it as
// garbage. Checking first makes both refuse it.
static bool StartsWithBigEndianMark(const wchar_t* path)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    unsigned char mark[2] = {};
    DWORD read = 0;
    bool bigEndian = ReadFile(file, mark, 2, &read, nullptr) && read == 2 && mark[0] == 0xFE && mark[1] == 0xFF;
    CloseHandle(file);
    return bigEndian;
}

// A row is "name|ipv4|ipv6"; the IPv6 list takes the rest of the line, "|" included. Fields are
// stored as they stand, cut to their buffers.
static bool ParseRow(wchar_t* line, AdapterRecord* row)
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
    StringCchCopyW(row->Ipv4Servers, ARRAYSIZE(row->Ipv4Servers), firstBar + 1);
    StringCchCopyW(row->Ipv6Servers, ARRAYSIZE(row->Ipv6Servers), secondBar + 1);
    return true;
}

int LoadSavedSettings(AdapterRecord* records, int capacity)
{
    if (StartsWithBigEndianMark(StateFilePath))
        return -1;
    FILE* file = _wfopen(StateFilePath, L"r, ccs=UTF-8");
    if (!file)
        return -1;

    wchar_t line[LineUnits];
    if (!fgetws(line, LineUnits, file) || !wcsstr(line, L"#v2")) {
        fclose(file);
        return -1;
    }

    int stored = 0;
    if (records) {
        while (stored < capacity && fgetws(line, LineUnits, file)) {
            if (ParseRow(line, &records[stored]))
                ++stored;
        }
    }
    fclose(file);
    return stored;
}
