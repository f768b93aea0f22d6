// What the window owns: the mode it shows, whether a pass is running, the mode that pass is to reach,
// and the background brush. Only the main thread changes them, except as the window procedure says.
#include "app/window_state.h"

HBRUSH BackgroundBrush;

int CurrentMode;
int BusyFlag;
int RequestedMode;
