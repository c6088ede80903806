#include "review/review_index.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "review/line_scan.h"
#include "review/part_chain.h"

namespace ts::review {

namespace {

// Lines sampled at the open, across all parts, for the picture before the pass is through.
constexpr std::uint32_t kPreviewLines = 2048;  // a power of two
// Time the open may spend on them at most.
constexpr int kPreviewMilliseconds = 300;

// The order of the dates in the parts' start and end lines.
DateOrder DateOrderOf(const std::vector<PartLook>& looks, DateOrder wanted) {
    std::vector<StampFields> stamps;
    for (const PartLook& look : looks) {
        stamps.push_back(look.startStamp);
        stamps.insert(stamps.end(), look.endStamps.begin(), look.endStamps.end());
    }
    return DecideDateOrder(stamps.data(), static_cast<int>(stamps.size()), wanted);
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
    FoundChain chain;
    if (const std::string problem = FindChain(path, chain); !problem.empty()) return problem;
    const DateOrder order = DateOrderOf(chain.looks, options.dateOrder);

    std::lock_guard lock(mutex_);
    Reset(options, order);
    missing_ = chain.missing;
    chainStarted_ = chain.started;
    chainFirst_ = chain.first;
    firstPartNumber_ = chain.firstNumber;
    PlaceParts(chain.looks);
    SamplePreview();
    if (options.pass) thread_ = std::thread([this] { RunPass(); });
    return {};
}

void RecordingIndex::Reset(const OpenOptions& options, DateOrder order) {
    options_ = options;
    parts_.clear();
    gaps_.clear();
    pyramid_.Clear();
    preview_.clear();
    readers_.clear();
    damage_ = {};
    changed_ = {};
    channels_ = 0;
    endNs_ = 0;
    indexedNs_ = -1;
    passDone_ = false;
    stop_ = false;
    progress_ = {};
    dateOrder_ = order;
}

void RecordingIndex::PlaceParts(const std::vector<PartLook>& looks) {
    for (std::size_t i = 0; i < looks.size(); ++i) {
        Part part = looks[i].part;
        StampDateTime(looks[i].startStamp, dateOrder_, part.start);
        PlacePart(part, looks[i].lastElapsedNs);
        progress_.bytesTotal += looks[i].size;
        parts_.push_back(part);
    }
    partBytes_.assign(parts_.size(), 0);
    openSizes_.clear();
    for (const PartLook& look : looks) openSizes_.push_back(look.size);
    readers_.resize(parts_.size());
}

// A few lines from all over the recording, so that the whole of it shows at once: taken coarse
// to fine (bit-reversed order), and no longer than a slow disk's seeks allow, so that whatever
// time there was covers the whole evenly.
void RecordingIndex::SamplePreview() {
    // The files are held from here on: what is read back later is read from the files looked
    // at now, even once a name was removed or leads to another file.
    for (std::size_t i = 0; i < parts_.size(); ++i) {
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
        while (i + 1 < openSizes_.size() && at >= openSizes_[i]) at -= openSizes_[i++];
        SampleLineAt(i, at);
        if ((j & 15) == 15 && std::chrono::steady_clock::now() > deadline) break;
    }
    std::sort(preview_.begin(), preview_.end(),
              [](const Record& x, const Record& y) { return x.timeNs < y.timeNs; });
}

// The first whole line at or after `at` of part `i`, when it is a record.
void RecordingIndex::SampleLineAt(std::size_t i, std::uint64_t at) {
    char bytes[512];
    const std::ptrdiff_t got = readers_[i] ? readers_[i]->ReadAt(at, bytes, sizeof bytes) : -1;
    if (got <= 0) return;
    bool first = true;
    ForEachLine(bytes, static_cast<std::size_t>(got), [&](std::string_view line, std::size_t) {
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
    bytes += pyramid_.MemoryBytes();
    return bytes;
}

}  // namespace ts::review
