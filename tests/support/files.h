// Files and folders for tests, always in a fresh folder of the test's own under the temporary directory.
#pragma once

#include <string>

std::wstring CreateTestFolder();
void RemoveTestFolder(const std::wstring& folder);

std::string ReadBytes(const std::wstring& path); // "<missing>" when the file cannot be read
void WriteBytes(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);

// The running test program, and a file built into the same folder.
std::wstring ThisProgramPath();
std::wstring BesideTests(const wchar_t* name);
