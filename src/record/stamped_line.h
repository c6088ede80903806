#pragma once

#include <string>
#include <string_view>

namespace ts {

class Platform;

// "date time<suffix>" and CR LF, the date and time now as the user's regional settings write
// them: the start, stop and interruption lines of a result file (UTF-8, before code page 1251).
std::string StampedLine(Platform& platform, std::string_view suffix);

}  // namespace ts
