// The main window's procedure: each message to a short handler of its own.
#include "app/window_procedure.h"

#include "app/connection_watch.h"
#include "app/painting.h"
#include "app/switching_pass.h"
#include "app/window_look.h"
#include "app/window_state.h"

const wchar_t ComeForwardMessageName[] = L"Nublaro.ComeForward";

// Set while the user is away from the window. Coming back, they may have changed servers meanwhile, by
// hand or with another program, so the mode is told again; the first activation follows the detection
// of start-up.
static bool AwaySinceDetection;

// Returns whether the mode changed while the user was away; the window then shows the new one.
static bool ModeChangedWhileAway(HWND window)
{
    if (!AwaySinceDetection || BusyFlag)
        return false;
    AwaySinceDetection = false;
    FilteringMode mode = DetectFilteringMode();
    if (mode == CurrentMode)
        return false;
    CurrentMode = mode;
    ShowState(window);
    FollowMode(window);
    return true;
}

// A click that brings the window back must not switch a state the user has not seen: when it finds
// the mode changed, the window shows the new state and that click does nothing more.
static LRESULT OnMouseActivate(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (ModeChangedWhileAway(window))
        return MA_ACTIVATEANDEAT;
    return DefWindowProcW(window, WM_MOUSEACTIVATE, wParam, lParam);
}

// Returns whether the switch was given the focus; otherwise the default procedure handles the message.
static bool OnActivate(HWND window, WPARAM wParam)
{
    if (LOWORD(wParam) == WA_INACTIVE) {
        AwaySinceDetection = true;
        return false;
    }
    ModeChangedWhileAway(window);
    if (HIWORD(wParam) != 0)
        return false; // minimised
    SetFocus(GetDlgItem(window, IDC_TOGGLE));
    return true;
}

// A second start of Nublaro may run without administrator rights, and Windows drops messages from a
// process of lower integrity unless the window admits them.
static UINT ComeForwardMessage;

// A window that is giving servers back before it goes does not come forward: the new copy waits for it
// to go, and then runs.
static LRESULT ComeForward(HWND window)
{
    if (Closing())
        return ClosingAnswer;
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
    return CameForwardAnswer;
}

static void OnCreate(HWND window, const CREATESTRUCTW* creation)
{
    ComeForwardMessage = RegisterWindowMessageW(ComeForwardMessageName);
    ChangeWindowMessageFilterEx(window, ComeForwardMessage, MSGFLT_ALLOW, nullptr);
    CreateWindowLook(window);
    CreateToggleSwitch(window, creation->hInstance, GetDpiForWindow(window));
    ShowState(window);
    AwaySinceDetection = false;
    FollowMode(window);
}

static void OnDestroy(HWND window)
{
    StopWatchingConnections(window);
    FreeWindowLook();
    PostQuitMessage(0);
}

static void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    PaintMainWindow(window, dc);
    EndPaint(window, &paint);
}

static void OnCommand(HWND window, WPARAM wParam)
{
    if (LOWORD(wParam) == IDC_TOGGLE && HIWORD(wParam) == BN_CLICKED && !BusyFlag)
        StartToggle(window, CurrentMode == FilteringOff ? FilteringOn : FilteringOff);
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == ComeForwardMessage && message != 0)
        return ComeForward(window);
    switch (message) {
    case WM_CREATE:
        OnCreate(window, reinterpret_cast<const CREATESTRUCTW*>(lParam));
        return 0;
    case WM_DESTROY:
        OnDestroy(window);
        return 0;
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_PRINTCLIENT:
        if (lParam & PRF_ERASEBKGND)
            EraseBackground(window, reinterpret_cast<HDC>(wParam));
        PaintMainWindow(window, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_CLOSE:
        CloseMainWindow(window);
        return 0;
    case WM_ACTIVATE:
        if (!OnActivate(window, wParam))
            break;
        return 0;
    case WM_SETCURSOR:
        if (!BusyFlag)
            break;
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
    case WM_MOUSEACTIVATE:
        return OnMouseActivate(window, wParam, lParam);
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom != IDC_TOGGLE || header->code != NM_CUSTOMDRAW)
            break;
        return DrawSwitch(*reinterpret_cast<const NMCUSTOMDRAW*>(lParam));
    }
    case WM_DPICHANGED:
        TakeDpi(window, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_ERASEBKGND:
        EraseBackground(window, reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_UPDATEUISTATE:
        if (LOWORD(wParam) == UIS_CLEAR && (HIWORD(wParam) & UISF_HIDEFOCUS))
            ShowKeyboardCues(window, window);
        break;
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
        TakeSystemColours(window);
        break;
    case WM_COMMAND:
        OnCommand(window, wParam);
        return 0;
    case WM_TOGGLE_DONE:
        EndToggle(window, wParam, lParam);
        return 0;
    case WM_CONNECTIONS_CHANGED:
        OnConnectionsChanged(window);
        return 0;
    case WM_TIMER:
        if (wParam != CatchUpTimer)
            break;
        CatchUp(window);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
