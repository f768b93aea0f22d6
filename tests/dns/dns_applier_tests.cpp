#include <gtest/gtest.h>

#include <string>

#include "dns/dns_applier.h"
#include "support/fake_adapters.h"
#include "support/fake_dns_settings.h"
#include "support/registry.h"
#include "support/test_machine.h"

static const char* const FirstAdapter = TestAdapterName(0xE001);
static const char* const SecondAdapter = TestAdapterName(0xE002);
static const FakeAdapter Adapters[] = {
    {FirstAdapter, 21, 121, IfOperStatusUp, Ethernet},
    {SecondAdapter, 22, 122, IfOperStatusUp, Ethernet},
};

class ApplyDnsServersTest : public TestMachineTest {
protected:
    void SetUpMachine() override
    {
        PresentNewAdapters(Adapters, 2);
        for (const char* name : {FirstAdapter, SecondAdapter}) {
            SetNameServer(Ipv4Family, name, L"192.168.1.1");
            SetNameServer(Ipv6Family, name, L"fd00::53");
        }
        ASSERT_EQ(EnumerateAdapters(records, 2, OperationalAdapters), 2);
    }

    AdapterRecord records[2];
};

TEST_F(ApplyDnsServersTest, UsesTheSystemCallAloneWhenTheRegistryShowsTheList)
{
    UseFakeDnsSettings(AppliesToRegistry);
    EXPECT_TRUE(ApplyDnsServers(records[0], Ipv4Family, L"10.0.0.1,10.0.0.2"));

    ASSERT_EQ(FakeDnsSettingsCalls.size(), 1u);
    const FakeDnsSettingsCall& call = FakeDnsSettingsCalls[0];
    EXPECT_TRUE(IsEqualGUID(call.Interface, FakeInterfaceGuid(21)));
    EXPECT_EQ(call.Settings.Version, 1u);
    EXPECT_EQ(call.Settings.Flags, 0x2u);
    EXPECT_EQ(call.NameServer, L"10.0.0.1,10.0.0.2");
    EXPECT_EQ(call.Settings.Domain, nullptr);
    EXPECT_EQ(call.Settings.SearchList, nullptr);
    EXPECT_EQ(call.Settings.ProfileNameServer, nullptr);
    EXPECT_EQ(call.Settings.RegistrationEnabled + call.Settings.RegisterAdapterName + call.Settings.EnableLLMNR +
                  call.Settings.QueryAdapterName,
              0u);
    EXPECT_EQ(StoredNameServer(Ipv4Family, FirstAdapter), L"10.0.0.1,10.0.0.2");
}

TEST_F(ApplyDnsServersTest, SetsIpv6ThroughItsOwnFlag)
{
    UseFakeDnsSettings(AppliesToRegistry);
    EXPECT_TRUE(ApplyDnsServers(records[0], Ipv6Family, L"fd00::1"));
    ASSERT_EQ(FakeDnsSettingsCalls.size(), 1u);
    EXPECT_EQ(FakeDnsSettingsCalls[0].Settings.Flags, 0x3u);
    EXPECT_EQ(StoredNameServer(Ipv6Family, FirstAdapter), L"fd00::1");
    EXPECT_EQ(StoredNameServer(Ipv4Family, FirstAdapter), L"192.168.1.1");
}

TEST_F(ApplyDnsServersTest, ComparesTheReadBackAddressByAddress)
{
    UseFakeDnsSettings(AppliesInCanonicalForm);
    EXPECT_TRUE(ApplyDnsServers(records[0], Ipv6Family, L"2A10:50C0:0::AD1:FF,fd00:0:0::a"));
    EXPECT_EQ(StoredNameServer(Ipv6Family, FirstAdapter), L"2a10:50c0::ad1:ff,fd00::a");
}

TEST_F(ApplyDnsServersTest, ReportsEveryCallThatDidNotTakeEffect)
{
    for (FakeDnsSettingsBehaviour behaviour : {Fails, ChangesNothing, NotOffered}) {
        SCOPED_TRACE(behaviour);
        UseFakeDnsSettings(behaviour);
        EXPECT_FALSE(ApplyDnsServers(records[0], Ipv4Family, L"10.0.0.1,10.0.0.2"));
        EXPECT_EQ(StoredNameServer(Ipv4Family, FirstAdapter), L"192.168.1.1");
    }
}

TEST_F(ApplyDnsServersTest, ReturnsToAutomaticServersForTheEmptyList)
{
    UseFakeDnsSettings(AppliesToRegistry);
    EXPECT_TRUE(ApplyDnsServers(records[0], Ipv4Family, L"")) << "an empty value reads as automatic";
    ASSERT_EQ(FakeDnsSettingsCalls.size(), 1u);
    EXPECT_EQ(StoredNameServer(Ipv4Family, FirstAdapter), L"");
}

TEST_F(ApplyDnsServersTest, AppliesOnlyAddressLiterals)
{
    UseFakeDnsSettings(AppliesToRegistry);
    EXPECT_TRUE(ApplyDnsServers(records[0], Ipv4Family, L"10.0.0.1,evil=1,\"x\",10.0.0.2 validate=no"))
        << "the read-back is compared with what was applied";
    EXPECT_TRUE(ApplyDnsServers(records[1], Ipv4Family, L"netsh exec evil.txt,,"));
    ASSERT_EQ(FakeDnsSettingsCalls.size(), 2u);
    EXPECT_EQ(FakeDnsSettingsCalls[0].NameServer, L"10.0.0.1,10.0.0.2");
    EXPECT_EQ(StoredNameServer(Ipv4Family, SecondAdapter), L"") << "automatic servers, not the words";
}

// Where the DNS client takes encryption by server (Windows 11), each server of the list gets its settings by
// its position; where it refuses version 3 (Windows 10), the servers still go in plain.
TEST_F(ApplyDnsServersTest, GivesEachServerItsEncryptionWhereTheDnsClientTakesIt)
{
    UseFakeDnsSettings(AppliesToRegistry);
    UseFakeDohSettings(true);
    EXPECT_TRUE(ApplyDnsServers(records[0], Ipv6Family, FilterServerListIpv6, FilterDohList(Ipv6Family, DohOnly)));
    ASSERT_EQ(FakeDnsSettingsCalls.size(), 1u);
    EXPECT_EQ(FakeDnsSettingsCalls[0].Settings.Version, 3u);
    EXPECT_EQ(FakeDnsSettingsCalls[0].Settings.Flags, 0x1003u);
    EXPECT_EQ(FakeDnsSettingsCalls[0].Doh,
              L"0 2 https://dns.adguard-dns.com/dns-query,1 2 https://dns.adguard-dns.com/dns-query");

    UseFakeDnsSettings(AppliesToRegistry);
    EXPECT_TRUE(ApplyDnsServers(records[0], Ipv4Family, L"10.0.0.1", L""));
    ASSERT_EQ(FakeDnsSettingsCalls.size(), 2u);
    EXPECT_EQ(FakeDnsSettingsCalls[0].Settings.Version, 3u);
    EXPECT_EQ(FakeDnsSettingsCalls[1].Settings.Version, 1u);
    EXPECT_EQ(StoredNameServer(Ipv4Family, FirstAdapter), L"10.0.0.1");
}
