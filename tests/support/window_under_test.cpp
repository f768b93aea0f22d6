// Nublaro's main window in a test program: made afresh, with the main thread's side of its messages.
#include "support/window_under_test.h"

#include <atomic>
#include <mutex>
#include <thread>

#include "app/main_window.h"
#include "app/painting.h"
#include "app/window_state.h"

HWND CreateMainWindowAfresh()
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    static ATOM registered = RegisterMainWindowClass(instance);
    return registered ? CreateMainWindow(instance) : nullptr;
}

PrintedClient PrintClient(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    PrintedClient printed = {client.right, client.bottom, {}};
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(info.bmiHeader), printed.Width, -printed.Height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    DWORD* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    GdiFlush();
    for (int i = 0; i < printed.Width * printed.Height; ++i)
        printed.Pixels.push_back(RGB((bits[i] >> 16) & 0xFF, (bits[i] >> 8) & 0xFF, bits[i] & 0xFF));
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return printed;
}

int DrainMessages()
{
    int quit = -1;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            quit = static_cast<int>(message.wParam);
        DispatchMessageW(&message);
    }
    return quit;
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs)
{
    DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < static_cast<DWORD>(timeoutMs)) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        DrainMessages();
    }
    return done();
}

bool PumpUntilIdle(int timeoutMs)
{
    return PumpUntil([] { return BusyFlag == 0; }, timeoutMs);
}

static std::thread Watcher;
static std::atomic<bool> Watching;
static std::mutex AnsweredLock;
static std::vector<AnsweredMessageBox> Answered;

static std::wstring TextOf(HWND window)
{
    wchar_t text[512] = L"";
    GetWindowTextW(window, text, ARRAYSIZE(text));
    return text;
}

// A message box is a top-level window of the dialog class that its owner's window owns.
static HWND FindOwnedBox(HWND owner)
{
    for (HWND box = nullptr; (box = FindWindowExW(nullptr, box, L"#32770", nullptr));) {
        if (GetWindow(box, GW_OWNER) == owner && IsWindowVisible(box))
            return box;
    }
    return nullptr;
}

static void AnswerBoxes(HWND owner)
{
    while (Watching) {
        HWND box = FindOwnedBox(owner);
        if (box) {
            {
                std::lock_guard<std::mutex> hold(AnsweredLock);
                // The box's text is the static control 0xFFFF, in Windows as in Wine.
                Answered.push_back({TextOf(GetDlgItem(box, 0xFFFF)), TextOf(GetDlgItem(owner, IDC_TOGGLE))});
            }
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            while (Watching && IsWindow(box))
                Sleep(5);
        }
        Sleep(5);
    }
}

void StartAnsweringMessageBoxes(HWND owner)
{
    Answered.clear();
    Watching = true;
    Watcher = std::thread(AnswerBoxes, owner);
}

std::vector<AnsweredMessageBox> StopAnsweringMessageBoxes()
{
    Watching = false;
    if (Watcher.joinable())
        Watcher.join();
    std::lock_guard<std::mutex> hold(AnsweredLock);
    return std::move(Answered);
}
