#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "platform/SideBySide.h"

// Every part runs once, also when one fails, and the failure comes back to the caller.
TEST(SideBySide, EveryJobRunsAndAFailureIsRaisedAfterAll) {
    std::atomic<int> ran{0};
    std::atomic<int> mask{0};
    const auto job = [&](int i) {
        ++ran;
        mask |= 1 << i;
        if (i == 2) throw std::runtime_error("part 2");
    };
    EXPECT_THROW(platform::RunSideBySide(4, job), std::runtime_error);
    EXPECT_EQ(ran.load(), 4);
    EXPECT_EQ(mask.load(), 0b1111);
    ran = 0;
    platform::RunSideBySide(1, [&](int) { ++ran; });
    EXPECT_EQ(ran.load(), 1);
}
