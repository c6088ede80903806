#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
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
    std::string errorsTo;  // file for its standard error; the test's own when empty
};

// Starts `child`, lets it run for `run`, sends it `signal` and returns its wait status.
inline int RunFor(const ChildRun& child, std::chrono::milliseconds run, int signal) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        for (const auto& [name, value] : child.environment) {
            if (value.empty()) {
                ::unsetenv(name.c_str());
            } else {
                ::setenv(name.c_str(), value.c_str(), 1);
            }
        }
        if (!child.folder.empty() && ::chdir(child.folder.c_str()) != 0) ::_exit(126);
        if (!child.errorsTo.empty()) {
            const int fd = ::open(child.errorsTo.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0 || ::dup2(fd, STDERR_FILENO) < 0) ::_exit(126);
        }
        std::vector<char*> argv{const_cast<char*>(child.program.c_str())};
        for (const std::string& argument : child.arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        ::execv(child.program.c_str(), argv.data());
        ::_exit(127);
    }
    if (pid < 0) return -1;
    std::this_thread::sleep_for(run);
    ::kill(pid, signal);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

}  // namespace ts
