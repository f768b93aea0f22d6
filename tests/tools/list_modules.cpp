// Prints the full path of every module loaded in the process that owns the window of the given class.
#include <windows.h>
#include <tlhelp32.h>

#include <stdio.h>

int wmain(int argc, wchar_t** argv)
{
    HWND window = argc == 2 ? FindWindowW(argv[1], nullptr) : nullptr;
    DWORD processId = 0;
    if (!window || !GetWindowThreadProcessId(window, &processId))
        return 1;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 1;
    MODULEENTRY32W module = {};
    module.dwSize = sizeof(module);
    for (BOOL more = Module32FirstW(snapshot, &module); more; more = Module32NextW(snapshot, &module))
        wprintf(L"%ls\n", module.szExePath);
    CloseHandle(snapshot);
    return 0;
}
