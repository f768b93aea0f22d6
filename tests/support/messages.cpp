// The main thread's side of a window under test: what is queued is dispatched, as the message loop would.
#include "support/messages.h"

#include <windows.h>

#include "app/window_state.h"

int DrainMessages()
{
    int quit = -1;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            quit = static_cast<int>(message.wParam);
        DispatchMessageW(&message);
    }
    return quit;
}

bool PumpUntilIdle(int timeoutMs)
{
    DWORD start = GetTickCount();
    while (BusyFlag && GetTickCount() - start < static_cast<DWORD>(timeoutMs)) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        DrainMessages();
    }
    return BusyFlag == 0;
}
