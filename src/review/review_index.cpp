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

// Bytes read at a time by the pass and when records are read back.
constexpr std::size_t kChunkBytes = 4 << 20;
// Lines sampled at the open, across all parts, for the picture before the pass is through.
constexpr std::uint32_t kPreviewLines = 2048;  // a power of two
// Time the open may spend on them at most.
constexpr int kPreviewMilliseconds = 300;
// A span with at most this many records (or eight a column) is drawn from the records.
constexpr std::uint64_t kRawRecordsAtLeast = 16384;
constexpr std::uint64_t kRawRecordsPerColumn = 8;

void AddToColumn(ColumnValue* column, const RecordingIndex::Block& b) {
    for (std::size_t c = 0; c < kChannels; ++c) {
        if (b.count[c] == 0) continue;
        ColumnValue& v = column[c];
        if (v.count == 0 || b.min[c] < v.min) v.min = b.min[c];
        if (v.count == 0 || b.max[c] > v.max) v.max = b.max[c];
        v.mean += b.sum[c];
        v.count += b.count[c];
    }
}

void AddToColumn(ColumnValue* column, const Record& r) {
    for (std::size_t c = 0; c < kChannels; ++c) {
        if ((r.present & (1u << c)) == 0 || !std::isfinite(r.value[c])) continue;
        ColumnValue& v = column[c];
        if (v.count == 0 || r.value[c] < v.min) v.min = r.value[c];
        if (v.count == 0 || r.value[c] > v.max) v.max = r.value[c];
        v.mean += r.value[c];
        ++v.count;
    }
}

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

std::size_t RecordingIndex::FirstBlockEndingAtOrAfter(std::int64_t ns) const {
    if (levels_.empty()) return 0;
    const auto& fine = levels_[0];
    return static_cast<std::size_t>(
        std::partition_point(fine.begin(), fine.end(),
                             [ns](const Block& b) { return b.lastNs < ns; }) -
        fine.begin());
}

bool RecordingIndex::ReadBlocks(std::size_t first, std::size_t last, std::int64_t fromNs,
                                std::int64_t toNs,
                                const std::function<bool(const Record&)>& visit) const {
    // Under mutex_. Each part's run of blocks is one range of bytes of whole lines.
    // Once a file shrank, its offsets lead into other bytes.
    if (changed_.what == FileChange::Shrank) return false;
    const auto& fine = levels_[0];
    if (readBuffer_.empty()) readBuffer_.resize(kChunkBytes);
    std::size_t b = first;
    while (b < last) {
        const std::uint32_t partIndex = fine[b].part;
        std::size_t e = b;
        while (e < last && fine[e].part == partIndex) ++e;
        const std::uint64_t begin = fine[b].offset;
        const std::uint64_t end =
            e < fine.size() && fine[e].part == partIndex ? fine[e].offset : partBytes_[partIndex];
        auto& reader = readers_[partIndex];
        if (!reader) {
            reader = std::make_unique<SystemFile>();
            if (!reader->OpenRegularForReading(parts_[partIndex].path)) {
                reader.reset();
                return false;
            }
        }
        const Part& part = parts_[partIndex];
        // The pass's own choice of records: none whose time goes back, none after the end line.
        std::int64_t lastElapsed = std::numeric_limits<std::int64_t>::min();
        bool ended = false;
        const auto take = [&](std::string_view line, RecordLine& record) {
            if (ParseRecordLine(line, part.fields, record)) {
                if (record.elapsedNs < lastElapsed) return false;
                lastElapsed = record.elapsedNs;
                return true;
            }
            const LineKind kind = StampedLineKind(line);
            ended = kind == LineKind::Stop || kind == LineKind::Interrupted;
            return false;
        };
        std::uint64_t at = begin;
        while (at < end && !ended) {
            const std::size_t want =
                static_cast<std::size_t>(std::min<std::uint64_t>(end - at, readBuffer_.size()));
            const std::ptrdiff_t got = reader->ReadAt(at, readBuffer_.data(), want);
            if (got <= 0) return false;
            bool more = true;
            bool beyond = false;
            std::size_t whole = ForEachLine(readBuffer_.data(), static_cast<std::size_t>(got),
                                            [&](std::string_view line, std::size_t) {
                                                RecordLine record;
                                                if (!take(line, record)) return !ended;
                                                const Record r = RecordOf(
                                                    record, part, static_cast<int>(partIndex));
                                                if (r.timeNs >= toNs) {
                                                    beyond = true;
                                                    return false;
                                                }
                                                if (r.timeNs >= fromNs && !visit(r)) {
                                                    more = false;
                                                    return false;
                                                }
                                                return true;
                                            });
            if (!more || beyond) return more;
            if (whole == 0) {
                // The range's last line without its line end (a file read to its end).
                RecordLine record;
                const std::string_view line =
                    WithoutCr({readBuffer_.data(), static_cast<std::size_t>(got)});
                if (take(line, record)) {
                    const Record r = RecordOf(record, part, static_cast<int>(partIndex));
                    if (r.timeNs >= fromNs && r.timeNs < toNs && !visit(r)) return false;
                }
                whole = static_cast<std::size_t>(got);
            }
            at += whole;
        }
        b = e;
    }
    return true;
}

