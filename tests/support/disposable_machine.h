// Guards for tests that change system settings: they run only where the machine is a disposable Wine prefix.
#pragma once

#include <gtest/gtest.h>

bool RunningUnderWine();

#define SKIP_UNLESS_DISPOSABLE_MACHINE()                                                                  \
    do {                                                                                                  \
        if (!RunningUnderWine())                                                                          \
            GTEST_SKIP() << "changes network settings; runs only in a disposable Wine prefix";            \
    } while (0)
