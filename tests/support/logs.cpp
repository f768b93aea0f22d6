// The logs that the test programs write (the stand-in netsh, the recording child): UTF-8 lines ending
// in CR LF, one entry each, in a file of this test process's own.
#include "support/logs.h"

#include <windows.h>

#include <algorithm>

#include "support/files.h"

std::wstring ProcessLogPath(const wchar_t* name)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + name + L"-" + std::to_wstring(GetCurrentProcessId()) + L".log";
}

std::vector<std::wstring> ReadLogLines(const std::wstring& path)
{
    std::string bytes = ReadBytes(path);
    std::wstring text(bytes.size(), L'\0');
    if (bytes != "<missing>")
        text.resize(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0],
                                        static_cast<int>(text.size())));
    std::vector<std::wstring> lines;
    for (size_t start = 0, end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

bool Logged(const std::vector<std::wstring>& log, const std::wstring& line)
{
    return std::find(log.begin(), log.end(), line) != log.end();
}

std::wstring LoggedValue(const std::vector<std::wstring>& log, const std::wstring& key)
{
    for (const std::wstring& entry : log) {
        if (entry.compare(0, key.size() + 1, key + L" ") == 0)
            return entry.substr(key.size() + 1);
    }
    return L"<none>";
}
