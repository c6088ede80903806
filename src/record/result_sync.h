#pragma once

#include <cstdint>

namespace ts {

class DataSync;
class ResultFile;

// When the result file's records are put on the medium. The system keeps written data in memory
// for up to half a minute; a power cut loses them. A sync is begun on the tick before two seconds
// since the last one would be exceeded, and only when records came since: a recording every
// 500 s does not touch the disk in between. The sync itself runs elsewhere (DataSync); a sync
// still running when the next is due is left to finish and the next tick tries again.
class ResultSync {
public:
    // The file has just been put on the medium whole, at `nowMs` (the start of a recording).
    void Restart(const ResultFile& file, const DataSync& sync, std::int64_t nowMs);
    // After the tick's records went to the file.
    void Tick(const ResultFile& file, DataSync& sync, std::int64_t nowMs);
    // A sync has failed since the last call: the records may not be on the medium.
    bool TakeFailure(const DataSync& sync);

private:
    std::int64_t lastBeginMs_ = 0;
    std::uint64_t syncedBytes_ = 0;
    std::uint64_t failuresSeen_ = 0;
};

}  // namespace ts
