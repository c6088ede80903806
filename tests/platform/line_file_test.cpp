#include "platform/line_file.h"

#include <gtest/gtest.h>

#include <fstream>

#include "temp_folder.h"

namespace ts {
namespace {

using Lines = std::vector<std::string>;

Lines Split(std::string_view bytes, std::size_t maxLines = 100, std::size_t maxLineBytes = 100) {
    LineSplitter splitter(maxLines, maxLineBytes);
    splitter.Feed(bytes);
    splitter.Finish();
    return splitter.Lines();
}

TEST(LineSplitterTest, EveryLineEndingEndsALine) {
    EXPECT_EQ(Split("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(Split("a\r\n"), (Lines{"a"}));
    EXPECT_EQ(Split("a\r\n\r\n"), (Lines{"a", ""}));
    EXPECT_EQ(Split("\n\r\r\n"), (Lines{"", "", ""}));
    EXPECT_EQ(Split("a\n\rb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(Split(""), Lines{});
    // Bytes pass unchanged, whatever their code page.
    EXPECT_EQ(Split("\xC0\xFF \t\r\n"), (Lines{"\xC0\xFF \t"}));
}

TEST(LineSplitterTest, ACrLfCutBetweenTwoReadsIsOneEnding) {
    LineSplitter splitter(100, 100);
    splitter.Feed("one\r");
    splitter.Feed("\ntwo\r");
    splitter.Feed("\r\nthree");
    splitter.Finish();
    EXPECT_EQ(splitter.Lines(), (Lines{"one", "two", "", "three"}));
}

TEST(LineSplitterTest, StopsAfterTheWantedLines) {
    LineSplitter splitter(2, 100);
    EXPECT_FALSE(splitter.Feed("a\nb\nc\n"));
    splitter.Finish();
    EXPECT_EQ(splitter.Lines(), (Lines{"a", "b"}));
    EXPECT_FALSE(splitter.StoppedAtBadLine());
}

TEST(LineSplitterTest, AnOverlongLineOrANulByteStopsAtThatLine) {
    LineSplitter longLine(100, 4);
    longLine.Feed("abcd\nabcde\nnext\n");
    longLine.Finish();
    EXPECT_TRUE(longLine.StoppedAtBadLine());
    EXPECT_EQ(longLine.Lines(), (Lines{"abcd"}));

    LineSplitter binary(100, 100);
    binary.Feed(std::string_view("a\nb\0c\nd\n", 8));
    binary.Finish();
    EXPECT_TRUE(binary.StoppedAtBadLine());
    EXPECT_EQ(binary.Lines(), (Lines{"a"}));

    // An unterminated overlong last line is bad too, not a short line.
    LineSplitter tail(100, 3);
    tail.Feed("ab\nabcdef");
    tail.Finish();
    EXPECT_TRUE(tail.StoppedAtBadLine());
    EXPECT_EQ(tail.Lines(), (Lines{"ab"}));
}

TEST(ReadLineFileTest, ReadsARegularFileAndRefusesEverythingElse) {
    TempFolder folder;
    std::ofstream(folder / "lines.txt", std::ios::binary) << "x\r\ny\r\nz\r\n";
    const LineFile file = ReadLineFile(folder / "lines.txt", 2, 100);
    EXPECT_TRUE(file.readable);
    EXPECT_EQ(file.lines, (Lines{"x", "y"}));

    EXPECT_FALSE(ReadLineFile(folder / "missing.txt", 51, 100).readable);
    EXPECT_FALSE(ReadLineFile(folder.path(), 51, 100).readable);

    std::ofstream(folder / "empty.txt", std::ios::binary).flush();
    const LineFile empty = ReadLineFile(folder / "empty.txt", 51, 100);
    EXPECT_TRUE(empty.readable);
    EXPECT_TRUE(empty.lines.empty());
}

TEST(ReadLineFileTest, AHugeSingleLineIsRefusedWithoutReadingItAll) {
    TempFolder folder;
    {
        std::ofstream out(folder / "huge.bin", std::ios::binary);
        const std::string block(1 << 20, 'A');
        for (int i = 0; i < 8; ++i) out << block;
    }
    const LineFile file = ReadLineFile(folder / "huge.bin", 51, 64 * 1024);
    EXPECT_TRUE(file.readable);
    EXPECT_TRUE(file.stoppedAtBadLine);
    EXPECT_TRUE(file.lines.empty());
}

}  // namespace
}  // namespace ts
