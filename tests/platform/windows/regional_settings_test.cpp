#include <gtest/gtest.h>
#include <windows.h>

#include "platform/system_platform.h"
#include "record/date_time_format.h"

namespace ts {
namespace {

// The user's regional settings as the program reads them, in the two locales the tests run in
// under wine (LANG=C.UTF-8 is English (United States), LANG=ru_RU.UTF-8 Russian), told apart by
// the ANSI code page that goes with each.
TEST(RegionalSettingsTest, TheUsersSeparatorDateAndTimeAsWindowsShowsThem) {
    const UINT codePage = ::GetACP();
    ASSERT_TRUE(codePage == 1251 || codePage == 1252) << "run under LANG=ru_RU or C: " << codePage;
    const bool russian = codePage == 1251;
    const RegionalSettings regional = ReadRegionalSettings();
    const LocalDateTime evening{2026, 3, 6, 17, 5, 9};
    EXPECT_EQ(regional.DecimalSeparator, russian ? ',' : '.');
    EXPECT_EQ(FormatDateTime(regional.ShortDateFormat, evening),
              russian ? "06.03.2026" : "3/6/2026");
    EXPECT_EQ(FormatDateTime(regional.LongTimeFormat, evening),
              russian ? "17:05:09" : "5:05:09 PM");
}

}  // namespace
}  // namespace ts
