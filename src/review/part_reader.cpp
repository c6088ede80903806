#include "review/part_reader.h"

#include <algorithm>
#include <cstring>

#include "review/file_change.h"

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

}  // namespace ts::review
