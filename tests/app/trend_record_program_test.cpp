// The trend-record program as a user runs it: exit status, messages, files, signals, and the
// real path through libftdi1 and the driver on the emulated bridge.
#include <gtest/gtest.h>
#include <sys/ptrace.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "file_size_limit.h"
#include "line_frames.h"
#include "recorder_program_rig.h"
#include "recorder_refusals.h"

namespace ts {
namespace {

using namespace recorder_rig;

// The stop line ends with " ЗАПИСЬ ОСТАНОВЛЕНА" in code page 1251.
const std::string kStopLineEnd =
    " \xC7\xC0\xCF\xC8\xD1\xDC \xCE\xD1\xD2\xC0\xCD\xCE\xC2\xCB\xC5\xCD\xC0";

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string LastLine(const std::string& output) {
    const std::size_t end = output.size() - (EndsWith(output, "\n") ? 1 : 0);
    const std::size_t start = output.rfind('\n', end == 0 ? 0 : end - 1);
    return output.substr(start == std::string::npos ? 0 : start + 1, end - (start + 1));
}

// The link summary's count of silent reopenings.
int Reopenings(const std::string& output) {
    const std::size_t at = output.rfind(" reopenings");
    if (at == std::string::npos) return -1;
    const std::size_t start = output.rfind(' ', at - 1);
    return std::stoi(output.substr(start + 1, at - start - 1));
}

TEST(TrendRecordProgramTest, ExitStatusTwoWithAOneLineReason) {
    CheckExitStatusAndForce(RunRecorder);
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
    EXPECT_EQ(LastLine(errors),
              "trend-record: link: 5 frames decoded, 2 rejected by the check, 15 bytes skipped, "
              "0 chip overruns, 0 bytes lost in the queue, 0 reopenings");
    // Start, header, the five records, stop: the result file is as before.
    EXPECT_EQ(Lines(ReadAll(folder / "out.txt")).size(), 8u);
}

TEST(TrendRecordProgramTest, SavesTheRawBytesForAnIdenticalReplay) {
    const std::string capture = Capture(1.0);
    const LiveRig rig(0, capture);
    const TempFolder& folder = rig.folder;
    const std::string common = " --settings " + rig.settings + " --chunk 1000";
    ASSERT_EQ(RunRecorder("--out " + (folder / "a.txt") + common + " --replay " + rig.capture +
                          " --raw " + (folder / "again.raw")),
              0);
    EXPECT_EQ(ReadAll(folder / "again.raw"), capture);
    ASSERT_EQ(
        RunRecorder("--out " + (folder / "b.txt") + common + " --replay " + (folder / "again.raw")),
        0);
    EXPECT_EQ(RecordLines(ReadAll(folder / "a.txt")), RecordLines(ReadAll(folder / "b.txt")));
}

// An unattended recording ends by itself with the stop line, as a stop request ends it.
TEST(TrendRecordProgramTest, ForADurationStopsCleanlyWithTheRecordsUpToIt) {
    TempFolder folder;
    WriteAll(folder / "capture.raw", Capture(4.0));
    const std::string common = " --every 0.5 --channels 1 --replay " + (folder / "capture.raw");
    ASSERT_EQ(RunRecorder("--out " + (folder / "whole.txt") + common), 0);
    std::string output;
    ASSERT_EQ(RunRecorder("--out " + (folder / "timed.txt") + common + " --for 0:00:02", &output),
              0)
        << output;
    const std::vector<std::string> timed = Lines(ReadAll(folder / "timed.txt"));
    // Start, header, the records at 0, 0.5, 1, 1.5 and 2 s, and the stop line.
    ASSERT_EQ(timed.size(), 8u);
    EXPECT_TRUE(EndsWith(timed.back(), kStopLineEnd)) << "no stop line";
    const std::vector<std::string> whole = RecordLines(ReadAll(folder / "whole.txt"));
    EXPECT_EQ(RecordLines(ReadAll(folder / "timed.txt")),
              std::vector<std::string>(whole.begin(), whole.begin() + 6));
}

// Without a settings file, options alone give what the window would have kept in one.
TEST(TrendRecordProgramTest, RecordsFromAReplayWithOptionsAloneAsWithASettingsFile) {
    TempFolder withFile, bare;
    WriteAll(withFile / "Settings.bin", Settings(withFile, 0, false));
    WriteAll(withFile / "capture.raw", Capture(1.0));
    ASSERT_EQ(RunRecorder("--settings " + (withFile / "Settings.bin") + " --out " +
                          (withFile / "settings.txt") + " --replay " + (withFile / "capture.raw")),
              0);

    // Run where no Settings.bin is, so that the default one is missing.
    std::string output;
    EXPECT_EQ(RunRecorder("--out options.txt --replay " + (withFile / "capture.raw") +
                              " --every all --channels 1,3,6 --table 1=" + (withFile / "t1.txt") +
                              " --table 3=" + (withFile / "t3.txt"),
                          &output, bare.path()),
              0)
        << output;
    EXPECT_FALSE(Exists(bare / "Settings.bin")) << "a settings file was written";
    const std::vector<std::string> records = RecordLines(ReadAll(bare / "options.txt"));
    ASSERT_GT(records.size(), 1000u);
    EXPECT_TRUE(records == RecordLines(ReadAll(withFile / "settings.txt")));
}

TEST(TrendRecordProgramTest, ListsTheAttachedBridgesAsTheDeviceMenuShowsThem) {
    TempFolder folder;
    const std::string out = folder / "list.txt";
    const pid_t child =
        StartRecorder({"--list"}, EmulatedBridges("KSL214.8N,TS000001,none;Other,TS000042,none"),
                      folder.path(), out);
    const std::optional<int> status = WaitForRecorder(child, 20s);
    ASSERT_TRUE(status && WIFEXITED(*status)) << ReadAll(out);
    EXPECT_EQ(WEXITSTATUS(*status), 0) << ReadAll(out);
    const std::string listed = ReadAll(out);
    EXPECT_NE(listed.find("KSL214.8N   TS000001\n"), std::string::npos) << listed;
    EXPECT_NE(listed.find("Other   TS000042\n"), std::string::npos) << listed;
    EXPECT_FALSE(Exists(folder / "Settings.bin"));
}

// Every file the program reads is safe from the files it writes, whatever the spelling, and
// nothing is created or emptied before the arguments and the settings are known to be good.
TEST(TrendRecordProgramTest, RefusesToNameOneFileTwiceAndDestroysNothing) {
    CheckRefusalsDestroyNothing(RunRecorder, true);
}

// A closed terminal, a dropped remote session or a service manager stops a recording as cleanly
// as Ctrl-C. The instrument streams in real time for far longer than the run, so only the signal
// can have written the stop line. Only the user's own stop ends the recording for good: after
// SIGTERM or SIGHUP its note stays, and --resume goes on without adding to the stopped part.
TEST(TrendRecordProgramTest, StopsCleanlyOnEachStopSignal) {
    std::uint64_t frames = 0;
    const LiveRig rig(0, Capture(20.0, &frames));
    for (const auto& [signal, kept] :
         std::vector<std::pair<int, bool>>{{SIGINT, false}, {SIGTERM, true}, {SIGHUP, true}}) {
        SCOPED_TRACE(signal);
        const std::string out = rig.folder / ("out" + std::to_string(signal) + ".txt");
        const int status = RunRecorderUntil({"--settings", rig.settings, "--out", out}, rig.bridge,
                                            1500ms, signal);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        const std::string stopped = ReadAll(out);
        const std::vector<std::string> lines = Lines(stopped);
        ASSERT_GE(lines.size(), 3u);
        EXPECT_TRUE(EndsWith(lines.back(), kStopLineEnd)) << lines.back();
        EXPECT_LT(lines.size(), frames / 2) << "the capture ended before the signal came";
        EXPECT_EQ(Exists(out + ".resume"), kept);
        if (!kept) continue;
        std::string said;
        EXPECT_EQ(rig.RunWithoutSample(out, "--resume", &said), 1);
        EXPECT_EQ(ReadAll(out), stopped);
        // No part was made: what would happen is said, not that it did.
        EXPECT_NE(said.find("будет продолжена"), std::string::npos) << said;
        EXPECT_EQ(said.find("возобновлена"), std::string::npos) << said;
    }
}

// A stop that cannot finish (here: the raw capture goes into a pipe nobody empties, as a
// blocked disk would hold the program) gives way to a second Ctrl-C or SIGTERM at once; a
// second hang-up, which a session may well send, does not cut it short.
TEST(TrendRecordProgramTest, ASecondStopSignalEndsAStopThatHangsLeavingWholeLines) {
    const LiveRig rig(0, Capture(10.0));
    const TempFolder& folder = rig.folder;
    struct Case {
        int first;
        int second;
        bool endsAtOnce;
    };
    for (const Case c :
         {Case{SIGINT, SIGINT, true}, Case{SIGHUP, SIGTERM, true}, Case{SIGHUP, SIGHUP, false}}) {
        SCOPED_TRACE(std::to_string(c.first) + " then " + std::to_string(c.second));
        // A forced end leaves the note of a cut recording: each case records a file of its own.
        const std::string pipe = folder / "raw.fifo";
        const std::string out =
            folder / ("out" + std::to_string(c.first + 100 * c.second) + ".txt");
        std::filesystem::remove(pipe);
        ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
        const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(reader, 0);
        const pid_t child = StartRecorder(
            {"--settings", rig.settings, "--out", out, "--raw", pipe, "--force"}, rig.bridge);
        // The pipe's buffer is full after about half a second of the line.
        std::this_thread::sleep_for(1500ms);
        ::kill(child, c.first);
        std::this_thread::sleep_for(500ms);
        int status = 0;
        EXPECT_EQ(::waitpid(child, &status, WNOHANG), 0) << "the first stop did not hang";
        ::kill(child, c.second);
        if (!c.endsAtOnce) {
            std::this_thread::sleep_for(500ms);
            EXPECT_EQ(::waitpid(child, &status, WNOHANG), 0) << "ended by a second hang-up";
            ::kill(child, SIGINT);
        }
        const std::optional<int> ended = WaitForRecorder(child, 2s);
        ::close(reader);
        ASSERT_TRUE(ended) << "still running after the second signal";
        EXPECT_FALSE(WIFEXITED(*ended) && WEXITSTATUS(*ended) == 0) << "a forced end is no success";
        const std::string file = ReadAll(out);
        ASSERT_FALSE(file.empty());
        EXPECT_TRUE(EndsWith(file, "\r\n")) << "a cut line at the end";
    }
}

// A kill is no close at all: what the program had handed to the system is all there is, and it
// hands each tick's records over in whole lines. The file ends with a whole line no older than
// the tick before the kill (allowing the bridge's own latency and a loaded machine 80 ms more).
TEST(TrendRecordProgramTest, AKillLeavesWholeLinesUpToTheTickBeforeIt) {
    // Frames back to back, two time units apart: the instrument's time runs at 8,228.6 frames
    // of 1/9000 s in a second of the line.
    const LiveRig rig(0, LineFrames(20.0));
    constexpr double kInstrumentSecondsPerSecond = 8228.6 / 9000;
    const std::string out = rig.folder / "out.txt";
    const pid_t child = StartRecorder({"--settings", rig.settings, "--out", out}, rig.bridge);
    WaitForFile(out);
    const auto started = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(1500ms);
    const auto killed = std::chrono::steady_clock::now();
    ::kill(child, SIGKILL);
    ASSERT_TRUE(WaitForRecorder(child, 10s));

    const std::string file = ReadAll(out);
    ASSERT_TRUE(EndsWith(file, "\r\n")) << "a cut line at the end";
    const std::vector<std::string> lines = Lines(file);
    ASSERT_GT(lines.size(), 3u);
    for (std::size_t i = 2; i < lines.size(); ++i) {
        ASSERT_EQ(std::count(lines[i].begin(), lines[i].end(), ' '), 3) << lines[i];
    }
    const double recorded = RecordSeconds(lines.back()) / kInstrumentSecondsPerSecond;
    const double ran = std::chrono::duration<double>(killed - started).count();
    EXPECT_GE(recorded, ran - 0.040 - 0.080);
}

// The record lines of a result file: none of its stamped lines (start, stop, interruption, the
// parts' links), whose second field is a time of day.
std::vector<std::string> RecordsOnly(const std::string& file) {
    std::vector<std::string> records;
    for (const std::string& line : Lines(file)) {
        const std::size_t space = line.find(' ');
        if (line.empty() || line[0] < '0' || line[0] > '9' || space == std::string::npos ||
            line.find(':', space) < line.find(' ', space + 1)) {
            continue;
        }
        records.push_back(line);
    }
    return records;
}

// The whole cycle on the real program, killed three times in a row while recording with a raw
// capture. Each --resume ends the last part with one interruption line and goes on with the same
// choices into the next number, the raw capture beside it with the same number; starts that get
// no sample end nothing twice; neither a new recording nor --force ever takes a part while the
// note is there; the user's stop at the end removes the note.
TEST(TrendRecordProgramTest, ARecordingKilledThreeTimesGoesOnIntoEachNextPartReplacingNothing) {
    const LiveRig rig(6, LineFrames(20.0));
    auto part = [&](const char* name, const char* type, int n) {
        return rig.folder / (name + (n > 1 ? " (" + std::to_string(n) + ")" : "") + type);
    };
    const std::string out = part("out", ".txt", 1), note = out + ".resume";
    std::vector<std::string> arguments{"--settings", rig.settings, "--out",
                                       out,          "--raw",      part("raw", ".bin", 1)};
    std::vector<std::string> cut;  // each part as its kill left it
    for (int run = 1; run <= 3; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        const pid_t child = StartRecorder(arguments, rig.bridge);
        WaitForFile(part("out", ".txt", run));
        std::this_thread::sleep_for(800ms);
        ::kill(child, SIGKILL);
        ASSERT_TRUE(WaitForRecorder(child, 10s));
        EXPECT_TRUE(Exists(note));
        cut.push_back(ReadAll(part("out", ".txt", run)));
        for (const std::string& taken : {out, part("out", ".txt", run)}) {
            std::string said;
            EXPECT_EQ(rig.RunWithoutSample(taken, "--force", &said), 2);
            EXPECT_NE(said.find("--resume"), std::string::npos) << said;
        }
        for (int start = 0; start < (run == 1 ? 2 : 0); ++start) {
            EXPECT_EQ(rig.RunWithoutSample(out, "--resume"), 1);
        }
        if (run == 1) arguments.push_back("--resume");
    }
    const std::string said = rig.folder / "said.txt";
    const int status = RunRecorderUntil(arguments, rig.bridge, 2500ms, SIGINT, said);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << ReadAll(said);
    EXPECT_NE(ReadAll(said).find("out (4).txt"), std::string::npos);
    // Said once the part is made, not before.
    EXPECT_NE(ReadAll(said).find("Запись возобновлена"), std::string::npos) << ReadAll(said);
    EXPECT_FALSE(Exists(note));

    for (int n = 1; n <= 3; ++n) {
        const std::string& before = cut[static_cast<std::size_t>(n - 1)];
        const std::string ended = ReadAll(part("out", ".txt", n));
        ASSERT_TRUE(EndsWith(before, "\r\n")) << n;
        EXPECT_EQ(ended.substr(0, before.size()), before) << n;
        const std::string added = ended.substr(before.size());
        // The interruption, and once the next part was made, the file it goes on in.
        const std::vector<std::string> ends = Lines(added);
        ASSERT_EQ(ends.size(), 2u) << n;
        EXPECT_TRUE(EndsWith(ends[0], kInterruptedEnd)) << n;
        EXPECT_TRUE(EndsWith(ends[1], kGoesOnEnd + "out (" + std::to_string(n + 1) + ").txt")) << n;
    }
    std::vector<std::string> last = Lines(ReadAll(part("out", ".txt", 4)));
    ASSERT_GT(last.size(), 10u);
    EXPECT_EQ(last[1], Lines(cut[0])[1]);
    EXPECT_TRUE(EndsWith(last.back(), kStopLineEnd));
    // Part 4 of the recording begun in out.txt.
    EXPECT_NE(last[2].find(kCarriedOnPart + "4"), std::string::npos) << last[2];
    EXPECT_TRUE(EndsWith(last[2], "out.txt")) << last[2];
    last.erase(last.begin() + 2);
    EXPECT_TRUE(RecordsEvery(last, 0.1));
    // Each raw part is what the line carried from its run's start, and replays into its part's
    // records, as far as the kill let both go.
    const std::string stream = ReadAll(rig.capture);
    for (int n = 1; n <= 4; ++n) {
        SCOPED_TRACE(n);
        const std::string raw = ReadAll(part("raw", ".bin", n));
        EXPECT_FALSE(raw.empty());
        EXPECT_TRUE(stream.compare(0, raw.size(), raw) == 0);
        const std::string replayed = rig.folder / "replayed.txt";
        ASSERT_EQ(RunRecorder("--settings " + rig.settings + " --force --out " + replayed +
                              " --replay '" + part("raw", ".bin", n) + "'"),
                  0);
        const std::vector<std::string> recorded = RecordsOnly(ReadAll(part("out", ".txt", n)));
        const std::vector<std::string> again = RecordsOnly(ReadAll(replayed));
        const std::size_t both = std::min(recorded.size(), again.size());
        EXPECT_GT(both, 5u);
        EXPECT_TRUE(std::equal(recorded.begin(), recorded.begin() + static_cast<long>(both),
                               again.begin()));
    }
}

// Whatever ended each part (a kill, a shutdown's SIGTERM, a closed session's SIGHUP), --resume
// goes on, and trend-file reads every part as one recording, beside a user's own "out (2).txt".
TEST(TrendRecordProgramTest, ARecordingEndedByEachKindOfStopIsReadWholeAfterItsResumes) {
    const LiveRig rig(6, LineFrames(20.0));
    const std::string out = rig.folder / "out.txt";
    WriteAll(rig.folder / "out (2).txt", "my own notes\r\n");
    std::vector<std::string> arguments{"--settings", rig.settings, "--out", out};
    std::vector<std::string> parts{out};
    for (const int signal : {SIGKILL, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        const pid_t child = StartRecorder(arguments, rig.bridge);
        WaitForFile(parts.back());
        std::this_thread::sleep_for(800ms);
        ::kill(child, signal);
        ASSERT_TRUE(WaitForRecorder(child, 10s));
        parts.push_back(rig.folder / ("out (" + std::to_string(parts.size() + 2) + ").txt"));
        if (arguments.back() != "--resume") arguments.push_back("--resume");
    }
    const int status = RunRecorderUntil(arguments, rig.bridge, 1500ms, SIGINT);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::uint64_t records = 0;
    for (const std::string& part : parts) {
        SCOPED_TRACE(part);
        const std::vector<std::string> lines = Lines(ReadAll(part));
        ASSERT_GT(lines.size(), 4u);
        for (const std::string& line : lines) {
            records += line[0] >= '0' && line[0] <= '9' && line.find(':') == std::string::npos;
        }
    }
    std::string said;
    FILE* summary =
        ::popen((std::string(TS_FILE_TOOL) + " summary '" + out + "' 2>&1").c_str(), "r");
    ASSERT_NE(summary, nullptr);
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, summary)) said += buffer;
    EXPECT_EQ(::pclose(summary), 0) << said;
    EXPECT_EQ(said.rfind("CH1 " + std::to_string(records) + " ", 0), 0u) << said;
}

// A limit on the size of files (ulimit -f) is a full disk to the recorder, not its end: it says
// so, its file holds whole lines up to the limit, it ends with a failure, and the note stays, so
// that --resume, with room again, ends the part and goes on. The limit's signal is at its default
// action, as a shell leaves it.
TEST(TrendRecordProgramTest, AFileSizeLimitIsAFullDiskAndTheRecordingGoesOnAfterIt) {
    const LiveRig rig(0, Capture(2.0));
    const std::string out = rig.folder / "out.txt", said = rig.folder / "said.txt";
    constexpr rlim_t kLimit = 100000;
    ChildRun run{TS_RECORDER,
                 {"--settings", rig.settings, "--out", out, "--replay", rig.capture},
                 {},
                 {},
                 said};
    run.fileSizeLimit = kLimit;
    const std::optional<int> status = WaitForChild(StartChild(run), 20s);
    ASSERT_TRUE(status) << "still running";
    ASSERT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status);
    EXPECT_EQ(WEXITSTATUS(*status), 1);
    EXPECT_NE(ReadAll(said).find("Не удалось записать результаты в файл!"), std::string::npos)
        << ReadAll(said);
    const std::string limited = ReadAll(out);
    EXPECT_LE(limited.size(), kLimit);
    EXPECT_GT(limited.size(), kLimit - 100);
    ASSERT_TRUE(EndsWith(limited, "\r\n")) << "a cut line at the end";
    const std::vector<std::string> lines = Lines(limited);
    for (std::size_t i = 2; i < lines.size(); ++i) {
        ASSERT_EQ(std::count(lines[i].begin(), lines[i].end(), ' '), 3) << lines[i];
    }
    ASSERT_TRUE(Exists(out + ".resume"));

