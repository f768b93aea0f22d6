// Start-up without administrator rights: the relaunch as administrator, or the hand-off to a copy that
// already runs.
#include "app/startup.h"

#include <strsafe.h>

#include "app/single_instance.h"
#include "app/texts.h"

decltype(&ShellExecuteExW) ShellExecuteExProc = ShellExecuteExW;

// The relaunch leaves this in the environment of the copy it starts; the command line stays the user's.
static const wchar_t RelaunchMarker[] = L"NUBLARO_RELAUNCHED";

// Windows looks for a DLL that is not one of its known DLLs beside the executable first, and that folder
// (Downloads, often) may be writable without administrator rights. From here on every DLL comes from
// the system folder; iphlpapi.dll, the one such DLL the program imports, is delay-loaded for this.
void RestrictDllSearchToSystemFolder()
{
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
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

// A second start needs no consent prompt just to bring the window back; while that window is closing,
// the copy with rights it starts waits for it to go.
void StartWithoutRights(const wchar_t* commandLine)
{
    if (HandOffToRunningCopy() == RunningCopyCameForward)
        return;
    if (!RelaunchElevated(commandLine))
        ShowMessageBox(nullptr, IDS_ELEVATION_WARNING, MB_OK | MB_ICONWARNING);
}
