// Entry point: hands over to an elevated copy when needed, then runs the one window until it closes.
#include <windows.h>

#include "app/elevation.h"
#include "app/main_window.h"
#include "app/single_instance.h"
#include "app/startup.h"
#include "app/system_paths.h"
#include "app/texts.h"
#include "app/window_look.h"
#include "app/window_state.h"
#include "dns/adapter_inventory.h"

// How long a second copy looks for the first one's window, which may still be starting.
static const DWORD FirstWindowWaitMs = 5000;

static int RunMessageLoop(HWND window)
{
    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN)
            ShowKeyboardCues(window, message.hwnd);
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
        ShowMessageBox(nullptr, IDS_OPEN_IN_ANOTHER_SESSION, MB_OK | MB_ICONINFORMATION);
    if (verdict != RunThisCopy)
        return 0;

    InitializePaths();
    CurrentMode = DetectFilteringMode();

    if (!RegisterMainWindowClass(instance))
        return 1;

    HWND window = CreateMainWindow(instance);
    if (!window)
        return 1;
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    return RunMessageLoop(window);
}
