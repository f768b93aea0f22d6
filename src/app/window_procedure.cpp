// The main window's procedure, and the switching pass it runs on a worker thread.
#include "app/window_procedure.h"

#include "app/painting.h"
#include "app/single_instance.h"
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
static void ReportPassDone(HWND window, int reachedMode, PassProblem problem)
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
    PassProblem problem = RequestedMode == 1 ? EnableFilteringMode() : DisableFilteringMode(SwitchedOffByUser);
    // The window shows what the system now is, not what was asked for: a pass may have changed nothing.
    ReportPassDone(window, DetectFilteringMode(), problem);
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

// A second start of Nublaro asks this window to come forward; it may run without administrator rights,
// and Windows drops messages from a process of lower integrity unless the window admits them.
static UINT ComeForwardMessage;

static void ComeForward(HWND window)
{
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
}

static void OnCreate(HWND window, const CREATESTRUCTW* creation)
{
    ComeForwardMessage = RegisterWindowMessageW(ComeForwardMessageName);
    ChangeWindowMessageFilterEx(window, ComeForwardMessage, MSGFLT_ALLOW, nullptr);
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
    DisableFilteringMode(WindowClosing); // the window is going: nothing is told
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

// One sentence for each reason a pass fell short, so that a user whose click changed nothing learns why.
static const wchar_t* ProblemText(LPARAM problem)
{
    switch (problem) {
    case SavedSettingsNotWritten:
        return L"No se pudieron guardar sus servidores DNS en nublaro.txt, así que no se ha cambiado nada.";
    case SavedSettingsNotRead:
        return L"No se pudo leer nublaro.txt, quizá porque otro programa lo tiene abierto, así que no se ha "
               L"cambiado nada.";
    case DnsSetByPolicy:
        return L"Una directiva de este equipo fija sus servidores DNS, así que el filtro no tendría efecto.";
    case EncryptedDnsRequired:
        return L"Una directiva de este equipo exige DNS cifrado, y con el filtro no se resolvería ningún nombre.";
    case NoAdapterConnected:
        return L"No hay ningún adaptador de red conectado.";
    case ServersNotRead:
        return L"No se pudieron leer los servidores DNS de un adaptador, así que se ha dejado como estaba.";
    case FilterNotApplied:
        return L"No se pudieron cambiar los servidores DNS de todos los adaptadores.";
    case ServersNotGivenBack:
        return L"No se pudieron devolver todos sus servidores DNS; se volverá a intentar al desactivar de nuevo.";
    }
    return nullptr;
}

// The window shows the new state before anything else happens, and only then tells why the pass fell short.
static void OnToggleDone(HWND window, WPARAM reachedMode, LPARAM problem)
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
    const wchar_t* text = ProblemText(problem);
    if (text) {
        UpdateWindow(window);
        MessageBoxW(window, text, L"Nublaro", MB_OK | MB_ICONWARNING);
    }
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == ComeForwardMessage && message != 0) {
        ComeForward(window);
        return 0;
    }
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
        OnToggleDone(window, wParam, lParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