    std::string resumed;
    EXPECT_EQ(RunRecorder("--settings " + rig.settings + " --out " + out + " --resume --replay " +
                              rig.capture,
                          &resumed),
              0)
        << resumed;
    // Ended by its stop line where that still fitted under the limit, else by the resume.
    const std::string ended = ReadAll(out);
    if (EndsWith(limited, kStopLineEnd + "\r\n")) {
        EXPECT_EQ(ended, limited);
    } else {
        EXPECT_EQ(ended.substr(0, limited.size()), limited);
        // The interruption, then the part it goes on in.
        ASSERT_EQ(Lines(ended).size(), lines.size() + 2);
        EXPECT_TRUE(EndsWith(Lines(ended)[lines.size()], kInterruptedEnd));
        EXPECT_TRUE(EndsWith(ended, kGoesOnEnd + "out (2).txt\r\n"));
    }
    EXPECT_GT(RecordLines(ReadAll(rig.folder / "out (2).txt")).size(), 10000u);
    EXPECT_FALSE(Exists(out + ".resume"));
}

// A running recording holds its note, from its start on, while it waits for the instrument as
// while it records: another recorder with the same --out, with --resume or --force, leaves the
// note and the file alone. A recorder with another output in the same folder keeps a note of its
// own, so that the first one's cut still goes on.
TEST(TrendRecordProgramTest, TwoRecordersNeverTakeTheSameLiveRecording) {
    const LiveRig rig(6, LineFrames(20.0));
    const std::string a = rig.folder / "a.txt";
    pid_t first = 0;
    for (const bool streaming : {false, true}) {
        if (first > 0) ::kill(first, SIGINT), WaitForRecorder(first, 10s);
        first = StartRecorder({"--settings", rig.settings, "--out", a},
                              streaming ? rig.bridge : EmulatedBridges(""));
        WaitForFile(streaming ? a : a + ".resume");
        for (const char* options : {"--resume", "--resume --force", "--force"}) {
            std::string said;
            EXPECT_EQ(rig.RunWithoutSample(a, options, &said), 2) << options;
            EXPECT_NE(said.find("another program records into"), std::string::npos) << said;
        }
    }
    // Nor by another name of its file.
    std::filesystem::create_symlink(a, rig.folder / "link.txt");
    std::filesystem::create_hard_link(a, rig.folder / "hard.txt");
    for (const char* name : {"link.txt", "hard.txt"}) {
        std::string said;
        EXPECT_EQ(rig.RunWithoutSample(rig.folder / name, "--force", &said), 2) << name;
        EXPECT_NE(said.find("another program records into " + a), std::string::npos) << said;
    }
    EXPECT_FALSE(Exists(rig.folder / "a (2).txt"));
    const int status = RunRecorderUntil({"--settings", rig.settings, "--out", rig.folder / "b.txt"},
                                        rig.bridge, 1500ms, SIGINT);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    ::kill(first, SIGKILL);
    ASSERT_TRUE(WaitForRecorder(first, 10s));
    EXPECT_FALSE(EndsWith(ReadAll(a), kInterruptedEnd + "\r\n"));
    EXPECT_EQ(rig.RunWithoutSample(a, "--resume"), 1);
    EXPECT_TRUE(EndsWith(ReadAll(a), kInterruptedEnd + "\r\n"));
}

