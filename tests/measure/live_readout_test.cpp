#include "base/texts.h"
#include "sim/sim_instrument.h"
#include "station_fixture.h"

namespace ts {
namespace {

// The instrument streaming through the receiver and the pipeline into the
// readouts, the indicator and the chart.
class LiveReadoutTest : public StationTest {
protected:
    int device = AddWanted();
    sim::SimInstrument instrument{driver, device};

    void SetUp() override {
        st().link().Open(false);
        ASSERT_NE(st().link().Handle(), 0u);
        st().link().AwaitStream();
        for (auto& channel : instrument.channels) {
            channel.shape = sim::SignalShape::Constant;
            channel.level = 512;
        }
        CalibrationTable table;
        table.PointCount = 2;
        table.RawPoints[1] = 1023;
        table.ResultPoints[1] = 100;
        st().measurement().Tables().Use(1, table);
        st().form().RadioGroup_X = 0;
        st().form().ChartEN_CH[0].Checked = true;
    }

    // Runs 40 ms ticks for `seconds` of instrument time.
    void Run(double seconds) {
        for (double t = 0; t < seconds - 1e-9; t += 0.04) {
            instrument.Advance(0.04);
            st().Timer_25HzTimer();
        }
    }
    const std::string& Readout(int channel) {
        return st().form().Label_ResCH[static_cast<std::size_t>(channel - 1)].Caption;
    }
};

TEST_F(LiveReadoutTest, IndicatorTurnsToYesWithTheFirstFrame) {
    const LabelState& indicator = st().form().Label_Connection_Indicator;
    st().Timer_25HzTimer();
    EXPECT_EQ(indicator.Caption, text::kConnectionNo);
    EXPECT_EQ(indicator.FontColor, kColorRed);
    Run(0.04);
    EXPECT_EQ(indicator.Caption, text::kConnectionYes);
    EXPECT_EQ(indicator.FontColor, kColorBlack);
}

TEST_F(LiveReadoutTest, ReadoutsShowTheCalibratedHalfSecondMean) {
    Run(0.48);  // ElapsedCount below 9000 yet
    EXPECT_EQ(Readout(1), "0.000");
    Run(0.08);
    EXPECT_EQ(Readout(1), "50.049");
    EXPECT_EQ(Readout(2), "0.000");  // no table
    // The chart of "12сек" shows the same code as a percentage.
    EXPECT_EQ(ui.series[0].y.back(), 512 * 0.09775171f);
    EXPECT_TRUE(ui.series[1].y.empty());
}

TEST_F(LiveReadoutTest, AfterAResetReadoutsWaitForTheNextHalfSecond) {
    platform.regional.DecimalSeparator = ',';
    Run(1.0);
    EXPECT_EQ(Readout(1), "50,049");
    st().ResetMeasurement();
    EXPECT_EQ(Readout(1), "0,000");
    EXPECT_TRUE(ui.series[0].y.empty());
    EXPECT_EQ(st().chart().Live().Ring(7 + 1).Position, 0);
    Run(0.48);
    EXPECT_EQ(Readout(1), "0,000");
    EXPECT_EQ(st().chart().Live().Ring(7 + 1).Position, 0);
    Run(0.08);
    EXPECT_EQ(Readout(1), "50,049");
    EXPECT_EQ(st().chart().Live().Ring(7 + 1).Position, 1);
}

}  // namespace
}  // namespace ts
