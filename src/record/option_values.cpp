#include "record/option_values.h"

#include <charconv>

#include "base/form.h"
#include "base/texts.h"

namespace ts {

namespace {

// The captions of the fixed periods end in a letter for "seconds" (Cyrillic in all but one,
// as the window has them); what comes before it is the period as the window lists it.
std::string_view PeriodOfCaption(std::string_view caption) {
    constexpr std::string_view kCyrillicEs = "\xD1\x81";
    if (caption.ends_with(kCyrillicEs)) return caption.substr(0, caption.size() - 2);
    if (caption.ends_with('c')) return caption.substr(0, caption.size() - 1);
    return caption;
}

constexpr std::string_view kEveryAll = "all";
constexpr std::string_view kEveryChange = "change";

}  // namespace

std::optional<std::uint64_t> WholeNumberIn(std::string_view text, std::uint64_t low,
                                           std::uint64_t high) {
    std::uint64_t value = 0;
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || value < low || value > high) return std::nullopt;
    return value;
}

std::optional<std::uint64_t> DurationSecondsNamed(std::string_view text) {
    constexpr std::uint64_t kMaxHours = 9999;
    constexpr std::uint64_t kMaxSeconds = kMaxHours * 3600;
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return WholeNumberIn(text, 1, kMaxSeconds);
    // H:MM:SS, each part digits only; the hours as many as wanted, the rest two exactly.
    const std::string_view rest = text.substr(colon + 1);
    if (rest.size() != 5 || rest[2] != ':') return std::nullopt;
    const auto hours = WholeNumberIn(text.substr(0, colon), 0, kMaxHours);
    const auto minutes = WholeNumberIn(rest.substr(0, 2), 0, 59);
    const auto seconds = WholeNumberIn(rest.substr(3), 0, 59);
    if (!hours || !minutes || !seconds) return std::nullopt;
    const std::uint64_t total = *hours * 3600 + *minutes * 60 + *seconds;
    if (total == 0 || total > kMaxSeconds) return std::nullopt;
    return total;
}

std::optional<int> RecordChoiceNamed(std::string_view text) {
    if (text == kEveryAll) return kRecordChoiceAll;
    if (text == kEveryChange) return kRecordChoiceOnChange;
    for (int choice = kRecordChoiceAll + 1; choice < kRecordChoiceOnChange; ++choice) {
        if (text == PeriodOfCaption(text::kRecordChoiceCaptions[choice])) return choice;
    }
    return std::nullopt;
}

std::string RecordChoiceNames() {
    std::string names(kEveryAll);
    names += ", ";
    names += kEveryChange;
    for (int choice = kRecordChoiceAll + 1; choice < kRecordChoiceOnChange; ++choice) {
        names += ", ";
        names += PeriodOfCaption(text::kRecordChoiceCaptions[choice]);
    }
    return names;
}

std::optional<std::array<bool, kChannels>> ChannelsNamed(std::string_view text) {
    std::array<bool, kChannels> channels{};
    while (true) {
        const std::size_t comma = text.find(',');
        const std::optional<std::uint64_t> channel = WholeNumberIn(text.substr(0, comma), 1, 6);
        if (!channel || channels[*channel - 1]) return std::nullopt;
        channels[*channel - 1] = true;
        if (comma == std::string_view::npos) return channels;
        text.remove_prefix(comma + 1);
    }
}

std::optional<ChannelTable> ChannelTableNamed(std::string_view text) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::optional<std::uint64_t> channel = WholeNumberIn(text.substr(0, equals), 1, 6);
    if (!channel) return std::nullopt;
    return ChannelTable{static_cast<int>(*channel), std::string(text.substr(equals + 1))};
}

}  // namespace ts
