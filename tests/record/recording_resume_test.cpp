// A recording cut without its stop (a kill, a crash, a power cut, an update's restart) goes on by
// itself at the next start on the same data folder: two stations in turn, as two runs of the
// window, with the instrument streaming to both.
#include <filesystem>

#include "app/texts.h"
#include "file_text.h"
#include "record/resume_note.h"
#include "recording_fixture.h"
#include "window_runs.h"

namespace ts {
namespace {

constexpr int kTenthOfASecond = 6;  // "0.1с" in window order

bool Contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

class RecordingResumeTest : public ::testing::Test, protected WindowRuns {
protected:
    void RecordInto(const std::string& name) {
        WindowRuns::RecordInto(name, kTenthOfASecond, {2, 5});
    }
    void RecordAndKill(const std::string& name, double seconds) {
        WindowRuns::RecordAndKill(name, kTenthOfASecond, {2, 5}, seconds);
    }
};

TEST_F(RecordingResumeTest, ACutRecordingEndsWithTheInterruptionAndGoesOnInANewNumberedFile) {
    RecordAndKill("result.txt", 3);
    ASSERT_TRUE(std::filesystem::exists(NotePath()));
    // A power cut in the middle of a line.
    const std::string before = ReadAll(Path("result.txt")) + "0,00001";
    WriteAll(Path("result.txt"), before);
    WriteAll(Path("result (2).txt"), "somebody else's\r\n");

    platform.now.Minute = 45;
    Start();
    // The cut file is ended at once; the new recording waits for the instrument.
    std::vector<std::string> cut = Lines(ReadAll(Path("result.txt")));
    ASSERT_GT(cut.size(), 30u);
    EXPECT_EQ(cut.back(), "06.12.2026 17:45:03" + Cp1251Of(std::string(text::kResultInterrupted)));
    EXPECT_EQ(ReadAll(Path("result.txt")).substr(0, before.size() - 7),
              before.substr(0, before.size() - 7));
    EXPECT_FALSE(st().recording().Active());
    Tick(5);
    ASSERT_TRUE(st().recording().Active());
    EXPECT_EQ(st().recording().State().ResultFileName, Path("result (3).txt"));
    EXPECT_EQ(ReadAll(Path("result (2).txt")), "somebody else's\r\n");
    EXPECT_TRUE(Contains(st().form.Label_FileRecordTime.Hint, text::kNoteResumed));
    EXPECT_TRUE(Contains(st().form.Label_FileRecordTime.Hint, "17:45:03"));
    EXPECT_TRUE(Contains(st().form.Label_FileRecordTime.Hint, Path("result (3).txt")));
    EXPECT_TRUE(run->ui.boxes.empty());
    st().B_FileSaveStopClick();
    EXPECT_FALSE(std::filesystem::exists(NotePath()));

    // The same choices, and a contiguous run of records every tenth from the new start.
    const std::vector<std::string> resumed = Lines(ReadAll(Path("result (3).txt")));
    EXPECT_GT(resumed.size(), 40u);
    EXPECT_EQ(resumed[1], cut[1]);
    EXPECT_TRUE(RecordsEvery(resumed, 0.1));
}

// Starts that find the cut before the instrument streams (an update that restarts twice, a
// computer started without the instrument) end the cut part once; the one that meets the
// instrument goes on.
TEST_F(RecordingResumeTest, TheCutPartIsEndedOnceHoweverManyStartsFindIt) {
    RecordAndKill("result.txt", 1);
    const std::size_t cut = Lines(ReadAll(Path("result.txt"))).size();
    for (int start = 0; start < 3; ++start) {
        Start();
        Kill();
    }
    Start();
    Tick(2);
    ASSERT_TRUE(st().recording().Active());
    EXPECT_EQ(st().recording().State().ResultFileName, Path("result (2).txt"));
    EXPECT_EQ(Lines(ReadAll(Path("result.txt"))).size(), cut + 1);
}

// A second window on the folder of a recording window finds a live recording's note, not a cut
// one: the file gets no interruption line, nothing goes on in a new file, and a recording of the
// second's own neither replaces the note nor removes it at its stop.
TEST_F(RecordingResumeTest, ASecondWindowLeavesTheNoteOfALiveRecordingAlone) {
    Tick(0.5);
    RecordInto("result.txt");
    Tick(1);
    const std::string note = ReadAll(NotePath());
    WindowRuns::Run second(driver, platform);
    second.station.Construct();
    for (int tick = 0; tick < 25; ++tick) second.station.Timer_25HzTimer();
    EXPECT_TRUE(Contains(second.station.form.Label_FileRecordTime.Hint, text::kNoteResumeHeld));
    EXPECT_FALSE(second.station.recording().Active());
    EXPECT_FALSE(std::filesystem::exists(Path("result (2).txt")));
    Tick(1);
    EXPECT_TRUE(RecordsEvery(Lines(ReadAll(Path("result.txt"))), 0.1)) << "a line was put in";

    second.ui.resultFileAnswers.push_back(Path("other.txt"));
    second.station.B_FileClick();
    second.station.B_FileSaveStartClick();
    ASSERT_TRUE(second.station.recording().Active());
    EXPECT_TRUE(Contains(second.station.form.Label_FileRecordTime.Hint, text::kNoteResumeNotNoted));
    second.station.B_FileSaveStopClick();
    EXPECT_EQ(ReadAll(NotePath()), note);
    st().B_FileSaveStopClick();
    EXPECT_FALSE(std::filesystem::exists(NotePath()));
}

// The user's own recording, started before the instrument streams, takes the resume's place.
TEST_F(RecordingResumeTest, ARecordingTheUserStartsFirstTakesTheResumesPlace) {
    RecordAndKill("result.txt", 1);
    Start();
    RecordInto("mine.txt");
    Tick(1);
    st().B_FileSaveStopClick();
    Tick(1);
    EXPECT_FALSE(st().recording().Active());
    EXPECT_FALSE(std::filesystem::exists(Path("result (2).txt")));
}

// A power cut can leave blocks of zero bytes where data never reached the medium, after whole
// lines or after a line cut in half, however long: all of it is cut off, said once, and the
// recording goes on.
struct CutTail {
    const char* what;
    std::string tail;
};

class CutTailTest : public RecordingResumeTest, public ::testing::WithParamInterface<CutTail> {};

TEST_P(CutTailTest, IsCutOffSaidOnceAndTheRecordingGoesOn) {
    RecordAndKill("result.txt", 1);
    const std::string lines = ReadAll(Path("result.txt"));
    ASSERT_EQ(lines.substr(lines.size() - 2), "\r\n");
    WriteAll(Path("result.txt"), lines + GetParam().tail);

    platform.now.Minute = 45;
    Start();
    const std::string ended = ReadAll(Path("result.txt"));
    EXPECT_EQ(ended.substr(0, lines.size()), lines);
    EXPECT_EQ(ended.substr(lines.size()),
              "06.12.2026 17:45:03" + Cp1251Of(std::string(text::kResultInterrupted)) + "\r\n");
    const std::string told = std::string(text::kNoteResumeTailCut) +
                             std::to_string(GetParam().tail.size()) +
                             std::string(text::kNoteResumeTailCutFile) + Path("result.txt");
    const std::string& hint = st().form.Label_FileRecordTime.Hint;
    ASSERT_TRUE(Contains(hint, told)) << hint;
    EXPECT_FALSE(Contains(hint.substr(hint.find(told) + 1), text::kNoteResumeTailCut)) << hint;
    // A start before the instrument streams ended the part; the next does not say it again.
    Kill();
    Start();
    EXPECT_FALSE(Contains(st().form.Label_FileRecordTime.Hint, text::kNoteResumeTailCut));
    Tick(2);
    ASSERT_TRUE(st().recording().Active());
    EXPECT_EQ(st().recording().State().ResultFileName, Path("result (2).txt"));
    EXPECT_EQ(ReadAll(Path("result.txt")), ended);
}

INSTANTIATE_TEST_SUITE_P(
    Tails, CutTailTest,
    ::testing::Values(CutTail{"ZeroBlocks", std::string(3 * 64 * 1024 + 5, '\0')},
                      CutTail{"CutLineAndAMegabyteOfZeros",
                              "0,00001" + std::string(1024 * 1024, '\0')}),
    [](const ::testing::TestParamInfo<CutTail>& info) { return info.param.what; });

// Whatever stands in the way, nothing is lost and nothing starts by itself: the hint says why.
struct UnfollowableNote {
    const char* what;
    enum Spoil { kCutInHalf, kNotANumber, kCutFileGone } spoil;
    std::string_view told;
};

class UnfollowableNoteTest : public RecordingResumeTest,
                             public ::testing::WithParamInterface<UnfollowableNote> {};

TEST_P(UnfollowableNoteTest, IsToldInTheHintAndChangesNothing) {
    const UnfollowableNote& c = GetParam();
    RecordAndKill("result.txt", 1);
    ResumeNote valid;
    valid.choice = 1;
    valid.channels = {true, false, false, false, false, false};
    valid.resultPath = valid.firstPath = Path("result.txt");
    const std::string whole = FormatResumeNote(valid);
    if (c.spoil == UnfollowableNote::kCutInHalf)
        WriteAll(NotePath(), whole.substr(0, whole.size() / 2));
    if (c.spoil == UnfollowableNote::kNotANumber) WriteAll(NotePath(), "x" + whole);
    if (c.spoil == UnfollowableNote::kCutFileGone) std::filesystem::remove(Path("result.txt"));
    const std::string cutFile = ReadAll(Path("result.txt"));
    const std::string note = ReadAll(NotePath());

    Start();
    Tick(2);
    EXPECT_FALSE(st().recording().Active());
    EXPECT_TRUE(Contains(st().form.Label_FileRecordTime.Hint, c.told));
    EXPECT_TRUE(run->ui.boxes.empty());
    EXPECT_EQ(ReadAll(Path("result.txt")), cutFile);
    EXPECT_EQ(ReadAll(NotePath()), note);
    EXPECT_FALSE(std::filesystem::exists(Path("result (2).txt")));
}

INSTANTIATE_TEST_SUITE_P(
    Notes, UnfollowableNoteTest,
    ::testing::Values(
        UnfollowableNote{"Damaged", UnfollowableNote::kCutInHalf, text::kNoteResumeDamaged},
        UnfollowableNote{"NotANumber", UnfollowableNote::kNotANumber, text::kNoteResumeDamaged},
        UnfollowableNote{"CutFileGone", UnfollowableNote::kCutFileGone, text::kNoteResumeFileGone}),
    [](const ::testing::TestParamInfo<UnfollowableNote>& info) { return info.param.what; });

}  // namespace
}  // namespace ts
