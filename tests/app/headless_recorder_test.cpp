#include "app/headless_recorder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "base/texts.h"
#include "device/replay_driver.h"
#include "measure/pipeline_probe.h"
#include "recorder_rig.h"
#include "sim/test_platform.h"
#include "sim/test_ui.h"

namespace ts {
namespace {

using namespace recorder_rig;

constexpr std::size_t kChunk = 4608;

struct HeadlessRun {
    sim::TestPlatform platform;
    sim::TestUi ui;
    ReplayDriver driver{kChunk};
    HeadlessRecorder recorder{driver, platform, ui};
};

// Plays a capture through the headless recorder as trend-record does; the messages it showed
// and the records it counted in the end into `messages` and `records`.
std::string RecordHeadless(const TempFolder& folder, const std::string& capture,
                           std::vector<std::string>* messages = nullptr,
                           std::uint64_t* records = nullptr,
                           std::optional<std::uint64_t> durationSeconds = {}) {
    WriteAll(folder / "capture.raw", capture);
    HeadlessRun run;
    RecordOptions options;
    options.settingsPath = folder / "Settings.bin";
    options.outPath = folder / "headless.txt";
    options.force = true;
    options.durationSeconds = durationSeconds;
    std::string error;
    EXPECT_TRUE(run.recorder.Prepare(options, error)) << error;
    EXPECT_TRUE(run.driver.OpenCapture(folder / "capture.raw"));
    run.driver.SetIdentity(run.recorder.station().link().Description(),
                           run.recorder.station().link().Serial());
    run.recorder.OpenInstrument();
    while (!run.driver.Finished() && !run.recorder.DurationReached()) run.recorder.Tick(false);
    if (!run.recorder.DurationReached()) run.recorder.Tick(false);
    run.recorder.Finish();
    if (messages) *messages = run.ui.Texts();
    if (records) *records = run.recorder.Records();
    return ReadAll(options.outPath);
}

// The window: the station started as the window starts it, fed the same
// bytes tick by tick, the start button pressed right after the first sample.
class PressStartAfterFirstSample : public PipelineProbe {
public:
    explicit PressStartAfterFirstSample(Station& st) : st_(st) {}
    void SampleEntering(const Sample&) override {
        if (seen_++ == 1) st_.B_FileSaveStartClick();
    }

private:
    Station& st_;
    int seen_ = 0;
};

std::string RecordInWindow(const TempFolder& folder, const std::string& capture) {
    sim::SimDriver driver;
    const int device = driver.AddDevice("KSL214.8N", "TS000001");
    sim::TestPlatform platform;
    platform.currentDirectory = folder.path();
    sim::TestUi ui;
    ui.resultFileAnswers.push_back(folder / "window.txt");
    auto st = std::make_unique<Station>(driver, platform, ui);
    st->Construct();
    st->B_FileClick();
    PressStartAfterFirstSample press(*st);
    st->measurement().Attach(&press);
    for (std::size_t done = 0; done < capture.size(); done += kChunk) {
        const std::string_view piece = std::string_view(capture).substr(done, kChunk);
        driver.Feed(device, {reinterpret_cast<const std::uint8_t*>(piece.data()), piece.size()});
        st->Timer_25HzTimer();
    }
    st->B_FileSaveStopClick();
    st->measurement().Attach(nullptr);
    return ReadAll(folder / "window.txt");
}

TEST(HeadlessRecorderTest, WritesTheSameRecordsAsTheWindowForEachKindOfChoice) {
    const std::string capture = Capture(6.0);
    struct Choice {
        int index;
        bool averages;
    };
    for (const Choice choice :
         {Choice{0, false}, Choice{6, true}, Choice{9, false}, Choice{18, false}}) {
        SCOPED_TRACE(choice.index);
        TempFolder folder;
        WriteAll(folder / "Settings.bin", Settings(folder, choice.index, choice.averages));
        const std::string headless = RecordHeadless(folder, capture);
        const std::string window = RecordInWindow(folder, capture);
        ASSERT_GT(RecordLines(headless).size(), 2u);
        EXPECT_EQ(RecordLines(headless), RecordLines(window));
        EXPECT_EQ(Lines(headless).front().substr(Lines(headless).front().size() - 13),
                  Lines(window).front().substr(Lines(window).front().size() - 13));
    }
}

TEST(HeadlessRecorderTest, EverySampleOfTheCaptureIsInTheFileInAllMode) {
    std::uint64_t valid = 0;
    const std::string capture = Capture(3.0, &valid);
    TempFolder folder;
    WriteAll(folder / "Settings.bin", Settings(folder, 0, false));
    std::uint64_t records = 0;
    const std::vector<std::string> lines = Lines(RecordHeadless(folder, capture, {}, &records));
    // Start, header, one record per valid frame, stop; the count the progress shows agrees.
    EXPECT_EQ(lines.size(), valid + 3);
    EXPECT_EQ(records, valid);
    EXPECT_EQ(lines[1], "\xC2\xD0\xC5\xCC\xDF CH1 CH3 CH6");  // "ВРЕМЯ" in code page 1251
    EXPECT_EQ(lines[2].substr(0, 12), "0.0000000000");
}

// The record time in seconds, from the days the line starts with.
double RecordSeconds(const std::string& line) { return std::stod(line.substr(0, 12)) * 86400; }

TEST(HeadlessRecorderTest, ADurationKeepsEveryRecordUpToItAndThenStops) {
    const std::string capture = Capture(5.0);
    struct Choice {
        int index;
        const char* name;
    };
    for (const Choice choice :
         {Choice{0, "every sample"}, Choice{9, "1 s periods"}, Choice{18, "on change"}}) {
        SCOPED_TRACE(choice.name);
        TempFolder folder;
        WriteAll(folder / "Settings.bin", Settings(folder, choice.index, false));
        const std::vector<std::string> whole = RecordLines(RecordHeadless(folder, capture));
        const std::string timed = RecordHeadless(folder, capture, nullptr, nullptr, 2);
        // What the whole run recorded up to 2 s (a hair over, for the units' rounding), no more.
        std::vector<std::string> expected;
        for (const std::string& line : whole) {
            if (expected.empty() || RecordSeconds(line) <= 2.0001) expected.push_back(line);
        }
        ASSERT_LT(expected.size(), whole.size());
        EXPECT_EQ(RecordLines(timed), expected);
        EXPECT_EQ(Lines(timed).size(), expected.size() + 2) << "the stop line is missing";
        if (choice.index == 9) {
            // The records at 0, 1 and 2 s, after the header.
            EXPECT_EQ(expected.size(), 4u);
        }
    }
}

TEST(HeadlessRecorderTest, ATableThatDoesNotLoadIsReportedAndItsChannelRecordsZero) {
    TempFolder folder;
    std::string settings = Settings(folder, 9, false);
    WriteAll(folder / "Settings.bin", settings);
    std::filesystem::remove(folder / "t3.txt");
    std::vector<std::string> messages;
    const std::vector<std::string> lines = Lines(RecordHeadless(folder, Capture(2.0), &messages));
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.front(), std::string(text::kMsgTableFailedBefore) + "3" +
                                    std::string(text::kMsgTableFailedAfter));
    ASSERT_GE(lines.size(), 4u);
    EXPECT_NE(lines[2].find(" 0.000 "), std::string::npos) << lines[2];
}

TEST(HeadlessRecorderTest, RefusesSettingsThatCannotDriveARecordingAndLeavesThemAlone) {
    TempFolder folder;
    struct Case {
        std::string settings;
        std::string error;
    };
    std::string noChoice = Settings(folder, 99, false);
    std::string noChannel = Settings(folder, 9, false);
    {
        // Lines 9..14 (recorded channels) all cleared.
        std::vector<std::string> lines = Lines(noChannel);
        for (int i = 9; i <= 14; ++i) lines[static_cast<std::size_t>(i)] = "0";
        noChannel.clear();
        for (const auto& l : lines) noChannel += l + "\r\n";
    }
    const std::string shortFile = "KSL214.8N\r\nTS000001\r\n0\r\n";
    const Case cases[] = {
        {noChoice, "the settings file selects no recording choice"},
        {noChannel, "the settings file selects no channel to record"},
        {shortFile, "is not whole: line 3"},
        {std::string("\0\1\2binary", 9), "is not whole: line 0"},
    };
    for (const Case& c : cases) {
        WriteAll(folder / "Settings.bin", c.settings);
        HeadlessRun run;
        RecordOptions options;
        options.settingsPath = folder / "Settings.bin";
        options.outPath = folder / "out.txt";
        std::string error;
        EXPECT_FALSE(run.recorder.Prepare(options, error));
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_EQ(ReadAll(folder / "Settings.bin"), c.settings);
        EXPECT_TRUE(run.ui.boxes.empty());
        EXPECT_FALSE(Exists(folder / "out.txt")) << "output created";
    }
    HeadlessRun run;
    RecordOptions options;
    options.settingsPath = folder / "missing.bin";
    options.outPath = folder / "out.txt";
    std::string error;
    EXPECT_FALSE(run.recorder.Prepare(options, error));
    EXPECT_EQ(error, "cannot read the settings file " + options.settingsPath);
    EXPECT_FALSE(Exists(options.settingsPath)) << "defaults were written";
}

// Options as trend-record's command line gives them.
RecordOptions Options(const TempFolder& folder, std::initializer_list<const char*> arguments) {
    std::vector<const char*> all{"--out"};
    const std::string out = folder / "out.txt";
    all.push_back(out.c_str());
    all.insert(all.end(), arguments);
    RecordOptions options = ParseRecordOptions(all);
    EXPECT_EQ(options.error, "");
    return options;
}

TEST(HeadlessRecorderTest, EachOptionOverridesTheSettingsFileAndWithoutOneTheRestIsDefault) {
    TempFolder folder;
    WriteAll(folder / "Settings.bin", Settings(folder, 9, false));
    const std::string settings = folder / "Settings.bin", table = folder / "t3.txt";
    const std::string table2 = "2=" + table;
    {
        HeadlessRun run;
        std::string error;
        ASSERT_TRUE(run.recorder.Prepare(
            Options(folder, {"--settings", settings.c_str(), "--serial", "TS000077", "--every",
                             "0.5", "--average", "--threshold", "7", "--channels", "2,5", "--table",
                             table2.c_str(), "--table", "5="}),
            error))
            << error;
        const Station& st = run.recorder.station();
        EXPECT_EQ(st.link().Description(), "KSL214.8N");  // from the file
        EXPECT_EQ(st.link().Serial(), "TS000077");
        EXPECT_EQ(st.form().SelectedRecordChoice(), 8);  // "0.5с"
        EXPECT_TRUE(st.form().CheckBox_FileDataAver.Checked);
        EXPECT_EQ(st.form().ComboBox_FileOnChangeThresh.ItemIndex, 6);  // the item "7"
        for (int c = 0; c < kChannels; ++c)
            EXPECT_EQ(st.form().FileEN_CH[c].Checked, c == 1 || c == 4);
        EXPECT_EQ(st.measurement().Tables().Paths()[0],
                  folder / "t1.txt");  // from the file, not recorded
        EXPECT_EQ(st.measurement().Tables().Paths()[1], table);
        EXPECT_EQ(st.measurement().Tables().Paths()[4], "");
        EXPECT_EQ(st.measurement().Tables().Table(1 + 1).PointCount, 3u);
    }
    // Run where there is no settings file: the window's defaults but for the options.
    const std::string missing = folder / "none/Settings.bin";
    HeadlessRun run;
    RecordOptions options =
        Options(folder, {"--description", "KSL214.8N", "--every", "change", "--channels", "4"});
    options.settingsPath = missing;
    std::string error;
    ASSERT_TRUE(run.recorder.Prepare(options, error)) << error;
    const Station& st = run.recorder.station();
    EXPECT_EQ(st.link().Description(), "KSL214.8N");
    EXPECT_EQ(st.link().Serial(), "");
    EXPECT_EQ(st.form().SelectedRecordChoice(), 18);
    EXPECT_EQ(st.form().ComboBox_FileOnChangeThresh.ItemIndex, 1);  // the item "2"
    EXPECT_FALSE(st.form().CheckBox_FileDataAver.Checked);
    for (int c = 0; c < kChannels; ++c) EXPECT_EQ(st.form().FileEN_CH[c].Checked, c == 3);
    for (const std::string& path : st.measurement().Tables().Paths()) EXPECT_EQ(path, "");
    EXPECT_FALSE(Exists(missing));
}

TEST(HeadlessRecorderTest, RefusesOptionsThatCannotDriveARecording) {
    TempFolder folder;
    WriteAll(folder / "Settings.bin", Settings(folder, 9, false));
    const std::string settings = folder / "Settings.bin";
    struct Case {
        bool withFile;
        std::vector<const char*> arguments;
        const char* error;
    };
    const Case cases[] = {
        {false, {"--serial", "TS000001", "--channels", "1"}, "--every is needed"},
        {false, {"--serial", "TS000001", "--every", "1"}, "--channels is needed"},
        {false, {"--every", "1", "--channels", "1"}, "--serial or --description is needed"},
        {true, {"--every", "all", "--average"}, "--average applies to a recording period"},
        {true, {"--average", "--every", "change"}, "--average applies to a recording period"},
        {true, {"--table", "2=x.txt"}, "--table names channel 2, which is not recorded"},
        {true, {"--settings", "missing.bin", "--every", "1"}, "cannot read the settings file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        std::vector<const char*> arguments{"--out", "out.txt"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        RecordOptions options = ParseRecordOptions(arguments);
        ASSERT_EQ(options.error, "");
        if (!options.settingsGiven) options.settingsPath = c.withFile ? settings : folder / "none";
        options.outPath = folder / "out.txt";
        HeadlessRun run;
        std::string error;
        EXPECT_FALSE(run.recorder.Prepare(options, error));
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
}

// Given only a serial (or only a description) and no settings file, the bridge that carries it
// is the instrument, as soon as it is attached.
TEST(HeadlessRecorderTest, OneHalfOfTheIdentityFindsTheBridgeThatCarriesIt) {
    struct Case {
        const char* option;
        const char* value;
    };
    for (const Case c : {Case{"--serial", "TS000002"}, Case{"--description", "KSL214.8N"}}) {
        SCOPED_TRACE(c.option);
        TempFolder folder;
        RecordOptions options =
            Options(folder, {c.option, c.value, "--every", "1", "--channels", "1"});
        options.settingsPath = folder / "none";
        sim::SimDriver driver;
        driver.AddDevice("Other", "X1");
        sim::TestPlatform platform;
        sim::TestUi ui;
        HeadlessRecorder recorder(driver, platform, ui);
        std::string error;
        ASSERT_TRUE(recorder.Prepare(options, error)) << error;
        recorder.OpenInstrument();
        EXPECT_EQ(recorder.station().link().Handle(), 0u);
        // Plugged in later: found by the supervision, once a second.
        const int wanted = driver.AddDevice("KSL214.8N", "TS000002");
        for (int tick = 0; tick < 75 && recorder.station().link().Handle() == 0; ++tick) {
            recorder.Tick(true);
        }
        EXPECT_EQ(driver.DeviceOfHandle(recorder.station().link().Handle()), wanted);
        EXPECT_EQ(recorder.station().link().Description(), "KSL214.8N");
        EXPECT_EQ(recorder.station().link().Serial(), "TS000002");
    }
}

}  // namespace
}  // namespace ts
