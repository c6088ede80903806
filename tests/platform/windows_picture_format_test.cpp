#include "platform/windows_picture_format.h"

#include <gtest/gtest.h>

#include "record/date_time_format.h"

namespace ts {
namespace {

// What a Windows picture shows for a morning and an evening, written out as Windows shows it.
TEST(WindowsPictureFormatTest, RegionalPicturesShowAsWindowsShowsThem) {
    const LocalDateTime morning{2026, 3, 6, 7, 5, 9};
    const LocalDateTime evening{2026, 12, 16, 17, 45, 30};
    struct Case {
        const char* picture;
        const char* morning;
        const char* evening;
    };
    const Case cases[] = {
        {"dd.MM.yyyy", "06.03.2026", "16.12.2026"},  // ru-RU, de-DE
        {"M/d/yyyy", "3/6/2026", "12/16/2026"},      // en-US
        {"d/M/yyyy", "6/3/2026", "16/12/2026"},
        {"yyyy-MM-dd", "2026-03-06", "2026-12-16"},  // sv-SE, ISO
        {"dd.MM.yy", "06.03.26", "16.12.26"},
        {"d.M.y", "6.3.26", "16.12.26"},
        {"H:mm:ss", "7:05:09", "17:45:30"},  // ru-RU, de-DE
        {"HH:mm:ss", "07:05:09", "17:45:30"},
        {"h:mm:ss tt", "7:05:09 AM", "5:45:30 PM"},  // en-US
        {"hh:mm:ss tt", "07:05:09 AM", "05:45:30 PM"},
        {"H:m:s", "7:5:9", "17:45:30"},
        {"yyyy'г.'", "2026г.", "2026г."},  // a quoted literal
        {"dd 'de' MMMM 'de' yyyy", "06 de 03 de 2026", "16 de 12 de 2026"},
        {"H' h 'mm", "7 h 05", "17 h 45"},
        {"'It''s' H", "It's 7", "It's 17"},  // a doubled quote is one quote
        {"HH''mm", "07'05", "17'45"},
        {"100% H", "100% 7", "100% 17"},  // no conversion of ours leaks in
        {"dddd, d", ", 6", ", 16"},       // the day's name is left out
        {"g yyyy", " 2026", " 2026"},     // and the era
        {"'open", "open", "open"},        // an unclosed quote ends the text
    };
    for (const Case& c : cases) {
        const std::string format = WindowsPictureToFormat(c.picture);
        EXPECT_EQ(FormatDateTime(format, morning), c.morning) << c.picture << " -> " << format;
        EXPECT_EQ(FormatDateTime(format, evening), c.evening) << c.picture << " -> " << format;
    }
}

}  // namespace
}  // namespace ts
