#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/sample.h"

namespace ts::review {

// Records of one part in time order: their first and last times, where the first one's line
// lies, and per channel the count, minimum, maximum and sum of their values.
struct IndexBlock {
    std::int64_t firstNs = 0, lastNs = 0;
    std::uint64_t offset = 0;  // of the first record's line in its part
    std::uint32_t part = 0;
    std::uint32_t records = 0;
    std::uint32_t children = 0;  // blocks of the level below (records on the finest)
    std::array<std::uint32_t, kChannels> count{};
    std::array<double, kChannels> min{}, max{}, sum{};
};

// The min/max/sum pyramid over a recording's records: its finest level holds blocks of
// FineRecords() records, and each level above merges kLevelFanout blocks of the one below,
// never across parts.
class BlockPyramid {
public:
    static constexpr std::uint32_t kBlockRecords = 256;
    static constexpr std::uint32_t kLevelFanout = 8;

    // Empty again, its finest blocks kBlockRecords records long.
    void Clear();
    // The finest level, there once the pass has folded anything in, a block or not.
    void Begin();
    // The next block of records, in time order. Past `mostFineBlocks` blocks the finest level
    // goes and the next one takes its place.
    void Add(const IndexBlock& b, std::size_t mostFineBlocks);

    const std::vector<std::vector<IndexBlock>>& Levels() const { return levels_; }
    // Records a block of the finest level holds at most.
    std::uint64_t FineRecords() const { return fineRecords_; }
    std::size_t FirstBlockEndingAtOrAfter(std::int64_t ns) const;
    std::size_t MemoryBytes() const;

private:
    void CloseTail(std::size_t level);

    std::vector<std::vector<IndexBlock>> levels_;
    std::uint64_t fineRecords_ = kBlockRecords;
};

}  // namespace ts::review
