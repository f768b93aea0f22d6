#include <gtest/gtest.h>

#include <string>

#include "dns/filtering_mode.h"
#include "settings/machine_copy.h"
#include "support/fake_adapters.h"
#include "support/fake_dns_settings.h"
#include "support/files.h"
#include "support/netsh_log.h"
#include "support/registry.h"
#include "support/test_machine.h"

static const char* const A = TestAdapterName(0xF00A);
static const char* const B = TestAdapterName(0xF00B);
static const char* const C = TestAdapterName(0xF00C);
static const char* const D = TestAdapterName(0xF00D);

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
        ExpectServers(A, L"192.168.1.53,192.168.1.54", L"fd00::53");
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
    ExpectServers(A, FilterServerListIpv4, FilterServerListIpv6);
    EXPECT_EQ(Servers(Ipv4Family, B), FilterServerListIpv4);
    EXPECT_EQ(Servers(Ipv6Family, C), FilterServerListIpv6);
    EXPECT_EQ(Servers(Ipv4Family, D), L"10.4.4.4") << "an adapter that is down is not switched";
    EXPECT_EQ(ReadBytes(savedPath), "\xEF\xBB\xBF#v2\r\n" + std::string(A) + "|192.168.1.53,192.168.1.54|fd00::53\r\n" +
                                        B + "||\r\n" + C + "||fd00::c\r\n");
    EXPECT_LE(NetshRuns(), 1);
    EXPECT_EQ(FlushCalls, 1);

    DisableFilteringMode(SwitchedOffByUser);
    ExpectSeededServers();
    EXPECT_FALSE(FileExists(savedPath));
    EXPECT_LE(NetshRuns(), 2);
    EXPECT_EQ(FlushCalls, 2);
}

INSTANTIATE_TEST_SUITE_P(EveryWayTheSystemCallBehaves, WholePassTest,
                         testing::Values(AppliesToRegistry, Fails, ChangesNothing, NotOffered));

TEST_F(FilteringModeTest, ChangesNothingWhileTheSavedSettingsCannotBeRead)
{
    EnableFilteringMode();
    std::string saved = ReadBytes(savedPath);
    HANDLE held = CreateFileW(savedPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    DisableFilteringMode(SwitchedOffByUser);
    EXPECT_EQ(Servers(Ipv4Family, A), FilterServerListIpv4) << "not automatic servers in place of the saved";
    EXPECT_EQ(DetectFilteringMode(), 1);
    CloseHandle(held);
    EXPECT_EQ(ReadBytes(savedPath), saved);

    DisableFilteringMode(SwitchedOffByUser);
    ExpectSeededServers();
}

// Where the DNS client takes encryption by server: the filter's servers get it, and each family gets back
// exactly its own, a template with characters the saved settings escape included, or none.
TEST_F(FilteringModeTest, EncryptsTheFilterAndGivesBackTheUsersOwnEncryptionExactly)
{
    UseFakeDohSettings(true);
    const std::wstring ipv4 = Wide(A) + L"/4", ipv6 = Wide(A) + L"/6";
    const std::wstring own = L"192.168.1.54 6 https://dns.example/q?a=1,2|3 %x";
    FakeDoh[ipv4] = own;
    EXPECT_EQ(EnableFilteringMode(), NoProblem);
    EXPECT_EQ(FakeDoh[ipv4], L"94.140.14.14 6 https://dns.adguard-dns.com/dns-query\n"
                             L"94.140.15.15 6 https://dns.adguard-dns.com/dns-query");
    EXPECT_EQ(FakeDoh[ipv6].substr(0, 20), L"2a10:50c0::ad1:ff 6 ");

    EXPECT_EQ(DisableFilteringMode(SwitchedOffByUser), NoProblem);
    ExpectSeededServers();
    EXPECT_EQ(FakeDoh[ipv4], own);
    EXPECT_EQ(FakeDoh[ipv6], L"");
    EXPECT_FALSE(FileExists(savedPath));
}

// As a newer download started from another folder finds it, or a copy after the first folder was deleted.
TEST_F(FilteringModeTest, GivesTheServersBackWithoutTheFileBesideTheExecutable)
{
    EnableFilteringMode();
    DeleteFileW(savedPath.c_str());
    DisableFilteringMode(SwitchedOffByUser);
    ExpectSeededServers();
    HKEY copy;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, MachineCopyKeyPath, 0, KEY_READ, &copy), ERROR_FILE_NOT_FOUND)
        << "the machine-wide copy goes with the saved settings";
}

