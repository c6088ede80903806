#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace ts {

// A program to run as a child process of the test.
struct ChildRun {
    std::string program;
    std::vector<std::string> arguments;
    // Added to the test's own environment; an empty value removes the variable.
    std::vector<std::pair<std::string, std::string>> environment;
    std::string folder;    // working folder; the test's own when empty
    std::string outputTo;  // file for its standard output and error; the test's own when empty
    // A limit on the size of the files it writes, as `ulimit -f` sets it, with the limit's signal
    // at its default action as a shell leaves it (the test's own process may ignore it): a write
    // past it ends the child unless the program takes care itself.
    std::optional<rlim_t> fileSizeLimit{};
};

inline pid_t StartChild(const ChildRun& child) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    for (const auto& [name, value] : child.environment) {
        if (value.empty()) {
            ::unsetenv(name.c_str());
        } else {
            ::setenv(name.c_str(), value.c_str(), 1);
        }
    }
    if (!child.folder.empty() && ::chdir(child.folder.c_str()) != 0) ::_exit(126);
    if (!child.outputTo.empty()) {
        const int fd = ::open(child.outputTo.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::dup2(fd, STDOUT_FILENO) < 0 || ::dup2(fd, STDERR_FILENO) < 0) ::_exit(126);
    }
    if (child.fileSizeLimit) {
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = *child.fileSizeLimit;
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
        ::signal(SIGXFSZ, SIG_DFL);
    }
    std::vector<char*> argv{const_cast<char*>(child.program.c_str())};
    for (const std::string& argument : child.arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    ::execv(child.program.c_str(), argv.data());
    ::_exit(127);
}

// Its wait status once it has ended; nothing when it has not ended within `limit`, in which
// case it is killed.
inline std::optional<int> WaitForChild(pid_t child, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (::waitpid(child, &status, WNOHANG) == child) return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    return std::nullopt;
}

// Starts `child`, lets it run for `run`, sends it `signal` and returns its wait status.
inline int RunFor(const ChildRun& child, std::chrono::milliseconds run, int signal) {
    const pid_t pid = StartChild(child);
    if (pid < 0) return -1;
    std::this_thread::sleep_for(run);
    ::kill(pid, signal);
    return WaitForChild(pid, std::chrono::seconds(20)).value_or(-1);
}

}  // namespace ts
