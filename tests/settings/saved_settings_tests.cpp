#include <gtest/gtest.h>

#include <string>

#include "settings/machine_copy.h"
#include "settings/saved_settings.h"
#include "support/files.h"
#include "support/scoped_override.h"
#include "support/test_machine.h"

// Saved settings to write: the rows given, name and lists each.
static SavedSettings Rows(std::initializer_list<SavedRow> rows)
{
    SavedSettings saved = {};
    for (const SavedRow& row : rows)
        saved.Rows[saved.RowCount++] = row;
    return saved;
}

class SavedSettingsTest : public testing::Test {
protected:
    void SetUp() override
    {
        folder = CreateTestFolder();
        path = folder + L"\\nublaro.txt";
        temporary = path + L".tmp";
        wcscpy(StateFilePath, path.c_str());
        memset(static_cast<void*>(&saved), 0xAB, sizeof(saved));
        DeleteMachineCopy();
    }
    void TearDown() override
    {
        RemoveTestFolder(folder);
        StateFilePath[0] = L'\0';
        DeleteMachineCopy();
    }

    // The rows read, or the state of saved settings that could not be read.
    int Load()
    {
        LoadSavedSettings(&saved);
        return saved.State == SavedSettingsRead ? saved.RowCount : saved.State == NoSavedSettings ? -1 : -2;
    }
    int LoadFrom(const std::string& bytes)
    {
        WriteBytes(path, bytes);
        return Load();
    }

    std::wstring folder, path, temporary;
    SavedSettings saved;
    const SavedRow* rows = saved.Rows;
};

TEST_F(SavedSettingsTest, WritesTheExactFormatAndReadsItBack)
{
    const SavedSettings written = Rows({
        {L"{AAAA}", L"10.0.0.1,10.0.0.2", L"fd00::1"},
        {L"{BBBB}", L"", L""},
        {L"Wi-Fi \u00f1", L"192.168.1.1", L""},
        {L"{CCCC}", L"10.1.1.1,10.1.1.2", L"fd00::1", L"10.1.1.1 6 https://dns.example/q%2C1", L"", true, true},
    });
    ASSERT_TRUE(WriteSavedSettings(written));
    EXPECT_EQ(ReadBytes(path), "\xEF\xBB\xBF#v2\r\n"
                               "{AAAA}|10.0.0.1,10.0.0.2|fd00::1\r\n"
                               "{BBBB}||\r\n"
                               "Wi-Fi \xC3\xB1|192.168.1.1|\r\n"
                               "{CCCC}|10.1.1.1,10.1.1.2|fd00::1|ipv4-doh=10.1.1.1 6 https://dns.example/q%2C1"
                               "|ipv4-restore-pending|ipv6-restore-pending\r\n");
    EXPECT_FALSE(FileExists(temporary));

    ASSERT_EQ(Load(), 4);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_STREQ(rows[i].Name, written.Rows[i].Name);
        EXPECT_STREQ(rows[i].Ipv4Servers, written.Rows[i].Ipv4Servers);
        EXPECT_STREQ(rows[i].Ipv6Servers, written.Rows[i].Ipv6Servers);
        EXPECT_STREQ(rows[i].Ipv4Doh, written.Rows[i].Ipv4Doh);
        EXPECT_STREQ(rows[i].Ipv6Doh, L"");
        EXPECT_EQ(rows[i].Ipv4RestorePending, i == 3);
        EXPECT_EQ(rows[i].Ipv6RestorePending, i == 3);
    }
    EXPECT_EQ(rows[4].Name[0], 0xABAB) << "rows after the last are not touched";
}

// A file that is there but is not saved settings read whole (-2) may hold servers all the same.
TEST_F(SavedSettingsTest, FindsTheHeaderAnywhereOnTheFirstLineAndTakesAnyOtherFileForUnreadable)
{
    const std::string longRow = "{long}|1.1.1.1|" + std::string(SavedLineUnits, 'c');
    const struct {
        std::string bytes;
        int expected;
    } cases[] = {
        {"\xEF\xBB\xBFxx#v2yy\r\n", 0},
        {"#v2", 0},
        {"#v2\n", 0},
        {"#v1\r\n{A}|1.1.1.1|\r\n", -2},
        {"\r\n#v2\r\n", -2},
        {"{A}|1.1.1.1|\r\n", -2}, // its first line deleted by hand
        {"", -2},
        {"\xEF\xBB\xBF", -2},
        {"#v2\r\n{A}|1.1.1.1|fd00::1|extra\r\n", -2}, // a field of a later version
        {"#v2\r\n" + longRow + "\r\n", -2},
        {"#v2\r\n" + longRow, -2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 40));
        EXPECT_EQ(LoadFrom(c.bytes), c.expected);
    }
    DeleteFileW(path.c_str());
    EXPECT_EQ(Load(), -1) << "missing file";
}

