// A DLL that only leaves a marker file beside itself when it is loaded. Copied as iphlpapi.dll and
// dnsapi.dll into folders where a careless program would find it, it shows whether it was loaded.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    wchar_t marker[MAX_PATH + 8];
    DWORD length = GetModuleFileNameW(self, marker, MAX_PATH);
    lstrcpyW(marker + length, L".loaded");
    HANDLE file = CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return TRUE;
}