// Keeps the program's main thread off the processor for `pause`, as a loaded machine or a
// slow disk would; its other threads, the bridge's reader among them, go on.
void PauseMainThread(pid_t child, std::chrono::milliseconds pause) {
    int status = 0;
    ASSERT_EQ(::ptrace(PTRACE_SEIZE, child, nullptr, nullptr), 0);
    ASSERT_EQ(::ptrace(PTRACE_INTERRUPT, child, nullptr, nullptr), 0);
    ASSERT_EQ(::waitpid(child, &status, __WALL), child);
    std::this_thread::sleep_for(pause);
    ASSERT_EQ(::ptrace(PTRACE_DETACH, child, nullptr, nullptr), 0);
}

// Time in which the program did not run is not silence of the line: after a pause the link
// stays up and the instrument is never re-enumerated.
TEST(TrendRecordProgramTest, APauseOfTheProgramIsNotTakenForASilentLink) {
    // Some seven seconds of the line, longer than the run.
    const LiveRig rig(0, Capture(10.0));
    const TempFolder& folder = rig.folder;
    // The bridge as the re-enumeration tool finds it; the tool rewrites "authorized".
    const std::string device = folder / "sys/bus/usb/devices/1-1";
    std::filesystem::create_directories(device);
    WriteAll(device + "/idVendor", "0403\n");
    WriteAll(device + "/idProduct", "6001\n");
    WriteAll(device + "/serial", "TS000001\n");
    WriteAll(device + "/authorized", "1");
    Environment environment = rig.bridge;
    environment.emplace_back("TS_SYSFS_ROOT", folder / "sys");
    const std::string output = folder / "output.txt";
    const pid_t child = StartRecorder({"--settings", rig.settings, "--out", folder / "out.txt"},
                                      environment, {}, output);
    std::this_thread::sleep_for(1000ms);
    PauseMainThread(child, 1000ms);
    std::this_thread::sleep_for(3000ms);
    ::kill(child, SIGINT);
    const std::optional<int> status = WaitForRecorder(child, 20s);
    ASSERT_TRUE(status && WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 0) << ReadAll(output);
    EXPECT_EQ(ReadAll(device + "/authorized"), "1") << "re-enumerated";
    EXPECT_EQ(Reopenings(ReadAll(output)), 0) << ReadAll(output);
}

