#pragma once

#include <chrono>

namespace ts {

// Paces the headless recorder's ticks on a fixed grid of the monotonic clock, so that they do
// not drift. When the program has not run for a whole period or more (stopped with Ctrl-Z,
// kept off the processor, held up by a slow disk), the ticks it missed are not run back to
// back, where their empty polls would read as a silent line: the grid starts afresh from the
// moment it runs again, and that tick is marked as coming after a pause.
class TickPacer {
public:
    using Clock = std::chrono::steady_clock;

    TickPacer(Clock::time_point start, Clock::duration period);

    // When the next tick is due.
    Clock::time_point Deadline() const { return deadline_; }
    // The program is awake at `now`, at or after the deadline, to run the tick. True when one
    // or more whole ticks went by unrun; the next deadline is then a period after `now`.
    bool Arrived(Clock::time_point now);

private:
    Clock::duration period_;
    Clock::time_point deadline_;
};

}  // namespace ts
