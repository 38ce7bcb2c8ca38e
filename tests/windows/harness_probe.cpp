// A GoogleTest program whose one test passes and which then ends badly:
// with exit code 23, or (HARNESS_PROBE_CRASH) in a page fault. The suite
// registers it as it registers its own test programs and expects it to be
// counted failed, though GoogleTest's summary says every test passed.

#include <gtest/gtest.h>

#include <cstdio>

TEST(HarnessProbe, Passes) { SUCCEED(); }

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::fflush(stdout);
    if (result != 0) return result;
#ifdef HARNESS_PROBE_CRASH
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
    return 0;  // only if the write did not fault: then the harness rightly passes it
#else
    return 23;
#endif
}
