#pragma once

#include <cstdint>
#include <string>

#include "platform/system_file.h"
#include "review/review_index.h"

namespace ts::review {

// The first line of a part, to tell later whether the file was written anew from its start.
std::string FirstLine(SystemFile& file);

// What became of the part's file held open as `file`, which held at least `least` bytes, by the
// file's identity and size rather than its name.
FileChange LookAgain(SystemFile& file, const std::string& path, std::uint64_t least,
                     const std::string& firstLine);

}  // namespace ts::review
