#include "platform/stop_requests.h"

#include <windows.h>

#include <atomic>

namespace ts {

namespace {

// How long a closed console, a logoff or a shutdown waits for the recorder's stop before the
// handler gives in: the system itself ends the process some seconds after asking.
constexpr DWORD kClosingWaitMs = 20000;

std::atomic<bool> stopRequested{false};

// Manual-reset events: one set by a stop request, which wakes the recorder's sleep; one set by
// the recorder once its stop is done, which lets a closing console go.
HANDLE StopEvent() {
    static const HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return event;
}

HANDLE FinishedEvent() {
    static const HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return event;
}

void RequestStop() {
    stopRequested = true;
    ::SetEvent(StopEvent());
}

// Runs on a thread of its own that the system starts for each event.
BOOL WINAPI OnControlEvent(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT: {
            if (!stopRequested.exchange(true)) {
                ::SetEvent(StopEvent());
                return TRUE;
            }
            // Only a person asks twice: the stop hangs, and it is to end now.
            constexpr char kMessage[] = "\ntrend-record: stopped at once, without the stop line\n";
            DWORD written = 0;
            ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), kMessage, sizeof kMessage - 1, &written,
                        nullptr);
            ::TerminateProcess(::GetCurrentProcess(), STATUS_CONTROL_C_EXIT);
            return TRUE;
        }
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            // The system ends the process as soon as this returns: the stop line and the closed
            // file must come first.
            RequestStop();
            ::WaitForSingleObject(FinishedEvent(), kClosingWaitMs);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

void CatchStopRequests() {
    StopEvent();
    FinishedEvent();
    ::SetConsoleCtrlHandler(OnControlEvent, TRUE);
}

bool StopRequested() { return stopRequested; }

void StopFinished() { ::SetEvent(FinishedEvent()); }

void SleepUntilOrStopped(std::chrono::steady_clock::time_point deadline) {
    using namespace std::chrono;
    while (!StopRequested()) {
        const auto left = deadline - steady_clock::now();
        if (left <= steady_clock::duration::zero()) return;
        const auto ms = ceil<milliseconds>(left).count();
        ::WaitForSingleObject(StopEvent(), static_cast<DWORD>(ms));
    }
}

}  // namespace ts
