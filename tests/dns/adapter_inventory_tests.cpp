#include <gtest/gtest.h>

#include <ras.h>

#include <string>

#include "dns/adapter_inventory.h"
#include "dns/own_connections.h"
#include "support/fake_adapters.h"
#include "support/registry.h"
#include "support/test_machine.h"

static const IF_OPER_STATUS Up = IfOperStatusUp;
static const IF_OPER_STATUS Down = IfOperStatusDown;

#define ADAPTER(n) TestAdapterName(0xB0##n)
#define WIDE_ADAPTER(n) Wide(ADAPTER(n)).c_str()

class AdapterInventoryTest : public TestMachineTest {
protected:
    void SetUpMachine() override
    {
        for (int n : {0xB011, 0xB012, 0xB013, 0xB014})
            DeleteInterfaceKeys(TestAdapterName(n));
    }

    int Enumerate(AdapterFilter filter, int capacity = MaxAdapters, bool* listIsWhole = nullptr)
    {
        memset(records, 0xAB, sizeof(records));
        return EnumerateAdapters(records, capacity, filter, listIsWhole);
    }

    AdapterRecord records[MaxAdapters + 1];
};

TEST_F(AdapterInventoryTest, FillsRecordsInPlatformOrderWithBothFamiliesServers)
{
    const FakeAdapter adapters[] = {
        {ADAPTER(11), 11, 21, Up, Ethernet},
        {ADAPTER(12), 12, 0, Up, IF_TYPE_IEEE80211},
    };
    SetNameServer(Ipv4Family, ADAPTER(11), L"10.0.0.1 10.0.0.2");
    SetNameServer(Ipv6Family, ADAPTER(11), L"fd00::1");
    SetNameServer(Ipv6Family, ADAPTER(12), L"fd00::12");
    PresentFakeAdapters(adapters, 2);

    ASSERT_EQ(Enumerate(OperationalAdapters), 2);
    EXPECT_STREQ(records[0].Name, WIDE_ADAPTER(11));
    EXPECT_EQ(records[0].Ipv4InterfaceIndex, 11u);
    EXPECT_EQ(records[0].Ipv6InterfaceIndex, 21u);
    EXPECT_STREQ(records[0].Ipv4Servers, L"10.0.0.1,10.0.0.2");
    EXPECT_STREQ(records[0].Ipv6Servers, L"fd00::1");
    EXPECT_TRUE(IsEqualGUID(records[0].InterfaceGuid, FakeInterfaceGuid(11)));

    EXPECT_STREQ(records[1].Name, WIDE_ADAPTER(12));
    EXPECT_STREQ(records[1].Ipv4Servers, L"");
    EXPECT_STREQ(records[1].Ipv6Servers, L"fd00::12") << "both families are read even without an IPv6 index";
    EXPECT_EQ(records[1].Name[AdapterNameUnits - 1], L'\0') << "records are cleared before they are filled";
    EXPECT_EQ(records[1].Ipv4Servers[DnsServerListUnits - 1], L'\0');

    EXPECT_EQ(records[2].Ipv4InterfaceIndex, 0xABABABABu) << "records after the last are not touched";
}

TEST_F(AdapterInventoryTest, SkipsAdaptersThatCannotCarryDnsServers)
{
    const FakeAdapter adapters[] = {
        {ADAPTER(11), 1, 0, Up, IF_TYPE_SOFTWARE_LOOPBACK},
        {ADAPTER(12), 2, 0, Up, IF_TYPE_TUNNEL},
        {ADAPTER(15), 7, 0, Up, IF_TYPE_PROP_VIRTUAL}, // WireGuard and other VPN clients
        {ADAPTER(16), 8, 0, Up, IF_TYPE_PPP},          // a connection whose kind cannot be told
        {ADAPTER(13), 0, 0, Up, Ethernet},
        {nullptr, 4, 0, Up, Ethernet},
        {"{7E57B099-5E7E-4C15-9D00-00000000B099}-far-too-long-to-fit", 5, 0, Up, Ethernet},
        {ADAPTER(14), 6, 0, Up, Ethernet},
    };
    PresentFakeAdapters(adapters, 8);
    for (AdapterFilter filter : {AllAdapters, OperationalAdapters}) {
        SCOPED_TRACE(filter);
        ASSERT_EQ(Enumerate(filter), 1);
        EXPECT_STREQ(records[0].Name, WIDE_ADAPTER(14));
    }
}

