#include "base/texts.h"
#include "station_fixture.h"

namespace ts {
namespace {

class StatusRefreshTest : public StationTest {};

TEST_F(StatusRefreshTest, IndicatorFollowsTheDataFlag) {
    const LabelState& indicator = st().form().Label_Connection_Indicator;
    EXPECT_EQ(indicator.Caption, " ");  // before the first refresh
    st().RefreshStatus();
    EXPECT_EQ(indicator.Caption, text::kConnectionNo);
    EXPECT_EQ(indicator.FontColor, MakeColor(255, 0, 0));
    Hear(OpenWanted(), 1);
    st().RefreshStatus();
    EXPECT_EQ(indicator.Caption, text::kConnectionYes);
    EXPECT_EQ(indicator.FontColor, kColorBlack);
    SilentPolls(12);
    st().RefreshStatus();
    EXPECT_EQ(indicator.Caption, text::kConnectionNo);
    EXPECT_EQ(indicator.FontColor, kColorRed);
    // The readouts keep their design-time caption.
    for (const auto& readout : st().form().Label_ResCH) EXPECT_EQ(readout.Caption, "0.000");
}

TEST_F(StatusRefreshTest, ChartAndSwatchesTakeTheColourSettings) {
    ChartColors colors;
    colors.BackgroundColor = 0x102030;
    colors.GridColor = 0x405060;
    colors.CurveColor = {1, 2, 3, 4, 5, 6};
    st().chart().SetColors(colors);
    st().RefreshStatus();
    const Form& f = st().form();
    EXPECT_EQ(f.ChartBackground, 0x102030u);
    EXPECT_EQ(f.PanelColor_ChartBackGround, 0x102030u);
    EXPECT_EQ(f.ChartGrid, 0x405060u);
    EXPECT_EQ(f.PanelColor_ChartGrid, 0x405060u);
    EXPECT_EQ(f.PanelColor_CurveCH, (std::array<Color, kChannels>{1, 2, 3, 4, 5, 6}));
}

TEST_F(StatusRefreshTest, ModeCheckMarkFollowsDemoMode) {
    st().M_Menu_Mode_DemoClick();
    st().RefreshStatus();
    EXPECT_TRUE(st().form().M_Menu_Mode_Demo.Checked);
    EXPECT_FALSE(st().form().M_Menu_Mode_Norm.Checked);
    st().M_Menu_Mode_NormClick();
    st().RefreshStatus();
    EXPECT_FALSE(st().form().M_Menu_Mode_Demo.Checked);
    EXPECT_TRUE(st().form().M_Menu_Mode_Norm.Checked);
}

}  // namespace
}  // namespace ts
