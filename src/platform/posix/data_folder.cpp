#include "platform/data_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/posix/xdg_data_folder.h"

namespace ts {

namespace {

bool Absolute(const char* path) { return path != nullptr && path[0] == '/'; }

}  // namespace

std::string XdgUserDataFolder(const char* xdgDataHome, const char* home,
                              const std::string& program) {
    if (Absolute(xdgDataHome)) return std::string(xdgDataHome) + "/" + program;
    if (Absolute(home)) return std::string(home) + "/.local/share/" + program;
    return {};
}

std::string UserDataFolderHelp(const std::string& program) {
    return "$XDG_DATA_HOME/" + program + " (by default ~/.local/share/" + program + ")";
}

const std::string_view kDataFolderStarter = "desktop menu entry";

std::string UserDataFolder(const std::string& program) {
    return XdgUserDataFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"), program);
}

bool EnterFolder(const std::string& folder, std::string& error) {
    if (folder.empty()) {
        error = "no home folder to keep the settings in";
        return false;
    }
    // Each missing level in turn, as mkdir -p does.
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string level = folder.substr(0, slash);
        if (::mkdir(level.c_str(), 0700) != 0 && errno != EEXIST) {
            error = level + ": " + std::strerror(errno);
            return false;
        }
        if (slash == std::string::npos) break;
    }
    if (::chdir(folder.c_str()) != 0) {
        error = folder + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace ts
