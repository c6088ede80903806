#include <tuple>

#include "base/texts.h"
#include "station_fixture.h"

namespace ts {
namespace {

using sim::DriverOp;

class ConstructionOrderTest : public StationTest {};

// With no settings file and no instrument every step leaves a trace: the settings' and the
// tables' messages, the chart's first call, the instrument's message. What each trace finds
// done before it tells whether the steps ran in their order.
TEST_F(ConstructionOrderTest, TheWindowsStartStepsRunInTheirOrder) {
    // What happened, whether the status had been refreshed, how often the bridges were listed.
    using Trace = std::tuple<std::string, bool, int>;
    std::vector<Trace> traces;
    auto note = [&](std::string what) {
        traces.emplace_back(std::move(what),
                            st().form().Label_Connection_Indicator.Caption == text::kConnectionNo,
                            driver.Calls(DriverOp::CreateDeviceInfoList));
    };
    ui.whileModal = [&] { note(ui.boxes.back().text); };
    ui.onChartCall = [&] {
        if (ui.chartCalls.size() == 1) note("chart");
    };
    st().Construct();

    std::vector<Trace> expected{{std::string(text::kMsgSettingsOpenFailed), false, 0}};
    for (char channel = '1'; channel <= '6'; ++channel) {
        expected.emplace_back(std::string(text::kMsgTableFailedBefore) + channel +
                                  std::string(text::kMsgTableFailedAfter),
                              false, 0);
    }
    expected.emplace_back("chart", true, 0);
    expected.emplace_back(std::string(text::kMsgDeviceNotFound), true, 1);
    EXPECT_EQ(traces, expected);
    EXPECT_EQ(st().link().InstrumentNumber(), 0);
}

}  // namespace
}  // namespace ts
