#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace ts {

// Reads a numeric settings line: optional leading blanks, an optional sign, then
// decimal digits or hexadecimal digits after "$" or "0x"; nothing may follow.
// Nothing for anything else, an empty line, or a value outside 32 bits.
std::optional<std::int32_t> ParseSettingsInteger(std::string_view line);

}  // namespace ts
