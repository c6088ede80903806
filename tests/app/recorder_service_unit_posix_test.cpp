// The recorder's user service as systemd starts it: the command line and the working folder the
// unit gives, read from the unit itself, run again after a crash as Restart= does.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "line_frames.h"
#include "recorder_program_rig.h"

namespace ts {
namespace {

using namespace recorder_rig;
using namespace std::chrono_literals;

constexpr std::string_view kInstalledProgram = "/usr/bin/trend-record";

struct ServiceStart {
    std::vector<std::string> arguments;
    bool inInstanceFolder = false;  // WorkingDirectory=%f: the folder the instance names
};

// ExecStart= and WorkingDirectory= of the unit's [Service] section.
ServiceStart ReadServiceStart(const std::string& unitPath) {
    ServiceStart start;
    std::ifstream unit(unitPath);
    bool service = false;
    for (std::string line; std::getline(unit, line);) {
        if (line.starts_with("[")) service = line == "[Service]";
        if (!service) continue;
        if (line == "WorkingDirectory=%f") start.inInstanceFolder = true;
        if (!line.starts_with("ExecStart=")) continue;
        std::istringstream words(line.substr(10));
        for (std::string word; words >> word;) start.arguments.push_back(word);
    }
    return start;
}

// A crash in the middle of a recording: systemd starts the unit's command line again, and the
// recording goes on in the next part, the cut one ended by its interruption line.
TEST(RecorderServiceUnitTest, ItsStartAfterACrashCarriesTheRecordingOn) {
    ServiceStart start =
        ReadServiceStart(std::string(TS_SOURCE_DIR) + "/tools/package/trend-record@.service");
    ASSERT_FALSE(start.arguments.empty()) << "no ExecStart=";
    ASSERT_EQ(start.arguments.front(), kInstalledProgram);
    ASSERT_TRUE(start.inInstanceFolder);
    start.arguments.erase(start.arguments.begin());
    // Settings.bin in the instance's folder, naming the emulated instrument.
    const LiveRig rig(6, LineFrames(20.0));
    const ChildRun service{TS_RECORDER, start.arguments, rig.bridge, rig.folder.path(),
                           rig.folder / "journal.txt"};

    const pid_t crashed = StartChild(service);
    WaitForFile(rig.folder / "results.txt");
    std::this_thread::sleep_for(800ms);
    ::kill(crashed, SIGKILL);
    ASSERT_TRUE(WaitForChild(crashed, 10s));
    const std::string cut = ReadAll(rig.folder / "results.txt");

    const int status = RunFor(service, 2500ms, SIGTERM);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << ReadAll(rig.folder / "journal.txt");
    const std::string ended = ReadAll(rig.folder / "results.txt");
    EXPECT_EQ(ended.substr(0, cut.size()), cut);
    // The interruption, then the part it goes on in.
    ASSERT_EQ(Lines(ended).size(), Lines(cut).size() + 2) << ended.substr(cut.size());
    EXPECT_TRUE(Lines(ended)[Lines(cut).size()].ends_with(kInterruptedEnd));
    EXPECT_TRUE(ended.ends_with(kGoesOnEnd + "results (2).txt\r\n"));
    std::vector<std::string> next = Lines(ReadAll(rig.folder / "results (2).txt"));
    ASSERT_GT(next.size(), 10u) << ReadAll(rig.folder / "journal.txt");
    EXPECT_EQ(next[1], Lines(cut)[1]);
    EXPECT_NE(next[2].find(kCarriedOnPart + "2"), std::string::npos) << next[2];
    next.erase(next.begin() + 2);
    EXPECT_TRUE(RecordsEvery(next, 0.1));
}

}  // namespace
}  // namespace ts
