#include "review/block_pyramid.h"

#include <algorithm>

namespace ts::review {

namespace {

void Merge(IndexBlock& into, const IndexBlock& b) {
    for (std::size_t c = 0; c < kChannels; ++c) {
        if (b.count[c] == 0) continue;
        if (into.count[c] == 0 || b.min[c] < into.min[c]) into.min[c] = b.min[c];
        if (into.count[c] == 0 || b.max[c] > into.max[c]) into.max[c] = b.max[c];
        into.sum[c] += b.sum[c];
        into.count[c] += b.count[c];
    }
    into.lastNs = b.lastNs;
    into.records += b.records;
    ++into.children;
}

}  // namespace

void BlockPyramid::Clear() {
    levels_.clear();
    fineRecords_ = kBlockRecords;
}

void BlockPyramid::Begin() {
    if (levels_.empty()) levels_.emplace_back();
}

void BlockPyramid::Add(const IndexBlock& b, std::size_t mostFineBlocks) {
    Begin();
    auto& fine = levels_[0];
    if (!fine.empty() && fine.back().part == b.part &&
        fine.back().records + b.records <= fineRecords_) {
        // A followed file brings a few records at a time: they fill the last block.
        IndexBlock& tail = fine.back();
        Merge(tail, b);
        tail.children = tail.records;
        return;
    }
    if (!fine.empty()) CloseTail(0);
    levels_[0].push_back(b);
    // However long the recording, the index stays small: past so many blocks the finest level
    // goes and the next one, eight times coarser, takes its place.
    if (levels_[0].size() > mostFineBlocks && levels_.size() > 2) {
        levels_.erase(levels_.begin());
        fineRecords_ *= kLevelFanout;
        // Everything but the block being filled is in the new finest level; that block goes
        // on there, after the one it would have joined.
        CloseTail(0);
        levels_[0].push_back(b);
    }
}

std::size_t BlockPyramid::FirstBlockEndingAtOrAfter(std::int64_t ns) const {
    if (levels_.empty()) return 0;
    const auto& fine = levels_[0];
    return static_cast<std::size_t>(
        std::partition_point(fine.begin(), fine.end(),
                             [ns](const IndexBlock& b) { return b.lastNs < ns; }) -
        fine.begin());
}

std::size_t BlockPyramid::MemoryBytes() const {
    std::size_t bytes = 0;
    for (const auto& level : levels_) bytes += level.capacity() * sizeof(IndexBlock);
    return bytes;
}

// Merges the finished last block of `level` into the level above.
void BlockPyramid::CloseTail(std::size_t level) {
    if (levels_.size() == level + 1) levels_.emplace_back();
    const IndexBlock& child = levels_[level].back();
    auto& above = levels_[level + 1];
    // A block of the finest level lies in one part: its offset is in that part's file.
    if (above.empty() || above.back().children == kLevelFanout || above.back().part != child.part) {
        if (!above.empty()) CloseTail(level + 1);
        IndexBlock b = child;
        b.children = 1;
        levels_[level + 1].push_back(b);
        return;
    }
    Merge(above.back(), child);
}

}  // namespace ts::review
