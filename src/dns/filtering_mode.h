// Switching filtering mode on and off for every adapter, without ever losing the user's own servers.
#pragma once

#include "dns/switching_plan.h"

void EnableFilteringMode();
void DisableFilteringMode(SwitchOffCause cause);
