// Start-up: the elevation check and relaunch, and the process-wide paths the DNS code needs.
#include "app/startup.h"

#include <strsafe.h>

#include "app/single_instance.h"
#include "dns/command_runner.h"
#include "dns/dns_applier.h"
#include "dns/netsh_script.h"
#include "settings/saved_settings.h"

ShellExecuteExFn* ShellExecuteExProc = ShellExecuteExW;
decltype(&OpenProcessToken) OpenProcessTokenProc = OpenProcessToken;
GetSystemWindowsDirectoryFn* GetSystemWindowsDirectoryProc = GetSystemWindowsDirectoryW;

// The relaunch leaves this in the environment of the copy it starts; the command line stays the user's.
static const wchar_t RelaunchMarker[] = L"NUBLARO_RELAUNCHED";

// Windows looks for a DLL that is not one of its known DLLs beside the executable first, and that folder
// (Downloads, often) may be writable without administrator rights. From here on every DLL comes from
// the system folder; iphlpapi.dll, the one such DLL the program imports, is delay-loaded for this.
void RestrictDllSearchToSystemFolder()
{
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

bool IsProcessElevated(HANDLE process)
{
    HANDLE token = nullptr;
    if (!OpenProcessTokenProc(process, TOKEN_QUERY, &token))
        return false;

    TOKEN_ELEVATION elevation = {};
    DWORD returnedBytes;
    BOOL queried = GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &returnedBytes);
    CloseHandle(token);
    return queried && elevation.TokenIsElevated != 0;
}

int RelaunchElevated(const wchar_t* parameters)
{
    // A copy that the relaunch started and that is still not elevated got no more rights from the shell
    // (as with UAC turned off): relaunching again would start a new copy every few milliseconds, for ever.
    if (GetEnvironmentVariableW(RelaunchMarker, nullptr, 0) != 0)
        return 0;
    wchar_t modulePath[MAX_PATH] = {};
    if (GetModuleFileNameW(nullptr, modulePath, ARRAYSIZE(modulePath)) == 0)
        return 0;

    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = L"runas";
    info.lpFile = modulePath;
    info.lpParameters = (parameters && parameters[0] != L'\0') ? parameters : nullptr;
    info.nShow = SW_SHOWNORMAL;
    SetEnvironmentVariableW(RelaunchMarker, L"1");
    BOOL started = ShellExecuteExProc(&info);
    SetEnvironmentVariableW(RelaunchMarker, nullptr);
    if (!started)
        return 0;

    if (info.hProcess)
        CloseHandle(info.hProcess);
    return 1;
}

static const wchar_t ElevationWarning[] = L"Se requieren permisos de administrador para modificar las DNS del sistema.";

// A second start needs no consent prompt just to bring the window back.
void StartWithoutRights(const wchar_t* commandLine)
{
    if (HandOffToRunningCopy())
        return;
    if (!RelaunchElevated(commandLine))
        MessageBoxW(nullptr, ElevationWarning, L"Nublaro", MB_OK | MB_ICONWARNING);
}

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
    UINT length = GetSystemWindowsDirectoryProc(directory, MAX_PATH);
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

    if (ipHelper)
        SetInterfaceDnsSettingsProc = reinterpret_cast<SetInterfaceDnsSettingsFn*>(
            reinterpret_cast<void*>(GetProcAddress(ipHelper, "SetInterfaceDnsSettings")));
}
