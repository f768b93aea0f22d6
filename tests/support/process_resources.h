// What a process holds: handles, GDI objects and committed private memory, counted in ways that also
// work under Wine, whose own counters for all three answer 0.
#pragma once

#include <windows.h>

struct ProcessResources {
    DWORD handles;
    long gdiObjects;
    SIZE_T privateBytes;
};

DWORD HandlesInUse();
long GdiObjectsInUse();
SIZE_T PrivateBytesInUse();
ProcessResources MeasureProcessResources();
