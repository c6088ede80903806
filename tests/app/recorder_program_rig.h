#pragma once

// Runs the Linux trend-record program for its tests: through the shell, or as a child process
// with signals and an emulated bridge preloaded.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/recorder_rig.h"
#include "child_process.h"

namespace ts::recorder_rig {

// ---- the program itself ----

using Environment = std::vector<std::pair<std::string, std::string>>;

// Runs the program through the shell, in `folder` when one is given, and returns its exit
// status (-1: killed by a signal); standard output and error together into `output`.
inline int RunRecorder(const std::string& arguments, std::string* output = nullptr,
                       const std::string& folder = {}) {
    const std::string command = (folder.empty() ? "" : "cd '" + folder + "' && ") +
                                std::string(TS_RECORDER) + " " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string text;
    char buffer[256];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
    const int status = pipe ? ::pclose(pipe) : -1;
    if (output) *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Starts the program in `folder` (or ours when empty) with `environment` added to ours;
// its standard output and error go to `outputPath`.
inline pid_t StartRecorder(const std::vector<std::string>& arguments,
                           const Environment& environment = {}, const std::string& folder = {},
                           const std::string& outputPath = "/dev/null") {
    return StartChild({TS_RECORDER, arguments, environment, folder, outputPath});
}

inline std::optional<int> WaitForRecorder(pid_t child, std::chrono::milliseconds limit) {
    return WaitForChild(child, limit);
}

// Starts the program, lets it run for `run`, sends it `signal` and returns its wait status.
inline int RunRecorderUntil(const std::vector<std::string>& arguments,
                            const Environment& environment, std::chrono::milliseconds run,
                            int signal, const std::string& outputPath = "/dev/null") {
    return RunFor({TS_RECORDER, arguments, environment, {}, outputPath}, run, signal);
}

// Waits (at most 10 s) for the program to make `path`: a recording makes its file at the first
// sample.
inline void WaitForFile(const std::string& path) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!Exists(path) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
}

inline Environment EmulatedBridges(const std::string& bridges) {
    return {{"LD_PRELOAD", TS_EMULATOR_PRELOAD}, {"TS_EMULATED_BRIDGES", bridges}};
}

// A folder with settings that record `choice` (window order) of channels 1, 3 and 6 and name the
// instrument, the emulated bridge streaming `capture` (once, from the program's start), and a
// capture without a single frame for runs that get no sample.
struct LiveRig {
    TempFolder folder;
    const std::string settings = folder / "Settings.bin";
    const std::string capture = folder / "capture.raw";
    Environment bridge = EmulatedBridges("KSL214.8N,TS000001," + capture);
    template <class Bytes>
    LiveRig(int choice, const Bytes& bytes) {
        WriteAll(settings, Settings(folder, choice, false));
        WriteAll(capture, bytes);
        WriteAll(folder / "noise.raw", "no frame in here");
    }
    int RunWithoutSample(const std::string& out, const std::string& options,
                         std::string* said = nullptr) const {
        return RunRecorder("--settings " + settings + " --out '" + out + "' " + options +
                               " --replay " + (folder / "noise.raw"),
                           said);
    }
};

}  // namespace ts::recorder_rig
