#include <algorithm>
#include <limits>

#include "base/texts.h"
#include "chart_fixture.h"

namespace ts {
namespace {

using Values = std::array<std::uint16_t, kChannels>;

class ChartControlsTest : public ChartStationTest {
protected:
    void SelectScale(int scale) {
        st().form().RadioGroup_X = scale - 1;
        st().RadioGroup_XClick();
    }
    bool RingEmpty(int scale) const {
        const ScaleRing& ring = station->chart().Live().Ring(scale);
        if (ring.Position != 0) return false;
        for (const auto& channel : ring.Points) {
            if (std::any_of(channel.begin(), channel.end(), [](auto c) { return c != 0; })) {
                return false;
            }
        }
        return true;
    }
    static long NonZero(const std::vector<float>& y) {
        return std::count_if(y.begin(), y.end(), [](float v) { return v != 0.0f; });
    }
};

// ---- The clear button ----

TEST_F(ChartControlsTest, ClearRestartsTheShownScaleOneUnitBackAndKeepsItsSums) {
    // Counter 1000 at time 10,000: scale 1's period began at 9,720 and holds one sample of 50.
    Feed(1, 50, 56536);  // the first sample only sets the time reference
    Feed(1, 50, 10000);
    const AccumulatorSet& set = st().measurement().ChartSums(1);
    ASSERT_EQ(set.PeriodStart, 9720u);
    ClosePoints(st(), 1, 50, [](int, SampleCodes& mean, SampleCodes&) { mean.fill(333); });
    ClosePoints(st(), 2, 1, [](int, SampleCodes& mean, SampleCodes&) { mean[0] = 444; });
    const ScaleRing scale2 = st().chart().Live().Ring(2);

    st().ButtonChartClearClick();
    EXPECT_EQ(set.PeriodStart, 9999u);
    EXPECT_TRUE(RingEmpty(1));
    EXPECT_EQ(st().chart().Live().Ring(2).Position, scale2.Position);
    EXPECT_EQ(st().chart().Live().Ring(2).Points, scale2.Points);
    EXPECT_EQ(set.Count, 1u);
    EXPECT_EQ(set.Sum[0], 50u);

    st().measurement().TakeSample(Sample{1000 + 359, Values{100, 100, 100, 100, 100, 100}});
    EXPECT_EQ(st().measurement().Elapsed(), 10359u);
    EXPECT_EQ(st().chart().Live().Ring(0 + 1).Position, 0);

    st().measurement().TakeSample(Sample{1000 + 360, Values{300, 300, 300, 300, 300, 300}});
    EXPECT_EQ(st().chart().Live().Ring(0 + 1).Position, 1);
    // The point also holds the samples gathered before the click.
    EXPECT_EQ(st().chart().Live().Ring(0 + 1).Points[0][1], (50 + 100 + 300) / 3);
    EXPECT_EQ(st().chart().Live().Ring(0 + 1).Points[5][601], 300);
}

TEST_F(ChartControlsTest, ClearAtTheStartWrapsThePeriodStartBelowZero) {
    st().ButtonChartClearClick();
    EXPECT_EQ(st().measurement().ChartSums(1).PeriodStart,
              std::numeric_limits<std::uint64_t>::max());
    Feed(1, 7, 0);  // synchronises the count
    Feed(1, 7, 359);
    EXPECT_EQ(st().chart().Live().Ring(0 + 1).Position, 0);
    Feed(1, 7, 1);  // ElapsedCount 360 is a whole period after the click
    EXPECT_EQ(st().chart().Live().Ring(0 + 1).Position, 1);
}

TEST_F(ChartControlsTest, ClearDrawsTheShownScaleFlatAndNothingWithoutAScale) {
    EnableChannels({1, 2});
    Feed(101, 512);
    SelectScale(3);
    ASSERT_GT(NonZero(Curve(1)), 0);

    st().ButtonChartClearClick();
    EXPECT_EQ(Curve(1), std::vector<float>(600, 0.0f));
    EXPECT_EQ(Curve(2), std::vector<float>(600, 0.0f));

    Feed(10, 512);
    std::vector<ScaleRing> rings;
    for (int k = 1; k <= kChartScales; ++k) rings.push_back(st().chart().Live().Ring(k));
    std::vector<std::uint64_t> starts;
    for (int k = 1; k <= kChartScales; ++k)
        starts.push_back(st().measurement().ChartSums(k).PeriodStart);
    st().form().RadioGroup_X = -1;
    ui.ClearLog();
    st().ButtonChartClearClick();
    EXPECT_TRUE(ui.chartCalls.empty());
    for (int k = 0; k < kChartScales; ++k) {
        EXPECT_EQ(st().chart().Live().Ring(k + 1).Position, rings[k].Position);
        EXPECT_EQ(st().chart().Live().Ring(k + 1).Points, rings[k].Points);
        EXPECT_EQ(st().measurement().ChartSums(k + 1).PeriodStart, starts[k]);
    }
}

TEST_F(ChartControlsTest, ClearedScaleStaysClearedWhileAnotherIsShown) {
    EnableChannels({1});
    Feed(101, 512);  // 36,000 time units: 14 points of scale 5, 9 of scale 6
    SelectScale(5);
    st().ButtonChartClearClick();

    SelectScale(6);
    EXPECT_EQ(NonZero(Curve(1)), 9);
    EXPECT_FLOAT_EQ(Curve(1).back(), Percent(512));

    SelectScale(5);
    EXPECT_EQ(Curve(1), std::vector<float>(600, 0.0f));

    Feed(20, 512);  // 7,200 units more: three whole periods of scale 5 since the click
    EXPECT_EQ(st().chart().Live().Ring(4 + 1).Position, 3);
    EXPECT_EQ(NonZero(Curve(1)), 3);
    EXPECT_FLOAT_EQ(Curve(1).back(), Percent(512));
}

TEST_F(ChartControlsTest, ClearWhileStoppedKeepsTheFrozenPictureUntilTheNextPoint) {
    EnableChannels({1});
    Feed(101, 512);
    const std::vector<float> frozen = Curve(1);
    ASSERT_EQ(NonZero(frozen), 99);

    st().form().CheckBox_ChartStop.Checked = true;
    ui.ClearLog();
    st().ButtonChartClearClick();
    EXPECT_TRUE(RingEmpty(1));
    EXPECT_TRUE(ui.chartCalls.empty());
    EXPECT_EQ(Curve(1), frozen);

    // Unticking runs nothing; the next point of the scale draws the cleared ring.
    st().form().CheckBox_ChartStop.Checked = false;
    EXPECT_EQ(Curve(1), frozen);
    Feed(1, 512);
    EXPECT_EQ(NonZero(Curve(1)), 1);
    EXPECT_FLOAT_EQ(Curve(1).back(), Percent(512));
}

// ---- Channel and averaging boxes ----

TEST_F(ChartControlsTest, UntickingAChannelRemovesItsCurveAndTickingBringsBackItsWindow) {
    EnableChannels({1, 2, 3, 4, 5, 6});
    Feed(1, Values{100, 200, 300, 400, 500, 600}, 0);
    for (int i = 0; i < 150; ++i) {
        const std::uint16_t v = static_cast<std::uint16_t>(i * 5);
        Feed(1, Values{v, v, static_cast<std::uint16_t>(1000 - v), v, v, v});
    }
    const std::vector<float> curve3 = Curve(3);
    const std::vector<float> curve2 = Curve(2);
    ASSERT_EQ(curve3.size(), 600u);

    st().form().ChartEN_CH[2].Checked = false;
    st().ChartEN_Click(3);
    EXPECT_TRUE(Curve(3).empty());
    EXPECT_EQ(Curve(2), curve2);

    // The ring kept filling for channel 3 meanwhile.
    Feed(1, 777, 360);
    EXPECT_TRUE(Curve(3).empty());
    st().form().ChartEN_CH[2].Checked = true;
    st().ChartEN_Click(3);
    ASSERT_EQ(Curve(3).size(), 600u);
    EXPECT_TRUE(std::equal(curve3.begin() + 1, curve3.end(), Curve(3).begin()));
    EXPECT_FLOAT_EQ(Curve(3).back(), Percent(777));
}

TEST_F(ChartControlsTest, AveragingToggleRedrawsTheOtherHalfOfTheSamePoints) {
    EnableChannels({1});
    ClosePoints(st(), 1, kRingPoints, [](int, SampleCodes& mean, SampleCodes& latest) {
        mean[0] = 100;
        latest[0] = 900;
    });
    const auto ring = st().chart().Live().Ring(1);
    st().chart().Redraw();
    EXPECT_EQ(Curve(1), std::vector<float>(600, Percent(900)));

    st().form().CheckBox_ChartAver.Checked = true;
    st().CheckBox_ChartAverClick();
    EXPECT_EQ(Curve(1), std::vector<float>(600, Percent(100)));

    st().form().CheckBox_ChartAver.Checked = false;
    st().CheckBox_ChartAverClick();
    EXPECT_EQ(Curve(1), std::vector<float>(600, Percent(900)));
    EXPECT_EQ(st().chart().Live().Ring(0 + 1).Points, ring.Points);
}

// ---- Colour swatches ----

constexpr Color kTeal = MakeColor(0, 128, 128);
constexpr Color kOlive = MakeColor(128, 128, 0);

TEST_F(ChartControlsTest, ConfirmedCurveColourRedrawsRefreshesAndSaves) {
    EnableChannels({2});
    ui.colorAnswers.push_back(kTeal);
    st().PanelColorClick(2);

    EXPECT_EQ(st().chart().Colors().CurveColor[1], kTeal);
    EXPECT_EQ(ui.series[1].color, kTeal);
    EXPECT_EQ(Curve(2).size(), 600u);
    EXPECT_EQ(st().form().PanelColor_CurveCH[1], kTeal);
    EXPECT_EQ(SettingsLine(19), std::to_string(kTeal));
    EXPECT_EQ(SettingsLine(18), "255");
}

TEST_F(ChartControlsTest, EachSwatchOwnsItsSetting) {
    for (int swatch = 1; swatch <= 8; ++swatch) {
        const ChartColors before = st().chart().Colors();
        const Color chosen = MakeColor(swatch, 2 * swatch, 3 * swatch);
        ui.colorAnswers.push_back(chosen);
        st().PanelColorClick(swatch);

        ChartColors expected = before;
        if (swatch <= 6) expected.CurveColor[static_cast<std::size_t>(swatch - 1)] = chosen;
        if (swatch == 7) expected.BackgroundColor = chosen;
        if (swatch == 8) expected.GridColor = chosen;
        EXPECT_EQ(st().chart().Colors().CurveColor, expected.CurveColor) << "swatch " << swatch;
        EXPECT_EQ(st().chart().Colors().BackgroundColor, expected.BackgroundColor)
            << "swatch " << swatch;
        EXPECT_EQ(st().chart().Colors().GridColor, expected.GridColor) << "swatch " << swatch;
    }
    EXPECT_EQ(st().form().ChartBackground, MakeColor(7, 14, 21));
    EXPECT_EQ(st().form().PanelColor_ChartBackGround, MakeColor(7, 14, 21));
    EXPECT_EQ(SettingsLine(15), std::to_string(MakeColor(7, 14, 21)));
    EXPECT_EQ(SettingsLine(16), std::to_string(MakeColor(8, 16, 24)));
    EXPECT_EQ(SettingsLine(23), std::to_string(MakeColor(6, 12, 18)));
}

TEST_F(ChartControlsTest, GridColourChosenWhileStoppedChangesTheGridButNotTheCurves) {
    EnableChannels({1});
    Feed(50, 300);
    const std::vector<float> frozen = Curve(1);
    st().form().CheckBox_ChartStop.Checked = true;
    ui.ClearLog();

    ui.colorAnswers.push_back(kOlive);
    st().PanelColorClick(8);
    EXPECT_EQ(st().form().ChartGrid, kOlive);
    EXPECT_EQ(st().form().PanelColor_ChartGrid, kOlive);
    EXPECT_EQ(ui.seriesUpdates, 0);
    EXPECT_EQ(Curve(1), frozen);
    EXPECT_EQ(SettingsLine(16), std::to_string(kOlive));

    // A curve colour chosen while stopped waits for the next redraw.
    ui.colorAnswers.push_back(kTeal);
    st().PanelColorClick(1);
    EXPECT_EQ(st().form().PanelColor_CurveCH[0], kTeal);
    EXPECT_EQ(ui.seriesUpdates, 0);
    EXPECT_EQ(ui.series[0].color, kDefaultCurveColors[0]);
    st().form().CheckBox_ChartStop.Checked = false;
    Feed(1, 300);
    EXPECT_EQ(ui.series[0].color, kTeal);
}

TEST_F(ChartControlsTest, DialogOpensOnTheColourLastConfirmedInIt) {
    ui.colorAnswers = {kTeal, std::nullopt, kOlive};
    st().PanelColorClick(1);  // black the first time, not the red of curve 1
    st().PanelColorClick(7);  // cancelled
    st().PanelColorClick(8);
    ui.colorAnswers.push_back(std::nullopt);
    st().PanelColorClick(3);
    EXPECT_EQ(ui.colorDialogInitials, (std::vector<Color>{kColorBlack, kTeal, kTeal, kOlive}));
}

TEST_F(ChartControlsTest, CancelledColourChangesAndSavesNothing) {
    EnableChannels({1});
    st().chart().Redraw();
    const Form form = st().form();
    ui.ClearLog();

    st().PanelColorClick(1);  // no answer queued: the dialog is cancelled
    EXPECT_EQ(st().chart().Colors().CurveColor, kDefaultCurveColors);
    EXPECT_EQ(st().chart().Colors().LastDialogColor, kColorBlack);
    EXPECT_EQ(st().form().PanelColor_CurveCH, form.PanelColor_CurveCH);
    EXPECT_TRUE(ui.chartCalls.empty());
    EXPECT_FALSE(SettingsSaved());
}

TEST_F(ChartControlsTest, ColourStaysInForceWhenTheSettingsCannotBeWritten) {
    st().settings().SetDirectory((folder / "missing").string());
    ui.colorAnswers.push_back(kOlive);
    st().PanelColorClick(7);
    EXPECT_EQ(st().chart().Colors().BackgroundColor, kOlive);
    EXPECT_EQ(st().form().ChartBackground, kOlive);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].kind, sim::TestUi::BoxKind::Warning);
    EXPECT_EQ(ui.boxes[0].text, text::kMsgSettingsWriteFailed);
}

}  // namespace
}  // namespace ts