TEST_F(SavedSettingsTest, ReadsRowsByTheirBars)
{
    ASSERT_EQ(LoadFrom("#v2\r\n"
                       "no bars at all\r\n"
                       "{one}|bar\r\n"
                       "||\r\n"
                       "{four}|1.1.1.1|fd00::1\n"
                       "{lf}|2.2.2.2|\n"
                       " {blank} | 3.3.3.3 ;x| y \r\n"),
              4);
    EXPECT_STREQ(rows[0].Name, L"");
    EXPECT_STREQ(rows[0].Ipv4Servers, L"");
    EXPECT_STREQ(rows[0].Ipv6Servers, L"");
    EXPECT_STREQ(rows[1].Name, L"{four}");
    EXPECT_STREQ(rows[1].Ipv4Servers, L"1.1.1.1");
    EXPECT_STREQ(rows[1].Ipv6Servers, L"fd00::1");
    EXPECT_STREQ(rows[2].Name, L"{lf}");
    EXPECT_STREQ(rows[2].Ipv4Servers, L"2.2.2.2");
    EXPECT_STREQ(rows[2].Ipv6Servers, L"");
    EXPECT_STREQ(rows[3].Name, L" {blank} ") << "nothing is trimmed";
    EXPECT_STREQ(rows[3].Ipv4Servers, L" 3.3.3.3 ;x");
    EXPECT_STREQ(rows[3].Ipv6Servers, L" y ");
}

TEST_F(SavedSettingsTest, ReadsTheFirst32Rows)
{
    std::string bytes = "#v2\r\n";
    for (int i = 0; i < 40; ++i)
        bytes += "{row" + std::to_string(i) + "}|10.0.0." + std::to_string(i) + "|\r\n";
    ASSERT_EQ(LoadFrom(bytes), 32);
    EXPECT_STREQ(rows[31].Name, L"{row31}");
}

TEST_F(SavedSettingsTest, CutsFieldsToTheirBuffersWithoutSplittingAnAddress)
{
    std::string list = "1.1.1.1,10.0.0.1,10.0.0.1,";
    for (int i = 0; i < 22; ++i)
        list += "10.0.0.10,";
    list += "10.0.0.123,10.0.0.2";
    ASSERT_EQ(list.find("10.0.0.123"), 246u) << "the cut at 255 units leaves \"10.0.0.12\"";
    std::wstring whole(list.begin(), list.begin() + 245);
    ASSERT_EQ(LoadFrom("#v2\r\n" + std::string(45, 'n') + "|" + list + "|" + list.substr(0, 255) + "\r\n"), 1);
    EXPECT_EQ(std::wstring(rows[0].Name), std::wstring(39, L'n'));
    EXPECT_EQ(std::wstring(rows[0].Ipv4Servers), whole);
    EXPECT_EQ(std::wstring(rows[0].Ipv6Servers), whole + L",10.0.0.12") << "a list of 255 units is whole";
}

TEST_F(SavedSettingsTest, ReadsUtf16LittleEndianLikeUtf8AndRefusesBigEndian)
{
    std::wstring text = L"#v2\r\n{\u00f1}|1.1.1.1|fd00::1\r\n";
    std::string littleEndian = "\xFF\xFE";
    std::string bigEndian = "\xFE\xFF";
    for (wchar_t unit : text) {
        littleEndian += static_cast<char>(unit & 0xFF);
        littleEndian += static_cast<char>(unit >> 8);
        bigEndian += static_cast<char>(unit >> 8);
        bigEndian += static_cast<char>(unit & 0xFF);
    }
    ASSERT_EQ(LoadFrom(littleEndian), 1);
    EXPECT_STREQ(rows[0].Name, L"{\u00f1}");
    EXPECT_STREQ(rows[0].Ipv6Servers, L"fd00::1");

    EXPECT_EQ(LoadFrom(bigEndian), -2);
}

// Reads fail after the open where another program holds a byte-range lock, a cloud file cannot be
// fetched or the disk fails. Wine's locks do not stop reads, so the line read fails on demand here.
static int ReadsBeforeFailure;
static wchar_t* __cdecl FailingFgetws(wchar_t* line, int units, FILE* file)
{
    return --ReadsBeforeFailure < 0 ? nullptr : fgetws(line, units, file);
}

TEST_F(SavedSettingsTest, TakesAFileThatCannotBeReadWholeForUnreadable)
{
    WriteBytes(path, "#v2\r\n{A}|10.0.0.1|\r\n{B}|10.0.0.2|\r\n");
    ScopedOverride<decltype(&fgetws)> lineRead(FgetwsProc, FailingFgetws);
    for (int reads : {0, 1, 2}) {
        SCOPED_TRACE(reads);
        ReadsBeforeFailure = reads;
        EXPECT_EQ(Load(), -2);
    }
    FgetwsProc = fgetws;
    if (RunningUnderWine()) {
        wcscpy(StateFilePath, L"Z:\\proc\\self\\mem"); // opens, and fails at the first read
        EXPECT_EQ(Load(), -2);
    }
}

