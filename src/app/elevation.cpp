// Whether a process runs with an elevated (administrator) token.
#include "app/elevation.h"

decltype(&OpenProcessToken) OpenProcessTokenProc = OpenProcessToken;

bool IsProcessElevated(HANDLE process)
{
    HANDLE token = nullptr;
    if (!OpenProcessTokenProc(process, TOKEN_QUERY, &token))
        return false;

    TOKEN_ELEVATION elevation = {};
    DWORD returnedBytes;
    BOOL queried = GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &returnedBytes);
    CloseHandle(token);
    return queried && elevation.TokenIsElevated != 0;
}
