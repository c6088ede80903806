// A recording cut without its stop (a kill, a crash, a power cut, an update's restart) goes on by
// itself at the next start on the same data folder: two stations in turn, as two runs of the
// window, with the instrument streaming to both.
#include <filesystem>
#include <limits>

#include "base/texts.h"
#include "file_text.h"
#include "platform/same_file.h"
#include "record/recording_resume.h"
#include "record/resume_note.h"
#include "recording_fixture.h"
#include "review/review_index.h"
#include "window_runs.h"

namespace ts {
namespace {

constexpr int kTenthOfASecond = 6;  // "0.1с" in window order

bool Contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
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
    // What will happen is said, not that it has.
    EXPECT_TRUE(Contains(st().form().Label_FileRecordTime.Hint,
                         "Найдена прерванная запись (06.12.2026 17:45:03), она будет продолжена, "
                         "как только прибор начнёт передавать данные, в файле: " +
                             Path("result (3).txt")));
    EXPECT_FALSE(Contains(st().form().Label_FileRecordTime.Hint, "возобновлена"));
    Tick(5);
    ASSERT_TRUE(st().recording().Active());
    EXPECT_EQ(st().recording().ResultFileName(), Path("result (3).txt"));
    EXPECT_EQ(ReadAll(Path("result (2).txt")), "somebody else's\r\n");
    EXPECT_TRUE(Contains(st().form().Label_FileRecordTime.Hint, text::kNoteResumed));
    EXPECT_TRUE(Contains(st().form().Label_FileRecordTime.Hint, "17:45:03"));
    EXPECT_TRUE(Contains(st().form().Label_FileRecordTime.Hint, Path("result (3).txt")));
    EXPECT_TRUE(run->ui.boxes.empty());
    st().B_FileSaveStopClick();
    EXPECT_FALSE(std::filesystem::exists(NotePath()));

    // The cut part names the file its recording goes on in, and that file says which
    // recording and part it is: the user's "(2)" is no part of it.
    cut = Lines(ReadAll(Path("result.txt")));
    EXPECT_EQ(cut.back(),
              "06.12.2026 17:45:03" + Cp1251Of(" ЗАПИСЬ ПРОДОЛЖЕНА В ФАЙЛЕ: result (3).txt"));
    EXPECT_EQ(cut[cut.size() - 2],
              "06.12.2026 17:45:03" + Cp1251Of(std::string(text::kResultInterrupted)));
    std::vector<std::string> resumed = Lines(ReadAll(Path("result (3).txt")));
    const std::string firstStart = cut[0].substr(0, cut[0].rfind(' ', cut[0].rfind(' ') - 1));
    EXPECT_EQ(resumed[2], "06.12.2026 17:45:03" +
                              Cp1251Of(" ЗАПИСЬ ВОЗОБНОВЛЕНА, ЧАСТЬ 2, НАЧАЛО: ") + firstStart +
                              Cp1251Of(", ФАЙЛ: result.txt"));

