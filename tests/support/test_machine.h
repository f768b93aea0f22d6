// The machine whose DNS settings tests change: the disposable Wine prefix with the stand-in netsh, a
// saved-settings file in a folder of the test's own, and a DNS client whose cache flush is counted.
// Every seam and path of the program that a test changes is put back after it.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "dns/adapter_inventory.h"
#include "dns/command_runner.h"
#include "dns/dns_applier.h"
#include "dns/netsh_script.h"
#include "settings/saved_settings.h"
#include "support/scoped_override.h"

// Tests that change system settings run only where the machine is a disposable Wine prefix.
bool RunningUnderWine();
#define SKIP_UNLESS_DISPOSABLE_MACHINE()                                                                  \
    do {                                                                                                  \
        if (!RunningUnderWine())                                                                          \
            GTEST_SKIP() << "changes network settings; runs only in a disposable Wine prefix";            \
    } while (0)

// Points the cache flush at the test DNS client and returns a reference to it, which the caller holds
// so that each flush's own load and free leave the client's count of flushes in place.
HMODULE HoldFakeDnsClient();

class TestMachineTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // A fixture's own set-up, run once the machine is ready: never where the test skips.
    virtual void SetUpMachine() {}

    int FlushCalls() const { return *flushCalls; }

    std::wstring folder;
    std::wstring savedPath;

private:
    ScopedOverride<decltype(&GetAdaptersAddresses)> adapterQuery{GetAdaptersAddressesProc};
    ScopedOverride<decltype(&ConvertInterfaceIndexToLuid)> indexToLuid{ConvertInterfaceIndexToLuidProc};
    ScopedOverride<decltype(&ConvertInterfaceLuidToGuid)> luidToGuid{ConvertInterfaceLuidToGuidProc};
    ScopedOverride<SetInterfaceDnsSettingsFn*> dnsSettings{SetInterfaceDnsSettingsProc};
    ScopedOverride<decltype(&LoadLibraryExW)> dnsClientLoad{LoadLibraryExProc};
    ScopedPath statePath{StateFilePath};
    ScopedPath netshPath{NetshPath};
    ScopedPath ipconfigPath{IpconfigPath};
    HMODULE dnsClient = nullptr;
    int* flushCalls = nullptr;
};
