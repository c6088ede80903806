#include "platform/stop_requests.h"

#include <windows.h>

#include <atomic>

#include "platform/console.h"
#include "platform/windows/session_end_window.h"

namespace ts {

namespace {

// How long a closed console, a logoff or a shutdown waits for the recorder's stop: Windows ends
// the process 5 s after asking whatever it is doing, so waiting longer gains nothing.
constexpr DWORD kSessionEndWaitMs = 5000;

std::atomic<bool> stopRequested{false};
std::atomic<bool> stopBySystem{false};
std::atomic<bool> stopFinished{false};

// Manual-reset events: one set by a stop request, which wakes the recorder's sleep; one set by
// the recorder once its stop is done, which lets a closing console or session go. Should the
// system refuse to make them, the waits poll the flags instead.
HANDLE StopEvent() {
    static const HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return event;
}

HANDLE FinishedEvent() {
    static const HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return event;
}

// Waits at most `ms` for `event`, or for `flag` where there is no event.
void WaitFor(HANDLE event, const std::atomic<bool>& flag, DWORD ms) {
    if (event != nullptr) {
        ::WaitForSingleObject(event, ms);
        return;
    }
    constexpr DWORD kPollMs = 10;
    for (DWORD waited = 0; !flag && waited < ms; waited += kPollMs) ::Sleep(kPollMs);
}

void RequestStop() {
    stopRequested = true;
    if (StopEvent() != nullptr) ::SetEvent(StopEvent());
}

// The session or the console ends: Windows ends the process as soon as this returns, so the stop
// line and the closed file must come first.
void StopBeforeTheEnd() {
    // The system's stop when it comes first: a Ctrl+C before it was the user's.
    if (!stopRequested) stopBySystem = true;
    RequestStop();
    WaitFor(FinishedEvent(), stopFinished, kSessionEndWaitMs);
}

// Runs on a thread of its own that the system starts for each event.
BOOL WINAPI OnControlEvent(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT: {
            if (!stopRequested.exchange(true)) {
                if (StopEvent() != nullptr) ::SetEvent(StopEvent());
                return TRUE;
            }
            // Only a person asks twice: the stop hangs, and it is to end now. The console is
            // theirs again, in the code page they had.
            constexpr char kMessage[] = "\ntrend-record: stopped at once, without the stop line\n";
            DWORD written = 0;
            ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), kMessage, sizeof kMessage - 1, &written,
                        nullptr);
            RestoreConsoleCodePage();
            ::TerminateProcess(::GetCurrentProcess(), STATUS_CONTROL_C_EXIT);
            return TRUE;
        }
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            StopBeforeTheEnd();
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
    WatchSessionEnd(StopBeforeTheEnd);
}

bool StopRequested() { return stopRequested; }

bool StopAskedBySystem() { return stopBySystem; }

void StopFinished() {
    stopFinished = true;
    if (FinishedEvent() != nullptr) ::SetEvent(FinishedEvent());
}

void SleepUntilOrStopped(std::chrono::steady_clock::time_point deadline) {
    using namespace std::chrono;
    while (!StopRequested()) {
        const auto left = deadline - steady_clock::now();
        if (left <= steady_clock::duration::zero()) return;
        const auto ms = static_cast<DWORD>(ceil<milliseconds>(left).count());
        WaitFor(StopEvent(), stopRequested, ms);
    }
}

}  // namespace ts
