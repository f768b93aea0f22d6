// The main window's procedure: a dispatcher from messages to short handlers.
#include "app/main_window.h"

#include "app/process_state.h"

static void OnDestroy()
{
    if (BackgroundBrush)
        DeleteObject(BackgroundBrush);
    PostQuitMessage(0);
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        OnDestroy();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
