#pragma once

#include <cstddef>
#include <cstdint>

#include "device/driver.h"

namespace ts {

// What the link carried and lost since the instrument was opened with messages. A
// bad cable shows as skipped bytes, rejected frames and reopenings; losses at the
// chip or in our queue mean the computer did not read fast enough.
struct LinkCounts {
    // Valid frames, whatever instrument sent them.
    std::uint64_t framesDecoded = 0;
    // Frame starts (bit 7 set) with a whole frame's bytes behind them that failed the check.
    std::uint64_t framesRejected = 0;
    // Bytes the scan passed over that belong to no valid frame.
    std::uint64_t bytesSkipped = 0;
    std::uint64_t chipOverruns = 0;
    std::uint64_t queueOverflowBytes = 0;
    // Silent reopenings by the link supervision.
    std::uint64_t reopenings = 0;

    bool operator==(const LinkCounts&) const = default;
};

class LinkStatistics {
public:
    // ---- the receiver, for every read ----
    void CountFrame() { ++counts_.framesDecoded; }
    // `n` bytes that the scan passed over on its way to the next frame. Every frame
    // start among them had a whole frame's bytes behind it (the scan stops short of
    // the last 13), so each one was tried and refused.
    void CountSkipped(const std::uint8_t* bytes, std::size_t n) {
        // The common case, frames back to back, costs one comparison.
        if (n == 0) return;
        counts_.bytesSkipped += n;
        for (std::size_t i = 0; i < n; ++i) counts_.framesRejected += bytes[i] >> 7;
    }

    // ---- the device's open and supervision ----
    // All counts back to zero, for a newly chosen or started instrument.
    void Restart() { *this = LinkStatistics{}; }
    void CountReopening() { ++counts_.reopenings; }
    // Asks the driver for the open handle's losses so far (none open: 0). The last
    // report of a handle the driver no longer answers for stays the best there is.
    void AskDriver(Driver& driver, FtHandle handle);
    // The open handle is being closed: its losses stay counted, the next handle's
    // start from zero.
    void HandleClosed();

    // Everything counted, the open handle's reported losses included.
    LinkCounts Counts() const;

    // Whether the indicator's hint is due again: a reader needs a few updates a
    // second, not one per poll. Called once per 40 ms tick.
    bool HintDue();

private:
    LinkCounts counts_;
    DriverLosses handle_;
    int ticksSinceHint_ = 0;
};

// Room for the hint text with every count at its widest.
constexpr std::size_t kLinkHintCapacity = 512;

// Writes the counts as the connection indicator's hint, one count a line, into
// fixed storage; returns the text's length.
std::size_t FormatLinkHint(const LinkCounts& counts, char (&out)[kLinkHintCapacity]);

}  // namespace ts
