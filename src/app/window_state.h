// What the window owns: the mode it shows, whether a pass is running, and the mode that pass is to
// reach. Only the main thread changes them, except as the window procedure says.
#pragma once

#include "dns/adapter_inventory.h"

extern FilteringMode CurrentMode;
extern int BusyFlag;
extern FilteringMode RequestedMode;
