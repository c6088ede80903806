#include "app/headless_recorder.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>
#include <utility>

#include "app/texts.h"
#include "child_process.h"
#include "device/replay_driver.h"
#include "measure/pipeline_probe.h"
#include "sim/frame_encoder.h"
#include "sim/sim_driver.h"
#include "sim/sim_instrument.h"
#include "sim/test_platform.h"
#include "sim/test_ui.h"
#include "temp_folder.h"

namespace ts {
namespace {

using namespace std::chrono_literals;

constexpr std::size_t kChunk = 4608;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(bytes.substr(start, end - start));
    }
    return lines;
}

// A settings file: the instrument's identity, channels 1, 3 and 6 recorded
// with calibration tables, one recording choice.
std::string Settings(const TempFolder& folder, int choice, bool averages) {
    WriteAll(folder / "t1.txt", "0 0\r\n1023 100\r\n");
    WriteAll(folder / "t3.txt", "0 -5\r\n512 5\r\n1023 -5\r\n");
    std::string s = "KSL214.8N\r\nTS000001\r\n0\r\n";
    for (int c = 0; c < 6; ++c) s += "1\r\n";
    for (int c = 0; c < 6; ++c) s += (c == 0 || c == 2 || c == 5) ? "1\r\n" : "0\r\n";
    s += "0\r\n8421504\r\n0\r\n255\r\n16776960\r\n65535\r\n16711935\r\n65280\r\n16777215\r\n";
    s += folder / "t1.txt";
    s += "\r\n\r\n";
    s += folder / "t3.txt";
    s += "\r\n\r\n\r\n\r\n";
    for (int i = 0; i < 19; ++i) s += i == choice ? "1\r\n" : "0\r\n";
    s += "1\r\n";
    s += averages ? "1\r\n" : "0\r\n";
    return s;
}

// Raw bytes as the simulated instrument sends them, faults included.
std::string Capture(double seconds, std::uint64_t* validFrames = nullptr) {
    sim::SimDriver driver;
    const int device = driver.AddDevice("cap", "1");
    FtHandle handle = 0;
    std::uint32_t count = 0;
    driver.CreateDeviceInfoList(count);
    driver.Open(0, handle);
    sim::SimInstrument instrument(driver, device);
    instrument.channels[1].shape = sim::SignalShape::Noise;
    instrument.noiseBytesPerSecond = 40;
    instrument.corruptFramesPerSecond = 5;
    std::string bytes;
    std::uint8_t buffer[65536];
    for (double t = 0; t < seconds; t += 0.04) {
        instrument.Advance(0.04);
        std::uint32_t got = 0;
        driver.Read(handle, buffer, sizeof buffer, got);
        bytes.append(reinterpret_cast<const char*>(buffer), got);
    }
    if (validFrames) *validFrames = instrument.ValidFramesSent();
    return bytes;
}

struct HeadlessRun {
    sim::TestPlatform platform;
    sim::TestUi ui;
    ReplayDriver driver{kChunk};
    HeadlessRecorder recorder{driver, platform, ui};
};

// Plays a capture through the headless recorder as trend-record does.
std::string RecordHeadless(const TempFolder& folder, const std::string& capture,
                           std::vector<std::string>* messages = nullptr) {
    WriteAll(folder / "capture.raw", capture);
    HeadlessRun run;
    RecordOptions options;
    options.settingsPath = folder / "Settings.bin";
    options.outPath = folder / "headless.txt";
    options.force = true;
    std::string error;
    EXPECT_TRUE(run.recorder.Prepare(options, error)) << error;
    EXPECT_TRUE(run.driver.OpenCapture(folder / "capture.raw"));
    run.driver.SetIdentity(run.recorder.station().link.DeviceDescription,
                           run.recorder.station().link.DeviceSerial);
    run.recorder.OpenInstrument();
    while (!run.driver.Finished()) run.recorder.Tick(false);
    run.recorder.Tick(false);
    EXPECT_TRUE(run.recorder.Finish());
    if (messages) *messages = run.ui.Texts();
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
    st->pipelineProbe = &press;
    for (std::size_t done = 0; done < capture.size(); done += kChunk) {
        const std::string_view piece = std::string_view(capture).substr(done, kChunk);
        driver.Feed(device, {reinterpret_cast<const std::uint8_t*>(piece.data()), piece.size()});
        st->Timer_25HzTimer();
    }
    st->B_FileSaveStopClick();
    st->pipelineProbe = nullptr;
    return ReadAll(folder / "window.txt");
}

