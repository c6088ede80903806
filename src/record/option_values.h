#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/sample.h"

namespace ts {

// Readers of the values the headless recorder's options take. Each gives nothing for a value
// that is not exactly of its form.

// A whole decimal number from `low` to `high`, digits only.
std::optional<std::uint64_t> WholeNumberIn(std::string_view text, std::uint64_t low,
                                           std::uint64_t high);

// The recording choice in window order (0 every sample, 1 to 17 the fixed periods, 18 on
// change) from "all", "change" or a period in seconds as the window lists it ("0.002" ... "500").
std::optional<int> RecordChoiceNamed(std::string_view text);
// The accepted names of the recording choices, for a message.
std::string RecordChoiceNames();

// A duration in whole seconds from "SECONDS" or "H:MM:SS" (minutes and seconds of two digits
// below 60), at least one second and at most 9999 hours.
std::optional<std::uint64_t> DurationSecondsNamed(std::string_view text);

// Channels to record from "1,2,5": numbers 1 to 6, each at most once.
std::optional<std::array<bool, kChannels>> ChannelsNamed(std::string_view text);

// A calibration table for one channel from "CHANNEL=FILE"; an empty FILE means no table.
struct ChannelTable {
    int channel = 0;  // 1..6
    std::string path;
};
std::optional<ChannelTable> ChannelTableNamed(std::string_view text);

}  // namespace ts
