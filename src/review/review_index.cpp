#include "review/review_index.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

#include "platform/file_status.h"
#include "platform/text_codec.h"
#include "record/chain_lines.h"
#include "record/resume_note.h"
#include "review/file_change.h"
#include "review/line_scan.h"
#include "review/part_chain.h"

namespace ts::review {

namespace {

// Lines sampled at the open, across all parts, for the picture before the pass is through.
constexpr std::uint32_t kPreviewLines = 2048;  // a power of two
// Time the open may spend on them at most.
constexpr int kPreviewMilliseconds = 300;

}  // namespace

RecordingIndex::~RecordingIndex() { Close(); }

void RecordingIndex::Close() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

std::string RecordingIndex::Open(const std::string& path, const OpenOptions& options) {
    Close();
    std::vector<PartLook> looks(1);
    if (const std::string problem = LookAtPart(path, looks[0]); !problem.empty()) return problem;
    // The recording the opened file is a part of, and which part it is.
    std::string started = looks[0].started;
    std::string first = Cp1251Encoder().Encode(FileNameOfPath(path));
    int firstNumber = 1;
    if (looks[0].link) {
        started = looks[0].link->started;
        first = looks[0].link->first;
        firstNumber = looks[0].link->part;
    }
    std::optional<MissingPart> missing;
    for (;;) {
        const PartLook& last = looks.back();
        const std::optional<NextPlace> place = NextPlaceOf(last.part, last.goesOn);
        if (!place) break;
        const int number = firstNumber + static_cast<int>(looks.size());
        PartLook look;
        const Fit fit = Carries(*place, last.part.interrupted, started, first, number, look);
        if (fit == Fit::Taken) {
            looks.push_back(std::move(look));
            continue;
        }
        // A stopped recording no part carries on has ended; any other says what it lacks.
        if (place->named || last.part.interrupted) {
            missing = MissingPart{number, place->path, fit == Fit::NoPart};
        }
        break;
    }
    std::vector<StampFields> stamps;
    for (const PartLook& look : looks) {
        stamps.push_back(look.startStamp);
        stamps.insert(stamps.end(), look.endStamps.begin(), look.endStamps.end());
    }
    const DateOrder order =
        DecideDateOrder(stamps.data(), static_cast<int>(stamps.size()), options.dateOrder);

    std::lock_guard lock(mutex_);
    options_ = options;
    parts_.clear();
    gaps_.clear();
    levels_.clear();
    preview_.clear();
    readers_.clear();
    damage_ = {};
    missing_ = missing;
    chainStarted_ = started;
    chainFirst_ = first;
    firstPartNumber_ = firstNumber;
    changed_ = {};
    channels_ = 0;
    endNs_ = 0;
    indexedNs_ = -1;
    passDone_ = false;
    stop_ = false;
    progress_ = {};
    dateOrder_ = order;
    fineRecords_ = kBlockRecords;
    for (std::size_t i = 0; i < looks.size(); ++i) {
        Part part = looks[i].part;
        StampDateTime(looks[i].startStamp, order, part.start);
        PlacePart(part, looks[i].lastElapsedNs);
        progress_.bytesTotal += looks[i].size;
        parts_.push_back(part);
    }
    partBytes_.assign(parts_.size(), 0);
    openSizes_.clear();
    for (const PartLook& look : looks) openSizes_.push_back(look.size);
    readers_.resize(parts_.size());

    // A few lines from all over the recording, so that the whole of it shows at once: taken
    // coarse to fine (bit-reversed order), and no longer than a slow disk's seeks allow, so
    // that whatever time there was covers the whole evenly.
    // The files are held from here on: what is read back later is read from the files looked
    // at now, even once a name was removed or leads to another file.
    for (std::size_t i = 0; i < looks.size(); ++i) {
        readers_[i] = std::make_unique<SystemFile>();
        if (!readers_[i]->OpenRegularForReading(parts_[i].path)) readers_[i].reset();
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kPreviewMilliseconds);
    for (std::uint32_t j = 0; j < kPreviewLines; ++j) {
        std::uint32_t k = 0;  // j's bits in reverse
        for (std::uint32_t bit = 1, high = kPreviewLines >> 1; high != 0; bit <<= 1, high >>= 1) {
            if (j & bit) k |= high;
        }
        std::uint64_t at = progress_.bytesTotal * k / kPreviewLines;
        std::size_t i = 0;
        while (i + 1 < looks.size() && at >= looks[i].size) at -= looks[i++].size;
        char bytes[512];
        const std::ptrdiff_t got = readers_[i] ? readers_[i]->ReadAt(at, bytes, sizeof bytes) : -1;
        if (got > 0) {
            bool first = true;
            ForEachLine(
                bytes, static_cast<std::size_t>(got), [&](std::string_view line, std::size_t) {
                    if (first && at > 0) {
                        first = false;
                        return true;  // the rest of a line begun before
                    }
                    RecordLine record;
                    if (ParseRecordLine(line, parts_[i].fields, record)) {
                        preview_.push_back(RecordOf(record, parts_[i], static_cast<int>(i)));
                    }
                    return false;
                });
        }
        if ((j & 15) == 15 && std::chrono::steady_clock::now() > deadline) break;
    }
    std::sort(preview_.begin(), preview_.end(),
              [](const Record& x, const Record& y) { return x.timeNs < y.timeNs; });
    if (options.pass) thread_ = std::thread([this] { RunPass(); });
    return {};
}

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

// The pass's second thread, kept for as long as the pass runs: a thread started for each
// stretch would cost more than a small stretch takes to read.
class SecondThread {
public:
    SecondThread() = default;
    SecondThread(const SecondThread&) = delete;
    SecondThread& operator=(const SecondThread&) = delete;
    ~SecondThread() {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable()) thread_.join();
    }

