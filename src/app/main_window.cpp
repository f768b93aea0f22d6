// The main window's class and the one centred, fixed-size window made from it.
#include "app/main_window.h"

#include "app/window_state.h"
#include "app/window_procedure.h"

const wchar_t MainWindowClass[] = L"NublaroWnd";

ATOM RegisterMainWindowClass(HINSTANCE instance, HICON largeIcon, HICON smallIcon)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = largeIcon;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_HAND);
    windowClass.hbrBackground = BackgroundBrush;
    windowClass.lpszClassName = MainWindowClass;
    windowClass.hIconSm = smallIcon;
    return RegisterClassExW(&windowClass);
}

HWND CreateMainWindow(HINSTANCE instance)
{
    RECT frame = {0, 0, ClientWidth, ClientHeight};
    AdjustWindowRectEx(&frame, MainWindowStyle, FALSE, 0);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;

    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    int x = (screenWidth - width) / 2;
    int y = (screenHeight - height) / 2;

    return CreateWindowExW(0, MainWindowClass, L"Nublaro", MainWindowStyle, x, y, width, height, nullptr, nullptr,
                           instance, nullptr);
}
