#pragma once

#include <chrono>

namespace ts {

class Station;

// The window's timers, as one wake-up: every 40 ms the poll of the line, and on the tick at which
// a second has gone by the link supervision too, so that the program wakes 25 times a second
// rather than at three timers' separate moments. The demonstration's 10 ms events need a timer
// of their own, which runs only while the demonstration does.
class WindowTicks {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kTickMs = 40;
    static constexpr int kDemoMs = 10;

    explicit WindowTicks(Clock::time_point start);

    // The work of one 40 ms tick on the station, the supervision included when it is due.
    void Tick(Station& station, Clock::time_point now);
    // Whether the supervision runs at `now`: once a second on the ticks' grid. Ticks that come
    // late do not bunch it up, and after a pause of the program it runs once and then a
    // second later.
    bool SupervisionDue(Clock::time_point now);
    // Whether the demonstration's timer should run.
    static bool DemoRuns(const Station& station);

private:
    Clock::time_point nextSupervision_;
};

}  // namespace ts
