// What the stand-in netsh installed in the test prefix did, read from its log.
#pragma once

#include <string>
#include <vector>

// Points the stand-in at a fresh, empty log; child processes inherit the setting.
void StartNetshLog();
std::vector<std::wstring> NetshLog();
int NetshRuns();
std::vector<std::wstring> NetshLinesRun(); // each "line ..." entry without its prefix

// Asserts that the netsh start-up found is the stand-in; scripts/test installs it in the prefix.
void ExpectNetshStandInInstalled();
