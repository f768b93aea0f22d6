#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "dns/pass_outcome.h"
#include "dns/switching_plan.h"
#include "settings/saved_settings.h"
#include "support/fake_adapters.h"
#include "support/files.h"
#include "support/generated_files.h"
#include "support/scoped_override.h"

#define FILTER4 L"94.140.14.14,94.140.15.15"
#define FILTER6 L"2a10:50c0::ad1:ff,2a10:50c0::ad2:ff"
// A NameServer value that is there but cannot be read: of another type, or too long.
#define UNREADABLE L"<unreadable>"

enum Pass { SwitchOn, CatchUp, SwitchOff, Close };
// Which families of an interface are bound; Unlisted: the pass's adapter list does not have it (it is
// unplugged, down at a switch-on, or a VPN's that only switch-offs see), while its keys keep their servers. An interface that is not in
// the machine at all has no keys here.
enum Binding { Both, Ipv4Only, Ipv6Only, Unlisted };
// What else the pass found, besides what the families read back.
enum Finding { AllFound, AdapterListCut, NetshDidNotFinish, WriteFails };

struct Interface {
    const wchar_t* Name;
    Binding Bound;
    std::wstring Ipv4;
    std::wstring Ipv6;
    std::wstring Ipv4Doh = L""; // as a DohList
};

static const wchar_t NoFile[] = L"<none>";
static const wchar_t LockedSavedSettings[] = L"<locked>";
static const std::wstring FullSavedSettings = [] {
    std::wstring rows;
    for (int i = 0; i < MaxAdapters; ++i)
        rows += L"R" + std::to_wstring(i) + L"|10.0.0." + std::to_wstring(i) + L"|\n";
    return rows;
}();

// Families as "<name>/4=<list>" or "<name>/6=<list>", blank-separated; "filter" stands for its list.
struct PassCase {
    const char* What;
    Pass Kind;
    std::vector<Interface> Machine;
    const wchar_t* Saved;    // the saved settings' rows as the file holds them, "name|ipv4|ipv6[|marks]\n" each
    const wchar_t* Written;  // the rows the saved settings are rewritten with; null: they are left as they are
    const wchar_t* Changes;  // in order
    const wchar_t* ReadBack; // the families that read back otherwise than before the pass, once it is done
    bool SavedSettingsGo = false; // switch-off: whether the saved settings may go then
    PassProblem Problem = NoProblem; // what the user is told then
    Finding Found = AllFound;
    DohChoice Doh = NoDoh;    // NoDoh: the DNS client takes no encryption settings, as on Windows 10
    bool DohTakes = true;     // each change's encryption settings read back once it is done
};

// A server of the user's own, encrypted, its template with characters the saved row escapes.
#define OWN_DOH L"192.0.2.53 2 https://dns.example/q?a=1%2C2"

