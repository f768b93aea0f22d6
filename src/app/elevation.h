// Whether a process runs with an elevated (administrator) token.
#pragma once

#include <windows.h>

bool IsProcessElevated(HANDLE process = GetCurrentProcess());

// Replaceable because every process under Wine is elevated.
extern decltype(&OpenProcessToken) OpenProcessTokenProc;
