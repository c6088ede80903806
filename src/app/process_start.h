#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ts {

// Starts the program named by the first argument of a Windows-style command
// line (see SplitCommandLine), without a shell and without waiting for it.
// The child gets the program's environment and current folder, standard input
// from /dev/null, the standard output and error of the program, and no other
// open file. Children that have ended are reaped on later calls. Returns
// whether the process started.
bool StartDetachedProcess(std::string_view commandLine);

// Reaps the children started above that have ended; returns how many of them
// are still running.
std::size_t ReapFinishedChildren();

// The file a program name of a command line runs: a name holding a slash as
// given; otherwise the first executable file of that name in `ownFolder`, then
// in the programs' private tools folder beside it (where an installation puts
// them), then in the absolute folders of `searchPath` (a PATH value). Never the
// current folder, where anyone could leave a file of the tool's name. Empty
// when there is none.
std::string FindExecutable(const std::string& name, const std::string& ownFolder,
                           std::string_view searchPath);

// The folder this program's executable lies in; empty when unknown.
std::string OwnFolder();

}  // namespace ts
