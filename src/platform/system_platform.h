#pragma once

#include <memory>

#include "platform/background_sync.h"
#include "platform/keep_awake.h"
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
    std::int64_t SteadyMilliseconds() override;
    DataSync& Sync() override { return sync_; }
    KeepAwake& Awake() override { return *awake_; }

private:
    RegionalSettings regional_;
    BackgroundSync sync_;
    std::unique_ptr<KeepAwake> awake_;
};

// Reads the user's regional settings: on Linux those of the process's current C locale, on
// Windows those of the user's locale.
RegionalSettings ReadRegionalSettings();

}  // namespace ts
