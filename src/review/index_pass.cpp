#include <algorithm>
#include <chrono>

#include "review/line_scan.h"
#include "review/part_reader.h"
#include "review/review_index.h"

namespace ts::review {

void RecordingIndex::RunPass() {
    std::size_t stretch = 0;
    {
        std::lock_guard lock(mutex_);
        stretch = std::max<std::size_t>(options_.stretchBytes, 2);
    }
    PassRoom room(stretch);
    for (std::size_t partIndex = 0;; ++partIndex) {
        Part part;
        std::uint64_t sizeAtOpen = 0;
        {
            std::lock_guard lock(mutex_);
            if (partIndex >= parts_.size() || stop_) break;
            part = parts_[partIndex];
            if (partIndex < openSizes_.size()) sizeAtOpen = openSizes_[partIndex];
        }
        ReadPart(room, part, partIndex, sizeAtOpen);
    }
    std::lock_guard lock(mutex_);
    passDone_ = true;
    progress_.complete = true;
    wake_.notify_all();
}

// Reads the part to its end, and on as it grows while it is followed.
void RecordingIndex::ReadPart(PassRoom& room, const Part& part, std::size_t partIndex,
                              std::uint64_t sizeAtOpen) {
    PartReader reader(room, part, static_cast<std::uint32_t>(partIndex), sizeAtOpen);
    const PartReader::StretchSink fold = [this, partIndex](
                                             const ChunkResult& r, std::uint64_t linesBefore,
                                             std::uint64_t wholeBytes, std::uint64_t newlyRead) {
        std::lock_guard lock(mutex_);
        Fold(r, partIndex, linesBefore, wholeBytes, newlyRead);
    };
    for (;;) {
        if (!reader.ReadRound(fold)) continue;
        // A file that shrank, was replaced or removed under the pass is said, not read on:
        // its last bytes may be a line cut anywhere, or another file's.
        if (const FileChange change = reader.Change(); change != FileChange::None) {
            std::lock_guard lock(mutex_);
            if (changed_.what == FileChange::None) changed_ = {change, static_cast<int>(partIndex)};
            stop_ = true;
            return;
        }
        if (!Following(partIndex)) {
            reader.ReadLastLine(fold);
            return;
        }
        if (reader.State().ended != 0 && FollowOn(part, reader.State())) return;
        if (!AwaitMore()) return;
        reader.GoOn();
    }
}

bool RecordingIndex::Following(std::size_t partIndex) const {
    std::lock_guard lock(mutex_);
    // After a stop line only the line naming the part it goes on in may still come (a stop by
    // the system); the model no longer says it follows.
    return options_.follow && partIndex + 1 == parts_.size() && !stop_;
}

bool RecordingIndex::AwaitMore() {
    std::unique_lock lock(mutex_);
    if (!passDone_) {
        passDone_ = true;
        progress_.complete = true;
        wake_.notify_all();
    }
    wake_.wait_for(lock, std::chrono::milliseconds(options_.followMilliseconds),
                   [this] { return stop_; });
    return !stop_;
}

void RecordingIndex::Fold(const ChunkResult& r, std::size_t part, std::uint64_t linesBefore,
                          std::uint64_t wholeBytes, std::uint64_t newlyRead) {
    // Under mutex_.
    pyramid_.Begin();
    for (const Block& b : r.blocks) {
        pyramid_.Add(b, options_.mostFineBlocks);
        indexedNs_ = b.lastNs;
        endNs_ = std::max(endNs_, b.lastNs);
    }
    Part& p = parts_[part];
    if (r.state.lastElapsed >= 0) p.lastNs = p.offsetNs + r.state.lastElapsed;
    p.stopped = r.state.ended == 1;
    p.interrupted = r.state.ended == 2;
    partBytes_[part] = wholeBytes;
    progress_.bytesRead += newlyRead;
    if (r.damaged != 0 && damage_.lines == 0) {
        damage_.firstPart = static_cast<int>(part);
        damage_.firstLine = linesBefore + r.firstDamaged;
    }
    damage_.lines += r.damaged;
}

}  // namespace ts::review
