// One row of the saved settings as text: the same line in the file beside the executable and in the
// machine-wide copy. Fields after the two lists are marks, one word each, that only this version and
// later ones write.
#include "settings/saved_rows.h"

#include <strsafe.h>

static const wchar_t Ipv4PendingMark[] = L"ipv4-restore-pending";
static const wchar_t Ipv6PendingMark[] = L"ipv6-restore-pending";
static const wchar_t Ipv4DohMark[] = L"ipv4-doh=";
static const wchar_t Ipv6DohMark[] = L"ipv6-doh=";

static bool AppendMark(wchar_t* line, int units, bool carried, const wchar_t* mark, const wchar_t* value = L"")
{
    return !carried || (SUCCEEDED(StringCchCatW(line, units, L"|")) && SUCCEEDED(StringCchCatW(line, units, mark)) &&
                        SUCCEEDED(StringCchCatW(line, units, value)));
}

bool FormatSavedRow(const SavedRow& row, wchar_t* line, int units)
{
    return SUCCEEDED(StringCchPrintfW(line, units, L"%ls|%ls|%ls", row.Name, row.Ipv4Servers, row.Ipv6Servers)) &&
           AppendMark(line, units, row.Ipv4Doh[0] != L'\0', Ipv4DohMark, row.Ipv4Doh) &&
           AppendMark(line, units, row.Ipv6Doh[0] != L'\0', Ipv6DohMark, row.Ipv6Doh) &&
           AppendMark(line, units, row.Ipv4RestorePending, Ipv4PendingMark) &&
           AppendMark(line, units, row.Ipv6RestorePending, Ipv6PendingMark);
}

// A mark "name=value" whose value fits its buffer.
static bool ReadValueMark(const wchar_t* field, const wchar_t* mark, wchar_t* value)
{
    size_t length = wcslen(mark);
    return wcsncmp(field, mark, length) == 0 && SUCCEEDED(StringCchCopyW(value, SavedDohUnits, field + length));
}

// A list cut to its buffer loses the element the cut splits: its first part could read as another
// valid address ("10.0.0.123" as "10.0.0.12").
static void CopyWholeElements(wchar_t* out, const wchar_t* list)
{
    bool split = wcslen(list) >= SavedListUnits && list[SavedListUnits - 1] != L',';
    StringCchCopyW(out, SavedListUnits, list);
    if (split) {
        wchar_t* lastComma = wcsrchr(out, L',');
        *(lastComma ? lastComma : out) = L'\0';
    }
}

// Cuts the field at the cursor out of the line and moves the cursor past its "|"; null past the last.
static wchar_t* NextField(wchar_t** cursor)
{
    wchar_t* field = *cursor;
    if (!field)
        return nullptr;
    wchar_t* bar = wcschr(field, L'|');
    if (bar)
        *bar = L'\0';
    *cursor = bar ? bar + 1 : nullptr;
    return field;
}

static bool ReadMarks(wchar_t* cursor, SavedRow* row)
{
    for (wchar_t* mark = NextField(&cursor); mark; mark = NextField(&cursor)) {
        if (wcscmp(mark, Ipv4PendingMark) == 0)
            row->Ipv4RestorePending = true;
        else if (wcscmp(mark, Ipv6PendingMark) == 0)
            row->Ipv6RestorePending = true;
        else if (!ReadValueMark(mark, Ipv4DohMark, row->Ipv4Doh) && !ReadValueMark(mark, Ipv6DohMark, row->Ipv6Doh))
            return false;
    }
    return true;
}

SavedRowParse ParseSavedRow(wchar_t* line, SavedRow* row)
{
    line[wcscspn(line, L"\r\n")] = L'\0';
    wchar_t* cursor = line;
    wchar_t* name = NextField(&cursor);
    wchar_t* ipv4 = NextField(&cursor);
    wchar_t* ipv6 = NextField(&cursor);
    if (!ipv6)
        return NotARow;
    *row = {};
    StringCchCopyW(row->Name, SavedNameUnits, name);
    CopyWholeElements(row->Ipv4Servers, ipv4);
    CopyWholeElements(row->Ipv6Servers, ipv6);
    return ReadMarks(cursor, row) ? SavedRowRead : UnknownFields;
}
