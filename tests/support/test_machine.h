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
#include "dns/doh_settings.h"
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

// The cache flush counts its calls in FlushCalls and answers that each worked.
void UseCountingDnsClient();
extern int FlushCalls;

class TestMachineTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // A fixture's own set-up, run once the machine is ready: never where the test skips.
    virtual void SetUpMachine() {}

    std::wstring folder;
    std::wstring savedPath;

private:
    ScopedOverride<decltype(&GetAdaptersAddresses)> adapterQuery{GetAdaptersAddressesProc};
    ScopedOverride<decltype(&GetIfTable2)> interfaceTable{GetIfTable2Proc};
    ScopedOverride<SetInterfaceDnsSettingsFn*> dnsSettings{SetInterfaceDnsSettingsProc};
    ScopedOverride<GetInterfaceDnsSettingsFn*> dnsSettingsRead{GetInterfaceDnsSettingsProc};
    ScopedOverride<FreeInterfaceDnsSettingsFn*> dnsSettingsFree{FreeInterfaceDnsSettingsProc};
    ScopedOverride<DnsFlushResolverCacheFn*> dnsClient{DnsFlushResolverCacheProc};
    ScopedPath statePath{StateFilePath};
    ScopedPath netshPath{NetshPath};
    ScopedPath ipconfigPath{IpconfigPath};
};
