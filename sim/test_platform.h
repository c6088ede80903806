#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "platform/data_sync.h"
#include "platform/keep_awake.h"
#include "platform/platform.h"

namespace ts::sim {

// Counts the syncs begun and the gaps between them on the test's clock, without allocating (the
// soak counts every allocation); a sync can be made to stay busy or to fail.
class TestDataSync final : public DataSync {
public:
    explicit TestDataSync(const std::int64_t& clockMs) : clockMs_(clockMs) {}
    int begins = 0;
    std::int64_t lastBeginMs = 0;
    std::int64_t shortestGapMs = std::numeric_limits<std::int64_t>::max();
    std::int64_t longestGapMs = 0;
    bool busy = false;
    std::uint64_t failures = 0;

    bool Begin(const SystemFile&) override {
        if (busy) return false;
        if (begins > 0) {
            shortestGapMs = std::min(shortestGapMs, clockMs_ - lastBeginMs);
            longestGapMs = std::max(longestGapMs, clockMs_ - lastBeginMs);
        }
        ++begins;
        lastBeginMs = clockMs_;
        return true;
    }
    std::uint64_t Failures() const override { return failures; }

private:
    const std::int64_t& clockMs_;
};

// Whether the computer is held awake, and whether the system answers at all.
class TestKeepAwake final : public KeepAwake {
public:
    bool systemAnswers = true;
    bool held = false;
    int holds = 0;
    // Whether the last release kept the program's restart.
    bool restartKept = false;
    bool Hold(std::string_view, std::string_view) override {
        ++holds;
        held = systemAnswers;
        return held;
    }
    void Release() override {
        held = false;
        restartKept = false;
    }
    void ReleaseKeepingRestart() override {
        held = false;
        restartKept = true;
    }
};

// A Platform whose clock, regional settings, directory and process starts are
// the test's to set and inspect. Sleeping advances the steady clock instantly.
class TestPlatform final : public Platform {
public:
    RegionalSettings regional;
    LocalDateTime now{2026, 12, 6, 17, 5, 3};
    std::string currentDirectory = ".";
    std::vector<std::string> startedProcesses;
    bool processStartSucceeds = true;
    std::vector<int> sleeps;

    bool StartProcess(std::string_view commandLine) override {
        startedProcesses.emplace_back(commandLine);
        return processStartSucceeds;
    }
    int reaps = 0;
    void ReapFinishedProcesses() override { ++reaps; }
    std::int64_t steadyMs = 0;
    TestDataSync sync{steadyMs};
    TestKeepAwake awake;

    void SleepMs(int milliseconds) override {
        sleeps.push_back(milliseconds);
        steadyMs += milliseconds;
    }
    LocalDateTime Now() override { return now; }
    const RegionalSettings& Regional() override { return regional; }
    std::string CurrentDirectory() override { return currentDirectory; }
    std::int64_t SteadyMilliseconds() override { return steadyMs; }
    DataSync& Sync() override { return sync; }
    KeepAwake& Awake() override { return awake; }
};

}  // namespace ts::sim
