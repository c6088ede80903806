#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
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

void RecordingIndex::RunPass() {
    // Two stretches at a time, one read on a second thread, both folded in in file order. The
    // second stretch of the next two is read while this two are folded in, into a buffer of
    // its own.
    constexpr int kStretches = 2;
    std::size_t stretch = 0;
    {
        std::lock_guard lock(mutex_);
        stretch = std::max<std::size_t>(options_.stretchBytes, 2);
    }
    std::array<std::vector<char>, kStretches + 1> buffers;
    // Room for a last line's line end, and for the reading of lines that looks past the end.
    // The second has room before its bytes for what the first leaves over.
    buffers[0].resize(stretch + 1 + kCommonLinesReadPast);
    buffers[1].resize(2 * stretch + 1 + kCommonLinesReadPast);
    buffers[2].resize(buffers[1].size());
    std::size_t secondBuffer = 1;
    std::vector<char> carry(stretch);
    std::array<ChunkResult, kStretches> results;
    SecondThread second;
    for (std::size_t partIndex = 0;; ++partIndex) {
        Part part;
        {
            std::lock_guard lock(mutex_);
            if (partIndex >= parts_.size() || stop_) break;
            part = parts_[partIndex];
        }
        const auto p = static_cast<std::uint32_t>(partIndex);
        SystemFile file;
        const bool opened = file.OpenRegularForReading(part.path);
        const std::string firstLine = opened ? FirstLine(file) : std::string();
        std::uint64_t sizeAtOpen = 0;
        {
            std::lock_guard lock(mutex_);
            if (partIndex < openSizes_.size()) sizeAtOpen = openSizes_[partIndex];
        }
        ChunkState state;
        std::uint64_t lines = 0;
        std::uint64_t offset = 0;    // of the first byte not yet handed to a stretch
        std::uint64_t position = 0;  // of the first byte not yet read
        std::size_t carried = 0;     // bytes of a line begun, waiting in `carry`
        bool skipping = false;       // within a line longer than a stretch
        bool atEnd = false;
        // The second stretch's read: where from, into what, what it got.
        std::uint64_t secondAt = 0;
        char* secondInto = nullptr;
        std::size_t gotSecond = 0;
        bool endSecond = false;
        bool secondRead = false;  // already under way
        auto readSecond = [&] {
            gotSecond = ReadWhole(file, opened, secondAt, secondInto, stretch, endSecond);
        };
        for (;;) {
            // Fill the stretches with whole lines. The second one's bytes are read on the
            // second thread while the first one's are read here; where its first line begins
            // is known only then, so they go in behind room for what the first leaves over.
            std::array<std::size_t, kStretches> sizes{};
            std::array<std::uint64_t, kStretches> offsets{};
            std::array<std::uint64_t, kStretches> reads{};
            std::array<std::size_t, kStretches> begins{};
            std::array<bool, kStretches> longLine{};
            const std::size_t wantFirst = stretch - carried;
            const std::size_t current = secondBuffer;
            if (!secondRead) {
                secondAt = position + wantFirst;
                secondInto = buffers[current].data() + stretch;
                second.Start(readSecond);
            }
            secondRead = false;
            bool endFirst = false;
            const std::size_t gotFirst =
                ReadWhole(file, opened, position, buffers[0].data() + carried, wantFirst, endFirst);
            second.Wait();
            for (int k = 0; k < kStretches && !atEnd; ++k) {
                const auto ks = static_cast<std::size_t>(k);
                std::vector<char>& buffer = buffers[k == 0 ? 0 : current];
                // The first byte of the stretch in its buffer: its carried bytes go before the
                // bytes read.
                const std::size_t first = k == 0 ? 0 : stretch - carried;
                std::memcpy(buffer.data() + first, carry.data(), carried);
                const std::size_t got = k == 0 ? gotFirst : gotSecond;
                const std::size_t have = first + carried + got;
                reads[ks] = got;
                position += got;
                atEnd = k == 0 ? endFirst : endSecond;
                std::size_t start = first;
                if (skipping) {
                    const void* lf = std::memchr(buffer.data() + first, '\n', have - first);
                    start = lf == nullptr ? have
                                          : static_cast<std::size_t>(static_cast<const char*>(lf) -
                                                                     buffer.data()) +
                                                1;
                    skipping = lf == nullptr;
                }
                std::size_t whole = have;
                while (whole > start && buffer[whole - 1] != '\n') --whole;
                if (whole == start && have - first >= stretch) {
                    // No line end in a whole stretch: no line of ours. Counted once, skipped.
                    longLine[ks] = !skipping;
                    skipping = true;
                    start = whole = have;
                }
                // The bytes after the last line end wait for the next stretch.
                carried = have - whole;
                std::memcpy(carry.data(), buffer.data() + whole, carried);
                begins[ks] = start;
                offsets[ks] = offset + (start - first);
                sizes[ks] = whole - start;
                offset += whole - first;
            }
            // Read the stretches, the second on the second thread.
            auto parseSecond = [&] {
                ParseChunk(buffers[current].data() + begins[1], sizes[1], offsets[1], part, p,
                           ChunkState{}, results[1]);
            };
            if (sizes[1] != 0) second.Start(parseSecond);
            if (sizes[0] != 0) {
                ParseChunk(buffers[0].data() + begins[0], sizes[0], offsets[0], part, p, state,
                           results[0]);
            }
            if (sizes[1] != 0) second.Wait();
            if (!atEnd) {
                secondBuffer = current == 1 ? 2 : 1;
                secondAt = position + (stretch - carried);
                secondInto = buffers[secondBuffer].data() + stretch;
                second.Start(readSecond);
                secondRead = true;
            }
            for (std::size_t k = 0; k < kStretches; ++k) {
                if (longLine[k]) {
                    ChunkResult damaged;
                    damaged.state = state;
                    damaged.lines = damaged.damaged = damaged.firstDamaged = 1;
                    std::lock_guard lock(mutex_);
                    Fold(damaged, partIndex, lines, offsets[k], reads[k]);
                    ++lines;
                    continue;
                }
                if (sizes[k] == 0) continue;
                ChunkResult& r = results[k];
                // A stretch read without what came before it is read again with it where that
                // matters: a time going back at its start, or lines after the recording's end.
                if (k > 0 && ((r.firstElapsed >= 0 && r.firstElapsed < state.lastElapsed) ||
                              (state.ended != 0 && (r.state.ended != 0 || !r.blocks.empty())))) {
                    ParseChunk(buffers[k == 0 ? 0 : current].data() + begins[k], sizes[k],
                               offsets[k], part, p, state, r);
                }
                {
                    std::lock_guard lock(mutex_);
                    Fold(r, partIndex, lines, offsets[k] + sizes[k], reads[k]);
                }
                lines += r.lines;
                state = r.state;
            }
            if (!atEnd) continue;
            // A file that shrank, was replaced or removed under the pass is said, not read on:
            // its last bytes may be a line cut anywhere, or another file's.
            if (const FileChange change =
                    opened ? LookAgain(file, part.path, std::max(position, sizeAtOpen), firstLine)
                           : FileChange::None;
                change != FileChange::None) {
                std::lock_guard lock(mutex_);
                if (changed_.what == FileChange::None) changed_ = {change, static_cast<int>(p)};
                stop_ = true;
                break;
            }
            bool follow = false;
            {
                std::lock_guard lock(mutex_);
                // After a stop line only the line naming the part it goes on in may still come
                // (a stop by the system); the model no longer says it follows.
                follow = options_.follow && partIndex + 1 == parts_.size() && !stop_;
            }
            if (!follow) {
                if (carried > 0 && !skipping) {
                    // The last line, without its line end: read as any other.
                    std::vector<char>& last = buffers[0];
                    std::memcpy(last.data(), carry.data(), carried);
                    last[carried] = '\n';
                    ParseChunk(last.data(), carried + 1, offset, part, p, state, results[0]);
                    std::lock_guard lock(mutex_);
                    Fold(results[0], partIndex, lines, offset + carried, 0);
                }
                break;
            }
            if (state.ended != 0 && FollowOn(part, state)) break;
            std::unique_lock lock(mutex_);
            if (!passDone_) {
                passDone_ = true;
                progress_.complete = true;
                wake_.notify_all();
            }
            wake_.wait_for(lock, std::chrono::milliseconds(options_.followMilliseconds),
                           [this] { return stop_; });
            if (stop_) break;
            atEnd = false;
        }
    }
    std::lock_guard lock(mutex_);
    passDone_ = true;
    progress_.complete = true;
    wake_.notify_all();
}

}  // namespace ts::review
