// The paths and the system entry point that start-up fills once, before the window exists; the DNS code
// and the saved settings only read them afterwards.
#pragma once

#include <windows.h>

#include "dns/dns_interface_settings.h"

// The saved settings' file, beside the executable; empty when the path would not fit.
extern wchar_t StateFilePath[MAX_PATH];
// The system's netsh.exe and ipconfig.exe, and the shared Windows folder's Temp, where netsh scripts
// are made; each empty without the Windows folder, so that nothing is run from elsewhere.
extern wchar_t NetshPath[MAX_PATH];
extern wchar_t IpconfigPath[MAX_PATH];
extern wchar_t ScriptFolder[MAX_PATH];
// The system's SetInterfaceDnsSettings, or null where the system lacks it.
extern SetInterfaceDnsSettingsFn* SetInterfaceDnsSettingsProc;

void InitializePaths();
