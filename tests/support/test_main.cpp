// Entry point of every test program: wide arguments, as the programs under test have. A filter that
// matches no test fails, so that a test the build registers by name cannot pass by not running.
#include <gtest/gtest.h>

#include <stdio.h>

int wmain(int argc, wchar_t** argv)
{
    testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    if (testing::UnitTest::GetInstance()->test_to_run_count() == 0) {
        fprintf(stderr, "no test matched the filter\n");
        return 1;
    }
    return result;
}
