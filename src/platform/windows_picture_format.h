#pragma once

#include <string>
#include <string_view>

namespace ts {

// Turns a Windows date or time picture ("dd.MM.yyyy", "d/M/yyyy", "h:mm:ss tt", "yyyy'г.'")
// into the program's own strftime-style format (see record/date_time_format.h). Days, months,
// years, hours, minutes and seconds keep their width: a single letter writes no leading zero.
// Names of days and months are not shown by the program: a month by name is shown by number
// and a day's name is left out, and so is the era. Quoted text is copied as it stands ('' is
// one quote), as is any other character that is no picture letter.
std::string WindowsPictureToFormat(std::string_view picture);

}  // namespace ts
