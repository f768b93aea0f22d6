#include <gtest/gtest.h>

#include <string>

#include "app/startup.h"
#include "dns/command_runner.h"
#include "dns/dns_applier.h"
#include "dns/netsh_script.h"
#include "settings/saved_settings.h"
#include "support/files.h"
#include "support/scoped_override.h"
#include "support/test_machine.h"

static SHELLEXECUTEINFOW SeenInfo;
static std::wstring SeenFile;
static std::wstring SeenParameters;
static bool ParametersWereNull;
static HANDLE ProcessToHandBack;
static BOOL ShellAnswer;

static std::wstring SeenMarker;
static int ShellCalls;

static BOOL WINAPI RecordingShellExecuteEx(SHELLEXECUTEINFOW* info)
{
    wchar_t marker[8] = L"<none>";
    GetEnvironmentVariableW(L"NUBLARO_RELAUNCHED", marker, ARRAYSIZE(marker));
    SeenMarker = marker;
    ++ShellCalls;
    SeenInfo = *info;
    SeenFile = info->lpFile ? info->lpFile : L"";
    ParametersWereNull = info->lpParameters == nullptr;
    SeenParameters = info->lpParameters ? info->lpParameters : L"";
    if (ShellAnswer)
        info->hProcess = ProcessToHandBack;
    return ShellAnswer;
}

class RelaunchElevatedTest : public testing::Test {
protected:
    void SetUp() override
    {
        ShellAnswer = TRUE;
        ProcessToHandBack = nullptr;
    }

    ScopedOverride<decltype(&ShellExecuteExW)> shell{ShellExecuteExProc, RecordingShellExecuteEx};
};

TEST_F(RelaunchElevatedTest, AsksTheShellToStartThisExecutableAsAdministrator)
{
    EXPECT_EQ(RelaunchElevated(L"x"), 1);
    EXPECT_EQ(SeenInfo.cbSize, sizeof(SHELLEXECUTEINFOW));
    EXPECT_EQ(SeenInfo.fMask, static_cast<ULONG>(SEE_MASK_NOCLOSEPROCESS));
    EXPECT_STREQ(SeenInfo.lpVerb, L"runas");
    EXPECT_EQ(SeenFile, ThisProgramPath());
    EXPECT_EQ(SeenInfo.nShow, SW_SHOWNORMAL);
    EXPECT_EQ(SeenInfo.hwnd, nullptr);
    EXPECT_EQ(SeenInfo.lpDirectory, nullptr);
}

TEST_F(RelaunchElevatedTest, ForwardsTheCommandLineUnchangedAndAnEmptyOneAsNone)
{
    const wchar_t* forwarded = L"  /x \"quoted arg\" \u00f1 trailing  ";
    RelaunchElevated(forwarded);
    EXPECT_FALSE(ParametersWereNull);
    EXPECT_EQ(SeenParameters, forwarded);

    RelaunchElevated(L"");
    EXPECT_TRUE(ParametersWereNull) << "an empty command line starts the copy with no parameters at all";

    RelaunchElevated(nullptr);
    EXPECT_TRUE(ParametersWereNull);
}

TEST_F(RelaunchElevatedTest, ClosesTheNewProcessHandleAndReportsWhatTheShellDid)
{
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &ProcessToHandBack,
                                0, FALSE, DUPLICATE_SAME_ACCESS));
    EXPECT_EQ(RelaunchElevated(L""), 1);
    DWORD flags;
    EXPECT_FALSE(GetHandleInformation(ProcessToHandBack, &flags)) << "nothing waits for the elevated copy";

    ShellAnswer = FALSE;
    EXPECT_EQ(RelaunchElevated(L""), 0) << "the shell refused or the user declined";
}

// With UAC turned off, the shell starts the copy with no more rights than this process: that copy
// warns and ends.
TEST_F(RelaunchElevatedTest, TellsTheCopyItWasRelaunchedSoThatItNeverRelaunchesAgain)
{
    RelaunchElevated(L"x");
    EXPECT_EQ(SeenMarker, L"1");
    EXPECT_EQ(GetEnvironmentVariableW(L"NUBLARO_RELAUNCHED", nullptr, 0), 0u) << "nor left for other programs";

    ScopedEnvironment relaunched(L"NUBLARO_RELAUNCHED", L"1");
    ShellCalls = 0;
    EXPECT_EQ(RelaunchElevated(L"x"), 0) << "the warning is shown instead";
    EXPECT_EQ(ShellCalls, 0);
}
