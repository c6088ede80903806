#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "measure/calibration_table.h"

namespace ts {
namespace {

CalibrationTable Table(std::initializer_list<std::pair<double, double>> points) {
    CalibrationTable table;
    for (const auto& [raw, result] : points) {
        table.RawPoints[static_cast<std::size_t>(table.PointCount)] = raw;
        table.ResultPoints[static_cast<std::size_t>(table.PointCount)] = result;
        ++table.PointCount;
    }
    return table;
}

TEST(CalibrateValue, WithoutATableEverythingIsZero) {
    const CalibrationTable none;
    for (double raw : {0.0, 512.0, 1023.0, -5.0, 1e9}) EXPECT_EQ(CalibrateValue(none, raw), 0.0);
}

TEST(CalibrateValue, TwoPointsInterpolateAndExtendTheOnlySegment) {
    const CalibrationTable table = Table({{0, 0}, {1000, 100}});
    EXPECT_DOUBLE_EQ(CalibrateValue(table, 500), 50.0);
    EXPECT_DOUBLE_EQ(CalibrateValue(table, 1023), 102.3);
    EXPECT_DOUBLE_EQ(CalibrateValue(table, 1000), 100.0);
    EXPECT_DOUBLE_EQ(CalibrateValue(table, -10), -1.0);
}

TEST(CalibrateValue, ThreePointsPickTheSegmentAndContinueBothEnds) {
    const CalibrationTable table = Table({{100, 5}, {200, 7}, {400, 3}});
    EXPECT_EQ(CalibrateValue(table, 200), 7.0);  // a point itself, exactly
    EXPECT_DOUBLE_EQ(CalibrateValue(table, 300), 5.0);
    EXPECT_DOUBLE_EQ(CalibrateValue(table, 50), 4.0);
    EXPECT_DOUBLE_EQ(CalibrateValue(table, 500), 1.0);
    EXPECT_EQ(CalibrateValue(table, 400), 3.0);
    EXPECT_EQ(CalibrateValue(table, 100), 5.0);
    EXPECT_DOUBLE_EQ(CalibrateValue(table, 150.5), 6.01);
}

TEST(CalibrateValue, FractionalMeansFallIntoTheRightSegment) {
    // Just below a point stays in the lower segment, at it starts the next.
    const CalibrationTable table = Table({{0, 0}, {10, 10}, {20, 0}});
    EXPECT_NEAR(CalibrateValue(table, 9.999), 9.999, 1e-12);
    EXPECT_NEAR(CalibrateValue(table, 10.001), 9.999, 1e-12);
}

}  // namespace
}  // namespace ts
