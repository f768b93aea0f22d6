#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <random>
#include <string>

#include "dns/filtering_mode.h"
#include "support/fake_adapters.h"
#include "support/fake_dns_settings.h"
#include "support/files.h"
#include "support/generated_files.h"
#include "support/netsh_log.h"
#include "support/registry.h"
#include "support/test_machine.h"

static const char* const A = TestAdapterName(0xF00A);
static const char* const B = TestAdapterName(0xF00B);
static const char* const C = TestAdapterName(0xF00C);
static const char* const D = TestAdapterName(0xF00D);

// The saved-settings file as the writer makes it, from its rows.
static std::string Record(const std::string& rows)
{
    return "\xEF\xBB\xBF#v2\r\n" + rows;
}

static std::string Row(const char* name, const char* ipv4, const char* ipv6)
{
    return std::string(name) + "|" + ipv4 + "|" + ipv6 + "\r\n";
}

class FilteringModeTest : public TestMachineTest {
protected:
    void SetUpMachine() override
    {
        // A: both families, static; B: IPv4 only, automatic; C: IPv6 only; D: both, down.
        adapters[0] = {A, 31, 131, IfOperStatusUp, Ethernet};
        adapters[1] = {B, 32, 0, IfOperStatusUp, Ethernet};
        adapters[2] = {C, 0, 133, IfOperStatusUp, Ethernet};
        adapters[3] = {D, 34, 134, IfOperStatusDown, Ethernet};
        PresentNewAdapters(adapters, 4);
        SetNameServer(Ipv4Family, A, L"192.168.1.53 192.168.1.54");
        SetNameServer(Ipv6Family, A, L"fd00::53");
        SetNameServer(Ipv6Family, C, L"fd00::c");
        SetNameServer(Ipv4Family, D, L"10.4.4.4");
        UseFakeDnsSettings(AppliesToRegistry);
    }
    void ExpectSeededServers()
    {
        EXPECT_EQ(Servers(Ipv4Family, A), L"192.168.1.53,192.168.1.54");
        EXPECT_EQ(Servers(Ipv6Family, A), L"fd00::53");
        EXPECT_EQ(Servers(Ipv4Family, B), L"");
        EXPECT_EQ(StoredNameServer(Ipv6Family, B), L"<missing>") << "a family without an index is never touched";
        EXPECT_EQ(StoredNameServer(Ipv4Family, C), L"<missing>");
        EXPECT_EQ(Servers(Ipv6Family, C), L"fd00::c");
        EXPECT_EQ(Servers(Ipv4Family, D), L"10.4.4.4");
        EXPECT_EQ(StoredNameServer(Ipv6Family, D), L"<missing>");
    }

    FakeAdapter adapters[4];
};

class WholePassTest : public FilteringModeTest, public testing::WithParamInterface<FakeDnsSettingsBehaviour> {};

TEST_P(WholePassTest, OnThenOffGivesEveryFamilyBackExactlyItsServers)
{
    UseFakeDnsSettings(GetParam());

    EnableFilteringMode();
    EXPECT_EQ(Servers(Ipv4Family, A), FilterServerListIpv4);
    EXPECT_EQ(Servers(Ipv6Family, A), FilterServerListIpv6);
    EXPECT_EQ(Servers(Ipv4Family, B), FilterServerListIpv4);
    EXPECT_EQ(Servers(Ipv6Family, C), FilterServerListIpv6);
    EXPECT_EQ(Servers(Ipv4Family, D), L"10.4.4.4") << "an adapter that is down is not switched";
    EXPECT_EQ(ReadBytes(savedPath),
              Record(Row(A, "192.168.1.53,192.168.1.54", "fd00::53") + Row(B, "", "") + Row(C, "", "fd00::c")));
    EXPECT_LE(NetshRuns(), 1);
    EXPECT_EQ(FlushCalls(), 1);

    DisableFilteringMode();
    ExpectSeededServers();
    EXPECT_FALSE(FileExists(savedPath));
    EXPECT_LE(NetshRuns(), 2);
    EXPECT_EQ(FlushCalls(), 2);
}

INSTANTIATE_TEST_SUITE_P(EveryWayTheSystemCallBehaves, WholePassTest,
                         testing::Values(AppliesToRegistry, Fails, ChangesNothing, NotOffered));