// Record lines only: the start and stop lines carry the wall-clock time.
std::vector<std::string> RecordLines(const std::string& file) {
    std::vector<std::string> lines = Lines(file);
    if (lines.size() < 3) return {};
    return {lines.begin() + 1, lines.end() - 1};
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
    const std::vector<std::string> lines = Lines(RecordHeadless(folder, capture));
    // Start, header, one record per valid frame, stop.
    EXPECT_EQ(lines.size(), valid + 3);
    EXPECT_EQ(lines[1], "\xC2\xD0\xC5\xCC\xDF CH1 CH3 CH6");  // "ВРЕМЯ" in code page 1251
    EXPECT_EQ(lines[2].substr(0, 12), "0.0000000000");
}

TEST(HeadlessRecorderTest, ATableThatDoesNotLoadIsReportedAndItsChannelRecordsZero) {
    TempFolder folder;
    std::string settings = Settings(folder, 9, false);
    WriteAll(folder / "Settings.bin", settings);
    ::unlink((folder / "t3.txt").c_str());
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
        EXPECT_NE(::access((folder / "out.txt").c_str(), F_OK), 0) << "output created";
    }
    HeadlessRun run;
    RecordOptions options;
    options.settingsPath = folder / "missing.bin";
    options.outPath = folder / "out.txt";
    std::string error;
    EXPECT_FALSE(run.recorder.Prepare(options, error));
    EXPECT_EQ(error, "cannot read the settings file " + options.settingsPath);
    EXPECT_NE(::access(options.settingsPath.c_str(), F_OK), 0) << "defaults were written";
}

TEST(RecordOptionsTest, ReadsEveryOptionAndRejectsWhatItDoesNotKnow) {
    auto parse = [](std::initializer_list<const char*> args) {
        const std::vector<const char*> v(args);
        return ParseRecordOptions(v);
    };
    const RecordOptions all = parse({"--out", "r.txt", "--settings", "s.bin", "--replay", "c.raw",
                                     "--chunk", "14", "--raw", "raw.bin", "--force"});
    EXPECT_EQ(all.error, "");
    EXPECT_EQ(all.outPath, "r.txt");
    EXPECT_EQ(all.settingsPath, "s.bin");
    EXPECT_EQ(all.replayPath, "c.raw");
    EXPECT_EQ(all.chunk, 14u);
    EXPECT_EQ(all.rawPath, "raw.bin");
    EXPECT_TRUE(all.force);

    const RecordOptions defaults = parse({"--out", "r.txt"});
    EXPECT_EQ(defaults.settingsPath, "./Settings.bin");
    EXPECT_EQ(defaults.chunk, 4608u);
    EXPECT_TRUE(parse({"--help"}).help);

    EXPECT_EQ(parse({}).error, "--out FILE is required (see --help)");
    EXPECT_EQ(parse({"--out"}).error, "--out needs a value");
    EXPECT_EQ(parse({"--out", "a", "--out", "b"}).error, "--out given twice");
    EXPECT_EQ(parse({"--out", "a", "-x"}).error, "unknown argument '-x' (see --help)");
    EXPECT_EQ(parse({"--out", "a", "--chunk", "4608"}).error, "--chunk needs --replay");
    for (const char* bad : {"0", "-1", "12x", "", "99999999999"}) {
        EXPECT_NE(parse({"--out", "a", "--replay", "c", "--chunk", bad}).error, "") << bad;
    }
    EXPECT_EQ(parse({"--out", "a", "--raw", "a"}).error, "--raw and --out name the same file");
}

