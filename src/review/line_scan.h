#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "review/result_line.h"
#include "review/review_index.h"

namespace ts::review {

// Splits `bytes` into lines ending in LF (a CR before it dropped); calls `line(text, start)`
// with the offset of each line in `bytes`. Returns the bytes of the whole lines.
template <typename F>
std::size_t ForEachLine(const char* bytes, std::size_t size, F&& line) {
    std::size_t at = 0;
    while (at < size) {
        const void* found = std::memchr(bytes + at, '\n', size - at);
        if (found == nullptr) break;
        const auto lf = static_cast<std::size_t>(static_cast<const char*>(found) - bytes);
        std::size_t end = lf;
        if (end > at && bytes[end - 1] == '\r') --end;
        if (!line(std::string_view(bytes + at, end - at), at)) return lf + 1;
        at = lf + 1;
    }
    return at;
}

std::string_view WithoutCr(std::string_view line);

inline Record RecordOf(const RecordLine& line, const Part& part, int partIndex) {
    Record r;
    r.timeNs = part.offsetNs + line.elapsedNs;
    r.part = partIndex;
    for (int f = 0; f < part.fields; ++f) {
        const auto channel =
            static_cast<std::size_t>(part.fieldChannel[static_cast<std::size_t>(f)] - 1);
        r.value[channel] = line.value[static_cast<std::size_t>(f)];
        r.present = static_cast<std::uint8_t>(r.present | (1u << channel));
    }
    return r;
}

// What a stretch of whole lines of one part holds, read away from the index's lock.
struct ChunkState {
    std::int64_t lastElapsed = -1;
    int ended = 0;                      // 1 after a stop line, 2 after an interruption line
    std::optional<std::string> goesOn;  // the file named after the end line
};

struct ChunkResult {
    std::vector<RecordingIndex::Block> blocks;
    std::uint64_t lines = 0;
    std::uint64_t damaged = 0;
    std::uint64_t firstDamaged = 0;  // its line within the stretch, from 1
    std::int64_t firstElapsed = -1;
    ChunkState state;
    // Room for the lines read many at a time, kept from stretch to stretch.
    std::unique_ptr<CommonLines> common = std::make_unique<CommonLines>();
};

// Reads the lines of `bytes` (whole lines, the first at `offset` of part `partIndex`) into
// blocks, going on from `state`. The start line and the header, read at the open, are the
// first two lines of a part. The kCommonLinesReadPast bytes after `size` must be readable.
void ParseChunk(const char* bytes, std::size_t size, std::uint64_t offset, const Part& part,
                std::uint32_t partIndex, ChunkState state, ChunkResult& out);

}  // namespace ts::review
