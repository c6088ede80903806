#pragma once

#include <string>

namespace ts {

// `path` as the current folder names it now, so that it still names that file after the
// program has moved to another folder. A path that is already absolute stays as it is.
std::string AbsolutePath(const std::string& path);

// A path that the file at `file` holds, as it names a file wherever the program runs: an
// absolute one as it is, a relative one taken from `file`'s own folder.
std::string PathBeside(const std::string& file, const std::string& path);

}  // namespace ts
