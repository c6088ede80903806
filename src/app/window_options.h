#pragma once

#include <optional>
#include <span>
#include <string>

namespace ts {

// The command line of the window programs. Qt's own options, written with one dash
// (-platform, -style, ...), are left for Qt to take.
struct WindowOptions {
    bool help = false;
    bool version = false;
    bool userData = false;  // work in the per-user data folder
    bool lineRate = false;  // simulator only: frames back to back
    std::string error;      // one line; empty when the arguments are good
};

WindowOptions ParseWindowOptions(std::span<const char* const> arguments, bool simulator);

// The --help text of trend-station, or of trend-station-sim.
std::string WindowUsage(bool simulator);

// What a window program does with its options before Qt starts, so that --help and --version
// need no display: prints the help, the version or the argument error, and with --user-data
// makes the data folder the working folder (`folderError` says why when it cannot). Returns
// the exit status when the program is to end at once.
std::optional<int> ActBeforeWindow(const WindowOptions& options, bool simulator,
                                   std::string& folderError);

}  // namespace ts
