#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "base/sample.h"

namespace ts {

// What the command line of the headless recorder asks for.
struct RecordOptions {
    std::string settingsPath = "./Settings.bin";
    bool settingsGiven = false;  // named with --settings: it must be there
    std::string outPath;
    std::string replayPath;    // empty: record from the instrument
    std::size_t chunk = 4608;  // bytes per 40 ms poll at the line rate
    std::string rawPath;       // empty: no raw capture
    bool force = false;
    bool help = false;
    bool version = false;
    bool list = false;  // list the attached bridges and do nothing else
    // Go on with a recording into the same --out that was cut, when there is one.
    bool resume = false;
    // How long to record, in seconds of the instrument's time from the first sample; none: until
    // stopped (or the end of a replay).
    std::optional<std::uint64_t> durationSeconds;

    // What the window would have kept in its settings file; each one given overrides the
    // file's value.
    std::optional<std::string> description;
    std::optional<std::string> serial;
    std::optional<int> recordChoice;  // window order: 0 every sample, 1..17 periods, 18 on change
    bool average = false;
    std::optional<int> threshold;  // the on-change threshold as shown, 1..99
    std::optional<std::array<bool, kChannels>> channels;
    std::array<std::optional<std::string>, kChannels> tables;

    std::string error;  // one line; empty when the arguments are good

    // Whether any of the settings above was given.
    bool AnySetting() const;
};

RecordOptions ParseRecordOptions(std::span<const char* const> arguments);

extern const char* const kRecordUsage;

}  // namespace ts
