#include "app/station.h"
#include "app/texts.h"
#include "chart/demo_signals.h"

namespace ts {

void Station::TimerDemoTimer() {
    if (!demo.DemoMode) return;
    // Synthetic time advances by a fixed step per event, whatever the real
    // time between events, so chart points follow the generator's own clock.
    demo.DemoTime = static_cast<std::uint16_t>(demo.DemoTime + kDemoTimeStep);
    demo.DemoCount = NextDemoCount(demo.DemoCount);
    Sample sample;
    sample.TimeCounter = demo.DemoTime;
    sample.Value = DemoValues(demo.DemoCount);
    ProcessSample(sample);
}

namespace {

// Both mode choices run the same sequence, even when the mode does not change:
// the first sample of the new source only synchronises the time count, and
// the measurement starts again from zero.
void EnterMode(Station& st, bool demoMode) {
    st.pipeline.FirstSample = true;
    st.demo.DemoMode = demoMode;
    st.form.M_Menu_Mode.Caption = demoMode ? text::kMenuModeDemoActive : text::kMenuMode;
    st.ResetMeasurement();
    st.RedrawChart();
    st.RefreshStatus();
}

}  // namespace

void Station::M_Menu_Mode_NormClick() { EnterMode(*this, false); }

void Station::M_Menu_Mode_DemoClick() { EnterMode(*this, true); }

}  // namespace ts
