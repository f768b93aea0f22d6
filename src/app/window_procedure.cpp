// The main window's procedure, and the switching pass it runs on a worker thread.
#include "app/window_procedure.h"

#include <windows.h>

#include <commctrl.h>

#include "app/main_window.h"
#include "app/painting.h"
#include "app/single_instance.h"
#include "app/window_state.h"
#include "dns/adapter_inventory.h"
#include "dns/filtering_mode.h"
#include "settings/saved_settings.h"

decltype(&CreateThread) CreateThreadProc = CreateThread;
decltype(&PostMessageW) PostMessageProc = PostMessageW;

static const DWORD PostRetryMs = 50;

static void SetWaitCursor()
{
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

// The switch's name and check say what the window shows, for assistive technology, before it is
// painted again.
static void ShowState(HWND window)
{
    HWND toggle = GetDlgItem(window, IDC_TOGGLE);
    SetWindowTextW(toggle, ToggleSwitchText());
    SendMessageW(toggle, BM_SETCHECK, CurrentMode == FilteringOn ? BST_CHECKED : BST_UNCHECKED, 0);
    InvalidateRect(toggle, nullptr, FALSE);
    InvalidateRect(window, nullptr, TRUE);
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

// A second start of Nublaro asks this window to come forward; it may run without administrator rights,
// and Windows drops messages from a process of lower integrity unless the window admits them.
static UINT ComeForwardMessage;

static void ComeForward(HWND window)
{
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
}

// Whether the switch shows a focus cue: as the window's UI state does for Windows' own controls, once a
// key was pressed in the window. Kept here, since a window without a dialog's keyboard handling gets
// no UI state changes of its own.
static bool KeyboardUsed;

static void DeleteFonts()
{
    if (RegularFont)
        DeleteObject(RegularFont);
    if (BoldFont)
        DeleteObject(BoldFont);
}

// The window's own icons, at the sizes of its DPI; they replace the class's, made for the system's DPI.
static HICON WindowIcons[2];

static void SetWindowIcons(HWND window, int dpi)
{
    const struct {
        WPARAM Kind;
        int Metric;
    } icons[] = {{ICON_BIG, SM_CXICON}, {ICON_SMALL, SM_CXSMICON}};
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
    for (int i = 0; i < 2; ++i) {
        HICON icon = LoadAppIcon(instance, icons[i].Metric, dpi);
        SendMessageW(window, WM_SETICON, icons[i].Kind, reinterpret_cast<LPARAM>(icon));
        if (WindowIcons[i])
            DestroyIcon(WindowIcons[i]);
        WindowIcons[i] = icon;
    }
}

static void TakeDpi(HWND window, int dpi)
{
    DeleteFonts();
    RegularFont = CreateStatusFont(FW_NORMAL, dpi);
    BoldFont = CreateStatusFont(FW_BOLD, dpi);
    SetWindowIcons(window, dpi);
}

static bool ReadHighContrast()
{
    HIGHCONTRASTW contrast = {};
    contrast.cbSize = sizeof(contrast);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

static void OnCreate(HWND window, const CREATESTRUCTW* creation)
{
    ComeForwardMessage = RegisterWindowMessageW(ComeForwardMessageName);
    ChangeWindowMessageFilterEx(window, ComeForwardMessage, MSGFLT_ALLOW, nullptr);
    int dpi = GetDpiForWindow(window);
    RegularFont = BoldFont = nullptr;
    TakeDpi(window, dpi);
    HighContrast = ReadHighContrast();
    CreateToggleSwitch(window, creation->hInstance, dpi);
    ShowState(window);
    // No focus cue until the keyboard is used in the window, as Windows does for its own controls,
    // unless the user asked Windows to show them always.
    BOOL alwaysShowCues = FALSE;
    SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &alwaysShowCues, 0);
    KeyboardUsed = alwaysShowCues != FALSE;
    AwaySinceDetection = false;
}

// The window moved to a monitor of another scale: Windows suggests the frame for the same client area.
static void OnDpiChanged(HWND window, int dpi, const RECT& suggested)
{
    TakeDpi(window, dpi);
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    PlaceToggleSwitch(GetDlgItem(window, IDC_TOGGLE), dpi);
    InvalidateRect(window, nullptr, TRUE);
}

static void OnSystemColoursChanged(HWND window)
{
    HighContrast = ReadHighContrast();
    ShowState(window);
}

// The switch is drawn whole here, in place of the system's check box.
static LRESULT OnCustomDraw(HWND window, const NMCUSTOMDRAW& draw)
{
    if (draw.dwDrawStage != CDDS_PREPAINT)
        return CDRF_DODEFAULT;
    HWND toggle = draw.hdr.hwndFrom;
    bool pressed = (SendMessageW(toggle, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    bool focusCue = GetFocus() == toggle && KeyboardUsed;
    DrawToggleSwitch(draw.hdc, draw.rc, pressed, focusCue, GetDpiForWindow(window));
    return CDRF_SKIPDEFAULT;
}

void ShowKeyboardCues(HWND target)
{
    HWND window = GetAncestor(target, GA_ROOT);
    if (KeyboardUsed || !window)
        return;
    KeyboardUsed = true;
    InvalidateRect(GetDlgItem(window, IDC_TOGGLE), nullptr, FALSE);
}

static void OnDestroy()
{
    DeleteFonts();
    for (HICON& icon : WindowIcons) {
        if (icon)
            DestroyIcon(icon);
        icon = nullptr;
    }
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
    PaintWindow(hdc, client, GetDpiForWindow(window));
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
    CurrentMode = FilteringOff;
    BusyFlag = 0;
    DestroyWindow(window);
}

// Closing undoes only what Nublaro did, which the saved settings tell, whatever the window shows: a
// filter the user set by hand stays, and a filtered adapter unplugged since gets its servers back.
// Without saved settings there is nothing to undo, and a file that cannot be read is kept for a later
// switch-off.
static void OnClose(HWND window)
{
    if (BusyFlag)
        return;
    SavedSettings saved;
    LoadSavedSettings(&saved);
    if (saved.State == SavedSettingsRead)
        RestoreAndClose(window);
    else
        DestroyWindow(window);
}

static void OnCommand(HWND window, WPARAM wParam)
{
    if (LOWORD(wParam) == IDC_TOGGLE && HIWORD(wParam) == BN_CLICKED && !BusyFlag)
        StartToggle(window, CurrentMode == FilteringOff ? FilteringOn : FilteringOff);
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
    CurrentMode = static_cast<FilteringMode>(reachedMode);
    BusyFlag = 0;
    ShowState(window);
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
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
    case WM_MOUSEACTIVATE:
        return OnMouseActivate(window, wParam, lParam);
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom != IDC_TOGGLE || header->code != NM_CUSTOMDRAW)
            break;
        return OnCustomDraw(window, *reinterpret_cast<const NMCUSTOMDRAW*>(lParam));
    }
    case WM_DPICHANGED:
        OnDpiChanged(window, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(window, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, WindowBackground());
        return 1;
    }
    case WM_UPDATEUISTATE:
        if (LOWORD(wParam) == UIS_CLEAR && (HIWORD(wParam) & UISF_HIDEFOCUS))
            ShowKeyboardCues(window);
        break;
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
        OnSystemColoursChanged(window);
        break;
    case WM_COMMAND:
        OnCommand(window, wParam);
        return 0;
    case WM_TOGGLE_DONE:
        OnToggleDone(window, wParam, lParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
