// The window and trend-record on one folder: each keeps its note in its own place (the window's
// beside Settings.bin, trend-record's beside its first result file), and each leaves the other's
// unfinished recording alone, live or cut, whatever name its parts are given by.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/headless_recorder.h"
#include "device/replay_driver.h"
#include "recorder_rig.h"
#include "window_runs.h"

namespace ts {
namespace {

constexpr int kTenthOfASecond = 6;  // "0.1с" in window order

bool Contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

class WindowAndRecorderTest : public ::testing::Test, protected WindowRuns {
protected:
    // trend-record started in the data folder with its own settings: what Prepare says (empty
    // when it would record) and the run itself, for a recording to go on.
    struct Recorder {
        sim::TestPlatform platform;
        sim::TestUi ui;
        ReplayDriver driver{4608};
        HeadlessRecorder recorder{driver, platform, ui};
    };
    std::string Refusal(Recorder& run, const std::string& out, bool force = true) {
        recorder_rig::WriteTables(folder);
        WriteAll(Path("recorder.bin"), recorder_rig::Settings(folder, kTenthOfASecond, false));
        RecordOptions options;
        options.settingsPath = Path("recorder.bin");
        options.settingsGiven = true;
        options.outPath = out;
        options.force = force;
        std::string error;
        return run.recorder.Prepare(options, error) ? std::string() : error;
    }
    std::string Refusal(const std::string& out) {
        Recorder run;
        return Refusal(run, out);
    }
    // What the window says when the user picks `name` for the results; the file is left as
    // it was.
    std::string WindowChoosing(const std::string& name) {
        const std::string before = ReadAll(Path(name));
        run->ui.boxes.clear();
        run->ui.resultFileAnswers.push_back(Path(name));
        st().B_FileClick();
        EXPECT_EQ(ReadAll(Path(name)), before) << name;
        return run->ui.boxes.empty() ? std::string() : run->ui.boxes.back().text;
    }
};

TEST_F(WindowAndRecorderTest, TheRecorderTakesNoPartOfTheWindowsRecording) {
    Tick(0.5);
    RecordInto("results.txt", kTenthOfASecond, {1, 3});
    Tick(1);
    Kill();
    Start();
    Tick(1);
    ASSERT_TRUE(st().recording().Active());
    ASSERT_EQ(st().recording().ResultFileName(), Path("results (2).txt"));
    std::filesystem::create_hard_link(Path("results (2).txt"), Path("other name.txt"));
    const std::string first = ReadAll(Path("results.txt"));
    const std::string second = ReadAll(Path("results (2).txt"));
    for (const char* name : {"results.txt", "results (2).txt", "other name.txt"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(Contains(Refusal(Path(name)), "another program records into")) << name;
    }
    Kill();
    for (const char* name : {"results.txt", "results (2).txt", "other name.txt"}) {
        SCOPED_TRACE(name);
        const std::string said = Refusal(Path(name));
        EXPECT_TRUE(Contains(said, "is part of an unfinished recording")) << said;
        EXPECT_TRUE(Contains(said, "the window carries it on")) << said;
        EXPECT_FALSE(Contains(said, "--force")) << said;
        EXPECT_FALSE(std::filesystem::exists(Path(name) + ".resume"));
    }
    EXPECT_EQ(ReadAll(Path("results.txt")), first);
    EXPECT_EQ(ReadAll(Path("results (2).txt")), second);
    EXPECT_TRUE(Contains(Refusal(NotePath()), "is the note of an unfinished recording"));
}

TEST_F(WindowAndRecorderTest, TheWindowTakesNoPartOfTheRecordersRecording) {
    {
        // Cut: the recorder is gone without its stop, its note stays.
        Recorder cut;
        WriteAll(Path("capture.raw"), recorder_rig::Capture(1.0));
        ASSERT_EQ(Refusal(cut, Path("rec.txt"), false), "");
        ASSERT_TRUE(cut.driver.OpenCapture(Path("capture.raw")));
        cut.driver.SetIdentity(cut.recorder.station().link().Description(),
                               cut.recorder.station().link().Serial());
        cut.recorder.OpenInstrument();
        while (!cut.driver.Finished()) cut.recorder.Tick(false);
        ASSERT_TRUE(cut.recorder.Recording());
    }
    ASSERT_TRUE(std::filesystem::exists(Path("rec.txt.resume")));
    std::filesystem::create_hard_link(Path("rec.txt"), Path("another.txt"));
    for (const char* name : {"rec.txt", "another.txt", "rec.txt.resume"}) {
        EXPECT_EQ(WindowChoosing(name), text::kMsgResultFileOfRecording) << name;
    }
    EXPECT_FALSE(st().recording().FileOpen());
    // Another file of that folder is the user's to take.
    EXPECT_EQ(WindowChoosing("free.txt"), "");
    EXPECT_TRUE(st().recording().FileOpen());
}

}  // namespace
}  // namespace ts
