#include "chart/chart_plot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace ts {
namespace {

// The chart as the windows open it: 665 x 534 pixels, bottom axis 0 .. 600.
struct PlotRig {
    ChartPlot plot;
    PlotArea area = ChartPlot::AreaOf(665, 534);
    PlotRig(double min = 0, double max = 600) {
        plot.SetBottomMinimum(min);
        plot.SetBottomMaximum(max);
    }
};

TEST(ChartPlotTest, AreaLeavesTheAxesTheirRoomAtEachDpi) {
    struct Case {
        int dpi, width, height;
        PlotArea expected;
    };
    // At 120 dpi the axes' 34 and 26 pixels become 42.5 and 32.5, rounded up as the system does.
    for (const Case& c :
         {Case{96, 665, 534, {34, 24, 597, 484}}, Case{120, 1000, 800, {43, 30, 914, 737}},
          Case{144, 1000, 800, {51, 36, 898, 725}}}) {
        const PlotArea a = ChartPlot::AreaOf(c.width, c.height, c.dpi);
        EXPECT_EQ(a.left, c.expected.left) << c.dpi;
        EXPECT_EQ(a.top, c.expected.top) << c.dpi;
        EXPECT_EQ(a.width, c.expected.width) << c.dpi;
        EXPECT_EQ(a.height, c.expected.height) << c.dpi;
    }
}

TEST(ChartPlotTest, ValuesMapOntoTheAreaEndsAndFarOffScaleStaysInRange) {
    struct Case {
        double x, percent;
        int px, py;
    };
    const PlotRig rig;
    for (const Case& c : {
             Case{0, -0.3, 34, 507},  // the axis ends are the first and last row and column
             Case{600, 100.3, 630, 24},
             Case{300, 50, 332, 266},   // 241.5 rows up from the bottom: halves round away
             Case{-600, 0, -562, 506},  // left of the area, still in its own place
             Case{0, 1e12, 34, -1000000}, Case{0, -1e12, 34, 1000000}, Case{1e15, 50, 1000000, 266},
             Case{0, std::nan(""), 34, 1000000},  // not a number: off the area, not at its top
         }) {
        const PlotPoint p = rig.plot.ToPixel(rig.area, c.x, c.percent);
        EXPECT_EQ(p.x, c.px) << c.x << ", " << c.percent;
        EXPECT_EQ(p.y, c.py) << c.x << ", " << c.percent;
    }
    // With no range to spread over, everything lies on the left edge.
    const PlotRig empty(100, 100);
    EXPECT_EQ(empty.plot.ToPixel(empty.area, 250, 0).x, 34);
}

TEST(ChartPlotTest, PercentLinesEveryTwoPercentLabelledEveryTen) {
    const PlotRig rig;
    const auto lines = rig.plot.PercentLines(rig.area);
    ASSERT_EQ(lines.size(), 51u);
    EXPECT_EQ(lines.front().y, 506);
    EXPECT_EQ(lines.back().y, 25);
    std::vector<std::string> labels;
    for (const PercentLine& line : lines) {
        if (line.major) labels.push_back(ChartPlot::PercentLabel(line.percent));
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"0%", "10%", "20%", "30%", "40%", "50%", "60%",
                                                "70%", "80%", "90%", "100%"}));
}

TEST(ChartPlotTest, TimeLinesAtMultiplesOfTenSolidAtFifty) {
    struct Case {
        double min, max;
        int lines, solid, firstPx;
    };
    for (const Case& c : {
             Case{0, 600, 61, 13, 34},
             Case{5, 605, 60, 12, 39},    // first line at x = 10, five points in
             Case{-55, 545, 60, 12, 39},  // negative multiples of 50 are solid too
             Case{600, 600, 0, 0, 0},     // no range, no lines
         }) {
        const PlotRig rig(c.min, c.max);
        int lines = 0, solid = 0, firstPx = 0;
        rig.plot.ForEachTimeLine(rig.area, [&](int px, bool isSolid) {
            if (lines++ == 0) firstPx = px;
            solid += isSolid ? 1 : 0;
        });
        EXPECT_EQ(lines, c.lines) << c.min;
        EXPECT_EQ(solid, c.solid) << c.min;
        EXPECT_EQ(firstPx, c.firstPx) << c.min;
    }
}

TEST(ChartPlotTest, SeriesStorageIsReservedOnceForAWholeWindow) {
    ChartPlot plot;
    const float* before = plot.SeriesOf(5).y.data();
    const std::vector<float> points(ChartPlot::kMaxPoints, 42.0f);
    plot.SetSeries(5, 17, points, 0x0000FF);
    EXPECT_EQ(plot.SeriesOf(5).y.data(), before);
    EXPECT_EQ(plot.SeriesOf(5).count, 600);
    EXPECT_TRUE(plot.EmptySeries(5));
    EXPECT_FALSE(plot.EmptySeries(5));
}

}  // namespace
}  // namespace ts