// The program itself: exit status, messages, and a clean stop on SIGTERM.
int RunRecorder(const std::string& arguments, std::string* errors = nullptr) {
    const std::string command = std::string(TS_RECORDER) + " " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string output;
    char buffer[256];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    const int status = pipe ? ::pclose(pipe) : -1;
    if (errors) *errors = output;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs trend-record with `arguments` and `environment` added to ours for `run`, then sends it
// `signal`; returns its wait status.
int RunRecorderUntil(const std::vector<std::string>& arguments,
                     const std::vector<std::pair<std::string, std::string>>& environment,
                     std::chrono::milliseconds run, int signal) {
    return RunFor({TS_RECORDER, arguments, environment, "", ""}, run, signal);
}

TEST(TrendRecordProgramTest, ExitStatusTwoWithAOneLineReason) {
    TempFolder folder;
    WriteAll(folder / "Settings.bin", Settings(folder, 9, false));
    WriteAll(folder / "capture.raw", Capture(1.0));
    WriteAll(folder / "exists.txt", "earlier measurement");
    const std::string settings = " --settings " + (folder / "Settings.bin");
    std::string errors;
    EXPECT_EQ(RunRecorder("--bogus", &errors), 2);
    EXPECT_EQ(errors, "trend-record: unknown argument '--bogus' (see --help)\n");
    EXPECT_EQ(
        RunRecorder("--out " + (folder / "x.txt") + " --settings " + (folder / "none"), &errors),
        2);
    EXPECT_EQ(
        RunRecorder("--out " + (folder / "x.txt") + settings + " --replay " + (folder / "none.raw"),
                    &errors),
        2);
    EXPECT_EQ(errors, "trend-record: cannot read the capture " + (folder / "none.raw") + "\n");
    EXPECT_EQ(RunRecorder("--out " + (folder / "no/such/dir.txt") + settings + " --replay " +
                              (folder / "capture.raw"),
                          &errors),
              2);
    EXPECT_EQ(RunRecorder("--out " + (folder / "exists.txt") + settings + " --replay " +
                              (folder / "capture.raw"),
                          &errors),
              2);
    EXPECT_EQ(ReadAll(folder / "exists.txt"), "earlier measurement");
    EXPECT_EQ(RunRecorder("--out " + (folder / "exists.txt") + settings + " --force --replay " +
                              (folder / "capture.raw"),
                          &errors),
              0)
        << errors;
    // Start, header, the record at 0 s (the capture is under a second long), stop.
    EXPECT_EQ(Lines(ReadAll(folder / "exists.txt")).size(), 4u);
    EXPECT_EQ(RunRecorder("--help", &errors), 0);
    EXPECT_NE(errors.find("--replay CAPTURE"), std::string::npos);
}

TEST(TrendRecordProgramTest, EndsWithAOneLineSummaryOfTheLink) {
    TempFolder folder;
    WriteAll(folder / "Settings.bin", Settings(folder, 0, false));
    // Five frames; before the fourth a noise byte that looks like a frame start
    // and a frame with a broken sum; a frame's head cut off by the end.
    std::string capture;
    for (std::uint16_t i = 0; i < 5; ++i) {
        sim::Frame f = sim::EncodeFrame(1, i, {});
        if (i == 3) {
            capture += '\x85';
            sim::Frame broken = f;
            broken[12] ^= 0x01;
            capture.append(broken.begin(), broken.end());
        }
        capture.append(f.begin(), f.end());
    }
    capture.append(capture, 0, 9);
    WriteAll(folder / "capture.raw", capture);
    std::string errors;
    ASSERT_EQ(
        RunRecorder("--out " + (folder / "out.txt") + " --settings " + (folder / "Settings.bin") +
                        " --chunk 20 --replay " + (folder / "capture.raw"),
                    &errors),
        0)
        << errors;
    // The last line; channel 6's missing table is reported before it.
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.substr(errors.rfind('\n', errors.size() - 2) + 1),
              "trend-record: link: 5 frames decoded, 2 rejected by the check, 15 bytes skipped, "
              "0 chip overruns, 0 bytes lost in the queue, 0 reopenings\n");
    // Start, header, the five records, stop: the result file is as before.
    EXPECT_EQ(Lines(ReadAll(folder / "out.txt")).size(), 8u);
}

