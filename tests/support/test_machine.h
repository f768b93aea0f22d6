// The machine whose DNS settings tests change: the disposable Wine prefix with the stand-in netsh, a
// saved-settings file in a folder of the test's own, and a DNS client whose cache flush is counted.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

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
