// The baselines of the start-up benchmark: a window of the same class, size, manifest and message loop
// as Nublaro's, with the one control it has, a check box, and nothing else; built a second time to tell
// the mode first, with the same adapter query and registry reads as Nublaro's start-up. Under the
// manifest's common controls 6, the first control of a process loads them, whatever the program.
#include <windows.h>

#include "support/palette.h"
#ifdef DETECT_BEFORE_SHOWING
#include "dns/adapter_inventory.h"
#endif

static LRESULT CALLBACK MinimalWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE) {
        CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_CHECKBOX, 130, 106, 140, 56, window, nullptr,
                        nullptr, nullptr);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
#ifdef DETECT_BEFORE_SHOWING
    DetectFilteringMode();
#endif
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MinimalWndProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_HAND);
    windowClass.hbrBackground = CreateSolidBrush(BackgroundColour);
    windowClass.lpszClassName = L"NublaroWnd";
    if (!RegisterClassExW(&windowClass))
        return 1;

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame = {0, 0, 400, 200};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    HWND window = CreateWindowExW(0, L"NublaroWnd", L"Nublaro", style, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                  (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr,
                                  instance, nullptr);
    if (!window)
        return 1;
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