static const PassCase Cases[] = {
    {"switching on saves every listed adapter's servers, a list that is the filter's as automatic, one that "
     "mixes in the filter as it is", SwitchOn,
     {{L"A", Both, L"192.0.2.53,192.0.2.54", L"fd00::53,2a10:50c0::ad1:ff"}, {L"B", Ipv4Only, L"94.140.15.15", L""},
      {L"C", Ipv6Only, L"", L"fd00::c"}, {L"D", Unlisted, L"10.4.4.4", L""}},
     NoFile, L"A|192.0.2.53,192.0.2.54|fd00::53,2a10:50c0::ad1:ff\nB||\nC||fd00::c\n",
     L"A/4=filter A/6=filter B/4=filter C/6=filter", L"A/4=filter A/6=filter B/4=filter C/6=filter"},
    {"switching on again leaves saved settings still in use as they are", SwitchOn,
     {{L"A", Both, FILTER4, FILTER6}, {L"B", Ipv4Only, FILTER4, L""}}, L"A|192.0.2.53|fd00::53\nB||\n", nullptr,
     L"A/4=filter A/6=filter B/4=filter", L""},
    {"stale saved settings take servers set by hand since, keeps filtered and unlisted rows, adds new ones", SwitchOn,
     {{L"A", Both, L"203.0.113.5", FILTER6}, {L"B", Ipv4Only, L"", L""}}, L"A|198.51.100.7|fd00::7\nD|10.9.9.9|\n",
     L"A|203.0.113.5|fd00::7\nD|10.9.9.9|\nB||\n", L"A/4=filter A/6=filter B/4=filter", L"A/4=filter B/4=filter"},
    {"an unbound family that names the filter keeps its saved list", SwitchOn,
     {{L"A", Ipv4Only, L"192.0.2.53", FILTER6}}, L"A|192.0.2.53|fd00::53\n", nullptr, L"A/4=filter", L"A/4=filter"},
    {"the first of two rows whose names differ in case is refreshed", SwitchOn, {{L"A", Ipv4Only, L"10.3.3.3", L""}},
     L"a|10.1.1.1|\nA|10.2.2.2|\n", L"a|10.3.3.3|\nA|10.2.2.2|\n", L"A/4=filter", L"A/4=filter"},
    {"without an operational adapter nothing is written or changed", SwitchOn, {}, NoFile, nullptr, L"", L"", false,
     NoAdapterConnected},
    {"locked saved settings stop every change", SwitchOn, {{L"A", Both, L"10.0.0.1", L""}}, LockedSavedSettings,
     nullptr, L"", L"", false, SavedSettingsNotRead},
    {"so does a file that cannot be written", SwitchOn, {{L"A", Ipv4Only, L"10.0.0.1", L""}}, NoFile, L"A|10.0.0.1|\n",
     L"A/4=filter", L"", false, SavedSettingsNotWritten, WriteFails},
    {"a family whose servers cannot be read is neither saved nor filtered, and its row stays", SwitchOn,
     {{L"A", Both, UNREADABLE, L"fd00::53"}}, L"A|10.1.1.1|\n", L"A|10.1.1.1|fd00::53\n", L"A/6=filter",
     L"A/6=filter", false, ServersNotRead},
    {"an adapter that full saved settings have no room for keeps its servers", SwitchOn,
     {{L"R1", Ipv4Only, L"10.0.0.1", L""}, {L"Z", Both, L"10.9.9.9", L""}}, FullSavedSettings.c_str(), nullptr,
     L"R1/4=filter", L"R1/4=filter", false, FilterNotApplied},
    {"a switch-on that could not reach every adapter says so", SwitchOn, {{L"A", Ipv4Only, L"10.0.0.1", L""}}, NoFile,
     L"A|10.0.0.1|\n", L"A/4=filter", L"A/4=filter", false, FilterNotApplied, AdapterListCut},
    {"the row of a restore cut short stays as it is", SwitchOn, {{L"A", Ipv4Only, L"10.1.1.1", L""}},
     L"A|10.1.1.1,10.1.1.2||ipv4-restore-pending\n", nullptr, L"A/4=filter", L"A/4=filter"},
    {"where the DNS client takes encryption, the filter's servers get theirs, with a fall-back to plain DNS, and "
     "each family's own is saved with its servers", SwitchOn, {{L"A", Both, L"192.0.2.53", L"fd00::53", OWN_DOH}},
     NoFile, L"A|192.0.2.53|fd00::53|ipv4-doh=" OWN_DOH L"\n", L"A/4=filter doh=filter A/6=filter doh=filter",
     L"A/4=filter A/6=filter", false, NoProblem, AllFound, DohWithFallback},
    {"a policy that requires encryption gets it without the fall-back", SwitchOn, {{L"A", Ipv4Only, L"10.0.0.1", L""}},
     NoFile, L"A|10.0.0.1|\n", L"A/4=filter doh=filter-only", L"A/4=filter", false, NoProblem, AllFound, DohOnly},
    {"a filter that does not take effect is told", SwitchOn, {{L"A", Ipv4Only, L"10.0.0.1", L""}}, NoFile,
     L"A|10.0.0.1|\n", L"A/4=filter", L"", false, FilterNotApplied},

    {"while on, a connection that arrived or came up since gets the filter, its servers saved first", CatchUp,
     {{L"A", Both, FILTER4, FILTER6}, {L"Dock", Both, L"10.5.5.5", L""}, {L"Phone", Ipv4Only, L"", L""}},
     L"A|192.0.2.53|fd00::53\n", L"A|192.0.2.53|fd00::53\nDock|10.5.5.5|\nPhone||\n",
     L"Dock/4=filter Dock/6=filter Phone/4=filter", L"Dock/4=filter Dock/6=filter Phone/4=filter"},
    {"one with a row is left as it is, and so are a VPN and a filter set by hand", CatchUp,
     {{L"A", Both, L"9.9.9.9", FILTER6}, {L"Vpn", Unlisted, L"10.8.0.1", L""}, {L"Hand", Ipv4Only, FILTER4, L""}},
     L"A|192.0.2.53|fd00::53\n", nullptr, L"", L""},
    {"a connection whose servers cannot be saved is not filtered, and that is told", CatchUp,
     {{L"Dock", Ipv4Only, L"10.5.5.5", L""}}, L"", L"Dock|10.5.5.5|\n", L"Dock/4=filter", L"", false,
     SavedSettingsNotWritten, WriteFails},
    {"nor is a filter that did not take effect", CatchUp, {{L"Dock", Ipv4Only, L"10.5.5.5", L""}}, L"",
     L"Dock|10.5.5.5|\n", L"Dock/4=filter", L"", false, FilterNotApplied},

    {"switching off gives filtered families their saved servers, also to an adapter that went down", SwitchOff,
     {{L"A", Both, FILTER4, FILTER6}, {L"D", Ipv4Only, FILTER4, L""}}, L"A|192.0.2.53|fd00::53\nD|10.4.4.4|\n",
     nullptr, L"A/4=192.0.2.53 A/6=fd00::53 D/4=10.4.4.4", L"A/4=192.0.2.53 A/6=fd00::53 D/4=10.4.4.4", true},
    {"a family the user changed since is theirs", SwitchOff, {{L"A", Both, L"9.9.9.9", FILTER6}},
     L"A|192.0.2.53|fd00::53\n", nullptr, L"A/6=fd00::53", L"A/6=fd00::53", true},
    {"without saved settings, filtered families get automatic servers; one that mixes in the user's own is theirs",
     SwitchOff, {{L"A", Both, FILTER4, L"fd00::1,2a10:50c0::ad2:ff"}, {L"B", Ipv4Only, L"8.8.8.8", L""}}, NoFile,
     nullptr, L"A/4=", L"A/4=", true},
    {"so do those of an adapter without a row; a row of another machine's adapter keeps the file", SwitchOff,
     {{L"A", Ipv4Only, FILTER4, L""}}, L"B|8.8.4.4|\n", nullptr, L"A/4=", L"A/4="},
    {"the first of two rows whose names differ in case comes back", SwitchOff, {{L"A", Ipv4Only, FILTER4, L""}},
     L"a|10.1.1.1|\nA|10.2.2.2|\n", nullptr, L"A/4=10.1.1.1", L"A/4=10.1.1.1", true},
    {"locked saved settings stop every change and stay", SwitchOff, {{L"A", Both, FILTER4, L""}}, LockedSavedSettings,
     nullptr, L"", L"", false, SavedSettingsNotRead},
    {"a restore that did not take effect keeps the saved settings", SwitchOff, {{L"A", Ipv4Only, FILTER4, L""}},
     L"A|10.1.1.1|\n", nullptr, L"A/4=10.1.1.1", L"", false, ServersNotGivenBack},
    {"so does one that took effect in part, as after a failed \"add\" line or a power cut between two lines",
     SwitchOff, {{L"A", Ipv4Only, FILTER4, L""}}, L"A|10.1.1.1,10.1.1.2|\n",
     L"A|10.1.1.1,10.1.1.2||ipv4-restore-pending\n", L"A/4=10.1.1.1,10.1.1.2", L"A/4=10.1.1.1", false,
     ServersNotGivenBack},
    {"the next switch-off finishes a restore cut short: its part of the list is not the user's own", SwitchOff,
     {{L"A", Ipv4Only, L"10.1.1.1", L""}}, L"A|10.1.1.1,10.1.1.2||ipv4-restore-pending\n", nullptr,
     L"A/4=10.1.1.1,10.1.1.2", L"A/4=10.1.1.1,10.1.1.2", true},
    {"a mark goes once its family reads back whole, and stays while it does not", SwitchOff,
     {{L"A", Both, L"10.1.1.1", FILTER6}}, L"A|10.1.1.1,10.1.1.2|fd00::53,fd00::54|ipv4-restore-pending\n",
     L"A|10.1.1.1,10.1.1.2|fd00::53,fd00::54|ipv6-restore-pending\n", L"A/4=10.1.1.1,10.1.1.2 A/6=fd00::53,fd00::54",
     L"A/4=10.1.1.1,10.1.1.2 A/6=fd00::53", false, ServersNotGivenBack},
    {"so does a close", Close, {{L"A", Ipv4Only, L"10.1.1.1", L""}}, L"A|10.1.1.1,10.1.1.2||ipv4-restore-pending\n",
     nullptr, L"A/4=10.1.1.1,10.1.1.2", L"A/4=10.1.1.1,10.1.1.2", true},
    {"and so do the keys of an adapter that is gone", SwitchOff, {{L"Dock", Unlisted, L"10.1.1.1", L""}},
     L"Dock|10.1.1.1,10.1.1.2||ipv4-restore-pending\n", nullptr, L"Dock/4 keys=10.1.1.1,10.1.1.2",
     L"Dock/4=10.1.1.1,10.1.1.2", true},
    {"so does a netsh that did not finish", SwitchOff, {{L"A", Ipv4Only, FILTER4, L""}}, L"A|10.1.1.1|\n", nullptr,
     L"A/4=10.1.1.1", L"A/4=10.1.1.1", false, ServersNotGivenBack, NetshDidNotFinish},
    {"a restore stored in another form of the same addresses, as Windows may store IPv6, took effect", SwitchOff,
     {{L"A", Ipv6Only, L"", FILTER6}}, L"A||fd00:0:0::53\n", nullptr, L"A/6=fd00:0:0::53", L"A/6=fd00::53", true},
    {"a list of adapters that was cut lets the saved settings go once every row came back", SwitchOff,
     {{L"A", Ipv4Only, FILTER4, L""}}, L"A|10.1.1.1|\n", nullptr, L"A/4=10.1.1.1", L"A/4=10.1.1.1", true, NoProblem,
     AdapterListCut},
    {"an adapter that is gone gets its saved servers in its interface's keys, for when it returns", SwitchOff,
     {{L"WiFi", Both, FILTER4, L""}, {L"Dock", Unlisted, FILTER4, L""}}, L"WiFi|192.0.2.53|\nDock|198.51.100.7|\n",
     nullptr, L"WiFi/4=192.0.2.53 Dock/4 keys=198.51.100.7", L"WiFi/4=192.0.2.53 Dock/4=198.51.100.7", true},
    {"so does one with automatic servers saved", SwitchOff, {{L"Dock", Unlisted, FILTER4, FILTER6}},
     L"Dock|,; |\n", nullptr, L"Dock/4 keys=,;  Dock/6 keys=", L"Dock/4= Dock/6=", true},
    {"keys that could not be written keep the saved settings", SwitchOff, {{L"Dock", Unlisted, FILTER4, L""}},
     L"Dock|198.51.100.7|\n", nullptr, L"Dock/4 keys=198.51.100.7", L"", false, ServersNotGivenBack},
    {"an unbound family that names the filter keeps the saved settings", SwitchOff, {{L"A", Ipv4Only, FILTER4, FILTER6}},
     L"A|192.0.2.53|fd00::53\n", nullptr, L"A/4=192.0.2.53", L"A/4=192.0.2.53"},
    {"a list written by hand goes into the keys as the applier takes it", SwitchOff,
     {{L"Dock", Unlisted, FILTER4, L""}}, L"Dock|192.0.2.53;192.0.2.54|\n", nullptr,
     L"Dock/4 keys=192.0.2.53;192.0.2.54", L"Dock/4=192.0.2.53,192.0.2.54", true},
    {"a family whose servers cannot be read is not restored, and keeps the saved settings", SwitchOff,
     {{L"A", Both, UNREADABLE, FILTER6}}, L"A|10.1.1.1|fd00::53\n", nullptr, L"A/6=fd00::53", L"A/6=fd00::53", false,
     ServersNotRead},
    {"each family gets its own encryption back, and one that had none gets none", SwitchOff,
     {{L"A", Both, FILTER4, FILTER6}, {L"B", Ipv4Only, FILTER4, L""}}, L"A|192.0.2.53|fd00::53|ipv4-doh=" OWN_DOH L"\n",
     nullptr, L"A/4=192.0.2.53 doh=" OWN_DOH L" A/6=fd00::53 doh= B/4= doh=", L"A/4=192.0.2.53 A/6=fd00::53 B/4=", true,
     NoProblem, AllFound, DohWithFallback},
    {"encryption that does not come back keeps the saved settings", SwitchOff, {{L"A", Ipv4Only, FILTER4, L""}},
     L"A|192.0.2.53||ipv4-doh=" OWN_DOH L"\n", nullptr, L"A/4=192.0.2.53 doh=" OWN_DOH, L"A/4=192.0.2.53", false,
     ServersNotGivenBack, AllFound, DohWithFallback, false},
    {"closing gives back only what the saved settings hold: a filter without a row stays", Close,
     {{L"A", Both, FILTER4, FILTER6}, {L"B", Ipv4Only, FILTER4, L""}}, L"A|192.0.2.53|\n", nullptr,
     L"A/4=192.0.2.53 A/6=", L"A/4=192.0.2.53 A/6=", true},
};

