// Running system programs without a window under a time-out, and clearing the DNS client's cache.
#pragma once

#include <windows.h>

// Full path of the system's ipconfig.exe, the fallback of the cache flush; start-up fills it once.
extern wchar_t IpconfigPath[MAX_PATH];

// Returns whether the command ran to its end within the time-out.
bool RunHiddenCommand(const wchar_t* commandLine, DWORD timeoutMs);
void FlushResolverCache();

// The library load of the cache flush, replaceable so that tests can offer a DNS client of their own.
typedef HMODULE WINAPI LoadLibraryExFn(LPCWSTR fileName, HANDLE reserved, DWORD flags);
extern LoadLibraryExFn* LoadLibraryExProc;
