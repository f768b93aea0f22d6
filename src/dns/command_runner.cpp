// Running system programs without a window under a time-out, and clearing the DNS client's cache.
#include "dns/command_runner.h"

#include <strsafe.h>

wchar_t IpconfigPath[MAX_PATH];

static const int CommandLineUnits = 1024;
static const DWORD FlushTimeoutMs = 8000;
static const DWORD EndingWaitMs = 5000;

bool RunHiddenCommand(const wchar_t* commandLine, DWORD timeoutMs)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;

    // CreateProcessW may write into its command line, so it gets a copy; a longer one is cut.
    wchar_t buffer[CommandLineUnits];
    StringCchCopyW(buffer, ARRAYSIZE(buffer), commandLine);

    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, buffer, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process))
        return false;

    // A child still running at the time-out is ended, and waited for: left to run, a netsh could change
    // servers after its pass has judged them.
    bool ended = WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0;
    if (!ended) {
        TerminateProcess(process.hProcess, ERROR_TIMEOUT);
        WaitForSingleObject(process.hProcess, EndingWaitMs);
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return ended;
}

// Only the system folder's DNS client will do: this process runs elevated, and a DLL of the same name
// beside the executable or in the current folder could be anyone's. It is freed before any fallback.
static BOOL WINAPI FlushThroughSystemDnsClient()
{
    HMODULE dnsClient = LoadLibraryExW(L"dnsapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!dnsClient)
        return FALSE;
    auto flush = reinterpret_cast<DnsFlushResolverCacheFn*>(
        reinterpret_cast<void*>(GetProcAddress(dnsClient, "DnsFlushResolverCache")));
    BOOL flushed = flush && flush();
    FreeLibrary(dnsClient);
    return flushed;
}

DnsFlushResolverCacheFn* DnsFlushResolverCacheProc = FlushThroughSystemDnsClient;

void FlushResolverCache()
{
    if (DnsFlushResolverCacheProc())
        return;

    wchar_t commandLine[CommandLineUnits];
    StringCchPrintfW(commandLine, ARRAYSIZE(commandLine), L"\"%ls\" /flushdns", IpconfigPath);
    RunHiddenCommand(commandLine, FlushTimeoutMs); // a cache not cleared only keeps old answers a while
}
