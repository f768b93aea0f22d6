// Entry point: hands over to an elevated copy when needed, then runs the one window until it closes.
#include <windows.h>

#include "app/elevation.h"
#include "app/main_window.h"
#include "app/painting.h"
#include "app/single_instance.h"
#include "app/startup.h"
#include "app/system_paths.h"
#include "app/window_procedure.h"
#include "app/window_state.h"
#include "dns/adapter_inventory.h"

static const wchar_t OpenInAnotherSession[] = L"Nublaro ya está abierto en otra sesión.";
// How long a second copy looks for the first one's window, which may still be starting.
static const DWORD FirstWindowWaitMs = 5000;

static int RunMessageLoop()
{
    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN)
            ShowKeyboardCues(message.hwnd);
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand)
{
    RestrictDllSearchToSystemFolder();
    if (!IsProcessElevated()) {
        StartWithoutRights(commandLine);
        return 0;
    }
    // One copy per machine: another copy's switch-off could delete the saved settings this one has just written.
    InstanceVerdict verdict = SettleSingleInstance(InstanceLockName, FirstWindowWaitMs);
    if (verdict == OtherCopyInAnotherSession)
        MessageBoxW(nullptr, OpenInAnotherSession, L"Nublaro", MB_OK | MB_ICONINFORMATION);
    if (verdict != RunThisCopy)
        return 0;

    InitializePaths();
    CurrentMode = DetectFilteringMode();

    BackgroundBrush = CreateSolidBrush(RGB(248, 250, 252));
    HICON largeIcon = LoadAppIcon(instance, SM_CXICON, GetDpiForSystem());
    HICON smallIcon = LoadAppIcon(instance, SM_CXSMICON, GetDpiForSystem());
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