static void SetFamily(const std::wstring& servers, wchar_t* list, NameServerState* state)
{
    *state = servers == UNREADABLE ? ServersUnreadable : ServersRead;
    wcsncpy(list, *state == ServersRead ? servers.c_str() : L"", DnsServerListUnits - 1);
}

static AdapterRecord Record(const std::wstring& name, const std::wstring& ipv4, const std::wstring& ipv6,
                           int ipv4Index = 0, int ipv6Index = 0, const std::wstring& ipv4Doh = L"")
{
    AdapterRecord record = {};
    wcsncpy(record.Name, name.c_str(), AdapterNameUnits - 1);
    wcsncpy(record.Ipv4Doh, ipv4Doh.c_str(), DohListUnits - 1);
    SetFamily(ipv4, record.Ipv4Servers, &record.Ipv4State);
    SetFamily(ipv6, record.Ipv6Servers, &record.Ipv6State);
    record.Ipv4InterfaceIndex = ipv4Index;
    record.Ipv6InterfaceIndex = ipv6Index;
    return record;
}

static void ReadRows(const wchar_t* text, SavedSettings* saved)
{
    *saved = {};
    saved->State = text == NoFile ? NoSavedSettings : text == LockedSavedSettings ? SavedSettingsUnreadable
                                                                                    : SavedSettingsRead;
    std::wistringstream lines(saved->State == SavedSettingsRead ? text : L"");
    for (std::wstring line; std::getline(lines, line);)
        ASSERT_EQ(ParseSavedRow(&line[0], &saved->Rows[saved->RowCount++]), SavedRowRead);
}

