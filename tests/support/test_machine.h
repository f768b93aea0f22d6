// The machine whose DNS settings tests change: the disposable Wine prefix with the stand-in netsh, a
// saved-settings file in a folder of the test's own, and a DNS client whose cache flush is counted.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

// Points the cache flush at the test DNS client and returns a reference to it, which the caller holds
// so that each flush's own load and free leave the client's count of flushes in place.
HMODULE HoldFakeDnsClient();

class TestMachineTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    int FlushCalls() const { return *flushCalls; }

    std::wstring folder;
    std::wstring savedPath;

private:
    HMODULE dnsClient = nullptr;
    int* flushCalls = nullptr;
};
