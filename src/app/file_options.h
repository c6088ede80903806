#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ts {

// What the command line of trend-file asks for.
struct FileOptions {
    enum class Command { None, Summary, Export };
    Command command = Command::None;
    std::string filePath;
    std::string csvPath;  // export's output
    // Times since the recording's start line, in ns; a record counts when from <= t < to.
    std::optional<std::int64_t> fromNs, toNs;
    std::optional<std::int64_t> everyNs;  // export: one row per this long, holding the means
    bool force = false;
    bool help = false;
    bool version = false;
    std::string error;  // one line; empty when the arguments are good
};

FileOptions ParseFileOptions(std::span<const char* const> arguments);

// A time since the start line in ns, from seconds ("90", "0.5") or "H:MM:SS" (minutes and
// seconds of two digits below 60, the seconds with decimals if wanted); nothing when it is
// neither.
std::optional<std::int64_t> ElapsedNamed(std::string_view text);

extern const char* const kFileUsage;

}  // namespace ts
