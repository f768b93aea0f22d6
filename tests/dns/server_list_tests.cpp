#include <gtest/gtest.h>

#include <random>
#include <string>

#include "dns/server_list.h"
#include "support/fake_adapters.h"
#include "support/generated_files.h"
#include "support/registry.h"
#include "support/test_machine.h"

static const char* const Adapter = TestAdapterName(0xA001);

static std::wstring Normalized(const wchar_t* text)
{
    wchar_t buffer[DnsServerListUnits];
    wcscpy(buffer, text);
    NormalizeServerList(buffer);
    return buffer;
}

TEST(NormalizeServerList, JoinsElementsWithSingleCommas)
{
    const struct {
        const wchar_t* input;
        const wchar_t* expected;
    } cases[] = {
        {L"1.1.1.1 8.8.8.8", L"1.1.1.1,8.8.8.8"},
        {L" ,1.1.1.1,,8.8.8.8; ;9.9.9.9, ", L"1.1.1.1,8.8.8.8,9.9.9.9"},
        {L";;; , ,", L""},
        {L"", L""},
        {L"1.1.1.1\t8.8.8.8", L"1.1.1.1\t8.8.8.8"},
        {L"fe80::1%12 \r\n 10.0.0.1", L"fe80::1%12,\r\n,10.0.0.1"},
        {L"a", L"a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(Normalized(c.input), c.expected);
    }
}

TEST(IsFilterList, HoldsTheFiltersAddressesAndNoOthersInAnyForm)
{
    const struct {
        const wchar_t* list;
        bool expected;
    } cases[] = {
        {L"", false},
        {L",,,", false},
        {L"94.140.15.15,2A10:50C0::AD2:FF", true},
        {L"2a10:50c0:0:0:0:0:ad1:ff", true},
        {L",,94.140.15.15,,", true},
        {L"1.1.1.1,2a10:50c0::ad2:ff", false},
        {L"94.140.14.14,1.1.1.1", false},
        {L"1.1.1.1;94.140.14.14", false},
        {L"94.140.14.140", false},
        {L"9.9.9.9,8.8.8.8", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        EXPECT_EQ(IsFilterList(c.list), c.expected);
    }
}

class ReadInterfaceNameServersTest : public testing::Test {
protected:
    void SetUp() override
    {
        SKIP_UNLESS_DISPOSABLE_MACHINE();
        DeleteInterfaceKeys(Adapter);
    }

    std::wstring Read(IpFamily family, const std::string& adapter = Adapter)
    {
        DnsServerList out;
        wmemset(out, L'#', DnsServerListUnits);
        state = ReadInterfaceNameServers(family, Wide(adapter.c_str()).c_str(), out);
        return out;
    }

    NameServerState state = ServersRead;
};

TEST_F(ReadInterfaceNameServersTest, ReadsEachFamilyUnderItsOwnKey)
{
    SetNameServer(Ipv4Family, Adapter, L"10.0.0.1");
    SetNameServer(Ipv6Family, Adapter, L"fd00::1 fd00::2");
    EXPECT_EQ(Read(Ipv4Family), L"10.0.0.1");
    EXPECT_EQ(Read(Ipv6Family), L"fd00::1,fd00::2");
}

// Automatic servers and servers that cannot be known both read as no list, and must not be taken
// for each other.
TEST_F(ReadInterfaceNameServersTest, TellsAValueThatCannotBeReadFromAMissingOrEmptyOne)
{
    EXPECT_EQ(Read(Ipv4Family), L"");
    EXPECT_EQ(state, NoInterfaceKey);

    SetNameServer(Ipv6Family, Adapter, L"fd00::1");
    DeleteNameServer(Ipv6Family, Adapter);
    EXPECT_EQ(Read(Ipv6Family), L"");
    EXPECT_EQ(state, ServersRead) << "missing value";

    const DWORD number = 0x01010101;
    const wchar_t text[] = L"10.0.0.1";
    const wchar_t multi[] = L"10.0.0.1\0" L"10.0.0.2\0";
    const struct {
        const char* what;
        DWORD type;
        const void* data;
        DWORD bytes;
        const wchar_t* list;
        NameServerState expected;
    } cases[] = {
        {"empty value", REG_SZ, L"", sizeof(wchar_t), L"", ServersRead},
        {"separators only", REG_SZ, L" ; , ", 6 * sizeof(wchar_t), L"", ServersRead},
        {"number", REG_DWORD, &number, sizeof(number), L"", ServersUnreadable},
        {"raw bytes", REG_BINARY, text, sizeof(text), L"", ServersUnreadable},
        {"multi-string", REG_MULTI_SZ, multi, sizeof(multi), L"", ServersUnreadable},
        {"expandable string, which the registry expands into a string", REG_EXPAND_SZ, text, sizeof(text), text,
         ServersRead},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetNameServerValue(Ipv4Family, Adapter, c.type, c.data, c.bytes);
        EXPECT_EQ(Read(Ipv4Family), c.list);
        EXPECT_EQ(state, c.expected);
    }
}

TEST_F(ReadInterfaceNameServersTest, ReadsAFullListButNothingLonger)
{
    std::wstring longest(255, L'1');
    SetNameServer(Ipv4Family, Adapter, longest.c_str());
    EXPECT_EQ(Read(Ipv4Family), longest);

    std::wstring tooLong(256, L'1');
    SetNameServer(Ipv4Family, Adapter, tooLong.c_str());
    EXPECT_EQ(Read(Ipv4Family), L"") << "a cut list would name other servers";
    EXPECT_EQ(state, ServersUnreadable);
}

TEST_F(ReadInterfaceNameServersTest, ReadsNothingForANameThatWouldCutTheKeyPath)
{
    // 62 units of "SYSTEM\...\Interfaces\" and this name fill the 199 units of the key path exactly.
    std::string fitting = std::string(Adapter) + std::string(137 - strlen(Adapter), 'x');
    SetNameServer(Ipv4Family, fitting.c_str(), L"10.0.0.1");
    EXPECT_EQ(Read(Ipv4Family, fitting), L"10.0.0.1");
    EXPECT_EQ(Read(Ipv4Family, fitting + "-another-interface"), L"");
    DeleteInterfaceKeys(fitting.c_str());
}

TEST(KeepAddressLiterals, DropsEveryElementTheSystemDoesNotParseAsOneAddress)
{
    const struct {
        const wchar_t* list;
        const wchar_t* expected;
    } cases[] = {
        {L"10.0.0.1,fd00::1", L"10.0.0.1,fd00::1"},
        {L",,10.0.0.1,,", L"10.0.0.1"},
        {L"10.0.0.1 validate=no", L"10.0.0.1"},
        {L"192.0.2.53, 192.0.2.54;192.0.2.55", L"192.0.2.53,192.0.2.54,192.0.2.55"},
        {L"name=1,\"10.0.0.1\",10.0.0.2", L"10.0.0.2"},
        {L"fe80::1%12,::1", L"::1"},
        {L"10.0.0.1\r\n,1.2.3,1.2.3.4.5,256.0.0.1,10.0.0.9", L"10.0.0.9"},
        {L"dns.example,2A10:50C0::AD1:FF", L"2A10:50C0::AD1:FF"},
        {L"1.2.3.4 5.6.7.8,\x01,word,::ffff:1.2.3.4", L"1.2.3.4,5.6.7.8,::ffff:1.2.3.4"},
        {L"netsh exec evil.txt,,", L""},
        {L"", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        DnsServerList out;
        KeepAddressLiterals(c.list, out);
        EXPECT_STREQ(out, c.expected);
    }
}

// Generated values: whatever the registry holds, the reader gives a list in normalised form.
static std::wstring GeneratedValue(std::mt19937& random, size_t maxLength)
{
    static const wchar_t alphabet[] = L"0123456789abcdefABCDEF:.%  ,,;;\t\r\n\"=|x\u00f1\u4e00";
    std::wstring value(random() % (maxLength + 1), L' ');
    for (wchar_t& c : value)
        c = alphabet[random() % (ARRAYSIZE(alphabet) - 1)];
    return value;
}

static void ExpectNormalisedForm(const std::wstring& input, const std::wstring& output)
{
    EXPECT_LE(output.size(), input.size());
    EXPECT_EQ(output.find_first_of(L" ;"), std::wstring::npos);
    EXPECT_EQ(output.find(L",,"), std::wstring::npos);
    if (!output.empty()) {
        EXPECT_NE(output.front(), L',');
        EXPECT_NE(output.back(), L',');
    }
}

TEST(NormalizeServerList, GivesNormalisedFormForGeneratedText)
{
    std::mt19937 random(20261209);
    for (int i = 0; i < 50000; ++i) {
        std::wstring input = GeneratedValue(random, DnsServerListUnits - 1);
        SCOPED_TRACE(i);
        std::wstring output = Normalized(input.c_str());
        ExpectNormalisedForm(input, output);
        EXPECT_EQ(Normalized(output.c_str()), output) << "normalising twice changes nothing";
        if (HasFailure())
            break;
    }
}

TEST(KeepAddressLiterals, KeepsOnlyPlainAddressesOfGeneratedText)
{
    std::mt19937 random(20261210);
    for (int i = 0; i < 20000 && !HasFailure(); ++i) {
        std::wstring input = GeneratedValue(random, DnsServerListUnits - 1);
        SCOPED_TRACE(i);
        DnsServerList kept;
        KeepAddressLiterals(input.c_str(), kept);
        for (wchar_t *cursor = kept, *address; (address = NextListElement(&cursor));)
            EXPECT_TRUE(IsPlainAddress(address)) << "from \"" << input << "\"";
    }
}
