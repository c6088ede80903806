#include "review/line_scan.h"

#include <algorithm>
#include <cmath>
#include <limits>

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

void ParseChunk(const char* bytes, std::size_t size, std::uint64_t offset, const Part& part,
                std::uint32_t partIndex, ChunkState state, ChunkResult& out) {
    out.blocks.clear();
    out.lines = out.damaged = out.firstDamaged = 0;
    out.firstElapsed = -1;
    std::array<std::size_t, kChannels> channelOf{};
    for (int f = 0; f < part.fields; ++f) {
        channelOf[static_cast<std::size_t>(f)] =
            static_cast<std::size_t>(part.fieldChannel[static_cast<std::size_t>(f)] - 1);
    }
    // The values of the common form are summed and compared in thousandths, exactly, and
    // become doubles once a block; each field's own, so in field order.
    struct Thousandths {
        std::int64_t min = std::numeric_limits<std::int64_t>::max();
        std::int64_t max = std::numeric_limits<std::int64_t>::min();
        std::int64_t sum = 0;
        std::uint32_t count = 0;
    };
    std::array<Thousandths, kChannels> exact{};
    const auto settle = [&] {
        if (out.blocks.empty()) return;
        RecordingIndex::Block& b = out.blocks.back();
        for (int f = 0; f < part.fields; ++f) {
            Thousandths& t = exact[static_cast<std::size_t>(f)];
            if (t.count == 0) continue;
            const std::size_t c = channelOf[static_cast<std::size_t>(f)];
            const double lo = static_cast<double>(t.min) / 1000.0;
            const double hi = static_cast<double>(t.max) / 1000.0;
            if (b.count[c] == 0 || lo < b.min[c]) b.min[c] = lo;
            if (b.count[c] == 0 || hi > b.max[c]) b.max[c] = hi;
            b.sum[c] += static_cast<double>(t.sum) / 1000.0;
            b.count[c] += t.count;
            t = {};
        }
    };
    // The block a record at `elapsedNs` (its line at `at`) goes into.
    const auto blockFor = [&](std::int64_t elapsedNs, std::size_t at) -> RecordingIndex::Block& {
        if (out.firstElapsed < 0) out.firstElapsed = elapsedNs;
        state.lastElapsed = elapsedNs;
        if (out.blocks.empty() || out.blocks.back().records == RecordingIndex::kBlockRecords) {
            settle();
            RecordingIndex::Block b;
            b.firstNs = part.offsetNs + elapsedNs;
            b.offset = offset + at;
            b.part = partIndex;
            out.blocks.push_back(b);
        }
        RecordingIndex::Block& b = out.blocks.back();
        b.lastNs = part.offsetNs + elapsedNs;
        ++b.records;
        ++b.children;
        return b;
    };
    const auto damaged = [&] {
        if (out.damaged++ == 0) out.firstDamaged = out.lines;
    };
    // A line of any form, read on its own.
    const char* const readable = bytes + size;
    const auto anyLine = [&](std::string_view line, std::size_t at) {
        ++out.lines;
        if (offset == 0 && out.lines <= static_cast<std::uint64_t>(part.headLines)) return;
        RecordLine record;
        if (state.ended == 0 && ParseRecordLine(line, part.fields, record, readable, true) &&
            record.elapsedNs >= state.lastElapsed) {
            RecordingIndex::Block& b = blockFor(record.elapsedNs, at);
            for (int f = 0; f < part.fields; ++f) {
                const auto i = static_cast<std::size_t>(f);
                if ((record.inMilli & (1u << f)) == 0) {
                    AddValue(b, static_cast<int>(channelOf[i]), record.value[i]);
                    continue;
                }
                Thousandths& t = exact[i];
                t.min = std::min(t.min, record.milli[i]);
                t.max = std::max(t.max, record.milli[i]);
                t.sum += record.milli[i];
                ++t.count;
            }
            return;
        }
        const LineKind kind = StampedLineKind(line);
        if ((kind == LineKind::Stop || kind == LineKind::Interrupted) && state.ended == 0) {
            state.ended = kind == LineKind::Stop ? 1 : 2;
            return;
        }
        if (state.ended != 0) {
            if (std::optional<std::string> next = ParseGoesOn(line)) {
                state.goesOn = std::move(next);
                return;
            }
        }
        damaged();
    };
    CommonLines& common = *out.common;
    CommonSums sums;
    std::size_t at = 0;
    while (at < size) {
        if (state.ended == 0 &&
            (offset != 0 || out.lines >= static_cast<std::uint64_t>(part.headLines))) {
            // As many lines of the common form as there are, many at a time.
            const std::size_t used = ReadCommonLines(bytes + at, size - at, part.fields, common);
            for (int l = 0; l < common.count;) {
                const auto i = static_cast<std::size_t>(l);
                const std::int64_t elapsedNs = common.elapsedNs[i];
                if (elapsedNs < state.lastElapsed) {
                    ++out.lines;
                    damaged();  // back in time: no record of this recording
                    ++l;
                    continue;
                }
                // The lines after it in time order, up to the block's end, folded in together.
                RecordingIndex::Block& b = blockFor(elapsedNs, at + common.start[i]);
                int last = l + 1;
                const int most =
                    std::min(common.count,
                             l + static_cast<int>(RecordingIndex::kBlockRecords - b.records) + 1);
                while (last < most && common.elapsedNs[static_cast<std::size_t>(last)] >=
                                          common.elapsedNs[static_cast<std::size_t>(last - 1)]) {
                    ++last;
                }
                const auto n = static_cast<std::uint32_t>(last - l);
                state.lastElapsed = common.elapsedNs[static_cast<std::size_t>(last - 1)];
                b.lastNs = part.offsetNs + state.lastElapsed;
                b.records += n - 1;
                b.children += n - 1;
                out.lines += n;
                SumCommonLines(common, l, last, part.fields, sums);
                for (int f = 0; f < part.fields; ++f) {
                    const auto fi = static_cast<std::size_t>(f);
                    exact[fi].min = std::min<std::int64_t>(exact[fi].min, sums.min[fi]);
                    exact[fi].max = std::max<std::int64_t>(exact[fi].max, sums.max[fi]);
                    exact[fi].sum += sums.sum[fi];
                    exact[fi].count += n;
                }
                l = last;
            }
            at += used;
            if (common.count == CommonLines::kMostLines) continue;
            if (at >= size) break;
        }
        // The next line, whatever its form.
        const void* found = std::memchr(bytes + at, '\n', size - at);
        if (found == nullptr) break;
        const auto lf = static_cast<std::size_t>(static_cast<const char*>(found) - bytes);
        std::size_t end = lf;
        if (end > at && bytes[end - 1] == '\r') --end;
        anyLine(std::string_view(bytes + at, end - at), at);
        at = lf + 1;
    }
    settle();
    out.state = state;
}

}  // namespace ts::review
