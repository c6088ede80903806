#include <algorithm>

#include "base/texts.h"
#include "file_size_limit.h"
#include "recording_fixture.h"

namespace ts {
namespace {

using BoxKind = sim::TestUi::BoxKind;

constexpr int kOneSecond = 9;

class RecordingFailuresTest : public RecordingTest {
protected:
    std::uint64_t FileSize(const std::string& name = "result.txt") {
        return ReadAll(PathOf(name)).size();
    }

    // Writes `count` "Всё" records of channel 1, each line 20 bytes long, and
    // lets the tick hand them over.
    void RecordAndTick(int count) {
        for (int i = 0; i < count; ++i) {
            elapsed_ += 3;
            st().recording().WriteRecord(elapsed_, {7, 0, 0, 0, 0, 0});
        }
        st().recording().RefreshButtons();
    }

    void ExpectOnlyWholeLines(const std::string& name = "result.txt") {
        const std::string bytes = ReadAll(PathOf(name));
        ASSERT_FALSE(bytes.empty());
        EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
        for (const std::string& line : FileLines(name)) {
            EXPECT_EQ(line.find('\n'), std::string::npos) << line;
        }
    }

    std::uint64_t elapsed_ = 0;
};

TEST_F(RecordingFailuresTest, FailedRecordWritesAreReportedOnceWithoutBlockingAndLeaveNoPartLine) {
    StartIn(kRecordChoiceAll, {1});
    RecordAndTick(10);
    const std::uint64_t before = FileSize();
    {
        // Room for about one and a half lines more.
        FileSizeLimit limit(before + 30);
        RecordAndTick(10);
        RecordAndTick(10);
        RecordAndTick(10);
        EXPECT_EQ(FileSize(), before + 20);  // exactly one more line
    }
    RecordAndTick(5);  // later records are tried and arrive
    st().B_FileSaveStopClick();

    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].kind, BoxKind::PlainNonModal);
    EXPECT_EQ(ui.boxes[0].text, text::kMsgResultWriteFailed);
    ExpectOnlyWholeLines();
    const std::vector<std::string> lines = FileLines();
    // start, header, the record at 0, 10 + 1 before the limit, 5 after, stop
    ASSERT_EQ(lines.size(), 2u + 1 + 11 + 5 + 1);
    EXPECT_EQ(lines[13], "0,0000000212 7,000");  // elapsed 33: the last one before the limit
    EXPECT_EQ(lines[14], "0,0000000791 7,000");  // elapsed 123: the first one after it
    EXPECT_EQ(lines.back(), Cp1251Of("06.12.2026 17:05:03 ЗАПИСЬ ОСТАНОВЛЕНА"));
}

TEST_F(RecordingFailuresTest, EachRecordingReportsItsOwnFirstFailure) {
    for (const char* name : {"one.txt", "two.txt"}) {
        StartIn(kRecordChoiceAll, {1}, name);
        {
            FileSizeLimit limit(FileSize(name));
            RecordAndTick(3);
            RecordAndTick(3);
        }
        st().B_FileSaveStopClick();
    }
    EXPECT_EQ(ui.Texts(), std::vector<std::string>(2, std::string(text::kMsgResultWriteFailed)));
}

TEST_F(RecordingFailuresTest, AFailedStartLineLeavesTheSettingsLockedAndStopOpen) {
    st().form().SelectRecordChoice(kOneSecond);
    TickChannels({1});
    Choose(PathOf("result.txt"));
    {
        FileSizeLimit limit(0);
        st().B_FileSaveStartClick();
    }
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{std::string(text::kMsgResultPrepareFailed)});
    EXPECT_FALSE(st().recording().Active());
    EXPECT_EQ(ReadAll(PathOf("result.txt")), "");
    st().recording().RefreshControls();
    EXPECT_TRUE(st().form().B_FileSaveStop.Enabled);
    EXPECT_FALSE(st().form().FileEN_CH[0].Enabled);
    EXPECT_FALSE(st().form().RadioB_File[kOneSecond].Enabled);
    EXPECT_TRUE(st().form().B_File.Enabled);
    EXPECT_TRUE(st().form().B_FileSaveStart.Enabled);
    EXPECT_EQ(st().form().Label_FileRecordTime.Caption, text::kRecordTimeIdle);

    // "ЗАПИСЬ" again, now with room: a further start line, and recording.
    st().B_FileSaveStartClick();
    EXPECT_TRUE(st().recording().Active());
    EXPECT_EQ(FileLines().size(), 3u);
}

