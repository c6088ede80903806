#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ts {

// Starts one Windows-style command line as a new process, without a shell and without
// waiting for it; the child gets the program's environment and current folder and no other
// open file or handle of ours. On Windows the line goes whole to the system's process
// creation, which finds the program along its usual search order. On Linux its first argument
// (see SplitCommandLine) names the program, looked for beside this program and on the PATH but
// never in the current folder, with standard input from /dev/null; children that have ended
// are reaped on later calls. Returns whether the process started.
bool StartDetachedProcess(std::string_view commandLine);

// Reaps the children started above that have ended (Linux leaves them as zombies until then;
// Windows needs nothing); returns how many of them are still running.
std::size_t ReapFinishedChildren();

}  // namespace ts
