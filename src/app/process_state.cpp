// Process-wide values: start-up fills the paths and the entry point before the window exists; the
// window procedure alone changes the mode and busy state afterwards.
#include "app/process_state.h"

wchar_t StateFilePath[PathUnits];
wchar_t NetshPath[PathUnits];
wchar_t IpconfigPath[PathUnits];
SetInterfaceDnsSettingsFn* SetInterfaceDnsSettingsProc;
HBRUSH BackgroundBrush;

int CurrentMode;
int BusyFlag;
int RequestedMode;