TEST_F(FilteringModeTest, SwitchingOnAgainKeepsARecordStillInUseByteForByte)
{
    EnableFilteringMode();
    std::string first = ReadBytes(savedPath);
    EnableFilteringMode();
    EXPECT_EQ(ReadBytes(savedPath), first);

    DisableFilteringMode();
    ExpectSeededServers();
}

// Left by a switch-off that ended before deleting it; A's IPv4 servers were set by hand since, its IPv6
// family is still filtered, and D is down.
TEST_F(FilteringModeTest, RefreshesARecordThatNoLongerHoldsTheServersFromBeforeFiltering)
{
    WriteBytes(savedPath, "#v2\r\n" + Row(A, "198.51.100.7", "fd00::7") + Row(D, "10.9.9.9", ""));
    SetNameServer(Ipv4Family, A, L"203.0.113.5");
    SetNameServer(Ipv6Family, A, FilterServerListIpv6);
    EnableFilteringMode();
    EXPECT_EQ(ReadBytes(savedPath), Record(Row(A, "203.0.113.5", "fd00::7") + Row(D, "10.9.9.9", "") +
                                           Row(B, "", "") + Row(C, "", "fd00::c")));
    DisableFilteringMode();
    EXPECT_EQ(Servers(Ipv4Family, A), L"203.0.113.5");
    EXPECT_EQ(Servers(Ipv6Family, A), L"fd00::7");
    EXPECT_EQ(Servers(Ipv4Family, B), L"");
}

TEST_F(FilteringModeTest, CountsAFamilyAsFilteredOnlyWhileItIsBound)
{
    EnableFilteringMode();
    adapters[0].Ipv6IfIndex = 0; // IPv6 unbound; its NameServer value still names the filter
    DisableFilteringMode();
    EXPECT_EQ(Servers(Ipv6Family, A), FilterServerListIpv6);
    EXPECT_EQ(DetectFilteringMode(), 0);
    EXPECT_FALSE(FileExists(savedPath));

    EnableFilteringMode();
    EXPECT_EQ(DetectFilteringMode(), 1);
    DisableFilteringMode();
    EXPECT_EQ(Servers(Ipv4Family, A), L"192.168.1.53,192.168.1.54");
    EXPECT_EQ(DetectFilteringMode(), 0);
}

TEST_F(FilteringModeTest, RestoresTheOneAdapterThatIsUpBehind33ThatAreDown)
{
    FakeAdapter many[MaxAdapters + 2];
    for (int i = 0; i <= MaxAdapters; ++i)
        many[i] = TestAdapter(0xF200 + i, IfOperStatusDown);
    PresentNewAdapters(many, MaxAdapters + 1);
    many[MaxAdapters + 1] = adapters[0];
    PresentFakeAdapters(many, MaxAdapters + 2);
    EnableFilteringMode();
    DisableFilteringMode();
    EXPECT_EQ(Servers(Ipv4Family, A), L"192.168.1.53,192.168.1.54");
    EXPECT_EQ(Servers(Ipv6Family, A), L"fd00::53");
    EXPECT_FALSE(FileExists(savedPath));

    for (FakeAdapter& adapter : many)
        adapter.OperStatus = IfOperStatusUp;
    SetNameServer(Ipv4Family, A, FilterServerListIpv4);
    WriteBytes(savedPath, "#v2\r\n" + Row(A, "10.1.1.1", ""));
    DisableFilteringMode();
    EXPECT_TRUE(FileExists(savedPath)) << "34 adapters are up: A, the last, was never seen";
}

