// The switching pass the window runs: started by a click, carried out on a worker thread, reported to
// the window and ended there; and the restore that runs when the window closes.
#include "app/switching_pass.h"

#include "app/texts.h"
#include "app/window_look.h"
#include "app/window_state.h"
#include "dns/filtering_mode.h"

decltype(&CreateThread) CreateThreadProc = CreateThread;
decltype(&PostMessageW) PostMessageProc = PostMessageW;

static const DWORD PostRetryMs = 50;

static void SetWaitCursor()
{
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

// The window refuses every click and close until it hears that the pass has ended, so the message
// must arrive: a full queue is waited out for as long as the window exists.
static void ReportPassDone(HWND window, FilteringMode reachedMode, PassProblem problem)
{
    while (!PostMessageProc(window, WM_TOGGLE_DONE, static_cast<WPARAM>(reachedMode), problem)) {
        if (!IsWindow(window))
            return;
        Sleep(PostRetryMs);
    }
}

DWORD WINAPI ToggleWorker(LPVOID windowHandle)
{
    HWND window = static_cast<HWND>(windowHandle);
    PassProblem problem = RequestedMode == FilteringOn ? EnableFilteringMode() : DisableFilteringMode(SwitchedOffByUser);
    // The window shows what the system now is, not what was asked for: a pass may have changed nothing.
    ReportPassDone(window, DetectFilteringMode(), problem);
    return 0;
}

void StartToggle(HWND window, FilteringMode requestedMode)
{
    // The switch keeps the keyboard focus while the pass runs: clicks and Space are refused meanwhile.
    RequestedMode = requestedMode;
    BusyFlag = 1;
    ShowState(window);
    SetWaitCursor();

    HANDLE worker = CreateThreadProc(nullptr, 0, ToggleWorker, window, 0, nullptr);
    if (worker) {
        CloseHandle(worker); // the worker runs on by itself; WM_TOGGLE_DONE tells when it is done
        return;
    }
    BusyFlag = 0;
    ShowState(window);
    SetCursor(LoadCursorW(nullptr, IDC_HAND)); // the wait cursor would stay until the mouse moves
}

// One sentence for each reason a pass fell short, so that a user whose click changed nothing learns why.
static UINT ProblemText(LPARAM problem)
{
    switch (problem) {
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

// The window shows the new state before anything else happens, and only then tells why the pass fell short.
void EndToggle(HWND window, WPARAM reachedMode, LPARAM problem)
{
    CurrentMode = static_cast<FilteringMode>(reachedMode);
    BusyFlag = 0;
    ShowState(window);
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    UINT text = ProblemText(problem);
    if (text != 0) {
        UpdateWindow(window);
        ShowMessageBox(window, text, MB_OK | MB_ICONWARNING);
    }
}

// The waiting line is painted before the restore begins; nothing else is processed until it is done.
void RestoreAndClose(HWND window)
{
    BusyFlag = 1;
    SetWaitCursor();
    ShowState(window);
    UpdateWindow(window);
    DisableFilteringMode(WindowClosing); // the window is going: nothing is told
    CurrentMode = FilteringOff;
    BusyFlag = 0;
    DestroyWindow(window);
}
