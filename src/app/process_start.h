#pragma once

#include <string_view>

namespace ts {

// Starts the program named by the first argument of a Windows-style command
// line, without a shell and without waiting for it; finished children are
// reaped. Returns whether the process started.
bool StartDetachedProcess(std::string_view commandLine);

}  // namespace ts
