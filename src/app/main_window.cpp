// The main window's class and the one centred, fixed-size window made from it.
#include "app/main_window.h"

#include "app/painting.h"
#include "app/window_look.h"
#include "app/window_procedure.h"

const wchar_t MainWindowClass[] = L"NublaroWnd";

// The class's icons are at the system's DPI and shared, so the system frees them; the window sets its
// own for its DPI. The window erases its own background with the brush its look owns.
ATOM RegisterMainWindowClass(HINSTANCE instance)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadAppIcon(instance, SM_CXICON, GetDpiForSystem(), LR_SHARED);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_HAND);
    windowClass.lpszClassName = MainWindowClass;
    windowClass.hIconSm = LoadAppIcon(instance, SM_CXSMICON, GetDpiForSystem(), LR_SHARED);
    return RegisterClassExW(&windowClass);
}

// The work area of the monitor the user is at: the one under the pointer.
static RECT WorkAreaUnderPointer()
{
    POINT pointer = {};
    GetCursorPos(&pointer);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromPoint(pointer, MONITOR_DEFAULTTOPRIMARY), &monitor);
    return monitor.rcWork;
}

// Made on that monitor first, so that it has the monitor's DPI from its very first message; then sized
// for that DPI and centred in the work area.
HWND CreateMainWindow(HINSTANCE instance)
{
    RECT work = WorkAreaUnderPointer();
    HWND window = CreateWindowExW(0, MainWindowClass, L"Nublaro", MainWindowStyle, work.left, work.top, 0, 0, nullptr,
                                  nullptr, instance, nullptr);
    if (!window)
        return nullptr;

    int dpi = GetDpiForWindow(window);
    RECT frame = {0, 0, Scale(ClientWidth, dpi), Scale(ClientHeight, dpi)};
    AdjustWindowRectExForDpi(&frame, MainWindowStyle, FALSE, 0, dpi);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    int x = work.left + (work.right - work.left - width) / 2;
    int y = work.top + (work.bottom - work.top - height) / 2;
    SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    return window;
}
