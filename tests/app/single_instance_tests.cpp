#include <windows.h>

#include <sddl.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "app/elevation.h"
#include "app/single_instance.h"
#include "app/startup.h"
#include "app/switching_pass.h"
#include "app/window_state.h"
#include "settings/saved_settings.h"
#include "support/files.h"
#include "support/scoped_override.h"
#include "support/window_under_test.h"

// Who holds the lock's name: nobody, a program without rights (its object has no owner of
// Administrators), or another copy.
enum Holder { Nobody, Squatter, OtherCopy };

static std::wstring UniqueLockName()
{
    static int made;
    return L"Global\\NublaroTest." + std::to_wstring(GetCurrentProcessId()) + L"." + std::to_wstring(++made);
}

// Takes the name as another process would, on a thread that holds it for heldMs.
static std::thread TakeName(const std::wstring& name, Holder holder, DWORD heldMs)
{
    HANDLE taken = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::thread thread([=] {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (holder == OtherCopy)
            ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:BAD:P(A;;GA;;;BA)", SDDL_REVISION_1,
                                                                 &descriptor, nullptr);
        SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor, FALSE};
        HANDLE lock = CreateMutexW(&attributes, TRUE, name.c_str());
        SetEvent(taken);
        Sleep(heldMs);
        CloseHandle(lock); // the thread ends, and the lock with it
        LocalFree(descriptor);
    });
    WaitForSingleObject(taken, INFINITE);
    CloseHandle(taken);
    return thread;
}

static BOOL WINAPI OwnTokenNotElevated(HANDLE process, DWORD access, PHANDLE token)
{
    if (process == GetCurrentProcess())
        return FALSE;
    return OpenProcessToken(process, access, token);
}
static BOOL WINAPI NoTokenElevated(HANDLE, DWORD, PHANDLE)
{
    return FALSE;
}

static int ShellCalls;
static BOOL WINAPI CountingShellExecuteEx(SHELLEXECUTEINFOW*)
{
    ++ShellCalls;
    return TRUE;
}

class SingleInstanceTest : public testing::Test {
protected:
    void SetUp() override
    {
        CurrentMode = FilteringOff;
        BusyFlag = 0;
        window = CreateMainWindowAfresh();
        if (!window)
            GTEST_SKIP() << "no window can be made here (no display)";
        ShowWindow(window, SW_MINIMIZE);
        ShellCalls = 0;
    }
    void TearDown() override
    {
        if (window)
            DestroyWindow(window);
        DrainMessages();
    }
    bool CameForward()
    {
        DrainMessages();
        return !IsIconic(window);
    }

    HWND window = nullptr;
    ScopedOverride<decltype(&OpenProcessToken)> tokens{OpenProcessTokenProc};
    ScopedOverride<decltype(&ShellExecuteExW)> shell{ShellExecuteExProc, CountingShellExecuteEx};
};

TEST_F(SingleInstanceTest, RunsOneCopyPerMachineThatNoProgramWithoutRightsCanBlock)
{
    const struct {
        Holder Holds;
        DWORD HeldMs;
        bool WindowHere; // a window of Nublaro's class in an elevated process, on this desktop
        InstanceVerdict Verdict;
    } rows[] = {
        {Nobody, 0, true, RunThisCopy},
        {Squatter, 1000, true, RunThisCopy},
        {OtherCopy, 1000, true, OtherCopyCameForward},
        {OtherCopy, 1000, false, OtherCopyInAnotherSession},
        {OtherCopy, 100, false, RunThisCopy}, // a copy that is ending
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.Holds << " " << row.HeldMs << " " << row.WindowHere);
        std::wstring name = UniqueLockName();
        std::thread holder = row.Holds != Nobody ? TakeName(name, row.Holds, row.HeldMs) : std::thread();
        ShowWindow(window, SW_MINIMIZE);
        OpenProcessTokenProc = row.WindowHere ? OpenProcessToken : NoTokenElevated;

        EXPECT_EQ(SettleSingleInstance(name.c_str(), 500), row.Verdict);
        EXPECT_EQ(CameForward(), row.Verdict == OtherCopyCameForward);
        if (holder.joinable())
            holder.join();
    }
}

TEST_F(SingleInstanceTest, ACopyWithoutRightsHandsOffToAnElevatedWindowWithoutAPrompt)
{
    OpenProcessTokenProc = OwnTokenNotElevated;
    StartWithoutRights(L"");
    EXPECT_TRUE(CameForward());
    EXPECT_EQ(ShellCalls, 0);

    ShowWindow(window, SW_MINIMIZE);
    OpenProcessTokenProc = NoTokenElevated; // the window is any program's
    StartWithoutRights(L"");
    EXPECT_FALSE(CameForward());
    EXPECT_EQ(ShellCalls, 1);
}

// A pass that never reports: the window stays in it.
static HANDLE WINAPI IdleWorker(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD)
{
    return CreateThread(nullptr, 0, [](LPVOID) -> DWORD { return 0; }, nullptr, 0, nullptr);
}

// While the window gives servers back before it goes, a new copy neither hands off to it nor gives up:
// it waits for the lock, and runs.
TEST_F(SingleInstanceTest, ANewCopyWaitsForAClosingCopyToGoAndThenRuns)
{
    std::wstring folder = CreateTestFolder();
    ScopedPath savedPath(StateFilePath, folder + L"\\nublaro.txt");
    WriteBytes(StateFilePath, "#v2\r\n");
    {
        ScopedOverride<decltype(&CreateThread)> threads(CreateThreadProc, IdleWorker);
        SendMessageW(window, WM_CLOSE, 0, 0);
    }
    ASSERT_TRUE(IsWindow(window));
    std::wstring name = UniqueLockName();
    std::thread holder = TakeName(name, OtherCopy, 1000);
    EXPECT_EQ(SettleSingleInstance(name.c_str(), 300), RunThisCopy);
    holder.join();
    OpenProcessTokenProc = OwnTokenNotElevated;
    StartWithoutRights(L"");
    EXPECT_EQ(ShellCalls, 1) << "a copy with rights is started, to wait in turn";
    EXPECT_FALSE(CameForward());

    SendMessageW(window, WM_TOGGLE_DONE, FilteringOff, 0);
    EXPECT_FALSE(IsWindow(window));
    RemoveTestFolder(folder);
}
