// The main window for tests, made from its class registered again with a new background brush:
// destroying a main window deletes the brush of its class. Null where no window can be made (no display).
#pragma once

#include <windows.h>

HWND CreateMainWindowAfresh();
