// The logs that the test programs write (the stand-in netsh, the recording child): UTF-8 lines ending
// in CR LF, one entry each, in a file of this test process's own.
#pragma once

#include <string>
#include <vector>

// A log path in the temporary folder, named for this process so that test programs never share one.
std::wstring ProcessLogPath(const wchar_t* name);

std::vector<std::wstring> ReadLogLines(const std::wstring& path);
bool Logged(const std::vector<std::wstring>& log, const std::wstring& line);
// The rest of the first entry that starts with the key and a blank, or "<none>".
std::wstring LoggedValue(const std::vector<std::wstring>& log, const std::wstring& key);
