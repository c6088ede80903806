#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/system_file.h"
#include "review/line_scan.h"
#include "review/review_index.h"
#include "review/second_thread.h"

namespace ts::review {

// What the pass keeps from part to part: its stretches' buffers, the line carried over from
// one to the next, their results and the second thread.
struct PassRoom {
    static constexpr std::size_t kStretches = 2;

    explicit PassRoom(std::size_t stretchBytes);

    std::size_t stretch;
    std::array<std::vector<char>, kStretches + 1> buffers;
    std::size_t secondBuffer = 1;  // of the second stretch, one of the last two
    std::vector<char> carry;
    std::array<ChunkResult, kStretches> results;
    SecondThread second;
};

// One part's file read in rounds of two stretches of whole lines, one read on a second thread,
// both folded in in file order. The second stretch of the next round is read while this
// round's are folded in, into a buffer of its own.
class PartReader {
public:
    // Takes a stretch's result, the lines of the part before it, the bytes of whole lines read
    // and the bytes newly read.
    using StretchSink =
        std::function<void(const ChunkResult&, std::uint64_t, std::uint64_t, std::uint64_t)>;

    PartReader(PassRoom& room, const Part& part, std::uint32_t partIndex, std::uint64_t sizeAtOpen);
    PartReader(const PartReader&) = delete;
    PartReader& operator=(const PartReader&) = delete;

    // Reads and folds in a round; true once it reached the file's end.
    bool ReadRound(const StretchSink& sink);
    // What became of the file, by its identity, once its end was reached.
    FileChange Change();
    // The bytes after the last line end as the last line, once the file is read.
    void ReadLastLine(const StretchSink& sink);
    // Reads on past the end, where the file may have grown.
    void GoOn() { atEnd_ = false; }
    const ChunkState& State() const { return state_; }

private:
    static constexpr std::size_t kStretches = PassRoom::kStretches;

    // A round's stretches: where each begins in its buffer and in the file, its bytes of whole
    // lines, the bytes read for it, and whether it was one line too long to be ours.
    struct Round {
        std::array<std::size_t, kStretches> sizes{};
        std::array<std::uint64_t, kStretches> offsets{};
        std::array<std::uint64_t, kStretches> reads{};
        std::array<std::size_t, kStretches> begins{};
        std::array<bool, kStretches> longLine{};
        std::size_t current = 0;  // the second stretch's buffer
    };
    struct SecondRead {
        PartReader* reader;
        void operator()() const { reader->ReadSecond(); }
    };

    void FillStretches(Round& round);
    void TakeStretch(std::size_t k, Round& round, std::size_t got, bool end);
    void ScanStretches(const Round& round);
    void FoldStretches(const Round& round, const StretchSink& sink);
    void StartSecondRead(std::uint64_t at, std::size_t buffer);
    void ReadSecond();

    PassRoom& room_;
    const Part& part_;
    const std::uint32_t partIndex_;
    const std::uint64_t sizeAtOpen_;
    SystemFile file_;
    bool opened_ = false;
    std::string firstLine_;
    ChunkState state_;
    std::uint64_t lines_ = 0;
    std::uint64_t offset_ = 0;    // of the first byte not yet handed to a stretch
    std::uint64_t position_ = 0;  // of the first byte not yet read
    std::size_t carried_ = 0;     // bytes of a line begun, waiting in the room's carry
    bool skipping_ = false;       // within a line longer than a stretch
    bool atEnd_ = false;
    // The second stretch's read: where from, into what, what it got.
    std::uint64_t secondAt_ = 0;
    char* secondInto_ = nullptr;
    std::size_t gotSecond_ = 0;
    bool endSecond_ = false;
    bool secondRead_ = false;  // already under way
    SecondRead secondReadJob_{this};
};

}  // namespace ts::review
