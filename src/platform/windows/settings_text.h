#pragma once

#include <string>
#include <string_view>

namespace ts {

// SettingsTextToUtf8 in a code page of the caller's choosing rather than the system's, for the
// double-byte code pages a test cannot give its process.
std::string SettingsTextToUtf8(std::string_view text, unsigned codePage);

}  // namespace ts
