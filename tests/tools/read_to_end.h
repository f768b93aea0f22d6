// Reads an open file from where it stands to its end; shared by the test programs and the tests.
#pragma once

#include <windows.h>

#include <string>

inline std::string ReadToEnd(HANDLE file)
{
    std::string bytes;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &read, nullptr) && read > 0)
        bytes.append(chunk, read);
    return bytes;
}
