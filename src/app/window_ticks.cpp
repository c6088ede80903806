#include "app/window_ticks.h"

#include "app/station.h"

namespace ts {

namespace {

constexpr WindowTicks::Clock::duration kSupervisionPeriod = std::chrono::seconds(1);
// A tick that comes a little early still counts as the one a second later.
constexpr WindowTicks::Clock::duration kEarly = std::chrono::milliseconds(WindowTicks::kTickMs / 2);

}  // namespace

WindowTicks::WindowTicks(Clock::time_point start) : nextSupervision_(start + kSupervisionPeriod) {}

bool WindowTicks::SupervisionDue(Clock::time_point now) {
    if (now < nextSupervision_ - kEarly) return false;
    nextSupervision_ += kSupervisionPeriod;
    if (now - nextSupervision_ >= kSupervisionPeriod - kEarly) {
        nextSupervision_ = now + kSupervisionPeriod;
    }
    return true;
}

void WindowTicks::Tick(Station& station, Clock::time_point now) {
    station.Timer_25HzTimer();
    if (SupervisionDue(now)) station.TimerPortTimer();
}

bool WindowTicks::DemoRuns(const Station& station) { return station.demo().Running(); }

}  // namespace ts
