// The switching passes the window runs, one at a time on a worker thread: a click's, the catch-up that
// follows the machine's connections while filtering is on, and the restore when the window closes.
// Each is started here, reported to the window and ended here.
#include "app/switching_pass.h"

#include "app/connection_watch.h"
#include "app/texts.h"
#include "app/window_look.h"
#include "app/window_state.h"
#include "dns/filtering_mode.h"

decltype(&CreateThread) CreateThreadProc = CreateThread;
decltype(&PostMessageW) PostMessageProc = PostMessageW;

static const DWORD PostRetryMs = 50;

enum PassKind { NoPass, TogglePass, CatchUpPass, ClosePass };
// On the main thread: the pass that runs. A catch-up runs unseen; a click or a close that comes meanwhile
// waits for it, shown as waiting.
static PassKind Running;
static bool CatchUpWanted;
static bool ToggleWanted;
static bool CloseWanted;
// Written before the worker starts, read by it.
static PassKind WorkerPass;

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

static PassProblem RunPass(PassKind pass)
{
    switch (pass) {
    case CatchUpPass:
        return CatchUpFilteringMode();
    case ClosePass:
        return DisableFilteringMode(WindowClosing); // the window is going: nothing is told
    default:
        return RequestedMode == FilteringOn ? EnableFilteringMode() : DisableFilteringMode(SwitchedOffByUser);
    }
}

DWORD WINAPI ToggleWorker(LPVOID windowHandle)
{
    PassProblem problem = RunPass(WorkerPass);
    // The window shows what the system now is, not what was asked for: a pass may have changed nothing.
    ReportPassDone(static_cast<HWND>(windowHandle), DetectFilteringMode(), problem);
    return 0;
}

static bool StartWorker(HWND window, PassKind pass)
{
    WorkerPass = Running = pass;
    HANDLE worker = CreateThreadProc(nullptr, 0, ToggleWorker, window, 0, nullptr);
    if (!worker) {
        Running = NoPass;
        return false;
    }
    CloseHandle(worker); // the worker runs on by itself; WM_TOGGLE_DONE tells when it is done
    return true;
}

// The window shows the waiting line, and the switch keeps the keyboard focus: clicks and Space are
// refused meanwhile.
static void ShowWaiting(HWND window)
{
    BusyFlag = 1;
    ShowState(window);
    SetWaitCursor();
}

static void ShowIdle(HWND window)
{
    BusyFlag = 0;
    ShowState(window);
    SetCursor(LoadCursorW(nullptr, IDC_HAND)); // the wait cursor would stay until the mouse moves
}

void FollowMode(HWND window)
{
    if (CurrentMode == FilteringOn)
        StartWatchingConnections(window);
    else
        StopWatchingConnections(window);
}

// A switch-on watches from its start, so that a connection that comes up meanwhile is caught up with
// after it; a switch-off stops watching before it gives servers back.
void StartToggle(HWND window, FilteringMode requestedMode)
{
    RequestedMode = requestedMode;
    ShowWaiting(window);
    if (Running == CatchUpPass) {
        ToggleWanted = true;
        return;
    }
    if (requestedMode == FilteringOn)
        StartWatchingConnections(window);
    else
        StopWatchingConnections(window);
    if (!StartWorker(window, TogglePass)) {
        ShowIdle(window);
        FollowMode(window);
    }
}

void CatchUp(HWND window)
{
    KillTimer(window, CatchUpTimer);
    if (CurrentMode != FilteringOn)
        return;
    if (Running != NoPass || BusyFlag)
        CatchUpWanted = true; // once more after the pass, if filtering is still on
    else
        StartWorker(window, CatchUpPass);
}

// Nothing is given back without saved settings: there is nothing to undo. Should no thread start, the
// restore runs here, as it must happen before the window goes.
static void GiveBackAndClose(HWND window)
{
    StopWatchingConnections(window);
    SavedSettings saved;
    LoadSavedSettings(&saved);
    if (saved.State != SavedSettingsRead) {
        DestroyWindow(window);
        return;
    }
    ShowWaiting(window);
    UpdateWindow(window);
    if (StartWorker(window, ClosePass))
        return;
    DisableFilteringMode(WindowClosing);
    CurrentMode = FilteringOff;
    BusyFlag = 0;
    DestroyWindow(window);
}

// Closing undoes only what Nublaro did, which the saved settings tell, whatever the window shows: a
// filter the user set by hand stays, and a filtered adapter unplugged since gets its servers back. A
// file that cannot be read is kept for a later switch-off.
void CloseMainWindow(HWND window)
{
    if (BusyFlag)
        return;
    if (Running == CatchUpPass) {
        CloseWanted = true;
        ShowWaiting(window);
        return;
    }
    GiveBackAndClose(window);
}

bool Closing()
{
    return Running == ClosePass || CloseWanted;
}

// What waited for the pass now runs: a close before a click, and a catch-up only while filtering is on.
static void StartWhatWaited(HWND window)
{
    if (CloseWanted || ToggleWanted) {
        bool close = CloseWanted;
        CloseWanted = ToggleWanted = false;
        if (close)
            GiveBackAndClose(window);
        else
            StartToggle(window, RequestedMode);
        return;
    }
    if (CatchUpWanted) {
        CatchUpWanted = false;
        CatchUp(window);
    }
}

// The window shows the new state before anything else happens, and only then tells why the pass fell
// short, if it did.
void EndToggle(HWND window, WPARAM reachedMode, LPARAM problem)
{
    PassKind ended = Running;
    Running = NoPass;
    CurrentMode = static_cast<FilteringMode>(reachedMode);
    if (ended == ClosePass) {
        CurrentMode = FilteringOff;
        BusyFlag = 0;
        DestroyWindow(window);
        return;
    }
    if (!ToggleWanted && !CloseWanted)
        ShowIdle(window);
    FollowMode(window);
    TellProblem(window, static_cast<PassProblem>(problem));
    StartWhatWaited(window);
}
