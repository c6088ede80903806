#pragma once

#include <cstdint>

namespace ts {

class SystemFile;

// Puts what has been written to a file on its medium, away from the caller's thread: on a slow
// medium (a USB stick) that can take longer than a tick of the window may stall.
class DataSync {
public:
    virtual ~DataSync() = default;
    // Begins putting the data written to `file` so far on its medium and returns at once. False,
    // with nothing begun, while the sync begun before is still running or when the file cannot
    // be reached from another thread.
    virtual bool Begin(const SystemFile& file) = 0;
    // Syncs that have ended in a failure of the medium since the program started. Only the first
    // sync after a failure hears of it, so the caller must not count on a later one.
    virtual std::uint64_t Failures() const = 0;
};

}  // namespace ts