TEST(TrendRecordProgramTest, SavesTheRawBytesForAnIdenticalReplay) {
    TempFolder folder;
    WriteAll(folder / "Settings.bin", Settings(folder, 0, false));
    const std::string capture = Capture(1.0);
    WriteAll(folder / "capture.raw", capture);
    const std::string common = " --settings " + (folder / "Settings.bin") + " --chunk 1000";
    ASSERT_EQ(RunRecorder("--out " + (folder / "a.txt") + common + " --replay " +
                          (folder / "capture.raw") + " --raw " + (folder / "again.raw")),
              0);
    EXPECT_EQ(ReadAll(folder / "again.raw"), capture);
    ASSERT_EQ(
        RunRecorder("--out " + (folder / "b.txt") + common + " --replay " + (folder / "again.raw")),
        0);
    EXPECT_EQ(RecordLines(ReadAll(folder / "a.txt")), RecordLines(ReadAll(folder / "b.txt")));
}

TEST(TrendRecordProgramTest, StopsCleanlyOnSigterm) {
    TempFolder folder;
    WriteAll(folder / "Settings.bin", Settings(folder, 0, false));
    // Long enough, handed over 14 bytes a poll, to be still running when stopped.
    WriteAll(folder / "capture.raw", Capture(60.0));
    const std::string settings = folder / "Settings.bin", out = folder / "out.txt",
                      capture = folder / "capture.raw";
    const int status = RunRecorderUntil(
        {"--settings", settings, "--out", out, "--replay", capture, "--chunk", "14"}, {}, 300ms,
        SIGTERM);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const std::vector<std::string> lines = Lines(ReadAll(folder / "out.txt"));
    ASSERT_GE(lines.size(), 3u);
    // The stop line: ends with " ЗАПИСЬ ОСТАНОВЛЕНА" in code page 1251.
    const std::string stop =
        " \xC7\xC0\xCF\xC8\xD1\xDC \xCE\xD1\xD2\xC0\xCD\xCE\xC2\xCB\xC5\xCD\xC0";
    EXPECT_EQ(lines.back().substr(lines.back().size() - stop.size()), stop);
    EXPECT_LT(lines.size(), 60u * 6000u) << "the replay was not stopped early";
}

// The real path end to end: libftdi1 and the driver on an emulated bridge whose instrument
// streams the capture at the line rate, against a replay of the same capture.
TEST(TrendRecordProgramTest, RecordsFromAnEmulatedInstrumentWhatAReplayOfItsCaptureRecords) {
    TempFolder folder;
    WriteAll(folder / "Settings.bin", Settings(folder, 0, false));
    // Two seconds of the simulated instrument, noise and corrupt frames included, go down the
    // line in about one and a half.
    WriteAll(folder / "capture.raw", Capture(2.0));
    const std::string settings = folder / "Settings.bin", live = folder / "live.txt";
    ASSERT_EQ(RunRecorder("--settings " + settings + " --out " + (folder / "replay.txt") +
                          " --replay " + (folder / "capture.raw")),
              0);

    const std::string bridges = "KSL214.8N,TS000001," + (folder / "capture.raw");
    const int status = RunRecorderUntil(
        {"--settings", settings, "--out", live},
        {{"LD_PRELOAD", TS_EMULATOR_PRELOAD}, {"TS_EMULATED_BRIDGES", bridges}}, 4000ms, SIGINT);
    ASSERT_TRUE(WIFEXITED(status));
    const std::vector<std::string> records = RecordLines(ReadAll(live));
    ASSERT_GT(records.size(), 10000u);
    EXPECT_TRUE(records == RecordLines(ReadAll(folder / "replay.txt")));
}

}  // namespace
}  // namespace ts
