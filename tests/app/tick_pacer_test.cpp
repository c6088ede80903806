#include "app/tick_pacer.h"

#include <gtest/gtest.h>

namespace ts {
namespace {

using namespace std::chrono_literals;

TEST(TickPacerTest, KeepsItsGridAndStartsAfreshAfterAPause) {
    const TickPacer::Clock::time_point t0{};
    TickPacer pacer(t0, 40ms);
    EXPECT_EQ(pacer.Deadline(), t0 + 40ms);
    // Woken late by less than a period: the grid holds.
    EXPECT_FALSE(pacer.Arrived(t0 + 45ms));
    EXPECT_EQ(pacer.Deadline(), t0 + 80ms);
    EXPECT_FALSE(pacer.Arrived(t0 + 119ms));
    EXPECT_EQ(pacer.Deadline(), t0 + 120ms);
    // Half a second without running: one tick after the pause, then a fresh grid.
    EXPECT_TRUE(pacer.Arrived(t0 + 620ms));
    EXPECT_EQ(pacer.Deadline(), t0 + 660ms);
    EXPECT_FALSE(pacer.Arrived(t0 + 660ms));
    EXPECT_EQ(pacer.Deadline(), t0 + 700ms);
    // A whole period late is a missed tick.
    EXPECT_TRUE(pacer.Arrived(t0 + 740ms));
    EXPECT_EQ(pacer.Deadline(), t0 + 780ms);
}

}  // namespace
}  // namespace ts