static std::wstring RowsText(const SavedSettings& saved)
{
    std::wstring text;
    for (int i = 0; i < saved.RowCount; ++i) {
        wchar_t line[SavedLineUnits];
        FormatSavedRow(saved.Rows[i], line, SavedLineUnits);
        text += std::wstring(line) + L"\n";
    }
    return text;
}

// Encryption settings show as " doh=<list>", the filter's as "filter" or "filter-only".
static std::wstring FamilyText(const wchar_t* name, IpFamily family, const wchar_t* servers, const wchar_t* how,
                               const wchar_t* doh = nullptr)
{
    bool filter = servers == std::wstring(family == Ipv4Family ? FILTER4 : FILTER6);
    std::wstring text = std::wstring(L" ") + name + (family == Ipv4Family ? L"/4" : L"/6") + how +
                        (filter ? L"filter" : servers);
    if (!doh)
        return text;
    const wchar_t* withFallback = FilterDohList(family, DohWithFallback);
    const wchar_t* only = FilterDohList(family, DohOnly);
    return text + L" doh=" + (wcscmp(doh, withFallback) == 0 ? L"filter" : wcscmp(doh, only) == 0 ? L"filter-only" : doh);
}

// The keys of an adapter Windows no longer lists show as "<name>/4 keys=<list>".
static std::wstring ChangesText(const SwitchingPlan& plan, const AdapterRecord* adapters, const SavedSettings& saved)
{
    std::wstring text;
    for (int i = 0; i < plan.ChangeCount; ++i) {
        const FamilyChange& change = plan.Changes[i];
        text += FamilyText(adapters[change.Adapter].Name, change.Family, change.Servers, L"=", change.Doh);
    }
    for (int i = 0; i < plan.KeyChangeCount; ++i) {
        const KeyChange& change = plan.KeyChanges[i];
        text += FamilyText(saved.Rows[change.Row].Name, change.Family, change.Servers, L" keys=");
    }
    return text.empty() ? text : text.substr(1);
}

