#include "platform/process_start.h"

#include "platform/posix/find_executable.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <vector>

#include "base/build_config.h"
#include "platform/command_line.h"

extern char** environ;

namespace ts {

namespace {

std::mutex childrenMutex;
std::vector<pid_t> children;

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

// Owns the spawn attributes and file actions for one start.
class SpawnSetup {
public:
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;

    SpawnSetup() {
        haveActions_ = posix_spawn_file_actions_init(&actions) == 0;
        haveAttributes_ = posix_spawnattr_init(&attributes) == 0;
        if (!haveActions_ || !haveAttributes_) return;
        sigset_t none;
        sigemptyset(&none);
        sigset_t all;
        sigfillset(&all);
        // The child starts with no signal blocked and none ignored, whatever
        // the toolkit did to ours; it inherits only the three standard files.
        ready_ = posix_spawnattr_setsigmask(&attributes, &none) == 0 &&
                 posix_spawnattr_setsigdefault(&attributes, &all) == 0 &&
                 posix_spawnattr_setflags(&attributes,
                                          POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) == 0 &&
                 posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY,
                                                  0) == 0 &&
                 posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1) == 0;
    }
    ~SpawnSetup() {
        if (haveAttributes_) posix_spawnattr_destroy(&attributes);
        if (haveActions_) posix_spawn_file_actions_destroy(&actions);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    bool ready() const { return ready_; }

private:
    bool haveActions_ = false;
    bool haveAttributes_ = false;
    bool ready_ = false;
};

std::size_t ReapLocked() {
    std::erase_if(children, [](pid_t pid) {
        int status = 0;
        // 0: still running. Otherwise it has been reaped now, or by someone
        // else (ECHILD); either way there is nothing left to wait for.
        return ::waitpid(pid, &status, WNOHANG) != 0;
    });
    return children.size();
}

}  // namespace

std::string OwnFolder() {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer) return {};
    std::string path(buffer, static_cast<std::size_t>(length));
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return {};
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string FindExecutable(const std::string& name, const std::string& ownFolder,
                           std::string_view searchPath) {
    if (name.empty()) return {};
    if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : std::string();
    if (!ownFolder.empty()) {
        // Beside the program in a build tree; in its private folder once installed.
        for (const std::string& candidate :
             {ownFolder + "/" + name, (std::filesystem::path(ownFolder) / kToolsFromPrograms / name)
                                          .lexically_normal()
                                          .string()}) {
            if (IsExecutableFile(candidate)) return candidate;
        }
    }
    while (!searchPath.empty()) {
        const auto colon = searchPath.find(':');
        const std::string_view folder = searchPath.substr(0, colon);
        searchPath =
            colon == std::string_view::npos ? std::string_view() : searchPath.substr(colon + 1);
        // Empty and relative entries mean the current folder: skipped.
        if (folder.empty() || folder.front() != '/') continue;
        const std::string candidate = std::string(folder) + "/" + name;
        if (IsExecutableFile(candidate)) return candidate;
    }
    return {};
}

std::size_t ReapFinishedChildren() {
    const std::lock_guard lock(childrenMutex);
    return ReapLocked();
}

bool StartDetachedProcess(std::string_view commandLine) {
    const std::lock_guard lock(childrenMutex);
    ReapLocked();

    std::vector<std::string> arguments = SplitCommandLine(commandLine);
    if (arguments.empty()) return false;
    const char* path = std::getenv("PATH");
    const std::string program = FindExecutable(arguments.front(), OwnFolder(), path ? path : "");
    if (program.empty()) return false;

    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    SpawnSetup setup;
    if (!setup.ready()) return false;
    pid_t pid = 0;
    if (::posix_spawn(&pid, program.c_str(), &setup.actions, &setup.attributes, argv.data(),
                      environ) != 0) {
        return false;
    }
    children.push_back(pid);
    return true;
}

}  // namespace ts
