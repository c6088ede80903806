#include "platform/stop_requests.h"

#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <initializer_list>

namespace ts {

namespace {

volatile sig_atomic_t stopRequested = 0;
volatile sig_atomic_t stopBySystem = 0;

void OnStopSignal(int signal) {
    // A hang-up may well come twice as a session goes; only a person asks twice.
    if (stopRequested == 0 || signal == SIGHUP) {
        if (stopRequested == 0) stopBySystem = signal != SIGINT ? 1 : 0;
        stopRequested = 1;
        return;
    }
    constexpr char kMessage[] = "\ntrend-record: stopped at once, without the stop line\n";
    if (::write(STDERR_FILENO, kMessage, sizeof kMessage - 1) < 0) {
        // Nowhere left to tell it.
    }
    // Blocked while this handler runs, the signal ends the process as soon as it returns.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

}  // namespace

void CatchStopRequests() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: the wait for the next tick ends at once.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

bool StopRequested() { return stopRequested != 0; }

bool StopAskedBySystem() { return stopBySystem != 0; }

void StopFinished() {}

void SleepUntilOrStopped(std::chrono::steady_clock::time_point deadline) {
    // The steady clock is CLOCK_MONOTONIC; a stop signal cuts the sleep short (no SA_RESTART).
    const auto since = deadline.time_since_epoch();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since);
    timespec until{};
    until.tv_sec = static_cast<time_t>(seconds.count());
    until.tv_nsec = static_cast<long>(std::chrono::nanoseconds(since - seconds).count());
    while (!StopRequested() &&
           clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) != 0) {
    }
}

}  // namespace ts
