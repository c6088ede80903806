#pragma once

#include <string>
#include <string_view>

namespace ts {

// Replaces the contents of the file at `path` with `bytes` so that a failure
// or a crash half-way leaves either the old file or the new one, never a
// truncated mixture: the bytes go to a temporary file beside the file, reach
// the disk, and are renamed over it. A symbolic link keeps pointing where it
// did (its target is replaced) and an existing file keeps its permissions.
// Where no temporary file may be made in the folder but the file itself is
// writable, for a file with several hard links and for one that belongs to
// another user, the file is overwritten in place instead. A file that is
// read-only, or that we may not write, is left alone: replacing it is refused
// as writing it would be. Returns whether the new contents were written; on
// failure the temporary file is removed.
bool ReplaceFileContents(const std::string& path, std::string_view bytes);

}  // namespace ts
