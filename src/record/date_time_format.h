#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace ts {

// Formats a local date and time by one of the regional strftime-style formats
// ("%d.%m.%Y", "%T", "%-H:%M:%S", ...) without touching the process locale.
// Understood: %d %e %m %y %Y %C %H %k %I %l %M %S %p %P %D %F %T %R %r %n %t %%,
// the flags "-" (no padding), "_" (blanks) and "0" (zeros), and the E and O
// modifiers (ignored). Names of months and days are not part of the regional
// settings the program reads, so any other conversion is copied as it stands.
std::string FormatDateTime(std::string_view format, const LocalDateTime& t);
// The same, appended to `out` (which allocates nothing once it has room).
void AppendDateTime(std::string& out, std::string_view format, const LocalDateTime& t);

}  // namespace ts
