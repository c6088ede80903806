#include "station_fixture.h"

namespace ts {
namespace {

float Percent(int code) { return static_cast<float>(code) * 0.09775171f; }

class ChartDrawingTest : public StationTest {
protected:
    void SetUp() override {
        for (auto& box : st().form().ChartEN_CH) box.Checked = true;
        st().form().RadioGroup_X = 0;
    }
    const ScaleRing& Ring(int scale) { return st().chart().Live().Ring(scale); }

    // Fills a ring so that every slot tells where it is: channel c, average slot s holds s + c,
    // the instant slot 1000 - s + c; the newest point at `position`.
    void Label(int scale, int position = 0) {
        ClosePoints(st(), scale, kRingPoints + position,
                    [](int slot, SampleCodes& mean, SampleCodes& latest) {
                        for (std::size_t c = 0; c < kChannels; ++c) {
                            mean[c] = static_cast<std::uint16_t>(slot + static_cast<int>(c));
                            latest[c] =
                                static_cast<std::uint16_t>(1000 - slot + static_cast<int>(c));
                        }
                    });
    }
    const sim::TestUi::Series& Series(int channel) {
        return ui.series[static_cast<std::size_t>(channel - 1)];
    }
};

TEST_F(ChartDrawingTest, WindowStartsAfterTheNewestPointAtPositionZero) {
    Label(1);
    st().chart().Redraw();
    EXPECT_EQ(ui.axisMinimum, 0);
    EXPECT_EQ(ui.axisMaximum, 600);
    const auto& y = Series(1).y;
    ASSERT_EQ(y.size(), 600u);
    EXPECT_EQ(Series(1).firstX, 0);
    EXPECT_EQ(y[0], Percent(1000 - 1));  // slot 1, the oldest
    EXPECT_EQ(y[598], Percent(1000 - 599));
    EXPECT_EQ(y[599], Percent(1000 - 0));  // slot 0, the newest
    EXPECT_EQ(Series(6).y[599], Percent(1000 + 5));
}

TEST_F(ChartDrawingTest, WindowOriginMovesWithThePositionModuloFifty) {
    Label(1, 73);
    st().chart().Redraw();
    EXPECT_EQ(ui.axisMinimum, 23);
    EXPECT_EQ(ui.axisMaximum, 623);
    EXPECT_EQ(Series(1).firstX, 23);
    const auto& y = Series(1).y;
    ASSERT_EQ(y.size(), 600u);
    EXPECT_EQ(y[0], Percent(1000 - 74));
    EXPECT_EQ(y[525], Percent(1000 - 599));
    EXPECT_EQ(y[526], Percent(1000 - 0));
    EXPECT_EQ(y[599], Percent(1000 - 73));
}

TEST_F(ChartDrawingTest, AxisThenEmptyThenWholeSeriesInTheirColours) {
    ChartColors colors;
    colors.CurveColor[3] = 0x123456;
    st().chart().SetColors(colors);
    st().chart().Redraw();
    EXPECT_EQ(ui.chartCalls,
              (std::vector<std::string>{"min", "max", "empty 1", "empty 2", "empty 3", "empty 4",
                                        "empty 5", "empty 6", "points 1", "points 2", "points 3",
                                        "points 4", "points 5", "points 6"}));
    EXPECT_EQ(Series(4).color, 0x123456u);
    EXPECT_EQ(Series(1).color, kDefaultCurveColors[0]);
    // Rings still zero at start: flat lines at 0.
    for (float y : Series(2).y) ASSERT_EQ(y, 0.0f);
}

TEST_F(ChartDrawingTest, AveragingBoxChoosesTheHalf) {
    // One period holding 0 then 1023, with an empty set when it began.
    SamplesAt(0, {SampleCodes{}, SampleCodes{1023, 1023, 1023, 1023, 1023, 1023}});
    st().measurement().CloseChartPeriod(1);
    EXPECT_FLOAT_EQ(Series(1).y.back(), 100.0f);
    EXPECT_EQ(Series(1).y.back(), Percent(1023));

    st().form().CheckBox_ChartAver.Checked = true;
    st().chart().Redraw();
    EXPECT_EQ(Series(1).y.back(), Percent(511));
    EXPECT_NEAR(Series(1).y.back(), 49.95, 0.005);
}

TEST_F(ChartDrawingTest, AnUntickedChannelHasAnEmptySeriesAndComesBackWithItsHistory) {
    Label(1);
    st().form().ChartEN_CH[1].Checked = false;
    st().chart().Redraw();
    EXPECT_TRUE(Series(2).y.empty());
    for (const std::string& call : ui.chartCalls) EXPECT_NE(call, "points 2");
    EXPECT_EQ(Series(3).y.size(), 600u);

    st().form().ChartEN_CH[1].Checked = true;
    st().chart().Redraw();
    ASSERT_EQ(Series(2).y.size(), 600u);
    EXPECT_EQ(Series(2).y[0], Percent(1000 - 1 + 1));
}

TEST_F(ChartDrawingTest, OnlyTheSelectedScaleDraws) {
    Label(9);
    st().form().RadioGroup_X = 8;
    for (int scale = 1; scale <= kChartScales; ++scale) {
        if (scale != 9) st().measurement().CloseChartPeriod(scale);
    }
    EXPECT_TRUE(ui.chartCalls.empty());
    // Switching shows that scale's whole history at once.
    st().RadioGroup_XClick();
    EXPECT_EQ(ui.seriesUpdates, 6);
    EXPECT_EQ(Series(1).y[0], Percent(999));

    ui.ClearLog();
    st().form().RadioGroup_X = -1;
    st().chart().Redraw();
    EXPECT_TRUE(ui.chartCalls.empty());
}

TEST_F(ChartDrawingTest, StopBoxFreezesThePictureWhileRingsFill) {
    st().chart().Redraw();
    ui.ClearLog();
    st().form().CheckBox_ChartStop.Checked = true;
    Label(2);
    st().form().RadioGroup_X = 1;
    st().RadioGroup_XClick();
    st().form().CheckBox_ChartAver.Checked = true;
    st().chart().Redraw();
    SamplesAt(0, {SampleCodes{50, 50, 50, 50, 50, 50}});
    st().measurement().CloseChartPeriod(2);
    EXPECT_TRUE(ui.chartCalls.empty());
    EXPECT_EQ(Ring(2).Points[0][1], 50);  // the ring kept filling

    // Unticking alone changes nothing; the next point of the shown scale draws.
    st().form().CheckBox_ChartStop.Checked = false;
    EXPECT_TRUE(ui.chartCalls.empty());
    st().measurement().CloseChartPeriod(2);
    EXPECT_EQ(ui.seriesUpdates, 6);
    EXPECT_EQ(ui.axisMinimum, 2);
    EXPECT_EQ(Series(1).y[598], Percent(50));
    EXPECT_EQ(Series(1).y[599], Percent(50));
}

TEST_F(ChartDrawingTest, ResetEmptiesRingsSeriesAndReadoutsWithoutRedrawing) {
    for (int scale = 1; scale <= kChartScales; ++scale) {
        Label(scale, static_cast<std::uint16_t>(scale * 7));
    }
    for (auto& readout : st().form().Label_ResCH) readout.Caption = "12.345";
    platform.regional.DecimalSeparator = ',';
    st().chart().Redraw();
    ui.ClearLog();

    st().ResetMeasurement();
    for (int scale = 1; scale <= kChartScales; ++scale) {
        EXPECT_EQ(Ring(scale).Position, 0);
        for (const auto& channel : Ring(scale).Points) {
            for (std::uint16_t code : channel) ASSERT_EQ(code, 0);
        }
    }
    for (const auto& readout : st().form().Label_ResCH) EXPECT_EQ(readout.Caption, "0,000");
    EXPECT_EQ(ui.chartCalls, (std::vector<std::string>{"empty 1", "empty 2", "empty 3", "empty 4",
                                                       "empty 5", "empty 6"}));
    for (int channel = 1; channel <= kChannels; ++channel) EXPECT_TRUE(Series(channel).y.empty());
}

}  // namespace
}  // namespace ts
