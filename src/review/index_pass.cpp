#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "review/file_change.h"
#include "review/line_scan.h"
#include "review/review_index.h"
#include "review/second_thread.h"

namespace ts::review {

namespace {

// Up to `size` bytes of `file` from `at`, fewer only at its end (`end` set then).
std::size_t ReadWhole(SystemFile& file, bool opened, std::uint64_t at, char* into, std::size_t size,
                      bool& end) {
    std::size_t have = 0;
    end = false;
    while (have < size) {
        const std::ptrdiff_t got = opened ? file.ReadAt(at + have, into + have, size - have) : -1;
        if (got <= 0) {
            end = true;
            break;
        }
        have += static_cast<std::size_t>(got);
    }
    return have;
}

}  // namespace

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

PassRoom::PassRoom(std::size_t stretchBytes) : stretch(stretchBytes), carry(stretchBytes) {
    // Room for a last line's line end, and for the reading of lines that looks past the end.
    // The second has room before its bytes for what the first leaves over.
    buffers[0].resize(stretch + 1 + kCommonLinesReadPast);
    buffers[1].resize(2 * stretch + 1 + kCommonLinesReadPast);
    buffers[2].resize(buffers[1].size());
}

PartReader::PartReader(PassRoom& room, const Part& part, std::uint32_t partIndex,
                       std::uint64_t sizeAtOpen)
    : room_(room), part_(part), partIndex_(partIndex), sizeAtOpen_(sizeAtOpen) {
    opened_ = file_.OpenRegularForReading(part.path);
    if (opened_) firstLine_ = FirstLine(file_);
}

bool PartReader::ReadRound(const StretchSink& sink) {
    Round round;
    FillStretches(round);
    ScanStretches(round);
    if (!atEnd_) {
        // The next round's second stretch, read while this round's are folded in.
        room_.secondBuffer = round.current == 1 ? 2 : 1;
        StartSecondRead(position_ + (room_.stretch - carried_), room_.secondBuffer);
        secondRead_ = true;
    }
    FoldStretches(round, sink);
    return atEnd_;
}

FileChange PartReader::Change() {
    return opened_ ? LookAgain(file_, part_.path, std::max(position_, sizeAtOpen_), firstLine_)
                   : FileChange::None;
}

void PartReader::ReadLastLine(const StretchSink& sink) {
    if (carried_ == 0 || skipping_) return;
    // Without its line end: read as any other.
    std::vector<char>& last = room_.buffers[0];
    std::memcpy(last.data(), room_.carry.data(), carried_);
    last[carried_] = '\n';
    ParseChunk(last.data(), carried_ + 1, offset_, part_, partIndex_, state_, room_.results[0]);
    sink(room_.results[0], lines_, offset_ + carried_, 0);
}

// Fills the stretches with whole lines. The second one's bytes are read on the second thread
// while the first one's are read here; where its first line begins is known only then, so
// they go in behind room for what the first leaves over.
void PartReader::FillStretches(Round& round) {
    const std::size_t wantFirst = room_.stretch - carried_;
    round.current = room_.secondBuffer;
    if (!secondRead_) StartSecondRead(position_ + wantFirst, round.current);
    secondRead_ = false;
    bool endFirst = false;
    const std::size_t gotFirst = ReadWhole(file_, opened_, position_,
                                           room_.buffers[0].data() + carried_, wantFirst, endFirst);
    room_.second.Wait();
    for (std::size_t k = 0; k < kStretches && !atEnd_; ++k) {
        TakeStretch(k, round, k == 0 ? gotFirst : gotSecond_, k == 0 ? endFirst : endSecond_);
    }
}

// Stretch `k`'s bytes behind the line carried over, cut at its last line end.
void PartReader::TakeStretch(std::size_t k, Round& round, std::size_t got, bool end) {
    std::vector<char>& buffer = room_.buffers[k == 0 ? 0 : round.current];
    // The first byte of the stretch in its buffer: its carried bytes go before the bytes read.
    const std::size_t first = k == 0 ? 0 : room_.stretch - carried_;
    std::memcpy(buffer.data() + first, room_.carry.data(), carried_);
    const std::size_t have = first + carried_ + got;
    round.reads[k] = got;
    position_ += got;
    atEnd_ = end;
    std::size_t start = first;
    if (skipping_) {
        const void* lf = std::memchr(buffer.data() + first, '\n', have - first);
        start = lf == nullptr
                    ? have
                    : static_cast<std::size_t>(static_cast<const char*>(lf) - buffer.data()) + 1;
        skipping_ = lf == nullptr;
    }
    std::size_t whole = have;
    while (whole > start && buffer[whole - 1] != '\n') --whole;
    if (whole == start && have - first >= room_.stretch) {
        // No line end in a whole stretch: no line of ours. Counted once, skipped.
        round.longLine[k] = !skipping_;
        skipping_ = true;
        start = whole = have;
    }
    // The bytes after the last line end wait for the next stretch.
    carried_ = have - whole;
    std::memcpy(room_.carry.data(), buffer.data() + whole, carried_);
    round.begins[k] = start;
    round.offsets[k] = offset_ + (start - first);
    round.sizes[k] = whole - start;
    offset_ += whole - first;
}

// Reads the stretches, the second on the second thread.
void PartReader::ScanStretches(const Round& round) {
    auto parseSecond = [&] {
        ParseChunk(room_.buffers[round.current].data() + round.begins[1], round.sizes[1],
                   round.offsets[1], part_, partIndex_, ChunkState{}, room_.results[1]);
    };
    if (round.sizes[1] != 0) room_.second.Start(parseSecond);
    if (round.sizes[0] != 0) {
        ParseChunk(room_.buffers[0].data() + round.begins[0], round.sizes[0], round.offsets[0],
                   part_, partIndex_, state_, room_.results[0]);
    }
    if (round.sizes[1] != 0) room_.second.Wait();
}

void PartReader::FoldStretches(const Round& round, const StretchSink& sink) {
    for (std::size_t k = 0; k < kStretches; ++k) {
        if (round.longLine[k]) {
            ChunkResult damaged;
            damaged.state = state_;
            damaged.lines = damaged.damaged = damaged.firstDamaged = 1;
            sink(damaged, lines_, round.offsets[k], round.reads[k]);
            ++lines_;
            continue;
        }
        if (round.sizes[k] == 0) continue;
        ChunkResult& r = room_.results[k];
        // A stretch read without what came before it is read again with it where that
        // matters: a time going back at its start, or lines after the recording's end.
        if (k > 0 && ((r.firstElapsed >= 0 && r.firstElapsed < state_.lastElapsed) ||
                      (state_.ended != 0 && (r.state.ended != 0 || !r.blocks.empty())))) {
            ParseChunk(room_.buffers[round.current].data() + round.begins[k], round.sizes[k],
                       round.offsets[k], part_, partIndex_, state_, r);
        }
        sink(r, lines_, round.offsets[k] + round.sizes[k], round.reads[k]);
        lines_ += r.lines;
        state_ = r.state;
    }
}

void PartReader::StartSecondRead(std::uint64_t at, std::size_t buffer) {
    secondAt_ = at;
    secondInto_ = room_.buffers[buffer].data() + room_.stretch;
    room_.second.Start(secondReadJob_);
}

void PartReader::ReadSecond() {
    gotSecond_ = ReadWhole(file_, opened_, secondAt_, secondInto_, room_.stretch, endSecond_);
}

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

}  // namespace ts::review
