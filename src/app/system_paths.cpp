// Start-up's one look at where the program and the system live: it fills, once and before the window
// exists, the paths and the system entry point that the DNS code and the saved settings own.
#include "app/system_paths.h"

#include "dns/command_runner.h"
#include "dns/dns_applier.h"
#include "dns/doh_settings.h"
#include "dns/netsh_script.h"
#include "settings/saved_settings.h"

#include <strsafe.h>

// The saved settings live beside the executable. A path that had to be cut would name another
// file or folder, so it is left empty instead: nothing is then saved, and nothing is switched.
static void InitializeStateFilePath()
{
    DWORD length = GetModuleFileNameW(nullptr, StateFilePath, ARRAYSIZE(StateFilePath));
    if (length >= ARRAYSIZE(StateFilePath)) {
        StateFilePath[0] = L'\0';
        return;
    }
    wchar_t* lastBackslash = wcsrchr(StateFilePath, L'\\');
    if (lastBackslash)
        lastBackslash[1] = L'\0';
    else
        StateFilePath[0] = L'\0';
    if (FAILED(StringCchCatW(StateFilePath, ARRAYSIZE(StateFilePath), L"nublaro.txt")))
        StateFilePath[0] = L'\0';
}

// System programs are run by full path only: a program of the same name beside the executable or in
// the current folder must never run with this process's rights. A 32-bit process on 64-bit Windows
// would be redirected to the 32-bit programs; Sysnative avoids that. Without the Windows folder every
// path stays empty, and nothing is run.
static void FormatSystemPath(wchar_t* path, const wchar_t* windowsDirectory, const wchar_t* folder,
                             const wchar_t* program)
{
    if (windowsDirectory[0] == L'\0' ||
        FAILED(StringCchPrintfW(path, MAX_PATH, L"%ls\\%ls%ls", windowsDirectory, folder, program)))
        path[0] = L'\0';
}

// The Windows folder that every session shares. A program that is not Terminal Server aware would
// get, from GetWindowsDirectoryW on a Remote Desktop server, a private one that its user may write.
static void FindSharedWindowsDirectory(wchar_t* directory)
{
    UINT length = GetSystemWindowsDirectoryW(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        directory[0] = L'\0';
}

void InitializePaths()
{
    wchar_t windowsDirectory[MAX_PATH] = {};
    BOOL wow64 = FALSE;
    // Loaded here for good, as a static import would be, and from the system folder only.
    HMODULE ipHelper = LoadLibraryExW(L"iphlpapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);

    InitializeStateFilePath();
    FindSharedWindowsDirectory(windowsDirectory);
    IsWow64Process(GetCurrentProcess(), &wow64); // a failure leaves the native folder
    const wchar_t* programs = wow64 ? L"Sysnative\\" : L"System32\\";
    FormatSystemPath(NetshPath, windowsDirectory, programs, L"netsh.exe");
    FormatSystemPath(IpconfigPath, windowsDirectory, programs, L"ipconfig.exe");
    FormatSystemPath(ScriptFolder, windowsDirectory, L"Temp", L"");

    if (ipHelper) {
        SetInterfaceDnsSettingsProc = reinterpret_cast<SetInterfaceDnsSettingsFn*>(
            reinterpret_cast<void*>(GetProcAddress(ipHelper, "SetInterfaceDnsSettings")));
        GetInterfaceDnsSettingsProc = reinterpret_cast<GetInterfaceDnsSettingsFn*>(
            reinterpret_cast<void*>(GetProcAddress(ipHelper, "GetInterfaceDnsSettings")));
        FreeInterfaceDnsSettingsProc = reinterpret_cast<FreeInterfaceDnsSettingsFn*>(
            reinterpret_cast<void*>(GetProcAddress(ipHelper, "FreeInterfaceDnsSettings")));
    }
}
