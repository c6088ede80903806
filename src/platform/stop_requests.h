#pragma once

#include <chrono>

namespace ts {

// What asks the recorder to stop: SIGINT, SIGTERM and SIGHUP (a closed terminal, a dropped
// remote session) on Linux; Ctrl+C, Ctrl+Break, a closed console, logoff and shutdown on
// Windows. Its loop looks at StopRequested() and stops cleanly. A second interrupt or
// termination after that, when the stop hangs (a blocked disk), ends the process at once.
// Nothing half-written is left by it: the result file only ever receives whole lines.
void CatchStopRequests();
bool StopRequested();
// Whether the first stop asked for came from the system rather than from the user: SIGTERM or
// SIGHUP on Linux (a shutdown, a logout, a service manager, a closed terminal); a closed
// console, a logoff or a shutdown on Windows. Ctrl+C (SIGINT) and Ctrl+Break are the user's.
bool StopAskedBySystem();
// The recorder says that its stop is done (stop line written, file closed). Windows ends the
// process as soon as its handler of a closed console, a logoff or a shutdown returns, so that
// handler waits for this; Linux needs nothing.
void StopFinished();

// Sleeps until `deadline` of the monotonic clock, or until a stop is asked for.
void SleepUntilOrStopped(std::chrono::steady_clock::time_point deadline);

}  // namespace ts
