// Switching filtering mode on and off for every adapter, without ever losing the user's own servers.
#pragma once

void EnableFilteringMode();
void DisableFilteringMode();
