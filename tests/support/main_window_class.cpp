// The main window's class for tests, registered again with a new background brush: destroying a main
// window deletes the brush of its class.
#include "app/window_state.h"
#include "support/main_window_class.h"

#include "app/main_window.h"

void RegisterMainWindowClassAfresh()
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    UnregisterClassW(L"NublaroWnd", instance);
    BackgroundBrush = CreateSolidBrush(RGB(248, 250, 252));
    RegisterMainWindowClass(instance, nullptr, nullptr);
}
