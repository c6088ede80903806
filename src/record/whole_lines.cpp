#include "record/whole_lines.h"

#include <array>
#include <cstddef>

namespace ts {

std::optional<std::uint64_t> EndOfWholeLines(SystemFile& file, std::uint64_t size) {
    std::array<char, 64 * 1024> block;
    std::uint64_t end = size;
    while (end > 0) {
        const std::uint64_t from = end > block.size() ? end - block.size() : 0;
        const auto wanted = static_cast<std::size_t>(end - from);
        if (file.ReadAt(from, block.data(), wanted) != static_cast<std::ptrdiff_t>(wanted)) {
            return std::nullopt;
        }
        for (std::size_t i = wanted; i > 0; --i) {
            if (block[i - 1] == '\n') return from + i;
        }
        end = from;
    }
    return 0;
}

}  // namespace ts