    // The same choices, and a contiguous run of records every tenth from the new start.
    EXPECT_GT(resumed.size(), 40u);
    EXPECT_EQ(resumed[1], cut[1]);
    resumed.erase(resumed.begin() + 2);
    EXPECT_TRUE(RecordsEvery(resumed, 0.1));
}

// A recording cut twice: the third part is the third of the same recording, and a reader
// takes the three as one, up to the last record.
TEST_F(RecordingResumeTest, EachPartSaysWhichRecordingAndPartItCarriesOn) {
    RecordAndKill("result.txt", 1);
    Start();
    Tick(1);
    ASSERT_TRUE(st().recording().Active());
    Kill();
    Start();
    Tick(1);
    ASSERT_TRUE(st().recording().Active());
    EXPECT_EQ(st().recording().ResultFileName(), Path("result (3).txt"));
    st().B_FileSaveStopClick();

    const std::vector<std::string> first = Lines(ReadAll(Path("result.txt")));
    const std::vector<std::string> second = Lines(ReadAll(Path("result (2).txt")));
    const std::vector<std::string> third = Lines(ReadAll(Path("result (3).txt")));
    const std::string started = first[0].substr(0, first[0].rfind(' ', first[0].rfind(' ') - 1));
    const std::string link = Cp1251Of(", НАЧАЛО: ") + started + Cp1251Of(", ФАЙЛ: result.txt");
    EXPECT_TRUE(EndsWith(second[2], Cp1251Of(" ЗАПИСЬ ВОЗОБНОВЛЕНА, ЧАСТЬ 2") + link));
    EXPECT_TRUE(EndsWith(third[2], Cp1251Of(" ЗАПИСЬ ВОЗОБНОВЛЕНА, ЧАСТЬ 3") + link));
    EXPECT_TRUE(EndsWith(first.back(), Cp1251Of(" ЗАПИСЬ ПРОДОЛЖЕНА В ФАЙЛЕ: result (2).txt")));
    EXPECT_TRUE(EndsWith(second.back(), Cp1251Of(" ЗАПИСЬ ПРОДОЛЖЕНА В ФАЙЛЕ: result (3).txt")));

    review::RecordingIndex index;
    ASSERT_EQ(index.Open(Path("result.txt")), "");
    index.WaitForPass();
    EXPECT_EQ(index.Parts().size(), 3u);
    EXPECT_FALSE(index.Missing());
    EXPECT_EQ(index.Damaged().lines, 0u);
    EXPECT_EQ(index.Summarize(0, std::numeric_limits<std::int64_t>::max()).records,
              first.size() - 4 + second.size() - 5 + third.size() - 4);
}

// A recording the system stopped (a shutdown: its stop line, its note kept) goes on at the next
// start like a cut one, without another line before the one naming its next file.
TEST_F(RecordingResumeTest, ARecordingTheSystemStoppedGoesOnAndNamesItsNextPart) {
    Tick(0.5);
    RecordInto("result.txt");
    Tick(1);
    st().recording().Resume().KeepNoteAtStop();
    st().B_FileSaveStopClick();
    const std::vector<std::string> stopped = Lines(ReadAll(Path("result.txt")));
    ASSERT_TRUE(EndsWith(stopped.back(), Cp1251Of(std::string(text::kResultStopped))));
    Kill();
    Start();
    Tick(1);
    ASSERT_TRUE(st().recording().Active());
    std::vector<std::string> now = Lines(ReadAll(Path("result.txt")));
    ASSERT_EQ(now.size(), stopped.size() + 1);
    EXPECT_TRUE(EndsWith(now.back(), Cp1251Of(" ЗАПИСЬ ПРОДОЛЖЕНА В ФАЙЛЕ: result (2).txt")));
}

// The cut part taken away before the next one starts cannot name it: that is said, and the
// recording goes on all the same.
TEST_F(RecordingResumeTest, ACutPartThatCannotNameItsNextPartIsSaid) {
    RecordAndKill("result.txt", 1);
    Start();
    std::filesystem::remove(Path("result.txt"));
    Tick(1);
    ASSERT_TRUE(st().recording().Active());
    EXPECT_TRUE(Contains(st().form().Label_FileRecordTime.Hint,
                         "Не удалось отметить в файле прерванной записи, где она продолжается: " +
                             Path("result.txt")));
    EXPECT_FALSE(std::filesystem::exists(Path("result.txt")));
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
    EXPECT_EQ(st().recording().ResultFileName(), Path("result (2).txt"));
    // One interruption line, and the file the recording went on in.
    const std::vector<std::string> ended = Lines(ReadAll(Path("result.txt")));
    EXPECT_EQ(ended.size(), cut + 2);
    EXPECT_TRUE(EndsWith(ended.back(), Cp1251Of(" ЗАПИСЬ ПРОДОЛЖЕНА В ФАЙЛЕ: result (2).txt")));
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
    EXPECT_TRUE(Contains(second.station.form().Label_FileRecordTime.Hint, text::kNoteResumeHeld));
    EXPECT_FALSE(second.station.recording().Active());
    EXPECT_FALSE(std::filesystem::exists(Path("result (2).txt")));
    Tick(1);
    EXPECT_TRUE(RecordsEvery(Lines(ReadAll(Path("result.txt"))), 0.1)) << "a line was put in";

    second.ui.resultFileAnswers.push_back(Path("other.txt"));
    second.station.B_FileClick();
    second.station.B_FileSaveStartClick();
    ASSERT_TRUE(second.station.recording().Active());
    EXPECT_TRUE(
        Contains(second.station.form().Label_FileRecordTime.Hint, text::kNoteResumeNotNoted));
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

// A note of an earlier version names its files as its recorder was given them, from the folder
// the note lies in; from any other working folder they are still those files.
TEST(ResumeNotePathsTest, AnOldNotesRelativeNamesAreTakenFromItsOwnFolder) {
    TempFolder folder;
    ResumeNote old;
    old.choice = 1;
    old.channels = {true, false, false, false, false, false};
    old.firstPath = "out.txt";
    old.resultPath = "out (2).txt";
    old.rawFirst = "raw.bin";
    old.rawPath = "raw (2).bin";
    WriteAll(folder / "out.txt.resume", FormatResumeNote(old));
    for (const char* name : {"out.txt", "out (2).txt", "raw.bin", "raw (2).bin"}) {
        WriteAll(folder / name, "x\r\n");
    }
    const RecordingResume::Look look = RecordingResume::Peek(folder / "out.txt.resume");
    ASSERT_TRUE(look.note);
    EXPECT_TRUE(SameFile(look.note->firstPath, folder / "out.txt")) << look.note->firstPath;
    EXPECT_TRUE(SameFile(look.note->resultPath, folder / "out (2).txt"));
    EXPECT_TRUE(SameFile(look.note->rawFirst, folder / "raw.bin"));
    EXPECT_TRUE(SameFile(look.note->rawPath, folder / "raw (2).bin"));
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
    const std::string& hint = st().form().Label_FileRecordTime.Hint;
    ASSERT_TRUE(Contains(hint, told)) << hint;
    EXPECT_FALSE(Contains(hint.substr(hint.find(told) + 1), text::kNoteResumeTailCut)) << hint;
    // A start before the instrument streams ended the part; the next does not say it again.
    Kill();
    Start();
    EXPECT_FALSE(Contains(st().form().Label_FileRecordTime.Hint, text::kNoteResumeTailCut));
    Tick(2);
    ASSERT_TRUE(st().recording().Active());
    EXPECT_EQ(st().recording().ResultFileName(), Path("result (2).txt"));
    // Only the line naming the part it goes on in has come since.
    EXPECT_TRUE(ReadAll(Path("result.txt")).starts_with(ended));
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
    enum Spoil { kCutInHalf, kNotANumber, kCutFileGone, kThroughALink } spoil;
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
    if (c.spoil == UnfollowableNote::kThroughALink) {
        std::filesystem::rename(NotePath(), Path("elsewhere.resume"));
        std::filesystem::create_symlink("elsewhere.resume", NotePath());
    }
    const std::string cutFile = ReadAll(Path("result.txt"));
    const std::string note = ReadAll(NotePath());

    Start();
    Tick(2);
    EXPECT_FALSE(st().recording().Active());
    EXPECT_TRUE(Contains(st().form().Label_FileRecordTime.Hint, c.told));
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
#ifndef _WIN32
        // A note is never held through a link: its recording waits until the user decides.
        UnfollowableNote{"ThroughALink", UnfollowableNote::kThroughALink,
                         text::kNoteResumeUnusable},
#endif
        UnfollowableNote{"CutFileGone", UnfollowableNote::kCutFileGone, text::kNoteResumeFileGone}),
    [](const ::testing::TestParamInfo<UnfollowableNote>& info) { return info.param.what; });

}  // namespace
}  // namespace ts