// A run that recorded nothing of the wanted instrument is a failure, and leaves no file.
TEST(TrendRecordProgramTest, ARunWithoutASampleOfTheInstrumentFailsAndLeavesNoFile) {
    TempFolder folder;
    WriteAll(folder / "Settings.bin", Settings(folder, 9, false));
    const std::string settings = folder / "Settings.bin", out = folder / "out.txt";
    const std::string kReason = "trend-record: no sample of instrument 1 was received";
    struct Case {
        const char* what;
        std::string capture;
    };
    const Case cases[] = {{"empty capture", ""},
                          {"noise only", std::string(3000, '\x55')},
                          {"another instrument", Frames(2, 500)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteAll(folder / "capture.raw", c.capture);
        std::filesystem::remove(out);
        std::string output;
        EXPECT_EQ(RunRecorder("--settings " + settings + " --out " + out + " --replay " +
                                  (folder / "capture.raw"),
                              &output),
                  1)
            << output;
        EXPECT_EQ(LastLine(output), kReason) << output;
        EXPECT_FALSE(Exists(out));
    }
    // Live, with no instrument attached.
    const std::string output = folder / "output.txt";
    const int status = RunRecorderUntil({"--settings", settings, "--out", out}, EmulatedBridges(""),
                                        1000ms, SIGINT, output);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1) << ReadAll(output);
    // The re-enumeration tool it started may still be talking after it.
    const std::string said = ReadAll(output);
    EXPECT_NE(said.find("reopenings\n" + kReason + "\n"), std::string::npos) << said;
    EXPECT_FALSE(Exists(out));
}

