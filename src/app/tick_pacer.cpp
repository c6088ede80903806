#include "app/tick_pacer.h"

namespace ts {

TickPacer::TickPacer(Clock::time_point start, Clock::duration period)
    : period_(period), deadline_(start + period) {}

bool TickPacer::Arrived(Clock::time_point now) {
    if (now - deadline_ >= period_) {
        deadline_ = now + period_;
        return true;
    }
    deadline_ += period_;
    return false;
}

}  // namespace ts
