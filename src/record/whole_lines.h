#pragma once

#include <cstdint>
#include <optional>

#include "platform/system_file.h"

namespace ts {

// Where the whole lines of a result file of `size` bytes end: just past its last line feed, 0 when
// it has none. What follows is no line: one cut by an interruption, or the blocks of zero bytes a
// power cut leaves where data never reached the medium, which may be any length. Read backwards a
// block at a time, so that a long tail costs no memory. Nothing when the file cannot be read.
std::optional<std::uint64_t> EndOfWholeLines(SystemFile& file, std::uint64_t size);

}  // namespace ts
