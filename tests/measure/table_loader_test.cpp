#include <string>

#include "table_loader_rig.h"

namespace ts {
namespace {

TEST_F(TableLoaderTest, TheWarningTextEndsInSevenBlanks) {
    const std::string text = Message(1);
    EXPECT_EQ(text,
              "Файл калибровочной таблицы для канала №1 не удалось открыть, либо данные в нем "
              "некорректны!       ");
}

TEST_F(TableLoaderTest, TwoLinesLoadAndConvert) {
    Load(2, "0 0\r\n1023 100\r\n");
    ExpectLoaded(2, 2);
    EXPECT_NEAR(st().measurement().Tables().Calibrate(2, 512), 50.0488758553, 1e-9);
    EXPECT_EQ(st().measurement().Tables().Lines(1 + 1),
              (std::vector<std::string>{"0 0", "1023 100"}));
    // Other channels are untouched.
    EXPECT_EQ(Table(1).PointCount, 0);
}

TEST_F(TableLoaderTest, LineEndsOfEveryKindAndNoneAfterTheLastLine) {
    Load(1, "0 0\n10 1\r20 2\r\n30 3");
    ExpectLoaded(1, 4);
    EXPECT_EQ(Table(1).RawPoints[3], 30);
    // A CR LF split across two reads of the file is still one line break.
    std::string padded = "0 " + std::string(16384 - 3, '0');
    ASSERT_EQ(padded.size() + 1, 16384u);
    Load(1, padded + "\r\n1023 100\r\n");
    ExpectLoaded(1, 2);
}

TEST_F(TableLoaderTest, LineCountOutsideTwoTo128IsRedWithoutMessage) {
    std::string lines;
    for (int i = 0; i < 128; ++i) lines += std::to_string(i) + " " + std::to_string(i) + "\r\n";
    Load(1, lines);
    ExpectLoaded(1, 128);
    // Counting stops at the 129th line: what follows is never looked at.
    for (const std::string& content :
         {lines + "1000 0\r\n", lines + "\r\n" + std::string(200000, 'x') + "\r\n\r\n",
          std::string(), std::string("rubbish without any number"), std::string("0 0\r\n")}) {
        Load(1, content);
        ExpectAbsent(1, false);
    }
}

TEST_F(TableLoaderTest, AnUnreadableNumberGivesTheChannelsMessage) {
    const std::pair<int, const char*> cases[] = {
        {4, "0 0\r\n1023 100\r\n\r\n"},  // a blank line is a point
        {5, "0 0\r\n1023 inf\r\n"},
        {6, "0 nan\r\n1023 1\r\n"},
        {1, "0 0\r\n0x10 1\r\n"},
    };
    for (const auto& [channel, content] : cases) {
        Load(channel, content);
        ExpectAbsent(channel, true);
    }
}

TEST_F(TableLoaderTest, OnlyTheRegionalSeparatorIsRead) {
    platform.regional.DecimalSeparator = ',';
    Load(3, "10   2,5\r\n20 -1,25E1\r\n");
    ExpectLoaded(3, 2);
    EXPECT_EQ(Table(3).RawPoints[0], 10);
    EXPECT_EQ(Table(3).ResultPoints[0], 2.5);
    EXPECT_EQ(Table(3).ResultPoints[1], -12.5);
    // A blank after the result splits there and leaves "10   2,5" as the raw field.
    Load(3, "10   2,5 \r\n20 3\r\n");
    ExpectAbsent(3, true);
    Load(3, "10 2.5\r\n20 3\r\n");
    ExpectAbsent(3, true);
}

TEST_F(TableLoaderTest, BadRawValuesAreRedWithoutMessage) {
    for (const char* content : {"0 0\r\n0 1\r\n", "1023 0\r\n1024 1\r\n", "-0.5 0\r\n10 1\r\n"}) {
        Load(1, content);
        ExpectAbsent(1, false);
    }
}

TEST_F(TableLoaderTest, AFailedLoadAfterAGoodOneLeavesNoTable) {
    Load(1, "0 0\r\n1023 100\r\n");
    ExpectLoaded(1, 2);
    Load(1, "0 0\r\n");
    ExpectAbsent(1, false);
    Load(1, "0 0\r\n1023 100\r\n");
    ExpectLoaded(1, 2);
    Load(1, "0 0\r\n1023 x\r\n");
    ExpectAbsent(1, true);
}

TEST_F(TableLoaderTest, NoHalfReadTableWhileTheWarningBoxIsUp) {
    Load(2, "0 0\r\n1023 100\r\n");
    ExpectLoaded(2, 2);
    // The box's nested loop keeps the timers going; a readout converted then
    // must see no table at all, not the old one or a partly filled new one.
    std::vector<double> seen;
    ui.whileModal = [&] {
        seen.push_back(st().measurement().Tables().Calibrate(2, 1023));
        seen.push_back(Table(2).PointCount);
    };
    Load(2, "0 5\r\n1023 7\r\n1000 x\r\n");
    EXPECT_EQ(seen, (std::vector<double>{0.0, 0.0}));
    ExpectAbsent(2, true);
}

TEST_F(TableLoaderTest, UnreadablePathsGiveTheMessage) {
    st().measurement().Tables().SetPath(0 + 1, "");
    st().measurement().Tables().SetPath(1 + 1, folder / "missing.txt");
    st().measurement().Tables().SetPath(2 + 1, folder.path());  // a directory
    for (int channel = 1; channel <= 3; ++channel) st().measurement().Tables().Load(channel);

    EXPECT_EQ(ui.Texts(), (std::vector<std::string>{Message(1), Message(2), Message(3)}));
    for (int channel = 1; channel <= 3; ++channel) {
        EXPECT_EQ(Table(channel).PointCount, 0);
        EXPECT_EQ(Caption(channel), kColorRed);
        EXPECT_TRUE(
            st().measurement().Tables().Lines(static_cast<std::size_t>(channel - 1) + 1).empty());
    }
    // The stored paths stay, to be tried again at the next start.
    EXPECT_EQ(st().measurement().Tables().Paths()[1], folder / "missing.txt");
}

TEST_F(TableLoaderTest, OverlongAndBinaryLinesCountAsLines) {
    const std::string longLine(100 * 1024, '1');
    Load(1, longLine);
    ExpectAbsent(1, false);  // one line, however long
    Load(1, "0 0\r\n" + longLine + "\r\n");
    ExpectAbsent(1, true);
    EXPECT_LE(st().measurement().Tables().Lines(0 + 1)[1].size(), 64u * 1024 + 1);
    Load(1, std::string("0 0\r\n\x00\x01\xff\xfe 1\r\n", 13));
    ExpectAbsent(1, true);
    std::string binary;
    for (int i = 0; i < 4096; ++i) {
        binary.push_back(i % 7 == 0 ? '\n' : static_cast<char>((i * 37) & 0xFF));
    }
    Load(1, binary);  // more than 128 line breaks among the bytes
    ExpectAbsent(1, false);
}

TEST_F(TableLoaderTest, ButtonLoadsTheChosenFile) {
    ui.tableFileAnswers.push_back(Write("good.txt", "0 0\r\n1023 100\r\n"));
    st().B_ListF_Click(5);
    EXPECT_EQ(ui.tableDialogs, 1);
    EXPECT_EQ(st().measurement().Tables().Paths()[4], folder / "good.txt");
    ExpectLoaded(5, 2);
}

TEST_F(TableLoaderTest, CancelEmptiesOnlyThatChannelsPathAndKeepsItsTable) {
    for (int channel = 1; channel <= 6; ++channel) Load(channel, "0 0\r\n1023 100\r\n");
    ui.tableFileAnswers.push_back(std::nullopt);
    st().B_ListF_Click(3);
    for (int channel = 1; channel <= 6; ++channel) {
        EXPECT_EQ(
            st().measurement().Tables().Paths()[static_cast<std::size_t>(channel - 1)].empty(),
            channel == 3);
        EXPECT_EQ(Caption(channel), channel == 3 ? kColorRed : kColorWindowText);
        EXPECT_EQ(Table(channel).PointCount, 2);  // still converting until the next load
    }
    EXPECT_TRUE(ui.boxes.empty());

    // An empty name confirmed: caption red, nothing read.
    ui.tableFileAnswers.push_back(std::string());
    st().B_ListF_Click(4);
    EXPECT_TRUE(st().measurement().Tables().Paths()[3].empty());
    EXPECT_EQ(Caption(4), kColorRed);
    EXPECT_EQ(Table(4).PointCount, 2);
    EXPECT_TRUE(ui.boxes.empty());
}

}  // namespace
}  // namespace ts
