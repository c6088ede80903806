#include "record/result_sync.h"

#include "platform/data_sync.h"
#include "record/result_file.h"

namespace ts {

namespace {

// The most a power cut may take, and the tick that checks it: the sync is begun on the last tick
// that still comes within the two seconds.
constexpr std::int64_t kLongestUnsyncedMs = 2000;
constexpr std::int64_t kTickMs = 40;

}  // namespace

void ResultSync::Restart(const ResultFile& file, const DataSync& sync, std::int64_t nowMs) {
    lastBeginMs_ = nowMs;
    failuresSeen_ = sync.Failures();
    syncedBytes_ = file.WrittenBytes();
}

void ResultSync::Tick(const ResultFile& file, DataSync& sync, std::int64_t nowMs) {
    if (!file.IsOpen() || file.WrittenBytes() == syncedBytes_) return;
    if (nowMs - lastBeginMs_ + kTickMs <= kLongestUnsyncedMs) return;
    const std::uint64_t written = file.WrittenBytes();
    if (!file.BeginSync(sync)) return;
    lastBeginMs_ = nowMs;
    syncedBytes_ = written;
}

bool ResultSync::TakeFailure(const DataSync& sync) {
    const std::uint64_t failures = sync.Failures();
    if (failures == failuresSeen_) return false;
    failuresSeen_ = failures;
    return true;
}

}  // namespace ts
