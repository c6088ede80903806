#pragma once

#include <string>

namespace ts {

// Whether this process holds `path` open (on Windows: whether anyone does, which in a test's
// scratch folder is this process).
bool HeldOpen(const std::string& path);

}  // namespace ts
