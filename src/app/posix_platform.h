#pragma once

#include "app/platform.h"

namespace ts {

// The Platform of a Linux desktop: posix_spawnp, nanosleep, the local clock
// and the C library locale (read once; the program never changes it).
class PosixPlatform final : public Platform {
public:
    PosixPlatform();
    bool StartProcess(std::string_view commandLine) override;
    void ReapFinishedProcesses() override;
    void SleepMs(int milliseconds) override;
    LocalDateTime Now() override;
    const RegionalSettings& Regional() override { return regional_; }
    std::string CurrentDirectory() override;

private:
    RegionalSettings regional_;
};

// Reads the regional settings of the process's current C locale.
RegionalSettings ReadRegionalSettings();

}  // namespace ts
