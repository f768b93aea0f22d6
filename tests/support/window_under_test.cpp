// Nublaro's main window in a test program: made afresh, with the main thread's side of its messages.
#include "support/window_under_test.h"

#include "app/main_window.h"
#include "app/window_state.h"
#include "support/palette.h"

HWND CreateMainWindowAfresh()
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    UnregisterClassW(L"NublaroWnd", instance);
    BackgroundBrush = CreateSolidBrush(BackgroundColour);
    RegisterMainWindowClass(instance, nullptr, nullptr);
    return CreateMainWindow(instance);
}

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