TEST_F(RecordingFailuresTest, AFailedHeaderLineKeepsTheWholeStartLineOnly) {
    st().form().SelectRecordChoice(kRecordChoiceAll);
    TickChannels({1});
    Choose(PathOf("result.txt"));
    const std::string startLine = Cp1251Of("06.12.2026 17:05:03 ЗАПИСЬ НАЧАТА\r\n");
    {
        FileSizeLimit limit(startLine.size() + 4);
        st().B_FileSaveStartClick();
    }
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{std::string(text::kMsgResultPrepareFailed)});
    EXPECT_FALSE(st().recording().Active());
    EXPECT_EQ(ReadAll(PathOf("result.txt")), startLine);
}

TEST_F(RecordingFailuresTest, AStartAfterAFailedOpenFailsInOrder) {
    std::ofstream(PathOf("kept.txt")) << "kept";
    Choose(PathOf("kept.txt"));
    const std::string missing = PathOf("no such folder/result.txt");
    st().form().SelectRecordChoice(kRecordChoiceAll);
    TickChannels({1});
    Choose(missing);
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{std::string(text::kMsgResultPrepareFailed)});
    EXPECT_EQ(st().form().Label_ResultFileName.Caption, "Файл: " + PathOf("kept.txt"));
    EXPECT_EQ(st().recording().ResultFileName(), missing);
    EXPECT_FALSE(HeldOpen(PathOf("kept.txt")));

    st().recording().RefreshControls();
    ASSERT_TRUE(st().form().B_FileSaveStart.Enabled);
    ui.ClearLog();
    st().B_FileSaveStartClick();
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{std::string(text::kMsgResultPrepareFailed)});
    EXPECT_FALSE(st().recording().Active());
    EXPECT_TRUE(st().form().B_FileSaveStop.Enabled);

    // Neither the stop nor the window close has a stream to finish.
    ui.ClearLog();
    st().B_FileSaveStopClick();
    st().FormClose();
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(st().form().Label_ResultFileName.Caption, text::kResultFileNone);
    EXPECT_FALSE(st().form().B_FileSaveStop.Enabled);
    EXPECT_TRUE(st().form().FileEN_CH[0].Enabled);
}

TEST_F(RecordingFailuresTest, AFailedStopLineIsReportedAndTheStopGoesOn) {
    StartIn(kRecordChoiceAll, {1});
    {
        FileSizeLimit limit(FileSize());
        st().B_FileSaveStopClick();
    }
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{std::string(text::kMsgResultFinishFailed)});
    EXPECT_FALSE(HeldOpen(PathOf("result.txt")));
    EXPECT_TRUE(st().recording().ResultFileName().empty());
    EXPECT_EQ(st().form().Label_ResultFileName.Caption, text::kResultFileNone);
    EXPECT_EQ(FileLines().size(), 3u);
    ExpectOnlyWholeLines();
}

TEST_F(RecordingFailuresTest, RecordsThatCannotBeWrittenAtWindowCloseMakeTheCloseFail) {
    StartIn(kRecordChoiceAll, {1});
    {
        FileSizeLimit limit(FileSize());
        st().recording().WriteRecord(3, {1, 0, 0, 0, 0, 0});
        st().FormClose();
    }
    // The settings saved next cannot be written either, and say so themselves.
    ASSERT_FALSE(ui.boxes.empty());
    EXPECT_EQ(ui.boxes[0].kind, BoxKind::Plain);
    EXPECT_EQ(ui.boxes[0].text, text::kMsgResultCloseFailed);
    const std::vector<std::string> texts = ui.Texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), text::kMsgResultCloseFailed), 1);
    EXPECT_FALSE(HeldOpen(PathOf("result.txt")));
    EXPECT_EQ(FileLines().size(), 3u);
}

}  // namespace
}  // namespace ts
