#pragma once

namespace ts {

// SIGINT, SIGTERM and SIGHUP (a closed terminal, a dropped remote session) ask the recorder to
// stop; its loop looks at StopRequested() and stops cleanly. A second SIGINT or SIGTERM after
// that, when the stop hangs (a blocked disk), ends the process at once by that signal. Nothing
// half-written is left by it: the result file only ever receives whole lines in each write.
void CatchStopSignals();
bool StopRequested();

}  // namespace ts