TEST_F(SavedSettingsTest, KeepsTheEarlierFileWhenTheWriteCannotComplete)
{
    const SavedSettings earlier = Rows({{L"{EARLIER}", L"10.0.0.1", L""}});
    const SavedSettings later = Rows({{L"{LATER}", L"10.9.9.9", L""}});
    ASSERT_TRUE(WriteSavedSettings(earlier));
    std::string earlierBytes = ReadBytes(path);

    ASSERT_TRUE(CreateDirectoryW(temporary.c_str(), nullptr)) << "a folder stands under the temporary name";
    EXPECT_FALSE(WriteSavedSettings(later));
    EXPECT_EQ(ReadBytes(path), earlierBytes);
    RemoveDirectoryW(temporary.c_str());

    StateFilePath[0] = L'\0';
    EXPECT_FALSE(WriteSavedSettings(later)) << "no path, no file";
    wcscpy(StateFilePath, path.c_str());
    EXPECT_EQ(ReadBytes(path), earlierBytes);
}

TEST_F(SavedSettingsTest, RemovesTheTemporaryFileWhenTheReplaceFails)
{
    const SavedSettings records = Rows({{L"{A}", L"10.0.0.1", L""}});
    ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << "a folder stands under the file's own name";
    EXPECT_FALSE(WriteSavedSettings(records));
    EXPECT_FALSE(FileExists(temporary));
}

TEST_F(SavedSettingsTest, ReplacesAStaleTemporaryFile)
{
    WriteBytes(temporary, "left by a crash");
    const SavedSettings records = Rows({{L"{A}", L"10.0.0.1", L""}});
    EXPECT_TRUE(WriteSavedSettings(records));
    EXPECT_EQ(ReadBytes(path), "\xEF\xBB\xBF#v2\r\n{A}|10.0.0.1|\r\n");
    EXPECT_FALSE(FileExists(temporary));
}

TEST_F(SavedSettingsTest, NeverWritesThroughAHardLink)
{
    const std::wstring victim = folder + L"\\victim.ini";
    const SavedSettings records = Rows({{L"{A}", L"10.0.0.1", L""}});
    const std::string expected = "\xEF\xBB\xBF#v2\r\n{A}|10.0.0.1|\r\n";

    for (const std::wstring* linkName : {&path, &temporary}) {
        SCOPED_TRACE(*linkName);
        WriteBytes(victim, "[system]\r\nkeep=me\r\n");
        DeleteFileW(path.c_str());
        ASSERT_TRUE(CreateHardLinkW(linkName->c_str(), victim.c_str(), nullptr)) << GetLastError();

        EXPECT_TRUE(WriteSavedSettings(records));
        EXPECT_EQ(ReadBytes(victim), "[system]\r\nkeep=me\r\n");
        EXPECT_EQ(ReadBytes(path), expected);
    }
}

TEST_F(SavedSettingsTest, NeverWritesThroughASymbolicLink)
{
    const std::wstring victim = folder + L"\\victim.ini";
    WriteBytes(victim, "keep");
    if (!CreateSymbolicLinkW(path.c_str(), victim.c_str(), 0))
        GTEST_SKIP() << "symbolic links cannot be made here (error " << GetLastError() << ")";

    const SavedSettings records = Rows({{L"{A}", L"10.0.0.1", L""}});
    EXPECT_TRUE(WriteSavedSettings(records));
    EXPECT_EQ(ReadBytes(victim), "keep");
    EXPECT_EQ(ReadBytes(path), "\xEF\xBB\xBF#v2\r\n{A}|10.0.0.1|\r\n");
}

// A copy started from another folder, or after the first folder was deleted, finds the servers in the
// machine-wide copy. Where the file and the copy disagree, no row of either is lost: the file's come
// first, as the user reads and may have edited them.
TEST_F(SavedSettingsTest, KeepsAMachineWideCopyThatEveryCopyOfTheProgramReads)
{
    ASSERT_TRUE(WriteSavedSettings(Rows({{L"{A}", L"10.0.0.1", L"", L"", L"", true}, {L"{C}", L"10.0.0.3", L""}})));
    DeleteFileW(path.c_str());
    ASSERT_EQ(Load(), 2);
    EXPECT_STREQ(rows[0].Name, L"{A}");
    EXPECT_TRUE(rows[0].Ipv4RestorePending);
    EXPECT_STREQ(rows[1].Ipv4Servers, L"10.0.0.3");

    WriteBytes(path, "#v2\r\n{a}|10.9.9.9|\r\n{B}|10.0.0.2|\r\n");
    ASSERT_EQ(Load(), 3);
    EXPECT_STREQ(rows[0].Ipv4Servers, L"10.9.9.9");
    EXPECT_STREQ(rows[1].Name, L"{B}");
    EXPECT_STREQ(rows[2].Name, L"{C}");

    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, MachineCopyKeyPath, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    RegSetValueExW(key, L"2", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&key), 4);
    RegCloseKey(key);
    EXPECT_EQ(Load(), -2) << "a copy this version cannot read";

    DeleteSavedSettings();
    EXPECT_FALSE(FileExists(path));
    EXPECT_EQ(Load(), -1);
}
