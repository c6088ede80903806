#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace ts::sim {

// A Platform whose clock, regional settings, directory and process starts are
// the test's to set and inspect. Sleeping advances the clock instantly.
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
    void SleepMs(int milliseconds) override { sleeps.push_back(milliseconds); }
    LocalDateTime Now() override { return now; }
    const RegionalSettings& Regional() override { return regional; }
    std::string CurrentDirectory() override { return currentDirectory; }
};

}  // namespace ts::sim
