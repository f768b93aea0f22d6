// What the window owns: the mode it shows, whether a pass is running, and the mode that pass is to
// reach. Only the main thread changes them, except as the window procedure says.
#include "app/window_state.h"

FilteringMode CurrentMode;
int BusyFlag;
FilteringMode RequestedMode;