// The pass's adapter list: the listed interfaces, with an index for each bound family.
static int ListAdapters(const std::vector<Interface>& machine, AdapterRecord* adapters)
{
    int count = 0;
    for (int i = 0; i < static_cast<int>(machine.size()); ++i) {
        const Interface& entry = machine[i];
        if (entry.Bound == Unlisted)
            continue;
        int ipv4Index = entry.Bound != Ipv6Only ? i + 1 : 0, ipv6Index = entry.Bound != Ipv4Only ? i + 101 : 0;
        adapters[count++] = Record(entry.Name, entry.Ipv4, entry.Ipv6, ipv4Index, ipv6Index, entry.Ipv4Doh);
    }
    return count;
}

// As the registry finds an interface's keys: by name, in any case.
static Interface* Find(std::vector<Interface>& machine, const wchar_t* name)
{
    for (Interface& entry : machine) {
        if (_wcsicmp(entry.Name, name) == 0)
            return &entry;
    }
    return nullptr;
}

// The machine once the pass is done: as before, but for the families the row reads back otherwise.
static std::vector<Interface> MachineAfter(const PassCase& c)
{
    std::vector<Interface> machine = c.Machine;
    std::wistringstream families(c.ReadBack);
    for (std::wstring family; families >> family;) {
        size_t slash = family.find(L'/');
        std::wstring list = family.substr(slash + 3);
        bool ipv4 = family[slash + 1] == L'4';
        Interface* entry = Find(machine, family.substr(0, slash).c_str());
        (ipv4 ? entry->Ipv4 : entry->Ipv6) = list != L"filter" ? list : ipv4 ? FILTER4 : FILTER6;
    }
    return machine;
}