void RecordingIndex::Query(std::int64_t fromNs, std::int64_t toNs, int columns,
                           ColumnValue* out) const {
    std::fill(out, out + static_cast<std::ptrdiff_t>(columns) * kChannels, ColumnValue{});
    if (columns <= 0 || toNs <= fromNs) return;
    const double perColumn = static_cast<double>(toNs - fromNs) / columns;
    const auto column = [&](std::int64_t ns) {
        const auto c = static_cast<std::int64_t>(static_cast<double>(ns - fromNs) / perColumn);
        return static_cast<int>(std::clamp<std::int64_t>(c, 0, columns - 1));
    };
    const auto addBlock = [&](const Block& b) {
        if (b.lastNs < fromNs || b.firstNs >= toNs) return;
        const int c0 = column(std::max(b.firstNs, fromNs));
        const int c1 = column(std::min(b.lastNs, toNs - 1));
        for (int c = c0; c <= c1; ++c) AddToColumn(out + c * kChannels, b);
    };
    std::unique_lock lock(mutex_);
    if (!levels_.empty()) {
        const std::size_t first = FirstBlockEndingAtOrAfter(fromNs);
        const auto& fine = levels_[0];
        std::size_t last = first;
        while (last < fine.size() && fine[last].firstNs < toNs &&
               (last - first) * fineRecords_ <=
                   std::max(kRawRecordsAtLeast,
                            kRawRecordsPerColumn * static_cast<std::uint64_t>(columns))) {
            ++last;
        }
        const bool raw = last == fine.size() || fine[last].firstNs >= toNs;
        if (raw) {
            ReadBlocks(first, last, fromNs, toNs, [&](const Record& r) {
                AddToColumn(out + column(r.timeNs) * kChannels, r);
                return true;
            });
        } else {
            // The coarsest level whose blocks are no wider than a column.
            std::size_t level = 0;
            for (std::size_t l = 1; l < levels_.size(); ++l) {
                const auto& blocks = levels_[l];
                const double wide =
                    static_cast<double>(blocks.back().lastNs - blocks.front().firstNs) /
                    static_cast<double>(blocks.size());
                if (wide <= perColumn) level = l;
            }
            const auto& blocks = levels_[level];
            auto it = std::partition_point(blocks.begin(), blocks.end(),
                                           [fromNs](const Block& b) { return b.lastNs < fromNs; });
            for (; it != blocks.end() && it->firstNs < toNs; ++it) addBlock(*it);
            // What the levels below hold that has not reached this one yet.
            for (std::size_t l = 0; l < level; ++l) addBlock(levels_[l].back());
        }
    }
    // Beyond what the pass has read: the lines sampled at the open.
    if (!passDone_) {
        for (const Record& r : preview_) {
            if (r.timeNs > indexedNs_ && r.timeNs >= fromNs && r.timeNs < toNs) {
                AddToColumn(out + column(r.timeNs) * kChannels, r);
            }
        }
    }
    lock.unlock();
    for (int i = 0; i < columns * kChannels; ++i) {
        if (out[i].count != 0) out[i].mean /= out[i].count;
    }
}

