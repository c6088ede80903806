#include "review/review_index.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "review/line_scan.h"

namespace ts::review {

namespace {

// Bytes read at a time when records are read back (the pass reads its own stretches).
constexpr std::size_t kChunkBytes = 4 << 20;
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

// The records of `part` in bytes [begin, end) of its file, as the pass chose them: none whose
// time goes back, none after the end line. Nothing once all were read; else what the walk
// returns there: true past toNs, false where `visit` stopped or the file could not be read.
std::optional<bool> ReadRange(SystemFile& reader, std::vector<char>& buffer, const Part& part,
                              std::uint32_t partIndex, std::uint64_t begin, std::uint64_t end,
                              std::int64_t fromNs, std::int64_t toNs,
                              const std::function<bool(const Record&)>& visit) {
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
            static_cast<std::size_t>(std::min<std::uint64_t>(end - at, buffer.size()));
        const std::ptrdiff_t got = reader.ReadAt(at, buffer.data(), want);
        if (got <= 0) return false;
        bool more = true;
        bool beyond = false;
        std::size_t whole = ForEachLine(
            buffer.data(), static_cast<std::size_t>(got), [&](std::string_view line, std::size_t) {
                RecordLine record;
                if (!take(line, record)) return !ended;
                const Record r = RecordOf(record, part, static_cast<int>(partIndex));
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
            const std::string_view line = WithoutCr({buffer.data(), static_cast<std::size_t>(got)});
            if (take(line, record)) {
                const Record r = RecordOf(record, part, static_cast<int>(partIndex));
                if (r.timeNs >= fromNs && r.timeNs < toNs && !visit(r)) return false;
            }
            whole = static_cast<std::size_t>(got);
        }
        at += whole;
    }
    return std::nullopt;
}

}  // namespace

bool RecordingIndex::ReadBlocks(std::size_t first, std::size_t last, std::int64_t fromNs,
                                std::int64_t toNs,
                                const std::function<bool(const Record&)>& visit) const {
    // Under mutex_. Each part's run of blocks is one range of bytes of whole lines.
    // Once a file shrank, its offsets lead into other bytes.
    if (changed_.what == FileChange::Shrank) return false;
    const auto& fine = pyramid_.Levels()[0];
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
        const std::optional<bool> stopped = ReadRange(*reader, readBuffer_, parts_[partIndex],
                                                      partIndex, begin, end, fromNs, toNs, visit);
        if (stopped) return *stopped;
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
    const auto& levels = pyramid_.Levels();
    if (!levels.empty()) {
        const std::size_t first = pyramid_.FirstBlockEndingAtOrAfter(fromNs);
        const auto& fine = levels[0];
        std::size_t last = first;
        while (last < fine.size() && fine[last].firstNs < toNs &&
               (last - first) * pyramid_.FineRecords() <=
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
            for (std::size_t l = 1; l < levels.size(); ++l) {
                const auto& blocks = levels[l];
                const double wide =
                    static_cast<double>(blocks.back().lastNs - blocks.front().firstNs) /
                    static_cast<double>(blocks.size());
                if (wide <= perColumn) level = l;
            }
            const auto& blocks = levels[level];
            auto it = std::partition_point(blocks.begin(), blocks.end(),
                                           [fromNs](const Block& b) { return b.lastNs < fromNs; });
            for (; it != blocks.end() && it->firstNs < toNs; ++it) addBlock(*it);
            // What the levels below hold that has not reached this one yet.
            for (std::size_t l = 0; l < level; ++l) addBlock(levels[l].back());
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
    if (pyramid_.Levels().empty() || toNs <= fromNs) return s;
    const auto& fine = pyramid_.Levels()[0];
    // Whole blocks from their sums; the blocks at the ends record by record, in order.
    for (std::size_t b = pyramid_.FirstBlockEndingAtOrAfter(fromNs);
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
        if (pyramid_.Levels().empty()) return true;
        b = pyramid_.FirstBlockEndingAtOrAfter(fromNs);
    }
    constexpr std::size_t kBlocksAtOnce = 64;
    for (;;) {
        std::lock_guard lock(mutex_);
        const auto& fine = pyramid_.Levels()[0];
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
    const auto& levels = pyramid_.Levels();
    // Beyond what the pass has read, the lines sampled at the open answer, as they do for the
    // picture: a cursor over a large file just opened shows a value at once.
    if (!passDone_ && !preview_.empty() &&
        (levels.empty() || levels[0].empty() || atNs > indexedNs_)) {
        auto after = std::partition_point(preview_.begin(), preview_.end(),
                                          [atNs](const Record& r) { return r.timeNs <= atNs; });
        out = after == preview_.begin() ? *after : *(after - 1);
        if (levels.empty() || levels[0].empty() || out.timeNs > indexedNs_) return true;
    }
    if (levels.empty() || levels[0].empty()) return false;
    const auto& fine = levels[0];
    std::size_t b = pyramid_.FirstBlockEndingAtOrAfter(atNs);
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

}  // namespace ts::review
