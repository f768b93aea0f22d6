// The netsh script: the fallback commands of one switching pass, run once by one hidden netsh at its end.
//
// netsh runs the script with administrator rights, so no program without them may change it before
// netsh has read it. It lies in the Windows temporary folder, where only administrators can change
// what an elevated process created, under a name nobody has used, created exclusively and written
// through a handle that shares reading only. While netsh runs it is held for reading only, sharing
// reading only: netsh can open it however it reads it, and nobody can write, rename or delete it.
#include "dns/netsh_script.h"

#include <stdarg.h>
#include <strsafe.h>

#include "dns/command_runner.h"

wchar_t NetshPath[MAX_PATH];
wchar_t ScriptFolder[MAX_PATH];
HANDLE ScriptFile;
wchar_t ScriptPath[MAX_PATH];

static const DWORD NetshTimeoutMs = 60000;
static const int NameAttempts = 16;

static bool CreateScript()
{
    if (ScriptFolder[0] == L'\0')
        return false;
    UINT seed = GetTickCount() ^ (GetCurrentProcessId() << 8);
    for (int attempt = 0; attempt < NameAttempts; ++attempt) {
        UINT unique = ((seed + attempt * 7919) & 0xFFFF) | 1; // 0 would make the system create the file itself
        if (GetTempFileNameW(ScriptFolder, L"dns", unique, ScriptPath) == 0)
            return false;
        HANDLE file = CreateFileW(ScriptPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            ScriptFile = file;
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS)
            return false;
    }
    return false;
}

void WriteScriptLine(const wchar_t* format, ...)
{
    wchar_t line[512];
    va_list arguments;
    va_start(arguments, format);
    StringCchVPrintfW(line, ARRAYSIZE(line), format, arguments);
    va_end(arguments);

    char ansi[1024];
    if (WideCharToMultiByte(CP_ACP, 0, line, -1, ansi, sizeof(ansi), nullptr, nullptr) == 0)
        return;

    // Written as a text-mode stream would: every line feed becomes carriage return and line feed.
    char bytes[2 * sizeof(ansi)];
    DWORD length = 0;
    for (const char* c = ansi; *c != '\0'; ++c) {
        if (*c == '\n')
            bytes[length++] = '\r';
        bytes[length++] = *c;
    }
    DWORD written;
    WriteFile(ScriptFile, bytes, length, &written, nullptr); // a lost line shows in the read-back of the next pass
}

void AppendNetshCommands(ULONG interfaceIndex, IpFamily family, const wchar_t* list)
{
    if (!ScriptFile && !CreateScript())
        return; // these commands are lost; the next fallback of the pass tries again

    const wchar_t* familyWord = family != Ipv4Family ? L"ipv6" : L"ipv4";
    if (list[0] == L'\0') {
        WriteScriptLine(L"interface %ls set dns name=%lu source=dhcp\n", familyWord, interfaceIndex);
        return;
    }

    DnsServerList copy;
    StringCchCopyW(copy, ARRAYSIZE(copy), list);
    int written = 0;
    wchar_t* cursor = copy;
    for (wchar_t* address = NextListElement(&cursor); address; address = NextListElement(&cursor)) {
        if (written == 0)
            WriteScriptLine(L"interface %ls set dns name=%lu source=static address=%ls validate=no\n", familyWord,
                            interfaceIndex, address);
        else
            WriteScriptLine(L"interface %ls add dnsservers name=%lu address=%ls index=%d validate=no\n", familyWord,
                            interfaceIndex, address, written + 1);
        ++written;
    }
}

void RunNetshScript()
{
    if (!ScriptFile)
        return;
    CloseHandle(ScriptFile);
    ScriptFile = nullptr;

    // A script that cannot be held so (someone has it open for writing, or it is gone) is not run.
    HANDLE held = CreateFileW(ScriptPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (held != INVALID_HANDLE_VALUE) {
        wchar_t commandLine[552];
        StringCchPrintfW(commandLine, ARRAYSIZE(commandLine), L"\"%ls\" -f \"%ls\"", NetshPath, ScriptPath);
        RunHiddenCommand(commandLine, NetshTimeoutMs);
        CloseHandle(held);
    }
    DeleteFileW(ScriptPath); // fails while a timed-out netsh still has it open; the file is then left
}
