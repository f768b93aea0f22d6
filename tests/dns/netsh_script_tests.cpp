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

class NetshScriptTest : public TestMachineTest {
protected:
    void SetUpMachine() override { PresentNewAdapters(Adapters, 2); }

    std::string PendingScript() { return ReadBytes(ScriptPath); }
};

TEST_F(NetshScriptTest, WritesOneLineKindPerAddressPosition)
{
    AppendNetshCommands(12, Ipv4Family, L"10.0.0.1");
    AppendNetshCommands(112, Ipv6Family, L"fd00::1,fd00::2,fd00::3");
    AppendNetshCommands(13, Ipv4Family, L"");
    EXPECT_EQ(PendingScript(), "interface ipv4 set dns name=12 source=static address=10.0.0.1 validate=no\r\n"
                               "interface ipv6 set dns name=112 source=static address=fd00::1 validate=no\r\n"
                               "interface ipv6 add dnsservers name=112 address=fd00::2 index=2 validate=no\r\n"
                               "interface ipv6 add dnsservers name=112 address=fd00::3 index=3 validate=no\r\n"
                               "interface ipv4 set dns name=13 source=dhcp\r\n");
}

TEST_F(NetshScriptTest, WritesAnsiTextWithoutAByteOrderMark)
{
    if (GetACP() != 1252)
        GTEST_SKIP() << "expects the Western European ANSI code page, this machine has " << GetACP();
    AppendNetshCommands(4294967295u, Ipv6Family, L"\u00f1,,\u4e00");
    EXPECT_EQ(PendingScript(), "interface ipv6 set dns name=4294967295 source=static address=\xF1 validate=no\r\n"
                               "interface ipv6 add dnsservers name=4294967295 address=? index=2 validate=no\r\n");
}

TEST_F(NetshScriptTest, CreatesTheScriptButNoLineForCommasOnly)
{
    AppendNetshCommands(12, Ipv4Family, L",,,");
    ASSERT_NE(ScriptFile, nullptr);
    EXPECT_EQ(PendingScript(), "");
}

TEST_F(NetshScriptTest, RunsOneNetshForEveryLineOfThePassAndDeletesTheScript)
{
    AppendNetshCommands(12, Ipv4Family, L"10.0.0.1,10.0.0.2");
    AppendNetshCommands(112, Ipv6Family, L"");
    AppendNetshCommands(13, Ipv4Family, L"10.0.0.3");
    std::wstring script = ScriptPath;
    RunNetshScript();

    EXPECT_EQ(ScriptFile, nullptr);
    EXPECT_FALSE(FileExists(script));
    EXPECT_EQ(NetshRuns(), 1);
    ASSERT_EQ(NetshLinesRun().size(), 4u);
    EXPECT_EQ(NetshLog()[0], L"run \"" + std::wstring(NetshPath) + L"\" -f \"" + script + L"\"");
    EXPECT_EQ(StoredNameServer(Ipv4Family, FirstAdapter), L"10.0.0.1,10.0.0.2");
    EXPECT_EQ(StoredNameServer(Ipv6Family, FirstAdapter), L"");
    EXPECT_EQ(StoredNameServer(Ipv4Family, SecondAdapter), L"10.0.0.3");

    RunNetshScript();
    EXPECT_EQ(NetshRuns(), 1) << "a second run without new lines starts nothing";
}

TEST_F(NetshScriptTest, NoOtherProcessCanChangeTheScriptBeforeNetshHasRun)
{
    AppendNetshCommands(12, Ipv4Family, L"10.0.0.1");
    // 64 random bits in the name, and no access for anyone but Administrators and SYSTEM. Wine keeps no
    // descriptor of its own: it turns the one given into Unix permissions and reports one made from them,
    // where every other user shows as Everyone.
    std::wstring name = std::wstring(ScriptPath).substr(wcslen(ScriptFolder));
    EXPECT_EQ(name.size(), wcslen(L"\\dns0123456789abcdef.tmp")) << ScriptPath;
    EXPECT_EQ(name.find_first_not_of(L"0123456789abcdef", 4), name.size() - 4) << ScriptPath;
    BYTE descriptor[1024];
    DWORD needed = 0;
    BOOL present = FALSE, defaulted = FALSE;
    ACL* acl = nullptr;
    ASSERT_TRUE(GetFileSecurityW(ScriptPath, DACL_SECURITY_INFORMATION, descriptor, sizeof(descriptor), &needed));
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted) && present && acl);
    for (int i = 0; i < acl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE(GetAce(acl, i, reinterpret_cast<void**>(&ace)));
        for (WELL_KNOWN_SID_TYPE others : {WinWorldSid, WinAuthenticatedUserSid, WinBuiltinUsersSid})
            EXPECT_FALSE(IsWellKnownSid(&ace->SidStart, others)) << "ACE " << i << " lets others in";
    }

    ScopedEnvironment tamper(L"NETSH_STANDIN_TAMPER", L"1");
    RunNetshScript();

    std::vector<std::wstring> log = NetshLog();
    EXPECT_TRUE(Logged(log, L"tamper write denied"));
    EXPECT_TRUE(Logged(log, L"tamper rename denied"));
    EXPECT_TRUE(Logged(log, L"tamper delete denied"));
    ASSERT_EQ(NetshLinesRun().size(), 1u);
    EXPECT_EQ(NetshLinesRun()[0], L"interface ipv4 set dns name=12 source=static address=10.0.0.1 validate=no");
    EXPECT_EQ(StoredNameServer(Ipv4Family, FirstAdapter), L"10.0.0.1");
}
