// Prints the full path of every module loaded in the running processes of the given executable name.
#include <windows.h>
#include <tlhelp32.h>

#include <stdio.h>

static void ListModulesOf(DWORD processId)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    MODULEENTRY32W module = {};
    module.dwSize = sizeof(module);
    for (BOOL more = Module32FirstW(snapshot, &module); more; more = Module32NextW(snapshot, &module))
        wprintf(L"%ls\n", module.szExePath);
    CloseHandle(snapshot);
}

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2)
        return 2;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W process = {};
    process.dwSize = sizeof(process);
    int found = 0;
    for (BOOL more = Process32FirstW(snapshot, &process); more; more = Process32NextW(snapshot, &process)) {
        if (lstrcmpiW(process.szExeFile, argv[1]) == 0) {
            ListModulesOf(process.th32ProcessID);
            ++found;
        }
    }
    CloseHandle(snapshot);
    return found > 0 ? 0 : 1;
}