// An interface's keys as the pass reads them by name; an interface the machine does not have, has none.
static AdapterRecord Current(std::vector<Interface>& machine, const wchar_t* name)
{
    const Interface* entry = Find(machine, name);
    if (entry)
        return Record(entry->Name, entry->Ipv4, entry->Ipv6);
    AdapterRecord record = Record(name, L"", L"");
    record.Ipv4State = record.Ipv6State = NoInterfaceKey;
    return record;
}

// What the pass gathers once it is done, from the row's data.
static const PassAftermath& Aftermath(const PassCase& c, const AdapterRecord* adapters, int count,
                                      const SavedSettings& saved, const SwitchingPlan& plan)
{
    std::vector<Interface> machine = MachineAfter(c);
    static PassAftermath after;
    after.SavedSettingsWritten = c.Found != WriteFails;
    after.NetshFinished = c.Found != NetshDidNotFinish;
    after.AdapterListIsWhole = c.Found != AdapterListCut;
    after.AdapterCount = count;
    for (int i = 0; i < count; ++i) {
        after.Adapters[i] = Current(machine, adapters[i].Name);
        after.Adapters[i].Ipv4InterfaceIndex = adapters[i].Ipv4InterfaceIndex;
        after.Adapters[i].Ipv6InterfaceIndex = adapters[i].Ipv6InterfaceIndex;
        wcscpy(after.Adapters[i].Ipv4Doh, adapters[i].Ipv4Doh);
    }
    for (int i = 0; i < plan.ChangeCount && c.DohTakes; ++i) {
        const FamilyChange& change = plan.Changes[i];
        AdapterRecord& now = after.Adapters[change.Adapter];
        if (change.Doh)
            wcscpy(change.Family == Ipv4Family ? now.Ipv4Doh : now.Ipv6Doh, change.Doh);
    }
    for (int i = 0; i < saved.RowCount; ++i)
        after.RowInterfaces[i] = Current(machine, saved.Rows[i].Name);
    return after;
}

