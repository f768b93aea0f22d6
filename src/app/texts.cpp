// The program's words, which live in the string table of the executable's resources.
#include "app/texts.h"

int LoadText(UINT id, wchar_t* text, int units)
{
    int length = LoadStringW(GetModuleHandleW(nullptr), id, text, units);
    if (length == 0)
        text[0] = L'\0';
    return length;
}

int ShowMessageBox(HWND owner, UINT id, UINT type)
{
    wchar_t text[256];
    LoadText(id, text, ARRAYSIZE(text));
    return MessageBoxW(owner, text, L"Nublaro", type);
}
