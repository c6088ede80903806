#include "chart/demo_signals.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ts {
namespace {

using Values = std::array<std::uint16_t, kChannels>;

TEST(DemoSignalsTest, ValuesAtTheCornersOfTheCounterPeriod) {
    EXPECT_EQ(DemoValues(1), (Values{515, 0, 928, 800, 800, 465}));
    EXPECT_EQ(DemoValues(128), (Values{990, 4, 921, 100, 500, 82}));
    EXPECT_EQ(DemoValues(31416), (Values{511, 1013, 929, 100, 500, 451}));
    EXPECT_EQ(DemoValues(0), (Values{511, 0, 930, 800, 500, 450}));
}

TEST(DemoSignalsTest, CounterRunsUpTo31416ThenStartsAgainAtZero) {
    EXPECT_EQ(NextDemoCount(0), 1);
    EXPECT_EQ(NextDemoCount(31415), 31416);
    EXPECT_EQ(NextDemoCount(31416), 0);

    std::uint16_t n = 0;
    int events = 0;
    do {
        n = NextDemoCount(n);
        ++events;
    } while (n != 0);
    EXPECT_EQ(events, 31417);
}

TEST(DemoSignalsTest, EverySignalStaysInItsRangeOverAWholePeriod) {
    Values low, high;
    low.fill(0xFFFF);
    high.fill(0);
    for (int n = 0; n <= kDemoCountLast; ++n) {
        const Values v = DemoValues(static_cast<std::uint16_t>(n));
        for (int c = 0; c < kChannels; ++c) {
            low[c] = std::min(low[c], v[c]);
            high[c] = std::max(high[c], v[c]);
        }
    }
    EXPECT_EQ(low, (Values{11, 0, 330, 100, 500, 50}));
    EXPECT_EQ(high, (Values{1010, 1013, 930, 800, 800, 849}));
}

}  // namespace
}  // namespace ts
