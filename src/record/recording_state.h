#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "base/sample.h"
#include "platform/text_codec.h"
#include "record/result_file.h"
#include "record/result_sync.h"

namespace ts {

struct RecordingState {
    bool RecordingActive = false;
    std::uint64_t RecordingStart = 0;
    std::string ResultFileName;
    ResultFile File;
    ResultSync Sync;
    // The computer is held awake for the recording; said once per run when it cannot be.
    bool AwakeHeld = false;
    bool SleepWarningGiven = false;
    // A failed record write is reported once per recording.
    bool WriteFailureReported = false;
    Cp1251Encoder Encoder;

    // On-change rule: extreme value and direction per channel.
    std::array<std::uint16_t, kChannels> ChangeReference{};
    std::array<bool, kChannels> ChangeRising{true, true, true, true, true, true};
};

}  // namespace ts
