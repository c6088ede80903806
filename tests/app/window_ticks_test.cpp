#include "app/window_ticks.h"

#include <gtest/gtest.h>

#include <vector>

namespace ts {
namespace {

using namespace std::chrono_literals;

// The ticks at which the supervision runs, for ticks at the given moments.
std::vector<int> SupervisedAt(const std::vector<int>& tickMs) {
    const WindowTicks::Clock::time_point t0{};
    WindowTicks ticks(t0);
    std::vector<int> due;
    for (int ms : tickMs) {
        if (ticks.SupervisionDue(t0 + std::chrono::milliseconds(ms))) due.push_back(ms);
    }
    return due;
}

std::vector<int> EveryTick(int fromMs, int toMs, int stepMs) {
    std::vector<int> out;
    for (int ms = fromMs; ms <= toMs; ms += stepMs) out.push_back(ms);
    return out;
}

TEST(WindowTicksTest, SupervisionRunsOnceASecondOnTheTicks) {
    // On time, and with every tick a little early or late: the 25th tick of each second.
    EXPECT_EQ(SupervisedAt(EveryTick(40, 3000, 40)), (std::vector<int>{1000, 2000, 3000}));
    EXPECT_EQ(SupervisedAt({960, 999, 1039, 1990, 2015}), (std::vector<int>{999, 1990}));
    // Ticks held up for 2.5 s: one supervision when they resume, the next a second later, not
    // one per tick to catch up.
    EXPECT_EQ(SupervisedAt({40, 3500, 3540, 4460, 4500}), (std::vector<int>{3500, 4500}));
}

}  // namespace
}  // namespace ts