TEST(SwitchingPlan, DecidesWhatAWholePassWritesChangesAndLeaves)
{
    for (const PassCase& c : Cases) {
        SCOPED_TRACE(c.What);
        AdapterRecord adapters[MaxAdapters];
        static SavedSettings saved;
        int count = ListAdapters(c.Machine, adapters);
        ReadRows(c.Saved, &saved);
        std::wstring rowsBefore = RowsText(saved);
        std::vector<Interface> machine = c.Machine;
        static AdapterRecord rowInterfaces[MaxSavedRows];
        for (int i = 0; i < saved.RowCount; ++i)
            rowInterfaces[i] = Current(machine, saved.Rows[i].Name);
        SwitchingPlan plan = c.Kind == SwitchOn  ? PlanSwitchOn(adapters, count, saved, c.Doh)
                             : c.Kind == CatchUp ? PlanCatchUp(adapters, count, saved, c.Doh)
                                                 : PlanSwitchOff(adapters, count, saved, rowInterfaces,
                                                                 c.Kind == Close ? WindowClosing : SwitchedOffByUser,
                                                                 c.Doh);
        EXPECT_EQ(ChangesText(plan, adapters, saved), c.Changes);
        const PassAftermath& after = Aftermath(c, adapters, count, saved, plan);
        bool rewritten = plan.RowsChanged;
        if (c.Kind == SwitchOn) {
            EXPECT_EQ(SwitchOnProblem(plan, after), c.Problem);
        } else if (c.Kind == CatchUp) {
            EXPECT_EQ(CatchUpProblem(plan, after), c.Problem);
        } else {
            bool savedSettingsGo = SavedSettingsMayGo(saved, plan, after);
            EXPECT_EQ(savedSettingsGo, c.SavedSettingsGo);
            EXPECT_EQ(SwitchOffProblem(plan, after), c.Problem);
            rewritten = !savedSettingsGo && RecordPendingRestores(plan, after, saved);
        }
        EXPECT_EQ(rewritten, c.Written != nullptr);
        EXPECT_EQ(RowsText(saved), c.Written ? c.Written : rowsBefore);
    }
}

TEST(SwitchingPlan, LeavesDnsToAPolicyThatDecidesIt)
{
    const struct {
        const wchar_t* NameServer;
        DWORD DoHPolicy;
        bool DohTaken; // the DNS client takes encryption settings by server (Windows 11)
        PassProblem Problem;
        DohChoice Doh;
    } rows[] = {
        {L"", 0, false, NoProblem, NoDoh},
        {L"", 0, true, NoProblem, DohWithFallback},
        {L" ,; ", 2, true, NoProblem, DohWithFallback},
        {L"10.0.0.53 10.0.0.54", 0, true, DnsSetByPolicy, DohWithFallback},
        {L"?", 3, true, DnsSetByPolicy, DohOnly}, // a value there that cannot be read
        {L"", 3, false, EncryptedDnsRequired, NoDoh},
        {L"", 3, true, NoProblem, DohOnly},
        {L"", 1, true, NoProblem, NoDoh}, // encrypted DNS prohibited
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "\"" << row.NameServer << "\" " << row.DoHPolicy << " " << row.DohTaken);
        DnsClientPolicy policy = {};
        wcscpy(policy.NameServer, row.NameServer);
        policy.DoHPolicy = row.DoHPolicy;
        EXPECT_EQ(PolicyProblem(policy, row.DohTaken), row.Problem);
        EXPECT_EQ(ChooseDoh(policy, row.DohTaken), row.Doh);
    }
}

// The saved settings are the one input a program without administrator rights controls. Whatever it holds, a
// switch-off reads and plans without crashing or hanging, and hands on the rows' own lists, which the
// applier then cuts to address literals.
TEST(SwitchingPlan, PlansFromTheRowsWhateverTheSavedSettingsHold)
{
    const char* const names[] = {"A", "B", "C"};
    AdapterRecord adapters[3];
    for (int i = 0; i < 3; ++i)
        adapters[i] = Record(Wide(names[i]), FILTER4, FILTER6, i + 1, i + 101);
    std::wstring folder = CreateTestFolder();
    ScopedPath saved(StateFilePath, folder + L"\\nublaro.txt");
    std::mt19937 random(7);
    int withServers = 0;
    for (int i = 0; i < 10000 && !HasFailure(); ++i) {
        SCOPED_TRACE(i);
        WriteBytes(StateFilePath, GeneratedSavedSettingsFile(random, names, 3));
        static SavedSettings saved;
        static const AdapterRecord noKeys[MaxSavedRows] = {};
        LoadSavedSettings(&saved);
        SwitchingPlan plan = PlanSwitchOff(adapters, 3, saved, noKeys, SwitchedOffByUser);
        for (int c = 0; c < plan.ChangeCount; ++c) {
            const wchar_t* servers = plan.Changes[c].Servers;
            EXPECT_TRUE(servers[0] == L'\0' || (servers >= saved.Rows[0].Name && servers < saved.Rows[MaxSavedRows].Name))
                << "a row's own list";
            withServers += servers[0] != L'\0';
        }
    }
    EXPECT_GT(withServers, 1000) << "the generated rows reach the adapters";
    RemoveTestFolder(folder);
}
