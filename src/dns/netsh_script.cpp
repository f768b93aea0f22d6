// The netsh script: the fallback commands of one switching pass, run once by one hidden netsh at its end.
//
// netsh runs the script with administrator rights, so no program without them may change it before
// netsh has read it, nor keep it from being made. Its name comes from the system's cryptographic random
// source, so nobody can take it first; it is created exclusively, with a protected descriptor that lets
// Administrators and SYSTEM do anything with it and nobody else anything, whatever its folder would
// pass on; it is written through a handle that shares reading only. While netsh runs it is held for
// reading only, sharing reading only: netsh can open it however it reads it, and nobody can write,
// rename or delete it.
#include "dns/netsh_script.h"

#include <bcrypt.h>
#include <sddl.h>
#include <strsafe.h>

#include "dns/command_runner.h"

wchar_t NetshPath[MAX_PATH];
wchar_t ScriptFolder[MAX_PATH];

static const DWORD NetshTimeoutMs = 60000;

// Lists are applied as text, and a saved list comes from a file anyone may have edited: only address
// literals may reach a netsh command line.
void FormatNetshCommands(const NetshChange& change, wchar_t* text, int units)
{
    const wchar_t* familyWord = change.Family == Ipv6Family ? L"ipv6" : L"ipv4";
    DnsServerList addresses;
    KeepAddressLiterals(change.Servers, addresses);
    text[0] = L'\0';
    if (addresses[0] == L'\0') {
        StringCchPrintfW(text, units, L"interface %ls set dns name=%lu source=dhcp\r\n", familyWord,
                         change.InterfaceIndex);
        return;
    }

    int written = 0;
    wchar_t* cursor = addresses;
    for (wchar_t* address = NextListElement(&cursor); address; address = NextListElement(&cursor), ++written) {
        wchar_t line[160];
        if (written == 0)
            StringCchPrintfW(line, ARRAYSIZE(line),
                             L"interface %ls set dns name=%lu source=static address=%ls validate=no\r\n", familyWord,
                             change.InterfaceIndex, address);
        else
            StringCchPrintfW(line, ARRAYSIZE(line),
                             L"interface %ls add dnsservers name=%lu address=%ls index=%d validate=no\r\n",
                             familyWord, change.InterfaceIndex, address, written + 1);
        StringCchCatW(text, units, line);
    }
}

// From the system's preferred random source; bcrypt.dll is loaded on first use, from the system folder.
static bool GenerateRandom(void* buffer, ULONG bytes)
{
    return BCryptGenRandom(nullptr, static_cast<UCHAR*>(buffer), bytes, BCRYPT_USE_SYSTEM_PREFERRED_RNG) == 0;
}

static bool ChooseScriptPath(wchar_t* path)
{
    ULONG random[2];
    return ScriptFolder[0] != L'\0' && GenerateRandom(random, sizeof(random)) &&
           SUCCEEDED(StringCchPrintfW(path, MAX_PATH, L"%ls\\dns%08lx%08lx.tmp", ScriptFolder, random[0], random[1]));
}

// Administrators and SYSTEM may do anything with the script and nobody else anything, whatever its
// folder would pass on.
static const wchar_t ScriptDescriptor[] = L"D:P(A;;FA;;;BA)(A;;FA;;;SY)";

static HANDLE CreateScript(wchar_t* path)
{
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), nullptr, FALSE};
    if (!ChooseScriptPath(path) || !ConvertStringSecurityDescriptorToSecurityDescriptorW(
                                       ScriptDescriptor, SDDL_REVISION_1, &attributes.lpSecurityDescriptor, nullptr))
        return INVALID_HANDLE_VALUE;
    HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, &attributes, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY,
                              nullptr);
    LocalFree(attributes.lpSecurityDescriptor);
    return file;
}

// In the ANSI code page, as netsh reads a script, without a byte-order mark.
static bool WriteAnsi(HANDLE file, const wchar_t* text)
{
    char bytes[2 * NetshCommandsUnits];
    int length = WideCharToMultiByte(CP_ACP, 0, text, -1, bytes, sizeof(bytes), nullptr, nullptr);
    DWORD written = 0;
    return length > 0 && WriteFile(file, bytes, length - 1, &written, nullptr) &&
           written == static_cast<DWORD>(length - 1);
}

static bool WriteScript(HANDLE file, const NetshChange* changes, int count)
{
    for (int i = 0; i < count; ++i) {
        wchar_t text[NetshCommandsUnits];
        FormatNetshCommands(changes[i], text, ARRAYSIZE(text));
        if (!WriteAnsi(file, text))
            return false;
    }
    return true;
}

// A script that cannot be held so (someone has it open for writing, or it is gone) is not run.
static bool RunHeldScript(const wchar_t* path)
{
    HANDLE held = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (held == INVALID_HANDLE_VALUE)
        return false;
    wchar_t commandLine[552];
    StringCchPrintfW(commandLine, ARRAYSIZE(commandLine), L"\"%ls\" -f \"%ls\"", NetshPath, path);
    bool finished = RunHiddenCommand(commandLine, NetshTimeoutMs);
    CloseHandle(held);
    return finished;
}

bool RunNetshScript(const NetshChange* changes, int count)
{
    if (count == 0)
        return true;
    wchar_t path[MAX_PATH];
    HANDLE file = CreateScript(path);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool written = WriteScript(file, changes, count);
    CloseHandle(file);
    bool finished = written && RunHeldScript(path);
    DeleteFileW(path); // fails only while a netsh that could not be ended still has it open
    return finished;
}
