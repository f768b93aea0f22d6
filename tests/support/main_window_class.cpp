// The main window for tests, made from its class registered again with a new background brush:
// destroying a main window deletes the brush of its class. Null where no window can be made (no display).
#include "support/main_window_class.h"

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
