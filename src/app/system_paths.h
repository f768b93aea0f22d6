// Start-up's one look at where the program and the system live: it fills, once and before the window
// exists, the paths and the system entry point that the DNS code and the saved settings own.
#pragma once

void InitializePaths();
