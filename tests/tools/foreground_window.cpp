// Prints the class of the window in the foreground, as Wine sees it: without a window manager X cannot tell.
#include <windows.h>

#include <stdio.h>

int wmain()
{
    wchar_t name[64] = L"";
    HWND window = GetForegroundWindow();
    if (!window || !GetClassNameW(window, name, ARRAYSIZE(name)))
        return 1;
    wprintf(L"%ls\n", name);
    return 0;
}
