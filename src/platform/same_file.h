#pragma once

#include <string>

namespace ts {

// Whether two paths name one file, compared as files rather than as text: "./a" is "a", a
// symbolic link is the file it leads to, and two names of one file (a hard link, a bind
// mount) are that file. Two paths of which neither exists yet name one file when they would
// create the same one.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace ts
