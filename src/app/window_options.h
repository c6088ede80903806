#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ts {

// The command line of the window programs. Qt's own options (-platform, --style, ...) are
// left for Qt to take when the program is Qt's (`qtOptions`); anything else is an error.
struct WindowOptions {
    bool help = false;
    bool version = false;
    bool userData = false;  // work in the per-user data folder
    bool lineRate = false;  // simulator only: frames back to back
    // Result files to show in review windows, each made absolute while the working folder is
    // still the one they were named in (--user-data moves it).
    std::vector<std::string> open;
    std::string error;  // one line; empty when the arguments are good
};

WindowOptions ParseWindowOptions(std::span<const char* const> arguments, bool simulator,
                                 bool qtOptions = true);

// How a window program tells its user what the options asked for: on the console's standard
// output (or error), or, on a system where a window program may have no console, in a box.
using TellUser = std::function<void(std::string_view text, bool error)>;
void TellOnConsole(std::string_view text, bool error);

// Which window program acts on its options, and how it tells its user.
struct WindowProgram {
    bool simulator = false;
    bool qtOptions = true;  // the toolkit takes options of its own, written with one dash
    TellUser tell = TellOnConsole;
};

// The --help text of trend-station, or of trend-station-sim.
std::string WindowUsage(bool simulator, bool qtOptions = true);

// What a window program does with its options before its window, so that --help and --version
// need no display: tells the help, the version or the argument error, and with --user-data
// makes the data folder the working folder (`folderError` says why when it cannot). Returns
// the exit status when the program is to end at once.
std::optional<int> ActBeforeWindow(const WindowOptions& options, const WindowProgram& program,
                                   std::string& folderError);

}  // namespace ts
