// Keeps the Wine desktop of a test prefix running. Wine ends its desktop process some seconds after the
// last program that uses it, and the next program's first window then waits ten seconds for it to start
// again. Started once per prefix: it prints "ready" once a window of its own exists, then waits until
// the prefix is ended (wineserver -k).
#include <windows.h>

#include <stdio.h>

int wmain()
{
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (!window)
        return 1;
    printf("ready\n");
    fflush(stdout);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}
