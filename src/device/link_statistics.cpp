#include "device/link_statistics.h"

#include <charconv>
#include <cstring>
#include <string_view>

#include "base/texts.h"

namespace ts {

namespace {

// 40 ms ticks between two refreshes of the hint: five a second.
constexpr int kTicksPerHint = 5;

constexpr std::size_t kCountDigits = 20;  // the widest 64-bit count
constexpr std::size_t kHintTextsSize =
    text::kLinkFramesDecoded.size() + text::kLinkFramesRejected.size() +
    text::kLinkBytesSkipped.size() + text::kLinkChipOverruns.size() +
    text::kLinkQueueOverflow.size() + text::kLinkReopenings.size();
static_assert(kHintTextsSize + 6 * (kCountDigits + 1) <= kLinkHintCapacity);

}  // namespace

void LinkStatistics::AskDriver(Driver& driver, FtHandle handle) {
    DriverLosses losses;
    if (handle != 0 && driver.GetLosses(handle, losses) == kFtOk) handle_ = losses;
}

void LinkStatistics::HandleClosed() {
    counts_.chipOverruns += handle_.chipOverruns;
    counts_.queueOverflowBytes += handle_.queueOverflowBytes;
    handle_ = {};
}

LinkCounts LinkStatistics::Counts() const {
    LinkCounts all = counts_;
    all.chipOverruns += handle_.chipOverruns;
    all.queueOverflowBytes += handle_.queueOverflowBytes;
    return all;
}

bool LinkStatistics::HintDue() {
    if (++ticksSinceHint_ < kTicksPerHint) return false;
    ticksSinceHint_ = 0;
    return true;
}

std::size_t FormatLinkHint(const LinkCounts& counts, char (&out)[kLinkHintCapacity]) {
    std::size_t length = 0;
    auto line = [&](std::string_view caption, std::uint64_t count) {
        if (length > 0) out[length++] = '\n';
        std::memcpy(out + length, caption.data(), caption.size());
        length += caption.size();
        length = static_cast<std::size_t>(
            std::to_chars(out + length, out + kLinkHintCapacity, count).ptr - out);
    };
    line(text::kLinkFramesDecoded, counts.framesDecoded);
    line(text::kLinkFramesRejected, counts.framesRejected);
    line(text::kLinkBytesSkipped, counts.bytesSkipped);
    line(text::kLinkChipOverruns, counts.chipOverruns);
    line(text::kLinkQueueOverflow, counts.queueOverflowBytes);
    line(text::kLinkReopenings, counts.reopenings);
    return length;
}

}  // namespace ts
