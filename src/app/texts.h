// The program's words, which live in the string table of the executable's resources, and the message
// boxes that say them.
#pragma once

#include <windows.h>

#include "dns/switching_plan.h"
#include "resource_ids.h"

// Copies the string into text, cut to its units, and returns its length; an empty string when the
// executable has no such string.
int LoadText(UINT id, wchar_t* text, int units);
// A message box titled "Nublaro" that says the string, its "%ls" filled with the path when one is given;
// returns as MessageBoxW does.
int ShowMessageBox(HWND owner, UINT id, UINT type, const wchar_t* path = nullptr);
// Tells why a pass fell short, once the window shows the state it left; nothing when it did not.
void TellProblem(HWND window, PassProblem problem);