    // Runs `job` there, or here and now when no thread can be had; `job` must stay until
    // Wait returns.
    template <typename F>
    void Start(F& job) {
        if (!thread_.joinable() && !alone_) {
            try {
                thread_ = std::thread([this] { Run(); });
            } catch (const std::system_error&) {
                alone_ = true;
            }
        }
        if (alone_) {
            job();
            return;
        }
        {
            std::lock_guard lock(mutex_);
            context_ = &job;
            run_ = [](void* context) { (*static_cast<F*>(context))(); };
            pending_ = true;
        }
        wake_.notify_all();
    }

    void Wait() {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return !pending_; });
    }

private:
    void Run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return pending_ || quit_; });
            if (quit_) return;
            lock.unlock();
            run_(context_);
            lock.lock();
            pending_ = false;
            wake_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    void (*run_)(void*) = nullptr;
    void* context_ = nullptr;
    bool pending_ = false;
    bool quit_ = false;
    bool alone_ = false;
    std::thread thread_;
};

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

void RecordingIndex::WaitForPass() {
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return passDone_ || thread_.get_id() == std::thread::id(); });
}

Progress RecordingIndex::CurrentProgress() const {
    std::lock_guard lock(mutex_);
    return progress_;
}

std::vector<Part> RecordingIndex::Parts() const {
    std::lock_guard lock(mutex_);
    return parts_;
}

std::vector<Gap> RecordingIndex::Gaps() const {
    std::lock_guard lock(mutex_);
    return gaps_;
}

Damage RecordingIndex::Damaged() const {
    std::lock_guard lock(mutex_);
    return damage_;
}

std::optional<MissingPart> RecordingIndex::Missing() const {
    std::lock_guard lock(mutex_);
    return missing_;
}

FileChanged RecordingIndex::Changed() const {
    std::lock_guard lock(mutex_);
    return changed_;
}

std::uint8_t RecordingIndex::Channels() const {
    std::lock_guard lock(mutex_);
    return channels_;
}

std::int64_t RecordingIndex::EndNs() const {
    std::lock_guard lock(mutex_);
    return endNs_;
}

std::int64_t RecordingIndex::StartSeconds() const {
    std::lock_guard lock(mutex_);
    return startSeconds_;
}

std::size_t RecordingIndex::MemoryBytes() const {
    std::lock_guard lock(mutex_);
    // The pass's stretches besides: one, two with room for a carried line, and the carry.
    std::size_t bytes =
        preview_.capacity() * sizeof(Record) + readBuffer_.capacity() + 6 * options_.stretchBytes;
    for (const auto& level : levels_) bytes += level.capacity() * sizeof(Block);
    return bytes;
}

}  // namespace ts::review
