#include <gtest/gtest.h>

#include <string>

#include "app/system_paths.h"
#include "dns/command_runner.h"
#include "dns/dns_applier.h"
#include "dns/netsh_script.h"
#include "settings/saved_settings.h"
#include "support/files.h"
#include "support/scoped_override.h"

TEST(InitializePaths, PutsTheSavedSettingsBesideTheExecutableAndSystemProgramsInTheSharedWindowsFolder)
{
    ScopedPath netsh(NetshPath), ipconfig(IpconfigPath), scripts(ScriptFolder);
    InitializePaths();

    std::wstring module = ThisProgramPath();
    std::wstring directory = module.substr(0, module.rfind(L'\\') + 1);
    EXPECT_EQ(std::wstring(StateFilePath), directory + L"nublaro.txt");
    wchar_t windows[MAX_PATH];
    ASSERT_GT(GetSystemWindowsDirectoryW(windows, MAX_PATH), 0u);
    EXPECT_EQ(std::wstring(NetshPath), std::wstring(windows) + L"\\System32\\netsh.exe");
    EXPECT_EQ(std::wstring(IpconfigPath), std::wstring(windows) + L"\\System32\\ipconfig.exe");
    EXPECT_EQ(std::wstring(ScriptFolder), std::wstring(windows) + L"\\Temp");

    FARPROC offered = GetProcAddress(GetModuleHandleW(L"iphlpapi.dll"), "SetInterfaceDnsSettings");
    EXPECT_EQ(reinterpret_cast<void*>(SetInterfaceDnsSettingsProc), reinterpret_cast<void*>(offered))
        << "null where the system lacks the call, as Wine does";
}
