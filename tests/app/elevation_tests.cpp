#include <gtest/gtest.h>

#include "app/elevation.h"
#include "support/test_machine.h"

TEST(IsProcessElevated, ReportsTheTokensElevation)
{
    if (!RunningUnderWine())
        GTEST_SKIP() << "the answer depends on how the test was started; Wine's token is elevated";
    EXPECT_TRUE(IsProcessElevated());
}
