#include "app/window_options.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "base/build_config.h"
#include "platform/absolute_path.h"
#include "platform/data_folder.h"

namespace ts {

namespace {

// Qt's own options, which Qt takes with one dash or two (-platform, --platform). Qt reads them
// only once the application object exists, which --help and --version must not wait for, so
// they are stepped over here, with the value that those of the first list take as the next
// argument.
constexpr std::string_view kQtOptionsWithValue[] = {
    "platform",
    "platformpluginpath",
    "platformtheme",
    "plugin",
    "qwindowgeometry",
    "qwindowicon",
    "qwindowtitle",
    "session",
    "display",
    "geometry",
    "style",
    "stylesheet",
    "name",
    "title",
    "visual",
    "ncols",
    "cmap",
    "im",
    "inputstyle",
    "qdevicepixelratio",
};
constexpr std::string_view kQtFlags[] = {"reverse", "nograb",      "dograb",
                                         "sync",    "widgetcount", "testability"};
// Those written with their value after "=".
constexpr std::string_view kQtOptionsWithEquals[] = {"dialogs=", "qmljsdebugger="};

// The option's name without its dashes, or nothing for an argument that is no option.
std::string_view OptionName(std::string_view argument) {
    if (!argument.starts_with("-")) return {};
    argument.remove_prefix(argument.starts_with("--") ? 2 : 1);
    return argument;
}

bool IsIn(std::string_view name, std::span<const std::string_view> names) {
    for (const std::string_view known : names) {
        if (name == known) return true;
    }
    return false;
}

bool IsQtFlag(std::string_view name) {
    if (IsIn(name, kQtFlags)) return true;
    for (const std::string_view prefix : kQtOptionsWithEquals) {
        if (name.starts_with(prefix)) return true;
    }
    return false;
}

}  // namespace

WindowOptions ParseWindowOptions(std::span<const char* const> arguments, bool simulator,
                                 bool qtOptions) {
    WindowOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument(arguments[i]);
        const std::string_view name = OptionName(argument);
        if (qtOptions && IsIn(name, kQtOptionsWithValue)) {
            ++i;
        } else if (qtOptions && IsQtFlag(name)) {
            continue;
        } else if (argument == "--help") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "--user-data") {
            options.userData = true;
        } else if (argument == "--open") {
            if (i + 1 >= arguments.size()) {
                options.error = "option '--open' needs a file name";
                return options;
            }
            options.open.push_back(AbsolutePath(arguments[++i]));
        } else if (simulator && argument == "--line-rate") {
            options.lineRate = true;
        } else {
            // Neither ours nor Qt's: Qt would take it without a word.
            options.error = "unknown argument '" + std::string(argument) + "' (see --help)";
            return options;
        }
    }
    return options;
}

std::string WindowUsage(bool simulator, bool qtOptions) {
    std::string usage = simulator ? "Usage: trend-station-sim [OPTION]...\n"
                                    "The station program with a simulated КСЛ214.8Н instrument "
                                    "attached, and a panel\n"
                                    "to plug it, unplug it and shape its signals: for training "
                                    "and demonstrations.\n"
                                    "It prepares demonstration settings and tables in its "
                                    "working folder.\n\n"
                                  : "Usage: trend-station [OPTION]...\n"
                                    "Shows, charts and records the six channels of a КСЛ214.8Н "
                                    "recorder attached\n"
                                    "through its USB bridge.\n\n";
    usage +=
        "The settings (Settings.bin) are kept in the working folder, or with --user-data\n"
        "in " +
        UserDataFolderHelp(simulator ? "trend-station-sim" : "trend-station") + ".\n\n";
    usage +=
        "Options:\n"
        "  --user-data   work in the per-user data folder, created when missing; the\n"
        "                " +
        std::string(kDataFolderStarter) + " starts the program so\n";
    if (simulator) {
        usage +=
            "  --line-rate   the simulated instrument sends frames back to back, as fast\n"
            "                as the line carries them\n";
    }
    usage +=
        "  --open FILE   show the result file FILE in a review window of its own, beside\n"
        "                the main window (may be given more than once)\n"
        "  --help        show this help and exit\n"
        "  --version     show the version and exit\n";
    if (qtOptions) usage += "\nQt's own options (-platform, --style...) are passed on to Qt.\n";
    return usage;
}

void TellOnConsole(std::string_view text, bool error) {
    std::fwrite(text.data(), 1, text.size(), error ? stderr : stdout);
}

std::optional<int> ActBeforeWindow(const WindowOptions& options, const WindowProgram& program,
                                   std::string& folderError) {
    const std::string name = program.simulator ? "trend-station-sim" : "trend-station";
    if (!options.error.empty()) {
        program.tell(name + ": " + options.error + "\n", true);
        return 2;
    }
    if (options.help) {
        program.tell(WindowUsage(program.simulator, program.qtOptions), false);
        return 0;
    }
    if (options.version) {
        program.tell(name + " " + std::string(kVersion) + "\n", false);
        return 0;
    }
    if (options.userData) {
        // The simulator's demonstration settings and tables are kept apart from the real ones.
        EnterFolder(UserDataFolder(name), folderError);
    }
    return std::nullopt;
}

}  // namespace ts
