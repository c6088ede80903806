#include "review/line_scan.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>

#include "record/chain_lines.h"

namespace ts::review {

namespace {

void AddValue(RecordingIndex::Block& b, int c, double v) {
    const auto i = static_cast<std::size_t>(c);
    if (!std::isfinite(v)) return;
    if (b.count[i] == 0 || v < b.min[i]) b.min[i] = v;
    if (b.count[i] == 0 || v > b.max[i]) b.max[i] = v;
    b.sum[i] += v;
    ++b.count[i];
}

}  // namespace

std::string_view WithoutCr(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

namespace {

// The values of the common form are summed and compared in thousandths, exactly, and
// become doubles once a block; each field's own, so in field order.
struct Thousandths {
    std::int64_t min = std::numeric_limits<std::int64_t>::max();
    std::int64_t max = std::numeric_limits<std::int64_t>::min();
    std::int64_t sum = 0;
    std::uint32_t count = 0;
};

// The lines of one stretch read into blocks: the common form many lines at a time, any
// other line on its own.
class ChunkScanner {
public:
    ChunkScanner(const char* bytes, std::size_t size, std::uint64_t offset, const Part& part,
                 std::uint32_t partIndex, ChunkState state, ChunkResult& out);
    void Run();

private:
    bool AmongRecords() const;
    std::size_t ReadCommonRun(std::size_t at);
    int FoldInTimeOrder(int first, std::size_t at);
    void AnyLine(std::string_view line, std::size_t at);
    void AddRecord(const RecordLine& record, std::size_t at);
    RecordingIndex::Block& BlockFor(std::int64_t elapsedNs, std::size_t at);
    void Settle();
    void Damaged();

    const char* const bytes_;
    const std::size_t size_;
    const std::uint64_t offset_;
    const Part& part_;
    const std::uint32_t partIndex_;
    ChunkState state_;
    ChunkResult& out_;
    std::array<std::size_t, kChannels> channelOf_{};
    std::array<Thousandths, kChannels> exact_{};
    CommonSums sums_;
};

ChunkScanner::ChunkScanner(const char* bytes, std::size_t size, std::uint64_t offset,
                           const Part& part, std::uint32_t partIndex, ChunkState state,
                           ChunkResult& out)
    : bytes_(bytes),
      size_(size),
      offset_(offset),
      part_(part),
      partIndex_(partIndex),
      state_(std::move(state)),
      out_(out) {
    out.blocks.clear();
    out.lines = out.damaged = out.firstDamaged = 0;
    out.firstElapsed = -1;
    for (int f = 0; f < part.fields; ++f) {
        channelOf_[static_cast<std::size_t>(f)] =
            static_cast<std::size_t>(part.fieldChannel[static_cast<std::size_t>(f)] - 1);
    }
}

void ChunkScanner::Run() {
    std::size_t at = 0;
    while (at < size_) {
        if (AmongRecords()) {
            at += ReadCommonRun(at);
            if (out_.common->count == CommonLines::kMostLines) continue;
            if (at >= size_) break;
        }
        // The next line, whatever its form.
        const void* found = std::memchr(bytes_ + at, '\n', size_ - at);
        if (found == nullptr) break;
        const auto lf = static_cast<std::size_t>(static_cast<const char*>(found) - bytes_);
        std::size_t end = lf;
        if (end > at && bytes_[end - 1] == '\r') --end;
        AnyLine(std::string_view(bytes_ + at, end - at), at);
        at = lf + 1;
    }
    Settle();
    out_.state = state_;
}

// Past the start line and the header, before the end line.
bool ChunkScanner::AmongRecords() const {
    return state_.ended == 0 &&
           (offset_ != 0 || out_.lines >= static_cast<std::uint64_t>(part_.headLines));
}

// As many lines of the common form from `at` as there are, many at a time; returns their bytes.
std::size_t ChunkScanner::ReadCommonRun(std::size_t at) {
    const CommonLines& common = *out_.common;
    const std::size_t used = ReadCommonLines(bytes_ + at, size_ - at, part_.fields, *out_.common);
    for (int l = 0; l < common.count;) {
        if (common.elapsedNs[static_cast<std::size_t>(l)] < state_.lastElapsed) {
            ++out_.lines;
            Damaged();  // back in time: no record of this recording
            ++l;
            continue;
        }
        l = FoldInTimeOrder(l, at);
    }
    return used;
}

// The common lines from `first` on that follow in time order, up to the block's end, folded in
// together; returns the line after them.
int ChunkScanner::FoldInTimeOrder(int first, std::size_t at) {
    const CommonLines& common = *out_.common;
    const auto i = static_cast<std::size_t>(first);
    RecordingIndex::Block& b = BlockFor(common.elapsedNs[i], at + common.start[i]);
    int last = first + 1;
    const int most = std::min(
        common.count, first + static_cast<int>(RecordingIndex::kBlockRecords - b.records) + 1);
    while (last < most && common.elapsedNs[static_cast<std::size_t>(last)] >=
                              common.elapsedNs[static_cast<std::size_t>(last - 1)]) {
        ++last;
    }
    const auto n = static_cast<std::uint32_t>(last - first);
    state_.lastElapsed = common.elapsedNs[static_cast<std::size_t>(last - 1)];
    b.lastNs = part_.offsetNs + state_.lastElapsed;
    b.records += n - 1;
    b.children += n - 1;
    out_.lines += n;
    SumCommonLines(common, first, last, part_.fields, sums_);
    for (int f = 0; f < part_.fields; ++f) {
        const auto fi = static_cast<std::size_t>(f);
        exact_[fi].min = std::min<std::int64_t>(exact_[fi].min, sums_.min[fi]);
        exact_[fi].max = std::max<std::int64_t>(exact_[fi].max, sums_.max[fi]);
        exact_[fi].sum += sums_.sum[fi];
        exact_[fi].count += n;
    }
    return last;
}

// A line of any form, read on its own.
void ChunkScanner::AnyLine(std::string_view line, std::size_t at) {
    ++out_.lines;
    if (offset_ == 0 && out_.lines <= static_cast<std::uint64_t>(part_.headLines)) return;
    RecordLine record;
    if (state_.ended == 0 && ParseRecordLine(line, part_.fields, record, bytes_ + size_, true) &&
        record.elapsedNs >= state_.lastElapsed) {
        AddRecord(record, at);
        return;
    }
    const LineKind kind = StampedLineKind(line);
    if ((kind == LineKind::Stop || kind == LineKind::Interrupted) && state_.ended == 0) {
        state_.ended = kind == LineKind::Stop ? 1 : 2;
        return;
    }
    if (state_.ended != 0) {
        if (std::optional<std::string> next = ParseGoesOn(line)) {
            state_.goesOn = std::move(next);
            return;
        }
    }
    Damaged();
}

void ChunkScanner::AddRecord(const RecordLine& record, std::size_t at) {
    RecordingIndex::Block& b = BlockFor(record.elapsedNs, at);
    for (int f = 0; f < part_.fields; ++f) {
        const auto i = static_cast<std::size_t>(f);
        if ((record.inMilli & (1u << f)) == 0) {
            AddValue(b, static_cast<int>(channelOf_[i]), record.value[i]);
            continue;
        }
        Thousandths& t = exact_[i];
        t.min = std::min(t.min, record.milli[i]);
        t.max = std::max(t.max, record.milli[i]);
        t.sum += record.milli[i];
        ++t.count;
    }
}

// The block a record at `elapsedNs` (its line at `at`) goes into.
RecordingIndex::Block& ChunkScanner::BlockFor(std::int64_t elapsedNs, std::size_t at) {
    if (out_.firstElapsed < 0) out_.firstElapsed = elapsedNs;
    state_.lastElapsed = elapsedNs;
    if (out_.blocks.empty() || out_.blocks.back().records == RecordingIndex::kBlockRecords) {
        Settle();
        RecordingIndex::Block b;
        b.firstNs = part_.offsetNs + elapsedNs;
        b.offset = offset_ + at;
        b.part = partIndex_;
        out_.blocks.push_back(b);
    }
    RecordingIndex::Block& b = out_.blocks.back();
    b.lastNs = part_.offsetNs + elapsedNs;
    ++b.records;
    ++b.children;
    return b;
}

// The thousandths summed so far, into the last block.
void ChunkScanner::Settle() {
    if (out_.blocks.empty()) return;
    RecordingIndex::Block& b = out_.blocks.back();
    for (int f = 0; f < part_.fields; ++f) {
        Thousandths& t = exact_[static_cast<std::size_t>(f)];
        if (t.count == 0) continue;
        const std::size_t c = channelOf_[static_cast<std::size_t>(f)];
        const double lo = static_cast<double>(t.min) / 1000.0;
        const double hi = static_cast<double>(t.max) / 1000.0;
        if (b.count[c] == 0 || lo < b.min[c]) b.min[c] = lo;
        if (b.count[c] == 0 || hi > b.max[c]) b.max[c] = hi;
        b.sum[c] += static_cast<double>(t.sum) / 1000.0;
        b.count[c] += t.count;
        t = {};
    }
}

void ChunkScanner::Damaged() {
    if (out_.damaged++ == 0) out_.firstDamaged = out_.lines;
}

}  // namespace

void ParseChunk(const char* bytes, std::size_t size, std::uint64_t offset, const Part& part,
                std::uint32_t partIndex, ChunkState state, ChunkResult& out) {
    ChunkScanner(bytes, size, offset, part, partIndex, std::move(state), out).Run();
}

}  // namespace ts::review