// On a full disk the start line cannot be written: live as in a replay, that ends the run.
TEST(TrendRecordProgramTest, AStartLineThatCannotBeWrittenEndsALiveRunAtOnce) {
    const LiveRig rig(0, Capture(2.0));
    const TempFolder& folder = rig.folder;
    pid_t child = -1;
    {
        // Inherited by the program; our own files are written before and after.
        FileSizeLimit full(8);
        child =
            StartRecorder({"--settings", rig.settings, "--out", folder / "out.txt"}, rig.bridge);
    }
    const std::optional<int> status = WaitForRecorder(child, 10s);
    ASSERT_TRUE(status) << "still running";
    ASSERT_TRUE(WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 1);
    // A device that takes nothing fails alike, and is not mistaken for an empty result file.
    EXPECT_EQ(RunRecorder("--settings " + (folder / "Settings.bin") + " --out /dev/full --force " +
                          "--replay " + (folder / "capture.raw")),
              1);
    EXPECT_TRUE(Exists("/dev/full"));
}

// The real path end to end: libftdi1 and the driver on an emulated bridge whose instrument
// streams the capture at the line rate, against a replay of the same capture.
TEST(TrendRecordProgramTest, RecordsFromAnEmulatedInstrumentWhatAReplayOfItsCaptureRecords) {
    // Two seconds of the simulated instrument, noise and corrupt frames included, go down the
    // line in about one and a half.
    const LiveRig rig(0, Capture(2.0));
    const std::string live = rig.folder / "live.txt", replay = rig.folder / "replay.txt";
    ASSERT_EQ(
        RunRecorder("--settings " + rig.settings + " --out " + replay + " --replay " + rig.capture),
        0);
    const int status =
        RunRecorderUntil({"--settings", rig.settings, "--out", live}, rig.bridge, 4000ms, SIGINT);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const std::vector<std::string> records = RecordLines(ReadAll(live));
    ASSERT_GT(records.size(), 10000u);
    EXPECT_TRUE(records == RecordLines(ReadAll(replay)));
}

}  // namespace
}  // namespace ts
