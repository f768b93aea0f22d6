#include <windows.h>

#include <sddl.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "app/single_instance.h"
#include "app/startup.h"
#include "app/window_state.h"
#include "support/scoped_override.h"
#include "support/window_under_test.h"

// Who holds the lock's name: nobody, a program without rights (its object has no owner of
// Administrators), or another copy, which goes on running or is just ending.
enum Holder { Nobody, Squatter, OtherCopy, EndingCopy };

static std::wstring UniqueLockName()
{
    static int made;
    return L"Global\\NublaroTest." + std::to_wstring(GetCurrentProcessId()) + L"." + std::to_wstring(++made);
}

// Holds a mutex of that name on a thread of its own, as another process would, until released or for
// holdMs.
static std::thread HoldLock(const std::wstring& name, Holder holder, HANDLE release, HANDLE made)
{
    return std::thread([=] {
        SECURITY_ATTRIBUTES attributes = {sizeof(attributes), nullptr, FALSE};
        if (holder != Squatter)
            ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:BAD:P(A;;GA;;;BA)", SDDL_REVISION_1,
                                                                 &attributes.lpSecurityDescriptor, nullptr);
        HANDLE lock = CreateMutexW(&attributes, TRUE, name.c_str());
        SetEvent(made);
        WaitForSingleObject(release, holder == EndingCopy ? 200 : INFINITE);
        ReleaseMutex(lock);
        CloseHandle(lock);
        LocalFree(attributes.lpSecurityDescriptor);
    });
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
        CurrentMode = BusyFlag = 0;
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
    ScopedOverride<ShellExecuteExFn*> shell{ShellExecuteExProc, CountingShellExecuteEx};
};

TEST_F(SingleInstanceTest, RunsOneCopyPerMachineThatNoProgramWithoutRightsCanBlock)
{
    const struct {
        Holder Holds;
        bool WindowHere; // a window of Nublaro's class in an elevated process, on this desktop
        InstanceVerdict Verdict;
    } rows[] = {
        {Nobody, true, RunThisCopy},
        {Squatter, true, RunThisCopy},
        {OtherCopy, true, OtherCopyCameForward},
        {OtherCopy, false, OtherCopyInAnotherSession},
        {EndingCopy, false, RunThisCopy},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.Holds << " " << row.WindowHere);
        std::wstring name = UniqueLockName();
        HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE made = CreateEventW(nullptr, TRUE, row.Holds == Nobody, nullptr);
        std::thread holder;
        if (row.Holds != Nobody)
            holder = HoldLock(name, row.Holds, release, made);
        WaitForSingleObject(made, INFINITE);
        ShowWindow(window, SW_MINIMIZE);
        OpenProcessTokenProc = row.WindowHere ? OpenProcessToken : NoTokenElevated;

        EXPECT_EQ(SettleSingleInstance(name.c_str(), 1000), row.Verdict);
        EXPECT_EQ(CameForward(), row.Verdict == OtherCopyCameForward);
        SetEvent(release);
        if (holder.joinable())
            holder.join();
        CloseHandle(release);
        CloseHandle(made);
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
