// Guards for tests that change system settings: they run only where the machine is a disposable Wine prefix.
#include "support/disposable_machine.h"

#include <windows.h>

bool RunningUnderWine()
{
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