// Facts: InTable, Hardware, EndPoint, Bluetooth, TakesOverIdleCard.
TEST(OwnConnectionTest, IsAPppConnectionOnlyForBroadbandAndDialUpAndElseWhatTheInterfaceIs)
{
    const struct {
        ConnectionFacts Facts;
        bool Own;
    } rows[] = {
        {{IF_TYPE_PPP, RASET_Vpn, true, false, false, false, false}, false},
        {{IF_TYPE_PPP, 0, false, false, false, false, false}, false},
        {{IF_TYPE_PPP, RASET_Direct, true, true, false, false, false}, false},
        {{IF_TYPE_PPP, RASET_Broadband, true, false, false, false, false}, true},
        {{IF_TYPE_PPP, RASET_Phone, false, false, false, false, false}, true},
        {{IF_TYPE_TUNNEL, RASET_Broadband, true, true, false, false, false}, false},
        {{IF_TYPE_PROP_VIRTUAL, 0, true, true, false, false, false}, false},
        {{IF_TYPE_SOFTWARE_LOOPBACK, 0, false, false, false, false, false}, false},
        {{Ethernet, 0, false, false, false, false, false}, true}, // the interface table could not tell
        {{IF_TYPE_IEEE80211, RASET_Vpn, true, true, false, false, false}, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.Facts.Type << " " << row.Facts.DialUpEntryType << " " << row.Facts.InTable);
        EXPECT_EQ(IsOwnConnection(row.Facts), row.Own);
    }
}

// A switch-on's view of the machine's adapters, each as the interface table describes it.
TEST_F(AdapterInventoryTest, TakesForTheMachinesOwnConnectionsOnlyNetworkCardsAndThoseThatReplaceOne)
{
    const struct {
        const char* What;
        FakeAdapter Adapter;
        bool Own;
    } rows[] = {
        {"a network card", {ADAPTER(21), 21, 0, Up, Ethernet, NetworkCard}, true},
        {"Wi-Fi", {ADAPTER(22), 22, 0, Up, IF_TYPE_IEEE80211, NetworkCard}, true},
        {"a phone tethered by USB (RNDIS, Apple Mobile Device Ethernet)", {ADAPTER(23), 23, 0, Up, Ethernet}, true},
        {"a virtual machine's own card (Hyper-V, VirtualBox, VMware, Parallels)", {ADAPTER(24), 24, 0, Up, Ethernet},
         true},
        {"a phone tethered over Bluetooth", {ADAPTER(25), 25, 0, Up, Ethernet, BluetoothAdapter}, true},
        {"a Hyper-V host's external switch", {ADAPTER(26), 26, 0, Up, Ethernet, VirtualAdapter, 1}, true},
        {"the card it took over, in the interface table only", {ADAPTER(27), 27, 0, Up, Ethernet, IdleCard, 1}, false},
        {"TAP-Windows, as OpenVPN's", {ADAPTER(28), 28, 0, Up, Ethernet, VirtualAdapter}, false},
        {"a full-tunnel corporate VPN (AnyConnect, GlobalProtect, FortiClient)",
         {ADAPTER(29), 29, 0, Up, Ethernet, VirtualAdapter}, false},
        {"the Default Switch or WSL's vEthernet", {ADAPTER(2A), 42, 0, Up, Ethernet, VirtualAdapter}, false},
        {"a host-only network", {ADAPTER(2B), 43, 0, Up, Ethernet, VirtualAdapter}, false},
        {"a virtual adapter with the address of a card that keeps its own IP interface",
         {ADAPTER(2C), 44, 0, Up, Ethernet, VirtualAdapter, 2}, false},
        {"that card", {ADAPTER(2D), 45, 0, Up, Ethernet, NetworkCard, 2}, true},
        {"a device that reaches no network itself", {ADAPTER(2E), 46, 0, Up, Ethernet, EndPointDevice}, false},
    };
    FakeAdapter adapters[ARRAYSIZE(rows)];
    for (size_t i = 0; i < ARRAYSIZE(rows); ++i)
        adapters[i] = rows[i].Adapter;
    PresentFakeAdapters(adapters, ARRAYSIZE(rows));
    int count = Enumerate(OwnConnectionsUp);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.What);
        bool listed = false;
        for (int i = 0; i < count; ++i)
            listed |= records[i].Name == Wide(row.Adapter.Name);
        EXPECT_EQ(listed, row.Own);
    }
    EXPECT_EQ(Enumerate(OperationalAdapters), static_cast<int>(ARRAYSIZE(rows)) - 1) << "every other pass sees them";
}

