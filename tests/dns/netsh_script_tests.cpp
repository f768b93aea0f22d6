#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dns/netsh_script.h"
#include "support/fake_adapters.h"
#include "support/files.h"
#include "support/logs.h"
#include "support/netsh_log.h"
#include "support/registry.h"
#include "support/test_machine.h"

static const char* const FirstAdapter = TestAdapterName(0xD001);
static const char* const SecondAdapter = TestAdapterName(0xD002);
static const FakeAdapter Adapters[] = {
    {FirstAdapter, 12, 112, IfOperStatusUp, Ethernet},
    {SecondAdapter, 13, 113, IfOperStatusUp, Ethernet},
};

TEST(FormatNetshCommands, WritesOneLineKindPerAddressPositionForAddressLiteralsOnly)
{
    const struct {
        NetshChange Change;
        const wchar_t* Text;
    } rows[] = {
        {{12, Ipv4Family, L"10.0.0.1"},
         L"interface ipv4 set dns name=12 source=static address=10.0.0.1 validate=no\r\n"},
        {{112, Ipv6Family, L"fd00::1,fd00::2,fd00::3"},
         L"interface ipv6 set dns name=112 source=static address=fd00::1 validate=no\r\n"
         L"interface ipv6 add dnsservers name=112 address=fd00::2 index=2 validate=no\r\n"
         L"interface ipv6 add dnsservers name=112 address=fd00::3 index=3 validate=no\r\n"},
        {{4294967295u, Ipv4Family, L""}, L"interface ipv4 set dns name=4294967295 source=dhcp\r\n"},
        {{13, Ipv4Family, L"netsh exec evil.txt,,"}, L"interface ipv4 set dns name=13 source=dhcp\r\n"},
        {{13, Ipv4Family, L"10.0.0.1,evil=1,\"x\",\u00f1,10.0.0.2 validate=no"},
         L"interface ipv4 set dns name=13 source=static address=10.0.0.1 validate=no\r\n"
         L"interface ipv4 add dnsservers name=13 address=10.0.0.2 index=2 validate=no\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Change.Servers);
        wchar_t text[NetshCommandsUnits];
        FormatNetshCommands(row.Change, text, ARRAYSIZE(text));
        EXPECT_STREQ(text, row.Text);
    }
}

class NetshScriptTest : public TestMachineTest {
protected:
    void SetUpMachine() override { PresentNewAdapters(Adapters, 2); }

    // The script netsh was given, as its log names it.
    std::wstring ScriptRun()
    {
        std::wstring run = NetshLog().at(0);
        size_t start = run.find(L"-f \"") + 4;
        return run.substr(start, run.size() - start - 1);
    }
};

TEST_F(NetshScriptTest, RunsOneNetshForEveryLineOfThePassAndDeletesTheScript)
{
    const NetshChange changes[] = {
        {12, Ipv4Family, L"10.0.0.1,10.0.0.2"}, {112, Ipv6Family, L""}, {13, Ipv4Family, L"10.0.0.3"}};
    EXPECT_TRUE(RunNetshScript(changes, 3));

    EXPECT_EQ(NetshRuns(), 1);
    ASSERT_EQ(NetshLinesRun().size(), 4u);
    EXPECT_EQ(NetshLinesRun()[0], L"interface ipv4 set dns name=12 source=static address=10.0.0.1 validate=no")
        << "no byte-order mark";
    EXPECT_EQ(NetshLog()[0].find(L"run \"" + std::wstring(NetshPath) + L"\" -f \""), 0u);
    EXPECT_FALSE(FileExists(ScriptRun()));
    EXPECT_EQ(StoredNameServer(Ipv4Family, FirstAdapter), L"10.0.0.1,10.0.0.2");
    EXPECT_EQ(StoredNameServer(Ipv6Family, FirstAdapter), L"");
    EXPECT_EQ(StoredNameServer(Ipv4Family, SecondAdapter), L"10.0.0.3");

    EXPECT_TRUE(RunNetshScript(nullptr, 0));
    EXPECT_EQ(NetshRuns(), 1) << "a pass without fallback starts nothing";
}

// 64 random bits in the name, and no access for anyone but Administrators and SYSTEM: the stand-in
// netsh looks at the script it is given and tries to change it, as a hostile program would.
TEST_F(NetshScriptTest, NoOtherProcessCanChangeTheScriptBeforeNetshHasRun)
{
    const NetshChange change = {12, Ipv4Family, L"10.0.0.1"};
    ScopedEnvironment tamper(L"NETSH_STANDIN_TAMPER", L"1");
    EXPECT_TRUE(RunNetshScript(&change, 1));

    std::wstring name = ScriptRun().substr(wcslen(ScriptFolder));
    EXPECT_EQ(name.size(), wcslen(L"\\dns0123456789abcdef.tmp")) << name;
    EXPECT_EQ(name.find_first_not_of(L"0123456789abcdef", 4), name.size() - 4) << name;
    std::vector<std::wstring> log = NetshLog();
    EXPECT_TRUE(Logged(log, L"tamper others have no access"));
    EXPECT_TRUE(Logged(log, L"tamper write denied"));
    EXPECT_TRUE(Logged(log, L"tamper rename denied"));
    EXPECT_TRUE(Logged(log, L"tamper delete denied"));
    ASSERT_EQ(NetshLinesRun().size(), 1u);
    EXPECT_EQ(StoredNameServer(Ipv4Family, FirstAdapter), L"10.0.0.1");
}