Summary RecordingIndex::Summarize(std::int64_t fromNs, std::int64_t toNs) const {
    Summary s;
    std::array<double, kChannels> sum{};
    std::array<std::int64_t, kChannels> minBlock{}, maxBlock{};
    minBlock.fill(-1);
    maxBlock.fill(-1);
    const auto addRecord = [&](const Record& r) {
        ++s.records;
        for (std::size_t c = 0; c < kChannels; ++c) {
            const double v = r.value[c];
            if ((r.present & (1u << c)) == 0 || !std::isfinite(v)) continue;
            ChannelSummary& ch = s.channel[c];
            if (ch.count == 0 || v < ch.min) ch.min = v, ch.minAtNs = r.timeNs, minBlock[c] = -1;
            if (ch.count == 0 || v > ch.max) ch.max = v, ch.maxAtNs = r.timeNs, maxBlock[c] = -1;
            sum[c] += v;
            ++ch.count;
        }
        return true;
    };
    std::lock_guard lock(mutex_);
    s.complete = passDone_ || toNs <= indexedNs_;
    if (levels_.empty() || toNs <= fromNs) return s;
    const auto& fine = levels_[0];
    // Whole blocks from their sums; the blocks at the ends record by record, in order.
    for (std::size_t b = FirstBlockEndingAtOrAfter(fromNs);
         b < fine.size() && fine[b].firstNs < toNs; ++b) {
        const Block& block = fine[b];
        if (block.firstNs < fromNs || block.lastNs >= toNs) {
            ReadBlocks(b, b + 1, fromNs, toNs, addRecord);
            continue;
        }
        s.records += block.records;
        for (std::size_t c = 0; c < kChannels; ++c) {
            if (block.count[c] == 0) continue;
            ChannelSummary& ch = s.channel[c];
            if (ch.count == 0 || block.min[c] < ch.min)
                ch.min = block.min[c], minBlock[c] = static_cast<std::int64_t>(b);
            if (ch.count == 0 || block.max[c] > ch.max)
                ch.max = block.max[c], maxBlock[c] = static_cast<std::int64_t>(b);
            sum[c] += block.sum[c];
            ch.count += block.count[c];
        }
    }
    // Where in a whole block its minimum or maximum lies.
    for (std::size_t c = 0; c < kChannels; ++c) {
        ChannelSummary& ch = s.channel[c];
        if (ch.count != 0) ch.mean = sum[c] / static_cast<double>(ch.count);
        for (const bool isMin : {true, false}) {
            const std::int64_t b = isMin ? minBlock[c] : maxBlock[c];
            if (b < 0) continue;
            const double wanted = isMin ? ch.min : ch.max;
            ReadBlocks(static_cast<std::size_t>(b), static_cast<std::size_t>(b) + 1, fromNs, toNs,
                       [&](const Record& r) {
                           if ((r.present & (1u << c)) == 0 || r.value[c] != wanted) return true;
                           (isMin ? ch.minAtNs : ch.maxAtNs) = r.timeNs;
                           return false;
                       });
        }
    }
    return s;
}

bool RecordingIndex::ForEachRecord(std::int64_t fromNs, std::int64_t toNs,
                                   const std::function<bool(const Record&)>& visit) const {
    // Block by block, so that the pass and the window are never held up for long.
    std::size_t b = 0;
    {
        std::lock_guard lock(mutex_);
        if (levels_.empty()) return true;
        b = FirstBlockEndingAtOrAfter(fromNs);
    }
    constexpr std::size_t kBlocksAtOnce = 64;
    for (;;) {
        std::lock_guard lock(mutex_);
        const auto& fine = levels_[0];
        if (b >= fine.size() || fine[b].firstNs >= toNs) return true;
        const std::size_t e = std::min(fine.size(), b + kBlocksAtOnce);
        bool more = true;
        if (!ReadBlocks(b, e, fromNs, toNs, [&](const Record& r) { return more = visit(r); })) {
            return false;
        }
        if (!more) return true;
        b = e;
    }
}

bool RecordingIndex::RecordAt(std::int64_t atNs, Record& out) const {
    std::lock_guard lock(mutex_);
    // Beyond what the pass has read, the lines sampled at the open answer, as they do for the
    // picture: a cursor over a large file just opened shows a value at once.
    if (!passDone_ && !preview_.empty() &&
        (levels_.empty() || levels_[0].empty() || atNs > indexedNs_)) {
        auto after = std::partition_point(preview_.begin(), preview_.end(),
                                          [atNs](const Record& r) { return r.timeNs <= atNs; });
        out = after == preview_.begin() ? *after : *(after - 1);
        if (levels_.empty() || levels_[0].empty() || out.timeNs > indexedNs_) return true;
    }
    if (levels_.empty() || levels_[0].empty()) return false;
    const auto& fine = levels_[0];
    std::size_t b = FirstBlockEndingAtOrAfter(atNs);
    if (b == fine.size() || (b > 0 && fine[b].firstNs > atNs)) b = b == 0 ? 0 : b - 1;
    bool found = false;
    ReadBlocks(b, b + 1, std::numeric_limits<std::int64_t>::min(),
               std::numeric_limits<std::int64_t>::max(), [&](const Record& r) {
                   if (found && r.timeNs > atNs) return false;
                   out = r;
                   found = true;
                   return true;
               });
    return found;
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