TEST_F(AdapterInventoryTest, KeepsAdaptersThatAreDownOnlyWithoutTheFilter)
{
    const FakeAdapter adapters[] = {
        {ADAPTER(11), 11, 0, Down, Ethernet},
        {ADAPTER(12), 12, 0, IfOperStatusNotPresent, Ethernet},
        {ADAPTER(13), 13, 0, Up, Ethernet},
    };
    PresentFakeAdapters(adapters, 3);
    EXPECT_EQ(Enumerate(AllAdapters), 3);
    ASSERT_EQ(Enumerate(OperationalAdapters), 1);
    EXPECT_STREQ(records[0].Name, WIDE_ADAPTER(13));

    SetNameServer(Ipv6Family, ADAPTER(11), FilterServerListIpv6);
    EXPECT_EQ(Enumerate(OperationalOrFilteredAdapters), 1) << "a family without an index is not filtered";
    SetNameServer(Ipv4Family, ADAPTER(12), FilterServerListIpv4);
    ASSERT_EQ(Enumerate(OperationalOrFilteredAdapters), 2);
    EXPECT_STREQ(records[0].Name, WIDE_ADAPTER(12));
}

// The switch-off's view: 33 adapters that are down and unfiltered do not crowd out the one that is up.
TEST_F(AdapterInventoryTest, KeepsThoseThatAreUpOrFilteredBeforeTheCap)
{
    FakeAdapter many[MaxAdapters + 2];
    for (int i = 0; i < MaxAdapters + 2; ++i)
        many[i] = TestAdapter(0xB100 + i, i <= MaxAdapters ? Down : Up);
    PresentNewAdapters(many, MaxAdapters + 2);
    bool whole = false;
    ASSERT_EQ(Enumerate(OperationalOrFilteredAdapters, MaxAdapters, &whole), 1);
    EXPECT_STREQ(records[0].Name, Wide(many[MaxAdapters + 1].Name).c_str());
    EXPECT_TRUE(whole);
    EXPECT_EQ(FakeQueryCalls, 2) << "34 adapters need more than the first 15000 bytes";

    for (FakeAdapter& adapter : many)
        adapter.OperStatus = Up;
    EXPECT_EQ(Enumerate(OperationalOrFilteredAdapters, MaxAdapters, &whole), MaxAdapters);
    EXPECT_STREQ(records[MaxAdapters - 1].Name, Wide(many[MaxAdapters - 1].Name).c_str()) << "the first ones";
    EXPECT_FALSE(whole) << "34 are up: the last two were never seen";
}

TEST_F(AdapterInventoryTest, StopsAtCapacityWithTheFirstAdapters)
{
    const FakeAdapter adapters[] = {
        {ADAPTER(11), 11, 0, Up, Ethernet},
        {ADAPTER(12), 12, 0, Up, Ethernet},
        {ADAPTER(13), 13, 0, Up, Ethernet},
    };
    PresentFakeAdapters(adapters, 3);
    ASSERT_EQ(Enumerate(OperationalAdapters, 2), 2);
    EXPECT_STREQ(records[1].Name, WIDE_ADAPTER(12));
    EXPECT_EQ(records[2].Ipv4InterfaceIndex, 0xABABABABu);
    EXPECT_EQ(Enumerate(OperationalAdapters, 0), 0);
}

TEST_F(AdapterInventoryTest, FindsTheGuidInTheInterfaceTableAndKeepsAnAdapterWithout)
{
    const FakeAdapter adapters[] = {{ADAPTER(11), 0, 31, Up, Ethernet}, {ADAPTER(12), 12, 0, Up, Ethernet}};
    PresentFakeAdapters(adapters, 2);
    ASSERT_EQ(Enumerate(OperationalAdapters), 2);
    EXPECT_EQ(records[0].Ipv4InterfaceIndex, 0u);
    EXPECT_EQ(records[0].Ipv6InterfaceIndex, 31u);
    EXPECT_TRUE(IsEqualGUID(records[0].InterfaceGuid, FakeInterfaceGuid(31)));

    UnlistedInterfaceIndex = 12;
    ASSERT_EQ(Enumerate(OperationalAdapters), 2);
    EXPECT_TRUE(IsEqualGUID(records[1].InterfaceGuid, GUID_NULL));
    EXPECT_TRUE(IsEqualGUID(records[0].InterfaceGuid, FakeInterfaceGuid(31)));
}

