// The main window's procedure, and the switching pass it runs on a worker thread.
#include "app/window_procedure.h"

#include "app/painting.h"
#include "app/window_state.h"
#include "dns/adapter_inventory.h"
#include "dns/filtering_mode.h"
#include "settings/saved_settings.h"

CreateThreadFn* CreateThreadProc = CreateThread;
PostMessageFn* PostMessageProc = PostMessageW;

static const DWORD PostRetryMs = 50;

static void SetWaitCursor()
{
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

static void EnableToggleSwitch(HWND window, BOOL enable)
{
    EnableWindow(GetDlgItem(window, IDC_TOGGLE), enable);
}

// The switch names what the window shows, for assistive technology; the window is painted again.
static void ShowState(HWND window)
{
    SetWindowTextW(GetDlgItem(window, IDC_TOGGLE), ToggleSwitchText());
    InvalidateRect(window, nullptr, TRUE);
}

// The switch has the keyboard focus whenever the window is active, so that Space switches as a click
// does. A disabled switch loses the focus, so it is given back once the switch is enabled again.
static void FocusToggleSwitch(HWND window)
{
    if (GetActiveWindow() == window)
        SetFocus(GetDlgItem(window, IDC_TOGGLE));
}

// The window refuses every click and close until it hears that the pass has ended, so the message
// must arrive: a full queue is waited out for as long as the window exists.
static void ReportPassDone(HWND window, int reachedMode)
{
    while (!PostMessageProc(window, WM_TOGGLE_DONE, static_cast<WPARAM>(reachedMode), 0)) {
        if (!IsWindow(window))
            return;
        Sleep(PostRetryMs);
    }
}

DWORD WINAPI ToggleWorker(LPVOID windowHandle)
{
    HWND window = static_cast<HWND>(windowHandle);
    int requestedMode = RequestedMode;
    if (requestedMode == 1)
        EnableFilteringMode();
    else
        DisableFilteringMode(SwitchedOffByUser);
    // The window shows what the system now is, not what was asked for: a pass may have changed nothing.
    ReportPassDone(window, DetectFilteringMode());
    return 0;
}

void StartToggle(HWND window, int requestedMode)
{
    RequestedMode = requestedMode;
    BusyFlag = 1;
    EnableToggleSwitch(window, FALSE);
    SetWaitCursor();
    ShowState(window);

    HANDLE worker = CreateThreadProc(nullptr, 0, ToggleWorker, window, 0, nullptr);
    if (worker) {
        CloseHandle(worker); // the worker runs on by itself; WM_TOGGLE_DONE tells when it is done
        return;
    }
    BusyFlag = 0;
    EnableToggleSwitch(window, TRUE);
    FocusToggleSwitch(window);
    SetCursor(LoadCursorW(nullptr, IDC_HAND)); // the wait cursor would stay until the mouse moves
    ShowState(window);
}

// Set while the user is away from the window. Coming back, they may have changed servers meanwhile, by
// hand or with another program, so the mode is told again; the first activation follows the detection
// of start-up.
static bool AwaySinceDetection;

static void TellModeAgain(HWND window)
{
    AwaySinceDetection = false;
    int mode = DetectFilteringMode();
    if (mode == CurrentMode)
        return;
    CurrentMode = mode;
    ShowState(window);
}

// Returns whether the switch was given the focus; otherwise the default procedure handles the message.
static bool OnActivate(HWND window, WPARAM wParam)
{
    if (LOWORD(wParam) == WA_INACTIVE) {
        AwaySinceDetection = true;
        return false;
    }
    if (AwaySinceDetection && !BusyFlag)
        TellModeAgain(window);
    if (HIWORD(wParam) != 0)
        return false; // minimised
    SetFocus(GetDlgItem(window, IDC_TOGGLE));
    return true;
}

static void OnCreate(HWND window, const CREATESTRUCTW* creation)
{
    RegularFont = CreateStatusFont(FW_NORMAL);
    BoldFont = CreateStatusFont(FW_BOLD);
    CreateToggleSwitch(window, creation->hInstance);
    AwaySinceDetection = false;
}

static void OnDestroy()
{
    if (RegularFont)
        DeleteObject(RegularFont);
    if (BoldFont)
        DeleteObject(BoldFont);
    if (BackgroundBrush)
        DeleteObject(BackgroundBrush);
    PostQuitMessage(0);
}

static void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC hdc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    PaintWindow(hdc, client);
    EndPaint(window, &paint);
}

// The saved servers come back before the window goes, with the waiting line painted before the
// restore begins; nothing else is processed until it is done.
static void RestoreAndClose(HWND window)
{
    BusyFlag = 1;
    SetWaitCursor();
    ShowState(window);
    UpdateWindow(window);
    DisableFilteringMode(WindowClosing);
    CurrentMode = 0;
    BusyFlag = 0;
    DestroyWindow(window);
}

// Closing undoes only what Nublaro did, which the record tells, whatever the window shows: a filter the
// user set by hand stays, and a filtered adapter unplugged since gets its servers back. Without a
// record there is nothing to undo, and one that cannot be read is kept for a later switch-off.
static void OnClose(HWND window)
{
    if (BusyFlag)
        return;
    if (LoadSavedSettings(nullptr, 0) == 0)
        RestoreAndClose(window);
    else
        DestroyWindow(window);
}

static void OnCommand(HWND window, WPARAM wParam)
{
    if (LOWORD(wParam) == IDC_TOGGLE && HIWORD(wParam) == BN_CLICKED && !BusyFlag)
        StartToggle(window, CurrentMode == 0 ? 1 : 0);
}

static void OnToggleDone(HWND window, WPARAM reachedMode)
{
    HWND toggle = GetDlgItem(window, IDC_TOGGLE);
    CurrentMode = static_cast<int>(reachedMode);
    BusyFlag = 0;
    if (toggle) {
        EnableWindow(toggle, TRUE);
        InvalidateRect(toggle, nullptr, TRUE);
    }
    FocusToggleSwitch(window);
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    ShowState(window);
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate(window, reinterpret_cast<const CREATESTRUCTW*>(lParam));
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_CLOSE:
        OnClose(window);
        return 0;
    case WM_ACTIVATE:
        if (!OnActivate(window, wParam))
            break;
        return 0;
    case WM_SETCURSOR:
        if (!BusyFlag)
            break;
        SetWaitCursor();
        return TRUE;
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID != IDC_TOGGLE)
            break;
        DrawToggleSwitch(*item);
        return TRUE;
    }
    case WM_COMMAND:
        OnCommand(window, wParam);
        return 0;
    case WM_TOGGLE_DONE:
        OnToggleDone(window, wParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