TEST_F(FilteringModeTest, ChangesNothingWhileTheRecordCannotBeRead)
{
    EnableFilteringMode();
    std::string record = ReadBytes(savedPath);
    HANDLE held = CreateFileW(savedPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    DisableFilteringMode();
    EXPECT_EQ(Servers(Ipv4Family, A), FilterServerListIpv4) << "not automatic servers in place of the saved";
    EXPECT_EQ(DetectFilteringMode(), 1);
    CloseHandle(held);
    EXPECT_EQ(ReadBytes(savedPath), record);

    DisableFilteringMode();
    ExpectSeededServers();
}

TEST_F(FilteringModeTest, SwitchingOnWithoutAnOperationalAdapterTouchesNothing)
{
    adapters[0].OperStatus = adapters[1].OperStatus = adapters[2].OperStatus = IfOperStatusDown;
    EnableFilteringMode();
    ExpectSeededServers();
    EXPECT_FALSE(FileExists(savedPath));
    EXPECT_TRUE(FakeDnsSettingsCalls.empty());
    EXPECT_EQ(NetshRuns(), 0);
    EXPECT_EQ(FlushCalls(), 1);
}

TEST_F(FilteringModeTest, SavesAFilteredListAsAutomatic)
{
    SetNameServer(Ipv4Family, A, L"94.140.15.15");
    EnableFilteringMode();
    EXPECT_EQ(ReadBytes(savedPath), Record(Row(A, "", "fd00::53") + Row(B, "", "") + Row(C, "", "fd00::c")));
}

TEST_F(FilteringModeTest, SwitchingOffWithoutARecordGivesFilteredFamiliesAutomaticServers)
{
    SetNameServer(Ipv4Family, A, FilterServerListIpv4);
    SetNameServer(Ipv6Family, A, L"fd00::1,2a10:50c0::ad2:ff");
    SetNameServer(Ipv4Family, B, L"8.8.8.8");
    DisableFilteringMode();
    EXPECT_EQ(Servers(Ipv4Family, A), L"");
    EXPECT_EQ(Servers(Ipv6Family, A), L"");
    EXPECT_EQ(Servers(Ipv4Family, B), L"8.8.8.8");
    EXPECT_EQ(Servers(Ipv6Family, C), L"fd00::c");
}

TEST_F(FilteringModeTest, LeavesAFamilyTheUserChangedSince)
{
    EnableFilteringMode();
    SetNameServer(Ipv4Family, A, L"9.9.9.9");
    DisableFilteringMode();
    EXPECT_EQ(Servers(Ipv4Family, A), L"9.9.9.9");
    EXPECT_EQ(Servers(Ipv6Family, A), L"fd00::53");
    EXPECT_FALSE(FileExists(savedPath));
}

TEST_F(FilteringModeTest, RestoresAnAdapterThatWentDownMeanwhile)
{
    adapters[3].OperStatus = IfOperStatusUp;
    EnableFilteringMode();
    EXPECT_EQ(Servers(Ipv4Family, D), FilterServerListIpv4);
    adapters[3].OperStatus = IfOperStatusDown;
    DisableFilteringMode();
    EXPECT_EQ(Servers(Ipv4Family, D), L"10.4.4.4");
    EXPECT_EQ(Servers(Ipv6Family, D), L"");
}

TEST_F(FilteringModeTest, UsesTheFirstOfTwoRowsWhoseNamesDifferInCase)
{
    std::string lower = A;
    std::transform(lower.begin(), lower.end(), lower.begin(), tolower);
    WriteBytes(savedPath, "#v2\r\n" + Row(lower.c_str(), "10.1.1.1", "") + Row(A, "10.2.2.2", ""));
    SetNameServer(Ipv4Family, A, FilterServerListIpv4);
    DisableFilteringMode();
    EXPECT_EQ(Servers(Ipv4Family, A), L"10.1.1.1");
}

TEST_F(FilteringModeTest, SwitchesNothingOnWhenThePreviousServersCannotBeSaved)
{
    ASSERT_TRUE(CreateDirectoryW((savedPath + L".tmp").c_str(), nullptr));
    EnableFilteringMode();
    ExpectSeededServers();
    EXPECT_TRUE(FakeDnsSettingsCalls.empty());
    EXPECT_FALSE(FileExists(savedPath));
    EXPECT_EQ(FlushCalls(), 1);
}

TEST_F(FilteringModeTest, KeepsTheRecordUntilTheRestoreHasTakenEffect)
{
    EnableFilteringMode();
    std::string record = ReadBytes(savedPath);

    UseFakeDnsSettings(Fails);
    {
        ScopedPath noNetsh(NetshPath, L"C:\\windows\\system32\\no-netsh-here.exe");
        DisableFilteringMode();
        EXPECT_EQ(Servers(Ipv4Family, A), FilterServerListIpv4) << "neither way of changing worked";
        EXPECT_EQ(ReadBytes(savedPath), record);

        EnableFilteringMode();
        EXPECT_EQ(ReadBytes(savedPath), record) << "a switch-on keeps the record as it is";

        FakeQueryError = ERROR_NOT_ENOUGH_MEMORY;
        DisableFilteringMode();
        EXPECT_EQ(ReadBytes(savedPath), record) << "without an adapter list nothing was restored";
        FakeQueryError = ERROR_SUCCESS;
    }
    DisableFilteringMode();
    ExpectSeededServers();
    EXPECT_FALSE(FileExists(savedPath));
}

TEST_F(FilteringModeTest, StartsOneNetshPerPassHoweverManyAdaptersFallBack)
{
    FakeAdapter many[MaxAdapters];
    for (int i = 0; i < MaxAdapters; ++i)
        many[i] = TestAdapter(0xF100 + i);
    PresentNewAdapters(many, MaxAdapters);
    UseFakeDnsSettings(Fails);

    EnableFilteringMode();
    EXPECT_EQ(NetshRuns(), 1);
    EXPECT_EQ(NetshLinesRun().size(), static_cast<size_t>(4 * MaxAdapters));
    DisableFilteringMode();
    EXPECT_EQ(NetshRuns(), 2);
    EXPECT_FALSE(FileExists(savedPath));

    for (const FakeAdapter& adapter : many)
        EXPECT_EQ(Servers(Ipv4Family, adapter.Name), L"");
}

// The saved-settings file is the one input a program without administrator rights controls. Whatever
// it holds, switching off neither crashes nor hangs, and applies nothing but address literals.
class GeneratedSavedFileTest : public FilteringModeTest {
protected:
    void SetFilterOnEveryFamily()
    {
        SetNameServer(Ipv4Family, A, FilterServerListIpv4);
        SetNameServer(Ipv6Family, A, FilterServerListIpv6);
        SetNameServer(Ipv4Family, B, FilterServerListIpv4);
        SetNameServer(Ipv6Family, C, FilterServerListIpv6);
    }

    static void ExpectOnlyAddresses(const std::wstring& list)
    {
        size_t start = 0;
        while (start <= list.size() && !list.empty()) {
            size_t end = std::min(list.find(L',', start), list.size());
            EXPECT_TRUE(IsPlainAddress(list.substr(start, end - start))) << "applied: \"" << list << "\"";
            start = end + 1;
        }
    }

    const char* const names[3] = {A, B, C};
};

TEST_F(GeneratedSavedFileTest, SwitchingOffAppliesOnlyAddressLiterals)
{
    std::mt19937 random(7);
    const int files = 10000;
    int applied = 0, withServers = 0;
    for (int i = 0; i < files && !HasFailure(); ++i) {
        SCOPED_TRACE(i);
        SetFilterOnEveryFamily();
        WriteBytes(savedPath, GeneratedSavedSettingsFile(random, names, 3));
        FakeDnsSettingsCalls.clear();
        DisableFilteringMode();
        for (const FakeDnsSettingsCall& call : FakeDnsSettingsCalls) {
            ExpectOnlyAddresses(call.NameServer);
            withServers += !call.NameServer.empty();
        }
        applied += static_cast<int>(FakeDnsSettingsCalls.size());
    }
    EXPECT_EQ(NetshRuns(), 0) << "every change went through the system call";
    EXPECT_GT(withServers, files / 10) << "the generated rows reach the adapters";
    std::cout << "[ generated ] " << files << " saved-settings files, " << applied << " lists applied, "
              << withServers << " of them naming servers\n";
}

TEST_F(GeneratedSavedFileTest, SwitchingOffWritesOnlyAddressLiteralsIntoTheNetshScript)
{
    UseFakeDnsSettings(Fails);
    std::mt19937 random(8);
    const int files = 100;
    for (int i = 0; i < files && !HasFailure(); ++i) {
        SCOPED_TRACE(i);
        SetFilterOnEveryFamily();
        WriteBytes(savedPath, GeneratedSavedSettingsFile(random, names, 3));
        DisableFilteringMode();
    }
    for (const std::wstring& line : NetshLinesRun()) {
        size_t address = line.find(L" address=");
        if (address == std::wstring::npos)
            continue;
        size_t end = line.find(L' ', address + 9);
        EXPECT_TRUE(IsPlainAddress(line.substr(address + 9, end - address - 9))) << line;
    }
    EXPECT_LE(NetshRuns(), files);
    std::cout << "[ generated ] " << files << " saved-settings files through netsh, " << NetshLinesRun().size()
              << " lines run\n";
}
