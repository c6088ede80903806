#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ts {

// Starts one Windows-style command line as a new process, without a shell and without
// waiting for it; the child gets the program's environment and current folder and no other
// open file or handle of ours. Its first argument names the program. On Windows a bare name is
// taken from this program's own folder and nowhere else (a full path as it is, a relative one
// not at all), the line goes to the system as UTF-16 (text that is not UTF-8 is refused), and
// a console program gets no console window. On Linux (see SplitCommandLine) the program is
// looked for beside this program and on the PATH but never in the current folder, with
// standard input from /dev/null; children that have ended are reaped on later calls. Returns
// whether the process started.
bool StartDetachedProcess(std::string_view commandLine);

// Reaps the children started above that have ended (Linux leaves them as zombies until then;
// Windows needs nothing); returns how many of them are still running.
std::size_t ReapFinishedChildren();

}  // namespace ts
