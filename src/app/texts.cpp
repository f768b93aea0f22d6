// The program's words, which live in the string table of the executable's resources, and the message
// boxes that say them.
#include "app/texts.h"

#include <strsafe.h>

#include "settings/saved_settings.h"

int LoadText(UINT id, wchar_t* text, int units)
{
    int length = LoadStringW(GetModuleHandleW(nullptr), id, text, units);
    if (length == 0)
        text[0] = L'\0';
    return length;
}

int ShowMessageBox(HWND owner, UINT id, UINT type, const wchar_t* path)
{
    wchar_t text[256];
    LoadText(id, text, ARRAYSIZE(text));
    wchar_t sentence[ARRAYSIZE(text) + MAX_PATH];
    if (path)
        StringCchPrintfW(sentence, ARRAYSIZE(sentence), text, path);
    return MessageBoxW(owner, path ? sentence : text, L"Nublaro", type);
}

// One sentence for each reason a pass fell short, so that a user whose click changed nothing learns why.
static UINT ProblemText(PassProblem problem)
{
    switch (problem) {
    case NoProblem:
        break;
    case SavedSettingsNotWritten:
        return IDS_SAVED_SETTINGS_NOT_WRITTEN;
    case SavedSettingsNotRead:
        return IDS_SAVED_SETTINGS_NOT_READ;
    case DnsSetByPolicy:
        return IDS_DNS_SET_BY_POLICY;
    case EncryptedDnsRequired:
        return IDS_ENCRYPTED_DNS_REQUIRED;
    case NoAdapterConnected:
        return IDS_NO_ADAPTER_CONNECTED;
    case ServersNotRead:
        return IDS_SERVERS_NOT_READ;
    case FilterNotApplied:
        return IDS_FILTER_NOT_APPLIED;
    case ServersNotGivenBack:
        return IDS_SERVERS_NOT_GIVEN_BACK;
    }
    return 0;
}

void TellProblem(HWND window, PassProblem problem)
{
    UINT text = ProblemText(problem);
    if (text != 0) {
        UpdateWindow(window);
        // Saved settings that cannot be read are named, so that the user can look at them or move them away.
        ShowMessageBox(window, text, MB_OK | MB_ICONWARNING, problem == SavedSettingsNotRead ? StateFilePath : nullptr);
    }
}
