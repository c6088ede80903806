#include "measure/table_parser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace ts {
namespace {

bool Reads(std::string_view text, char separator, double expected) {
    double value = -12345;
    return ParseTableNumber(text, separator, value) && value == expected;
}

bool Unreadable(std::string_view text, char separator = '.') {
    double value = -12345;
    return !ParseTableNumber(text, separator, value) && value == -12345;
}

TEST(TableNumber, AcceptsTheGrammarWithBlanksAround) {
    EXPECT_TRUE(Reads("10", '.', 10));
    EXPECT_TRUE(Reads("   2.5", '.', 2.5));
    EXPECT_TRUE(Reads(" 2.5  ", '.', 2.5));
    EXPECT_TRUE(Reads("+7", '.', 7));
    EXPECT_TRUE(Reads("-0.125", '.', -0.125));
    EXPECT_TRUE(Reads(".5", '.', 0.5));
    EXPECT_TRUE(Reads("5.", '.', 5));
    EXPECT_TRUE(Reads("1E3", '.', 1000));
    EXPECT_TRUE(Reads("1e+3", '.', 1000));
    EXPECT_TRUE(Reads("25e-1", '.', 2.5));
    EXPECT_TRUE(Reads("-1.5E2", '.', -150));
    EXPECT_TRUE(Reads("007", '.', 7));
}

TEST(TableNumber, TakesOnlyTheRegionalSeparator) {
    EXPECT_TRUE(Reads("2,5", ',', 2.5));
    EXPECT_TRUE(Reads("-1,5e1", ',', -15));
    EXPECT_TRUE(Unreadable("2.5", ','));
    EXPECT_TRUE(Unreadable("2,5", '.'));
    EXPECT_TRUE(Unreadable("1,000.5", '.'));
}

TEST(TableNumber, RejectsEverythingOutsideTheGrammar) {
    for (const char* text :
         {"",    "   ", "inf", "-inf", "INF", "nan",   "NaN",   "infinity", "0x10",  "0x1p3",
          "1e",  "1e+", "e5",  ".",    "-",   "+",     "+-1",   "--1",      "1.2.3", "1 2",
          "\t1", "1\t", "1\r", "1f",   "½",   "1_000", "1e2.5", "١"}) {
        EXPECT_TRUE(Unreadable(text)) << '"' << text << '"';
    }
    EXPECT_TRUE(Unreadable(std::string("1\0", 2)));
}

TEST(TableNumber, TooLargeIsUnreadableButTooSmallIsZero) {
    EXPECT_TRUE(Unreadable("1e400"));
    EXPECT_TRUE(Unreadable("-1e99999999999999999999"));
    EXPECT_TRUE(Unreadable(std::string(400, '9')));
    double value = -1;
    ASSERT_TRUE(ParseTableNumber("1e-400", '.', value));
    EXPECT_EQ(value, 0.0);
    ASSERT_TRUE(ParseTableNumber("-1e-99999999999999999999", '.', value));
    EXPECT_EQ(value, 0.0);
    EXPECT_TRUE(std::signbit(value));
    EXPECT_TRUE(Reads("0e99999999999", '.', 0));
    EXPECT_TRUE(Reads(std::string(300, '0') + "1e-300", '.', 1e-300));
}

TEST(TableLine, SplitsAtTheLastBlank) {
    std::string_view raw, result;
    ASSERT_TRUE(SplitTableLine("10   2.5", raw, result));
    EXPECT_EQ(raw, "10  ");
    EXPECT_EQ(result, " 2.5");
    // A blank after the result becomes the separator.
    ASSERT_TRUE(SplitTableLine("10 2.5 ", raw, result));
    EXPECT_EQ(raw, "10 2.5");
    EXPECT_EQ(result, " ");
    EXPECT_FALSE(SplitTableLine("10\t2.5", raw, result));
}

// The file-level cases (counts, raw order, messages) are tested through the
// loader; these are the ones only the line checker decides.
TEST(TableLines, AnUnreadableFieldAfterABadRawValueStillCounts) {
    CalibrationTable table;
    table.PointCount = 99;
    EXPECT_EQ(ParseTableLines({"2000 0", "1 1", ""}, '.', table), TableVerdict::Unreadable);
    EXPECT_EQ(table.PointCount, 0);
    EXPECT_EQ(ParseTableLines({"0 0", "1"}, '.', table), TableVerdict::Unreadable);
    const std::string overlong = "1 " + std::string(kMaxTableLineBytes, '0') + "1";
    EXPECT_EQ(ParseTableLines({"0 0", overlong}, '.', table), TableVerdict::Unreadable);
    ASSERT_EQ(ParseTableLines({"0,5 -3", "1 2,5e1", "1022,75 -4"}, ',', table),
              TableVerdict::Valid);
    EXPECT_EQ(table.PointCount, 3);
    EXPECT_EQ(table.RawPoints[2], 1022.75);
    EXPECT_EQ(table.ResultPoints[1], 25);
}

}  // namespace
}  // namespace ts
