// Process-wide values: start-up fills the paths and the entry point before the window exists; the
// window procedure alone changes the mode and busy state afterwards.
#pragma once

#include <windows.h>

#include "dns/dns_interface_settings.h"

const int PathUnits = MAX_PATH;

extern wchar_t StateFilePath[PathUnits];
extern wchar_t NetshPath[PathUnits];
extern wchar_t IpconfigPath[PathUnits];
extern SetInterfaceDnsSettingsFn* SetInterfaceDnsSettingsProc;
extern HBRUSH BackgroundBrush;

extern int CurrentMode;
extern int BusyFlag;
extern int RequestedMode;
