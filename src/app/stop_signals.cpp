#include "app/stop_signals.h"

#include <signal.h>
#include <unistd.h>

#include <initializer_list>

namespace ts {

namespace {

volatile sig_atomic_t stopRequested = 0;

void OnStopSignal(int signal) {
    // A hang-up may well come twice as a session goes; only a person asks twice.
    if (stopRequested == 0 || signal == SIGHUP) {
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

void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: the wait for the next tick ends at once.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

bool StopRequested() { return stopRequested != 0; }

}  // namespace ts