TEST_F(FilteringModeTest, SwitchesNothingOnWhenThePreviousServersCannotBeSaved)
{
    ASSERT_TRUE(CreateDirectoryW((savedPath + L".tmp").c_str(), nullptr));
    EnableFilteringMode();
    ExpectSeededServers();
    EXPECT_TRUE(FakeDnsSettingsCalls.empty());
    EXPECT_FALSE(FileExists(savedPath));
    EXPECT_EQ(FlushCalls, 1);
}

TEST_F(FilteringModeTest, SwitchesNothingOnWhileAPolicyDecidesDns)
{
    const wchar_t key[] = L"SOFTWARE\\Policies\\Microsoft\\Windows NT\\DNSClient";
    const DWORD required = 3;
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, L"NameServer", REG_SZ, L"10.0.0.53", 20), ERROR_SUCCESS);
    EXPECT_EQ(EnableFilteringMode(), DnsSetByPolicy);
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key, L"NameServer");
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, L"DoHPolicy", REG_DWORD, &required, 4), ERROR_SUCCESS);
    EXPECT_EQ(EnableFilteringMode(), EncryptedDnsRequired);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, key);
    ExpectSeededServers();
    EXPECT_FALSE(FileExists(savedPath));
}

TEST_F(FilteringModeTest, KeepsTheSavedSettingsUntilEveryFamilyIsGivenBackAlsoToAnAdapterUnpluggedSince)
{
    adapters[3].OperStatus = IfOperStatusUp;
    EnableFilteringMode();
    std::string saved = ReadBytes(savedPath);

    UseFakeDnsSettings(Fails);
    {
        ScopedPath noNetsh(NetshPath, L"C:\\windows\\system32\\no-netsh-here.exe");
        DisableFilteringMode(SwitchedOffByUser);
        EXPECT_EQ(Servers(Ipv4Family, A), FilterServerListIpv4) << "neither way of changing worked";
        EXPECT_EQ(ReadBytes(savedPath), saved);
    }
    UseFakeDnsSettings(AppliesToRegistry);
    PresentFakeAdapters(adapters, 3);
    DisableFilteringMode(SwitchedOffByUser);
    EXPECT_EQ(Servers(Ipv4Family, A), L"192.168.1.53,192.168.1.54");
    EXPECT_EQ(StoredNameServer(Ipv4Family, D), L"10.4.4.4") << "D, unplugged, gets them in its keys for when it returns";
    EXPECT_EQ(StoredNameServer(Ipv6Family, D), L"") << "automatic, as it had";
    EXPECT_FALSE(FileExists(savedPath));
}

TEST_F(FilteringModeTest, CatchesUpWithAConnectionThatCameUpAndGivesItBackWithTheRest)
{
    EnableFilteringMode();
    adapters[3].OperStatus = IfOperStatusUp;
    EXPECT_EQ(CatchUpFilteringMode(), NoProblem);
    EXPECT_EQ(Servers(Ipv4Family, D), FilterServerListIpv4);
    EXPECT_EQ(CatchUpFilteringMode(), NoProblem);
    EXPECT_EQ(FlushCalls, 2) << "a catch-up that finds nothing new changes nothing";

    DisableFilteringMode(SwitchedOffByUser);
    ExpectServers(A, L"192.168.1.53,192.168.1.54", L"fd00::53");
    EXPECT_EQ(Servers(Ipv4Family, D), L"10.4.4.4");
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
    DisableFilteringMode(SwitchedOffByUser);
    EXPECT_EQ(NetshRuns(), 2);
    EXPECT_FALSE(FileExists(savedPath));

    for (const FakeAdapter& adapter : many)
        EXPECT_EQ(Servers(Ipv4Family, adapter.Name), L"");
}
