// Entry point: hands over to an elevated copy when needed, then runs the one window until it closes.
#include <windows.h>

#include "app/main_window.h"
#include "app/startup.h"
#include "app/window_state.h"
#include "dns/adapter_inventory.h"

static const wchar_t ElevationWarning[] = L"Se requieren permisos de administrador para modificar las DNS del sistema.";

static HICON LoadAppIcon(HINSTANCE instance, int widthMetric, int heightMetric)
{
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(AppIconId), IMAGE_ICON,
                                         GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric),
                                         LR_DEFAULTCOLOR));
}

static int RunMessageLoop()
{
    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand)
{
    RestrictDllSearchToSystemFolder();
    if (!IsProcessElevated()) {
        if (!RelaunchElevated(commandLine))
            MessageBoxW(nullptr, ElevationWarning, L"Nublaro", MB_OK | MB_ICONWARNING);
        return 0;
    }
    // One window at a time: another copy's switch-off could delete the record this one has just written.
    if (BringOtherCopyToFront())
        return 0;

    InitializePaths();
    CurrentMode = DetectFilteringMode();

    BackgroundBrush = CreateSolidBrush(RGB(248, 250, 252));
    HICON largeIcon = LoadAppIcon(instance, SM_CXICON, SM_CYICON);
    HICON smallIcon = LoadAppIcon(instance, SM_CXSMICON, SM_CYSMICON);
    if (!RegisterMainWindowClass(instance, largeIcon, smallIcon))
        return 1;

    HWND window = CreateMainWindow(instance);
    if (!window)
        return 1;
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    int exitCode = RunMessageLoop();
    if (largeIcon)
        DestroyIcon(largeIcon);
    if (smallIcon)
        DestroyIcon(smallIcon);
    return exitCode;
}
