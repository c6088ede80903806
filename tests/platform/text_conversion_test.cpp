#include <gtest/gtest.h>

#include "platform/text_codec.h"
#include "record/date_time_format.h"
#include "record/recording_fixture.h"

namespace ts {
namespace {

const LocalDateTime kMorning{2026, 3, 6, 7, 5, 9};
const LocalDateTime kEvening{2026, 12, 16, 17, 45, 30};

TEST(DateTimeFormatTest, FormatsOfCommonLocales) {
    EXPECT_EQ(FormatDateTime("%d.%m.%Y", kMorning), "06.03.2026");  // ru_RU
    EXPECT_EQ(FormatDateTime("%T", kMorning), "07:05:09");          // ru_RU
    EXPECT_EQ(FormatDateTime("%m/%d/%y", kMorning), "03/06/26");    // C
    EXPECT_EQ(FormatDateTime("%r", kEvening), "05:45:30 PM");       // en_US
    EXPECT_EQ(FormatDateTime("%r", kMorning), "07:05:09 AM");
    EXPECT_EQ(FormatDateTime("%F %R", kMorning), "2026-03-06 07:05");
    EXPECT_EQ(FormatDateTime("%D", kEvening), "12/16/26");
}

// The hour after midnight is 12 AM and the hour after noon 12 PM.
TEST(DateTimeFormatTest, TwelveHourClockAroundMidnightAndNoon) {
    struct Case {
        int hour, minute, second;
        const char* r;   // "%r", as en_US writes a long time
        const char* lp;  // "%l %P"
    };
    const Case cases[] = {{0, 0, 0, "12:00:00 AM", "12 am"},  {0, 59, 59, "12:59:59 AM", "12 am"},
                          {1, 0, 0, "01:00:00 AM", " 1 am"},  {11, 59, 59, "11:59:59 AM", "11 am"},
                          {12, 0, 0, "12:00:00 PM", "12 pm"}, {12, 59, 59, "12:59:59 PM", "12 pm"},
                          {13, 0, 0, "01:00:00 PM", " 1 pm"}, {23, 59, 59, "11:59:59 PM", "11 pm"}};
    for (const Case& c : cases) {
        const LocalDateTime t{2026, 12, 6, c.hour, c.minute, c.second};
        EXPECT_EQ(FormatDateTime("%r", t), c.r);
        EXPECT_EQ(FormatDateTime("%l %P", t), c.lp);
    }
}

TEST(DateTimeFormatTest, PaddingFlagsAndBlankPaddedConversions) {
    EXPECT_EQ(FormatDateTime("%-H:%M:%S", kMorning), "7:05:09");
    EXPECT_EQ(FormatDateTime("%_H|%k|%e|%-d|%0e", kMorning), " 7| 7| 6|6|06");
    EXPECT_EQ(FormatDateTime("%I %l %-I", LocalDateTime{2026, 1, 1, 0, 0, 0}), "12 12 12");
    EXPECT_EQ(FormatDateTime("%OH:%EY", kMorning), "07:2026");
}

TEST(DateTimeFormatTest, LiteralsPercentAndUnknownConversionsStayAsWritten) {
    EXPECT_EQ(FormatDateTime("%Y年%m月%d日", kMorning), "2026年03月06日");
    EXPECT_EQ(FormatDateTime("100%% at %H", kMorning), "100% at 07");
    EXPECT_EQ(FormatDateTime("%b %d", kMorning), "%b 06");
    EXPECT_EQ(FormatDateTime("%H%", kMorning), "07%");
    EXPECT_EQ(FormatDateTime("%-", kMorning), "%-");
}

TEST(Cp1251EncoderTest, RussianLettersBecomeSingleBytes) {
    Cp1251Encoder encoder;
    EXPECT_EQ(encoder.Encode("ВРЕМЯ CH1"), Cp1251Of("ВРЕМЯ CH1"));
    EXPECT_EQ(encoder.Encode("ЁёАяЖ"), "\xA8\xB8\xC0\xFF\xC6");
    EXPECT_EQ(encoder.Encode("0,0000000000 -3,250\r\n"), "0,0000000000 -3,250\r\n");
}

TEST(Cp1251EncoderTest, MissingCharactersAndBrokenSequencesBecomeOneQuestionMark) {
    Cp1251Encoder encoder;
    EXPECT_EQ(encoder.Encode("a年b"), "a?b");
    EXPECT_EQ(encoder.Encode("a\xFF"
                             "b"),
              "a?b");
    EXPECT_EQ(encoder.Encode("Я\xD0"), "\xDF?");  // cut in the middle of a letter
    EXPECT_EQ(encoder.Encode("😀Я"), "?\xDF");
}

TEST(LocaleTextTest, SingleByteLocaleTextIsReadInItsCharset) {
    EXPECT_EQ(LocaleTextToUtf8("\xFE\xE1\xF3 %H", "KOI8-R"), "ЧАС %H");
    EXPECT_EQ(LocaleTextToUtf8("12:00", "ANSI_X3.4-1968"), "12:00");
    EXPECT_EQ(LocaleTextToUtf8("Время", "UTF-8"), "Время");
}

}  // namespace
}  // namespace ts