TEST_F(AdapterInventoryTest, AsksForMoreRoomAtMostTwice)
{
    const FakeAdapter adapters[] = {{ADAPTER(11), 11, 0, Up, Ethernet}};
    const struct {
        int overflowAnswers;
        int expectedCalls;
        int expectedRecords;
    } cases[] = {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {3, 3, 0}, {5, 3, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.overflowAnswers);
        PresentFakeAdapters(adapters, 1);
        FakeOverflowAnswers = c.overflowAnswers;
        EXPECT_EQ(Enumerate(OperationalAdapters), c.expectedRecords);
        EXPECT_EQ(FakeQueryCalls, c.expectedCalls);
        EXPECT_EQ(FakeQuerySizes[0], 15000u);
        if (c.expectedCalls > 2) {
            EXPECT_EQ(FakeQuerySizes[2], 17000u);
        }
        if (c.expectedCalls > 1) {
            EXPECT_EQ(FakeQuerySizes[1], 16000u) << "the second call uses the size the platform asked for";
        }
    }
}

TEST_F(AdapterInventoryTest, GivesNoRecordsWhenThePlatformFails)
{
    const FakeAdapter adapters[] = {{ADAPTER(11), 11, 0, Up, Ethernet}};
    PresentFakeAdapters(adapters, 1);
    FakeQueryError = ERROR_NOT_ENOUGH_MEMORY;
    bool whole = true;
    EXPECT_EQ(Enumerate(AllAdapters, MaxAdapters, &whole), 0);
    EXPECT_EQ(FakeQueryCalls, 1);
    EXPECT_FALSE(whole) << "nothing tells that no adapter is left to restore";

    PresentFakeAdapters(adapters, 0);
    EXPECT_EQ(Enumerate(AllAdapters), 0);
}

TEST_F(AdapterInventoryTest, ReadsTheMachinesOwnAdapters)
{
    int count = Enumerate(AllAdapters);
    ASSERT_GE(count, 1) << "Wine presents the host's interfaces";
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(records[i].Name);
        EXPECT_EQ(records[i].Name[0], L'{');
        EXPECT_NE(records[i].Ipv4InterfaceIndex, 1u) << "loopback is never listed";
        EXPECT_FALSE(IsEqualGUID(records[i].InterfaceGuid, GUID_NULL));
    }
    EXPECT_LE(Enumerate(OperationalAdapters), count);
}

class DetectFilteringModeTest : public AdapterInventoryTest {};

TEST_F(DetectFilteringModeTest, IsOnWhenAnyListOfAnAdapterUpOrDownIsTheFilter)
{
    const FakeAdapter adapters[] = {
        {ADAPTER(11), 11, 21, Up, Ethernet},
        {ADAPTER(12), 12, 22, Down, Ethernet},
        {ADAPTER(13), 13, 23, Up, Ethernet},
        {ADAPTER(14), 14, 0, Up, Ethernet},
    };
    PresentFakeAdapters(adapters, 4);
    SetNameServer(Ipv4Family, ADAPTER(11), L"10.0.0.1");
    SetNameServer(Ipv4Family, ADAPTER(13), L"10.0.0.3");
    SetNameServer(Ipv6Family, ADAPTER(14), FilterServerListIpv6);
    EXPECT_EQ(DetectFilteringMode(), 0) << "a family without an index is not filtered";

    SetNameServer(Ipv4Family, ADAPTER(12), FilterServerListIpv4);
    EXPECT_EQ(DetectFilteringMode(), 1) << "an adapter that went down, as in airplane mode";
    DeleteNameServer(Ipv4Family, ADAPTER(12));

    SetNameServer(Ipv6Family, ADAPTER(13), L"fd00::1 2a10:50c0::ad2:ff");
    EXPECT_EQ(DetectFilteringMode(), 0) << "a list that mixes in the user's own servers is theirs";
    SetNameServer(Ipv6Family, ADAPTER(13), L"2a10:50c0::ad2:ff");
    EXPECT_EQ(DetectFilteringMode(), 1) << "the last adapter's IPv6 list";

    DeleteNameServer(Ipv6Family, ADAPTER(13));
    SetNameServer(Ipv4Family, ADAPTER(11), L"2a10:50c0::ad1:ff");
    EXPECT_EQ(DetectFilteringMode(), 1) << "the family of the address is not consulted";

    PresentFakeAdapters(nullptr, 0);
    EXPECT_EQ(DetectFilteringMode(), 0) << "no adapters";
}
