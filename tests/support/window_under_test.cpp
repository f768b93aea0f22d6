// Nublaro's main window in a test program: made afresh, with the main thread's side of its messages.
#include "support/window_under_test.h"

#include <atomic>
#include <mutex>
#include <thread>

#include "app/main_window.h"
#include "app/painting.h"
#include "app/window_state.h"
#include "support/palette.h"

HWND CreateMainWindowAfresh()
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    UnregisterClassW(L"NublaroWnd", instance);
    BackgroundBrush = CreateSolidBrush(BackgroundColour);
    RegisterMainWindowClass(instance, nullptr, nullptr);
    return CreateMainWindow(instance);
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

bool PumpUntilIdle(int timeoutMs)
{
    DWORD start = GetTickCount();
    while (BusyFlag && GetTickCount() - start < static_cast<DWORD>(timeoutMs)) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        DrainMessages();
    }
    return BusyFlag == 0;
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

struct BoxSearch {
    HWND Owner;
    HWND Found;
};

static BOOL CALLBACK FindOwnedBox(HWND candidate, LPARAM parameter)
{
    BoxSearch* search = reinterpret_cast<BoxSearch*>(parameter);
    wchar_t className[16] = L"";
    GetClassNameW(candidate, className, ARRAYSIZE(className));
    if (wcscmp(className, L"#32770") != 0 || GetWindow(candidate, GW_OWNER) != search->Owner ||
        !IsWindowVisible(candidate))
        return TRUE;
    search->Found = candidate;
    return FALSE;
}

static void AnswerBoxes(HWND owner, DWORD ownerThread)
{
    while (Watching) {
        BoxSearch search = {owner, nullptr};
        EnumThreadWindows(ownerThread, FindOwnedBox, reinterpret_cast<LPARAM>(&search));
        if (search.Found) {
            {
                std::lock_guard<std::mutex> hold(AnsweredLock);
                // The box's text is the static control 0xFFFF, in Windows as in Wine.
                Answered.push_back({TextOf(GetDlgItem(search.Found, 0xFFFF)), TextOf(GetDlgItem(owner, IDC_TOGGLE))});
            }
            PostMessageW(search.Found, WM_COMMAND, IDOK, 0);
            while (Watching && IsWindow(search.Found))
                Sleep(5);
        }
        Sleep(5);
    }
}

void StartAnsweringMessageBoxes(HWND owner)
{
    Answered.clear();
    Watching = true;
    Watcher = std::thread(AnswerBoxes, owner, GetWindowThreadProcessId(owner, nullptr));
}

std::vector<AnsweredMessageBox> StopAnsweringMessageBoxes()
{
    Watching = false;
    if (Watcher.joinable())
        Watcher.join();
    std::lock_guard<std::mutex> hold(AnsweredLock);
    return std::move(Answered);
}
