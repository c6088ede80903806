#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "review/result_line.h"

namespace ts::review {
namespace {

// The lines as given, each with CR LF, and room after them for the reading's look past.
std::string Body(const std::vector<std::string>& lines) {
    std::string body;
    for (const std::string& line : lines) body += line + "\r\n";
    return body;
}

struct Read {
    std::size_t used = 0;
    CommonLines lines;
};

Read ReadAll(const std::string& body, int fields) {
    std::string padded = body + std::string(kCommonLinesReadPast, '\n');
    Read r;
    r.used = ReadCommonLines(padded.data(), body.size(), fields, r.lines);
    return r;
}

// Each line alone: read many at a time exactly when it is of the common form, and then as
// the one-by-one reading reads it; any other line is left to that reading.
TEST(ResultLine, CommonFormIsReadAsTheLineByLineReadingReadsIt) {
    struct Case {
        const char* line;
        int fields;
        bool common;
    };
    const Case cases[] = {
        {"0,0000000000 -252,059 1,000", 2, true},
        {"12345.9999999999 9999.999 -0.001 0012.345", 3, true},
        {"1,0000000001 5,000 6,000 7,000 8,000 9,000 0,000", 6, true},
        {"2,5000000000 -1,000 22,500 -333,333 4444,444 -9999,999 -0,001", 6, true},
        {"0.0416666667 -500.000", 1, true},
        {"0,0000000000 12345,678", 1, false},      // five integer digits
        {"0,0000000000 NAN", 1, false},            // the writer's word, no number
        {"0,0000000000 1,2345678E+20", 1, false},  // the exponent form
        {"0,0000000000 1,23", 1, false},           // two decimals
        {"0,0000000000 1,2345", 1, false},         // four decimals
        {"0,000000000 1,234", 1, false},           // nine decimals of time
        {"123456,0000000000 1,234", 1, false},     // six digits of days
        {",0000000000 1,234", 1, false},           // no days
        {"0,0000000000  1,234", 1, false},         // two blanks
        {"0,0000000000 1,234 ", 1, false},         // a blank at the end
        {"0,0000000000 1,234", 2, false},          // a field short
        {"0,0000000000 1,234 2,345", 1, false},    // a field over
        {"0,0000000000 -,234", 1, false},          // a sign without digits
        {"0,0000000000 --1,234", 1, false},        // two signs
        {"0,0000000000 +1,234", 1, false},         // a plus
        {"0,0000000000 1;234", 1, false},          // no separator
        {"0,0000000000 1/234", 1, false},          // '/' beside the separators' codes
        {"0;0000000000 1,234", 1, false},          // the time's separator
        {"0,00000000a0 1,234", 1, false},          // a letter among the time's decimals
        {"0,0000000000 1,2:4", 1, false},          // one past '9'
        {"0,0000000000 1\t234", 1, false},         // a tab
        {"0,0000000000 1,234\r", 1, false},        // a second CR
        {"0,0000000000 2222222222222222222210,000", 1, false},  // more digits than any number
        {"", 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const Read r = ReadAll(Body({c.line}), c.fields);
        ASSERT_EQ(r.lines.count, c.common ? 1 : 0);
        RecordLine plain;
        const bool readPlain = ParseRecordLine(c.line, c.fields, plain);
        if (!c.common) {
            EXPECT_EQ(r.used, 0u);
            continue;
        }
        ASSERT_TRUE(readPlain);
        EXPECT_EQ(r.used, std::string(c.line).size() + 2);
        EXPECT_EQ(r.lines.elapsedNs[0], plain.elapsedNs);
        for (int f = 0; f < c.fields; ++f) {
            EXPECT_EQ(static_cast<double>(r.lines.milli[0][static_cast<std::size_t>(f)]) / 1000.0,
                      plain.value[static_cast<std::size_t>(f)]);
        }
    }
}

// The writer's days with ten decimals put whole seconds a few microseconds early (10 s is
// written 9.9999965 s); each time is read as the instrument's unit it was written from. The
// times are what the instrument counted, in 1/18000 s, written out by hand.
TEST(ResultLine, TimesAreTheInstrumentsUnitsTheyWereWrittenFrom) {
    const std::pair<const char*, std::int64_t> cases[] = {
        {"0,0000000000", 0},
        {"0,0000000006", 55'556},                         // one unit, 55.5556 us
        {"0,0000000045", 388'889},                        // seven units
        {"0,0000115741", 1'000'000'000},                  // 1 s, written a little late
        {"0,0001157407", 10'000'000'000},                 // 10 s, written 3.5 us early
        {"0,0001504630", 13'000'000'000},                 // 13 s
        {"0,0006944444", 60'000'000'000},                 // a minute, written early
        {"0,0416550929", 3'599'000'000'000},              // 0:59:59
        {"10,0000000800", 864'000'000'000'000},           // ten days
        {"99990,0007999200", 8'639'136'000'000'000'000},  // the most days a field holds
    };
    for (const auto& [time, ns] : cases) {
        SCOPED_TRACE(time);
        const std::string line = std::string(time) + " 1,000";
        RecordLine plain;
        ASSERT_TRUE(ParseRecordLine(line, 1, plain));
        EXPECT_EQ(plain.elapsedNs, ns);
        const Read r = ReadAll(Body({line}), 1);
        ASSERT_EQ(r.lines.count, 1);
        EXPECT_EQ(r.lines.elapsedNs[0], ns);
    }
}

// Many lines: the reading goes on over the edges of the bytes it looks at together, stops
// before the first line of another form and when its room is full, and tells where.
TEST(ResultLine, CommonLinesStopBeforeAnotherFormAndWhenFull) {
    std::vector<std::string> lines;
    for (int i = 0; i < 300; ++i) {
        // Lengths that vary, so that lines end anywhere in the blocks of 64 bytes.
        std::string line = "0," + std::string(9, '0') + std::to_string(i % 10);
        for (int f = 0; f < 3; ++f) line += " " + std::string(1 + (i + f) % 4, '7') + ".125";
        lines.push_back(line);
    }
    const std::string full = Body(lines);
    Read r = ReadAll(full, 3);
    ASSERT_EQ(r.lines.count, CommonLines::kMostLines);
    EXPECT_EQ(r.used, Body({lines.begin(), lines.begin() + CommonLines::kMostLines}).size());
    EXPECT_EQ(r.lines.start[255], Body({lines.begin(), lines.begin() + 255}).size());
    EXPECT_EQ(r.lines.milli[255][2], 77125);  // "77.125"

    std::vector<std::string> broken(lines.begin(), lines.begin() + 40);
    broken[37] = "06.12.2026 17:05:03 stop";
    r = ReadAll(Body(broken), 3);
    EXPECT_EQ(r.lines.count, 37);
    EXPECT_EQ(r.used, Body({lines.begin(), lines.begin() + 37}).size());

    // A last line without its line end is left.
    r = ReadAll(Body({lines[0]}) + lines[1], 3);
    EXPECT_EQ(r.lines.count, 1);
}

// A full room of the largest values either way: their sums stay exact, past what 32 bits hold.
TEST(ResultLine, SumsOfAFullRoomOfTheLargestValuesAreExact) {
    std::vector<std::string> lines;
    for (int i = 0; i < CommonLines::kMostLines; ++i) {
        lines.push_back("0,0000000001 9999,999 -9999,999 " + std::string(i == 7 ? "-1" : "1") +
                        ",000 9999,999 -9999,999 9999,999");
    }
    const Read r = ReadAll(Body(lines), 6);
    ASSERT_EQ(r.lines.count, CommonLines::kMostLines);
    CommonSums sums;
    SumCommonLines(r.lines, 0, r.lines.count, 6, sums);
    const std::int64_t n = CommonLines::kMostLines;
    const std::int64_t most = 9'999'999;
    const std::int64_t sum[] = {n * most, -n * most, (n - 2) * 1000, n * most, -n * most, n * most};
    for (std::size_t f = 0; f < 6; ++f) {
        SCOPED_TRACE(f);
        EXPECT_EQ(sums.sum[f], sum[f]);
        EXPECT_EQ(sums.min[f], f == 2 ? -1000 : sum[f] / n);
        EXPECT_EQ(sums.max[f], f == 2 ? 1000 : sum[f] / n);
    }
    // A stretch within.
    SumCommonLines(r.lines, 7, 9, 6, sums);
    EXPECT_EQ(sums.sum[2], 0);
    EXPECT_EQ(sums.min[2], -1000);
}

}  // namespace
}  // namespace ts::review
