// Running system programs without a window under a time-out, and clearing the DNS client's cache.
#pragma once

#include <windows.h>

// The system's ipconfig.exe, which start-up fills; empty without the Windows folder.
extern wchar_t IpconfigPath[MAX_PATH];

// Returns whether the command ran to its end within the time-out.
bool RunHiddenCommand(const wchar_t* commandLine, DWORD timeoutMs);
void FlushResolverCache();

typedef BOOL WINAPI DnsFlushResolverCacheFn();
// The system DNS client's DnsFlushResolverCache, from the system folder's dnsapi.dll, loaded for the
// call; FALSE where it cannot be called. Replaceable because Wine's is a stub that answers nothing.
extern DnsFlushResolverCacheFn* DnsFlushResolverCacheProc;
