#include "base/texts.h"
#include "chart/demo_signals.h"
#include "chart_fixture.h"
#include "sim/frame_encoder.h"

namespace ts {
namespace {

using Values = std::array<std::uint16_t, kChannels>;

class DemoModeTest : public ChartStationTest {
protected:
    void Events(int n) {
        for (int i = 0; i < n; ++i) st().TimerDemoTimer();
    }

    // An open instrument whose frames the test hands over poll by poll.
    int device = -1;
    void AttachInstrument() {
        device = AddWanted();
        st().link().Open(false);
        ASSERT_NE(st().link().Handle(), 0u);
    }
    void SendFrame(int instrument, std::uint16_t counter, const Values& values) {
        const sim::Frame frame = sim::EncodeFrame(instrument, counter, values);
        driver.Feed(device, frame);
    }

    bool RingsEmpty() const {
        for (int scale = 1; scale <= kChartScales; ++scale) {
            const ScaleRing& ring = station->chart().Live().Ring(scale);
            if (ring.Position != 0) return false;
            for (const auto& channel : ring.Points) {
                for (std::uint16_t code : channel) {
                    if (code != 0) return false;
                }
            }
        }
        return true;
    }
};

TEST_F(DemoModeTest, TimerIsIdleInNormalMode) {
    Events(5);
    EXPECT_EQ(st().demo().Time(), 0);
    EXPECT_EQ(st().demo().Count(), 0);
    EXPECT_FALSE(st().measurement().Streaming());
    EXPECT_EQ(st().measurement().ChartSums(1).Count, 0u);
}

TEST_F(DemoModeTest, FirstEventsAfterChoosingDemoFeedThePipeline) {
    st().M_Menu_Mode_DemoClick();
    Events(1);
    EXPECT_EQ(st().demo().Time(), 256);
    EXPECT_EQ(st().demo().Count(), 1);
    EXPECT_EQ(st().measurement().Latest(), (Values{515, 0, 928, 800, 800, 465}));
    // The first synthetic sample only synchronises the time count.
    EXPECT_EQ(st().measurement().Elapsed(), 0u);
    EXPECT_EQ(st().measurement().ChartSums(1).Count, 1u);

    Events(1);
    EXPECT_EQ(st().measurement().Elapsed(), 256u);
    EXPECT_EQ(st().measurement().Latest(), DemoValues(2));
}

TEST_F(DemoModeTest, TimeWrapsIntoASteadyStepAndTheCounterIntoZero) {
    st().demo().ContinueFrom(31415);
    st().M_Menu_Mode_DemoClick();
    Events(1);
    EXPECT_EQ(st().measurement().Latest(), (Values{511, 1013, 929, 100, 500, 451}));
    Events(1);
    EXPECT_EQ(st().demo().Count(), 0);
    EXPECT_EQ(st().measurement().Latest(), (Values{511, 0, 930, 800, 500, 450}));

    // DemoTime reaches 65280 on event 255 and 0 on event 256.
    Events(253);
    EXPECT_EQ(st().demo().Time(), 65280);
    Events(1);
    EXPECT_EQ(st().demo().Time(), 0);
    EXPECT_EQ(st().measurement().Elapsed(), 255u * 256u);
    Events(300);
    EXPECT_EQ(st().measurement().Elapsed(), 555u * 256u);
}

TEST_F(DemoModeTest, ChoosingEitherModeResetsRedrawsAndMovesTheCheckMark) {
    EnableChannels({1, 4});
    st().M_Menu_Mode_DemoClick();
    Events(200);
    ASSERT_GT(st().measurement().Elapsed(), 0u);
    ASSERT_FALSE(RingsEmpty());
    st().form().Label_ResCH[2].Caption = "12.345";
    ui.ClearLog();

    st().M_Menu_Mode_DemoClick();
    EXPECT_TRUE(st().demo().Running());
    EXPECT_FALSE(st().measurement().Streaming());
    EXPECT_EQ(st().form().M_Menu_Mode.Caption, "   Режим: ДЕМОНСТРАЦИОННЫЙ   ");
    EXPECT_EQ(st().measurement().Elapsed(), 0u);
    EXPECT_EQ(st().measurement().ChartSums(4).Count, 0u);
    EXPECT_EQ(st().measurement().RecordSums(17).Count, 0u);
    EXPECT_TRUE(RingsEmpty());
    EXPECT_EQ(st().form().Label_ResCH[2].Caption, "0.000");
    // Redrawn at once from the emptied ring: flat lines at 0 for the enabled channels.
    EXPECT_EQ(Curve(1), std::vector<float>(600, 0.0f));
    EXPECT_EQ(Curve(4), std::vector<float>(600, 0.0f));
    EXPECT_TRUE(Curve(2).empty());
    EXPECT_EQ(ui.axisMinimum, 0);
    EXPECT_EQ(ui.axisMaximum, 600);
    EXPECT_TRUE(st().form().M_Menu_Mode_Demo.Checked);
    EXPECT_FALSE(st().form().M_Menu_Mode_Norm.Checked);

    Events(10);
    st().M_Menu_Mode_NormClick();
    EXPECT_FALSE(st().demo().Running());
    EXPECT_FALSE(st().measurement().Streaming());
    EXPECT_EQ(st().form().M_Menu_Mode.Caption, "   Режим   ");
    EXPECT_EQ(st().measurement().Elapsed(), 0u);
    EXPECT_TRUE(RingsEmpty());
    EXPECT_EQ(Curve(1), std::vector<float>(600, 0.0f));
    EXPECT_TRUE(st().form().M_Menu_Mode_Norm.Checked);
    EXPECT_FALSE(st().form().M_Menu_Mode_Demo.Checked);

    const std::uint16_t count = st().demo().Count();
    Events(3);
    EXPECT_EQ(st().demo().Count(), count);
    EXPECT_FALSE(st().measurement().Streaming());
}

TEST_F(DemoModeTest, ChoosingDemoTwiceResetsTwiceAndTheSignalsGoOn) {
    st().M_Menu_Mode_DemoClick();
    Events(200);
    st().M_Menu_Mode_DemoClick();
    EXPECT_EQ(st().measurement().Elapsed(), 0u);
    EXPECT_TRUE(RingsEmpty());
    EXPECT_EQ(st().demo().Count(), 200);

    Events(1);
    EXPECT_EQ(st().demo().Count(), 201);
    EXPECT_EQ(st().measurement().Latest(), DemoValues(201));
    EXPECT_EQ(st().measurement().Elapsed(), 0u);

    // A spell in normal mode does not restart the signals either.
    st().M_Menu_Mode_NormClick();
    st().M_Menu_Mode_DemoClick();
    Events(1);
    EXPECT_EQ(st().demo().Count(), 202);
    EXPECT_EQ(st().demo().Time(), 202 * 256);
}

TEST_F(DemoModeTest, InstrumentSamplesAreDroppedWhileDemoRuns) {
    AttachInstrument();
    const Values measured{1, 2, 3, 4, 5, 6};
    st().M_Menu_Mode_DemoClick();
    Events(2);
    const std::uint64_t elapsed = st().measurement().Elapsed();

    for (std::uint16_t t = 0; t < 30; t += 3) SendFrame(1, t, measured);
    st().Timer_25HzTimer();
    EXPECT_TRUE(st().link().DataReceived());
    EXPECT_EQ(st().measurement().Elapsed(), elapsed);
    EXPECT_EQ(st().measurement().Latest(), DemoValues(2));

    st().M_Menu_Mode_NormClick();
    SendFrame(1, 100, measured);
    SendFrame(1, 103, measured);
    st().Timer_25HzTimer();
    EXPECT_EQ(st().measurement().Latest(), measured);
    EXPECT_EQ(st().measurement().Elapsed(), 3u);
}

TEST_F(DemoModeTest, WrongInstrumentEndsDemoUntilSilenceEnablesTheItemAgain) {
    AttachInstrument();
    // A frame of instrument 1 arms the wrong-number indication.
    SendFrame(1, 0, Values{});
    st().Timer_25HzTimer();
    st().M_Menu_Mode_DemoClick();
    Events(100);
    ASSERT_FALSE(RingsEmpty());

    SendFrame(2, 3, Values{});
    st().Timer_25HzTimer();
    EXPECT_FALSE(st().demo().Running());
    EXPECT_FALSE(st().form().M_Menu_Mode_Demo.Enabled);
    EXPECT_EQ(st().form().M_Menu_Mode.Caption, text::kMenuMode);
    EXPECT_TRUE(st().form().Label_ErrDeviceNum.Visible);
    EXPECT_TRUE(st().form().M_Menu_Mode_Norm.Checked);
    EXPECT_EQ(st().measurement().Elapsed(), 0u);
    EXPECT_TRUE(RingsEmpty());
    const std::uint16_t count = st().demo().Count();
    Events(5);
    EXPECT_EQ(st().demo().Count(), count);

    // More wrong frames in the same episode reset nothing.
    st().measurement().TakeSample(Sample{100, Values{}});
    st().measurement().TakeSample(Sample{105, Values{}});
    const std::uint64_t elapsed = st().measurement().Elapsed();
    ASSERT_GT(elapsed, 0u);
    SendFrame(2, 6, Values{});
    st().Timer_25HzTimer();
    EXPECT_EQ(st().measurement().Elapsed(), elapsed);

    // The tick with the frame leaves one silent tick counted; ten more keep
    // the item disabled, the eleventh declares the link silent.
    for (int i = 0; i < 10; ++i) st().Timer_25HzTimer();
    EXPECT_FALSE(st().form().M_Menu_Mode_Demo.Enabled);
    st().Timer_25HzTimer();
    EXPECT_TRUE(st().form().M_Menu_Mode_Demo.Enabled);
    EXPECT_FALSE(st().form().Label_ErrDeviceNum.Visible);

    st().M_Menu_Mode_DemoClick();
    Events(1);
    EXPECT_EQ(st().demo().Count(), count + 1);
    EXPECT_TRUE(st().form().M_Menu_Mode_Demo.Checked);
}

}  // namespace
}  // namespace ts
