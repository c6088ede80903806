#pragma once

#include <cstddef>
#include <span>
#include <string>

namespace ts {

// What the command line of the headless recorder asks for.
struct RecordOptions {
    std::string settingsPath = "./Settings.bin";
    std::string outPath;
    std::string replayPath;    // empty: record from the instrument
    std::size_t chunk = 4608;  // bytes per 40 ms poll at the line rate
    std::string rawPath;       // empty: no raw capture
    bool force = false;
    bool help = false;
    bool version = false;
    std::string error;  // one line; empty when the arguments are good
};

RecordOptions ParseRecordOptions(std::span<const char* const> arguments);

extern const char* const kRecordUsage;

}  // namespace ts
