#include <gtest/gtest.h>

#include <vector>

#include "base/form.h"
#include "measure/measurement.h"
#include "sim/test_platform.h"
#include "sim/test_ui.h"

namespace ts {
namespace {

// The measurement alone, wired to sinks that write down what it hands on: what the chart and
// the recording can rely on, whoever they are.
class MeasurementTest : public ::testing::Test, ChartPointSink, RecordSink {
protected:
    sim::TestPlatform platform;
    sim::TestUi ui;
    Form form;
    Measurement measurement{platform, ui, form};

    struct Point {
        int scale;
        SampleCodes mean, latest;
    };
    std::vector<Point> points;
    std::vector<int> periods;
    std::vector<std::uint64_t> boundaries, measured;

    MeasurementTest() { measurement.Connect(*this, *this); }

    void ChartPointClosed(int scale, const SampleCodes& mean, const SampleCodes& latest) override {
        points.push_back({scale, mean, latest});
    }
    void RecordPeriodClosed(int period, std::uint64_t boundary,
                            const std::array<double, kChannels>&, const SampleCodes&) override {
        periods.push_back(period);
        boundaries.push_back(boundary);
    }
    void SampleMeasured(std::uint64_t elapsed, const SampleCodes&) override {
        measured.push_back(elapsed);
    }
};

TEST_F(MeasurementTest, HandsEverySampleOnAndEachClosedPointOnce) {
    measurement.TakeSample({0, {10, 0, 0, 0, 0, 0}});
    measurement.TakeSample({200, {20, 0, 0, 0, 0, 0}});
    measurement.TakeSample({361, {33, 1, 2, 3, 4, 5}});
    EXPECT_EQ(measured, (std::vector<std::uint64_t>{0, 200, 361}));
    // The 12 s scale's first point closes at 361 units, with the three samples in its mean.
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(points[0].scale, 1);
    EXPECT_EQ(points[0].mean[0], (10 + 20 + 33) / 3);
    EXPECT_EQ(points[0].latest, (SampleCodes{33, 1, 2, 3, 4, 5}));
    // The shortest recording period (36 units) closed ten times, each at its own boundary.
    EXPECT_EQ(boundaries.front(), 36u);
    EXPECT_EQ(boundaries.back(), 360u);
}

TEST_F(MeasurementTest, APeriodClosedOnDemandGoesToTheRecordingAtTheTimeNow) {
    measurement.TakeSample({0, {}});
    measurement.TakeSample({100, {}});
    periods.clear();
    measurement.RestartRecordPeriods();
    measurement.CloseRecordPeriod(9);
    EXPECT_EQ(periods, std::vector<int>{9});
    EXPECT_EQ(boundaries.back(), 100u);
}

}  // namespace
}  // namespace ts
