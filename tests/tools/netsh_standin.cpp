// A stand-in for Windows' netsh.exe, installed over the one in a disposable Wine prefix (Wine's own
// netsh ignores its input). It runs "-f script" files holding the three kinds of line Nublaro writes,
// changing the NameServer values under "Tcpip" and "Tcpip6" as Windows' netsh does, and logs every
// invocation and every line it runs.
//
// It opens the script as strictly as any reader could, for reading and sharing reading only.
//
// Environment: NETSH_STANDIN_LOG names the log file; NETSH_STANDIN_DELAY_MS makes it wait that long
// before it starts; NETSH_STANDIN_TAMPER=1 makes it log whether the script's access list lets in anyone
// but Administrators and SYSTEM, and try to change the script, as a hostile program would, and log
// whether it could. A DWORD value KillParentAfterLines under
// HKLM\Software\NetshStandIn makes the next run end the process that started it once that many lines
// have run, as a crash or power cut would at that point; the run removes the value.
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <tlhelp32.h>

#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>

#include "read_to_end.h"
#include "tool_log.h"

static std::wstring Environment(const wchar_t* name)
{
    wchar_t value[1024];
    DWORD length = GetEnvironmentVariableW(name, value, 1024);
    return length > 0 && length < 1024 ? value : L"";
}

static void Log(const std::wstring& text)
{
    AppendToLog(L"NETSH_STANDIN_LOG", text);
}

// Tests name their own adapters' keys under HKLM\Software\NetshStandIn\Interfaces; Wine's own adapters
// are found through IP Helper, by the GUID that names their key.
static std::wstring InterfaceKeyName(unsigned long index)
{
    wchar_t mapped[256];
    DWORD bytes = sizeof(mapped);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\NetshStandIn\\Interfaces", std::to_wstring(index).c_str(),
                     RRF_RT_REG_SZ, nullptr, mapped, &bytes) == ERROR_SUCCESS)
        return mapped;

    NET_LUID luid;
    GUID guid;
    if (ConvertInterfaceIndexToLuid(index, &luid) != NO_ERROR || ConvertInterfaceLuidToGuid(&luid, &guid) != NO_ERROR)
        return L"";
    wchar_t text[64];
    swprintf(text, 64, L"{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.Data1, guid.Data2, guid.Data3,
             guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
             guid.Data4[6], guid.Data4[7]);
    return text;
}

static std::wstring KeyPath(const std::wstring& family, const std::wstring& name)
{
    return std::wstring(L"SYSTEM\\CurrentControlSet\\Services\\") + (family == L"ipv4" ? L"Tcpip" : L"Tcpip6") +
           L"\\Parameters\\Interfaces\\" + name;
}

static std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator)
{
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::wstring::npos)
            end = text.size();
        if (end > start)
            parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

static std::wstring ReadServers(const std::wstring& keyPath)
{
    wchar_t value[1024];
    DWORD bytes = sizeof(value);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, keyPath.c_str(), L"NameServer", RRF_RT_REG_SZ, nullptr, value, &bytes) !=
        ERROR_SUCCESS)
        return L"";
    return value;
}

