#pragma once

#include "platform/platform.h"

namespace ts {

// The Platform of the system the program runs on: process start, the blocking sleep, the local
// clock and the user's regional settings (read once; the program never changes them).
class SystemPlatform final : public Platform {
public:
    SystemPlatform();
    bool StartProcess(std::string_view commandLine) override;
    void ReapFinishedProcesses() override;
    void SleepMs(int milliseconds) override;
    LocalDateTime Now() override;
    const RegionalSettings& Regional() override { return regional_; }
    std::string CurrentDirectory() override;

private:
    RegionalSettings regional_;
};

// Reads the user's regional settings: on Linux those of the process's current C locale, on
// Windows those of the user's locale.
RegionalSettings ReadRegionalSettings();

}  // namespace ts
