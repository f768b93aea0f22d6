// The main window's look, owned here alone: its fonts, background brush and icons, made when the window
// is created, made again when its DPI changes, freed when it goes; whether high contrast is on; and
// whether the keyboard has been used, which gives the switch its focus cue. The window's drawing goes
// through here with them.
#include "app/window_look.h"

#include "app/painting.h"
#include "app/texts.h"
#include "app/window_state.h"

static WindowLook Look;
// The window's own icons, at the sizes of its DPI; they replace the class's, made for the system's DPI.
static HICON WindowIcons[2];
// Whether the switch shows a focus cue: as the window's UI state does for Windows' own controls, once a
// key was pressed in the window. Kept here, since a window without a dialog's keyboard handling gets
// no UI state changes of its own.
static bool KeyboardUsed;

HICON LoadAppIcon(HINSTANCE instance, int metric, int dpi, UINT sharing)
{
    int size = GetSystemMetricsForDpi(metric, dpi);
    return static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_NUBLARO), IMAGE_ICON, size, size, LR_DEFAULTCOLOR | sharing));
}

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

static void DeleteFonts()
{
    if (Look.RegularFont)
        DeleteObject(Look.RegularFont);
    if (Look.BoldFont)
        DeleteObject(Look.BoldFont);
}

static void MakeFonts(int dpi)
{
    DeleteFonts();
    Look.Dpi = dpi;
    Look.RegularFont = CreateStatusFont(FW_NORMAL, dpi);
    Look.BoldFont = CreateStatusFont(FW_BOLD, dpi);
}

static bool ReadHighContrast()
{
    HIGHCONTRASTW contrast = {};
    contrast.cbSize = sizeof(contrast);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

void CreateWindowLook(HWND window)
{
    Look = {};
    Look.Background = CreateBackgroundBrush();
    Look.HighContrast = ReadHighContrast();
    int dpi = GetDpiForWindow(window);
    MakeFonts(dpi);
    // The class's icons are made for the system's DPI: a window on a monitor of another scale needs its own.
    if (dpi != static_cast<int>(GetDpiForSystem()))
        SetWindowIcons(window, dpi);
    // No focus cue until the keyboard is used in the window, as Windows does for its own controls,
    // unless the user asked Windows to show them always.
    BOOL alwaysShowCues = FALSE;
    SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &alwaysShowCues, 0);
    KeyboardUsed = alwaysShowCues != FALSE;
}

void FreeWindowLook()
{
    DeleteFonts();
    if (Look.Background)
        DeleteObject(Look.Background);
    Look = {};
    for (HICON& icon : WindowIcons) {
        if (icon)
            DestroyIcon(icon);
        icon = nullptr;
    }
}

// The window moved to a monitor of another scale: Windows suggests the frame for the same client area.
void TakeDpi(HWND window, int dpi, const RECT& suggested)
{
    MakeFonts(dpi);
    SetWindowIcons(window, dpi);
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    PlaceToggleSwitch(GetDlgItem(window, IDC_TOGGLE), dpi);
    InvalidateRect(window, nullptr, TRUE);
}

void TakeSystemColours(HWND window)
{
    Look.HighContrast = ReadHighContrast();
    ShowState(window);
}

void PaintMainWindow(HWND window, HDC dc)
{
    RECT client;
    GetClientRect(window, &client);
    PaintWindow(dc, client, Look);
}

void EraseBackground(HWND window, HDC dc)
{
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, BackgroundOf(Look));
}

LRESULT DrawSwitch(const NMCUSTOMDRAW& draw)
{
    if (draw.dwDrawStage != CDDS_PREPAINT)
        return CDRF_DODEFAULT;
    HWND toggle = draw.hdr.hwndFrom;
    bool pressed = (SendMessageW(toggle, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    bool focusCue = GetFocus() == toggle && KeyboardUsed;
    DrawToggleSwitch(draw.hdc, draw.rc, pressed, focusCue, Look);
    return CDRF_SKIPDEFAULT;
}

void ShowState(HWND window)
{
    HWND toggle = GetDlgItem(window, IDC_TOGGLE);
    wchar_t name[64];
    LoadText(BusyFlag ? IDS_WAITING : IDS_SWITCH_NAME, name, ARRAYSIZE(name));
    SetWindowTextW(toggle, name);
    SendMessageW(toggle, BM_SETCHECK, CurrentMode == FilteringOn ? BST_CHECKED : BST_UNCHECKED, 0);
    InvalidateRect(toggle, nullptr, FALSE);
    InvalidateRect(window, nullptr, TRUE);
}

void ShowKeyboardCues(HWND window, HWND target)
{
    // A key pressed in a message box is that box's: the switch is not there to show it.
    if (KeyboardUsed || !window || GetAncestor(target, GA_ROOT) != window)
        return;
    KeyboardUsed = true;
    InvalidateRect(GetDlgItem(window, IDC_TOGGLE), nullptr, FALSE);
}