static void WriteServers(const std::wstring& keyPath, const std::wstring& servers)
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExW(key, L"NameServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(servers.c_str()),
                   static_cast<DWORD>((servers.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

static std::wstring Argument(const std::vector<std::wstring>& words, const std::wstring& name)
{
    for (const std::wstring& word : words) {
        if (word.compare(0, name.size() + 1, name + L"=") == 0)
            return word.substr(name.size() + 1);
    }
    return L"";
}

// "interface ipv4 set dns name=12 source=dhcp", "... source=static address=A validate=no",
// "interface ipv4 add dnsservers name=12 address=A index=2 validate=no"
static void RunLine(const std::wstring& line)
{
    std::vector<std::wstring> words = Split(line, L' ');
    if (words.size() < 4 || words[0] != L"interface" || (words[1] != L"ipv4" && words[1] != L"ipv6")) {
        Log(L"error " + line);
        return;
    }
    std::wstring name = InterfaceKeyName(wcstoul(Argument(words, L"name").c_str(), nullptr, 10));
    if (name.empty()) {
        Log(L"error no interface " + line);
        return;
    }
    std::wstring keyPath = KeyPath(words[1], name);
    std::wstring address = Argument(words, L"address");

    if (words[2] == L"set" && words[3] == L"dns" && Argument(words, L"source") == L"dhcp") {
        WriteServers(keyPath, L"");
    } else if (words[2] == L"set" && words[3] == L"dns" && Argument(words, L"source") == L"static") {
        WriteServers(keyPath, address);
    } else if (words[2] == L"add" && words[3] == L"dnsservers") {
        std::vector<std::wstring> servers = Split(ReadServers(keyPath), L',');
        size_t position = wcstoul(Argument(words, L"index").c_str(), nullptr, 10);
        position = position == 0 ? servers.size() : std::min(position - 1, servers.size());
        servers.insert(servers.begin() + position, address);
        std::wstring joined;
        for (const std::wstring& server : servers)
            joined += (joined.empty() ? L"" : L",") + server;
        WriteServers(keyPath, joined);
    } else {
        Log(L"error " + line);
        return;
    }
    Log(L"line " + line);
}

// Whether the script's access list lets in anyone but Administrators and SYSTEM. Wine keeps no
// descriptor of its own: it turns the one given into Unix permissions and reports one made from them,
// where every other user shows as Everyone.
static bool OthersHaveAccess(const std::wstring& script)
{
    BYTE descriptor[1024];
    DWORD needed = 0;
    BOOL present = FALSE, defaulted = FALSE;
    ACL* acl = nullptr;
    if (!GetFileSecurityW(script.c_str(), DACL_SECURITY_INFORMATION, descriptor, sizeof(descriptor), &needed) ||
        !GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted) || !present || !acl)
        return true;
    for (int i = 0; i < acl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (!GetAce(acl, i, reinterpret_cast<void**>(&ace)))
            return true;
        for (WELL_KNOWN_SID_TYPE others : {WinWorldSid, WinAuthenticatedUserSid, WinBuiltinUsersSid}) {
            if (IsWellKnownSid(&ace->SidStart, others))
                return true;
        }
    }
    return false;
}

static void TryToTamperWith(const std::wstring& script)
{
    Log(OthersHaveAccess(script) ? L"tamper OTHERS HAVE ACCESS" : L"tamper others have no access");
    HANDLE writer = CreateFileW(script.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    Log(std::wstring(L"tamper write ") + (writer == INVALID_HANDLE_VALUE ? L"denied" : L"ALLOWED"));
    if (writer != INVALID_HANDLE_VALUE) {
        const char evil[] = "interface ipv4 set dns name=1 source=static address=6.6.6.6 validate=no\r\n";
        DWORD written;
        WriteFile(writer, evil, sizeof(evil) - 1, &written, nullptr);
        CloseHandle(writer);
    }
    std::wstring moved = script + L".moved";
    BOOL renamed = MoveFileExW(script.c_str(), moved.c_str(), 0);
    Log(std::wstring(L"tamper rename ") + (renamed ? L"ALLOWED" : L"denied"));
    if (renamed)
        MoveFileExW(moved.c_str(), script.c_str(), 0);
    BOOL deleted = DeleteFileW(script.c_str());
    Log(std::wstring(L"tamper delete ") + (deleted ? L"ALLOWED" : L"denied"));
}

static size_t TakeKillSetting()
{
    DWORD lines = 0;
    DWORD bytes = sizeof(lines);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\NetshStandIn", L"KillParentAfterLines", RRF_RT_REG_DWORD,
                     nullptr, &lines, &bytes) != ERROR_SUCCESS)
        return SIZE_MAX;
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"Software\\NetshStandIn", L"KillParentAfterLines");
    return lines;
}

static void KillParent()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL found = Process32FirstW(snapshot, &entry); found; found = Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID != GetCurrentProcessId())
            continue;
        HANDLE parent = OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ParentProcessID);
        Log(L"kill parent " + std::to_wstring(entry.th32ParentProcessID) +
            (parent && TerminateProcess(parent, 9) ? L"" : L" failed"));
        if (parent)
            CloseHandle(parent);
    }
    CloseHandle(snapshot);
}

// The script's lines, read as strictly as any reader could: for reading, sharing reading only.
static std::vector<std::wstring> ReadScriptLines(const std::wstring& script)
{
    std::vector<std::wstring> lines;
    HANDLE file = CreateFileW(script.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Log(L"error cannot open " + script + L": " + std::to_wstring(GetLastError()));
        return lines;
    }
    std::string text = ReadToEnd(file);
    CloseHandle(file);

    wchar_t wide[65536];
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide, 65536);
    for (std::wstring line : Split(std::wstring(wide, length), L'\n')) {
        line.erase(line.find_last_not_of(L'\r') + 1);
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

int wmain(int argc, wchar_t** argv)
{
    Log(std::wstring(L"run ") + GetCommandLineW());
    DWORD delay = wcstoul(Environment(L"NETSH_STANDIN_DELAY_MS").c_str(), nullptr, 10);
    if (delay > 0)
        Sleep(delay);

    std::wstring script;
    for (int i = 1; i + 1 < argc; ++i) {
        if (wcscmp(argv[i], L"-f") == 0)
            script = argv[i + 1];
    }
    if (script.empty())
        return 1;
    if (Environment(L"NETSH_STANDIN_TAMPER") == L"1")
        TryToTamperWith(script);

    size_t linesBeforeKill = TakeKillSetting();
    std::vector<std::wstring> lines = ReadScriptLines(script);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i == linesBeforeKill)
            KillParent();
        RunLine(lines[i]);
    }
    if (linesBeforeKill != SIZE_MAX && linesBeforeKill >= lines.size())
        KillParent();
    Log(L"done");
    return 0;
}
