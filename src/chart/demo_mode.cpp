#include "base/texts.h"
#include "chart/demo_signal.h"
#include "chart/demo_signals.h"

namespace ts {

void DemoSignal::Enter(bool running) {
    running_ = running;
    form_.M_Menu_Mode.Caption = running ? text::kMenuModeDemoActive : text::kMenuMode;
}

Sample DemoSignal::Next() {
    // Synthetic time advances by a fixed step per event, whatever the real
    // time between events, so chart points follow the generator's own clock.
    time_ = static_cast<std::uint16_t>(time_ + kDemoTimeStep);
    count_ = NextDemoCount(count_);
    Sample sample;
    sample.TimeCounter = time_;
    sample.Value = DemoValues(count_);
    return sample;
}

void DemoSignal::ShowMode() {
    form_.M_Menu_Mode_Demo.Checked = running_;
    form_.M_Menu_Mode_Norm.Checked = !running_;
}

}  // namespace ts
