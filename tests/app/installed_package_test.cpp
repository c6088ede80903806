// The package as a user gets it: unpacked with dpkg -x into a scratch root and run from there.
// These run when TS_PACKAGE names the .deb (scripts/package makes it; CI sets it).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/recorder_program_rig.h"
#include "emulated_bridge_rig.h"
#include "settings_text.h"
#include "temp_folder.h"

namespace ts {
namespace {

using namespace std::chrono_literals;
using recorder_rig::RecordLines;

class InstalledPackageTest : public ::testing::Test {
protected:
    TempFolder root;
    TempFolder work;

    void SetUp() override {
        const char* package = std::getenv("TS_PACKAGE");
        if (package == nullptr || *package == '\0') GTEST_SKIP() << "TS_PACKAGE names no package";
        const std::string unpack = "dpkg -x '" + std::string(package) + "' '" + root.path() + "'";
        ASSERT_EQ(std::system(unpack.c_str()), 0) << unpack;
    }

    std::string Installed(const std::string& program) const {
        return root / ("usr/bin/" + program);
    }

    // The instrument, channel 1 recorded in every sample, all six tables loadable, so the
    // window starts without a single message box.
    void WriteSettings() const {
        WriteAll(work / "t.txt", std::string("0 0\r\n1023 100\r\n"));
        std::vector<std::pair<int, std::string>> lines = {
            {0, "KSL214.8N"}, {1, "TS000001"}, {9, "1"}, {30, "1"}};
        for (int table = 24; table < 30; ++table) lines.emplace_back(table, work / "t.txt");
        WriteAll(work / "Settings.bin", SettingsText(lines));
    }
};

TEST_F(InstalledPackageTest, TrendRecordReplaysACaptureAsTheTestedBuildDoes) {
    WriteSettings();
    WriteAll(work / "capture.raw", LineFrames(0.3));
    auto record = [&](const std::string& program, const std::string& out) {
        const std::string command = "'" + program + "' --settings '" + (work / "Settings.bin") +
                                    "' --out '" + (work / out) + "' --replay '" +
                                    (work / "capture.raw") + "' 2>/dev/null";
        return std::system(command.c_str());
    };
    ASSERT_EQ(record(Installed("trend-record"), "installed.txt"), 0);
    ASSERT_EQ(record(TS_RECORDER, "built.txt"), 0);
    const std::vector<std::string> records = RecordLines(ReadAll(work / "installed.txt"));
    EXPECT_GT(records.size(), 2000u);
    EXPECT_TRUE(records == RecordLines(ReadAll(work / "built.txt")));
    // And the installed trend-file reads it as the tested build's does.
    for (const auto& [program, out] : {std::pair{Installed("trend-file"), "installed.sum"},
                                       std::pair{std::string(TS_FILE_TOOL), "built.sum"}}) {
        const std::string command =
            "'" + program + "' summary '" + (work / "installed.txt") + "' > '" + (work / out) + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    EXPECT_EQ(ReadAll(work / "installed.sum").substr(0, 4), "CH1 ");
    EXPECT_EQ(ReadAll(work / "installed.sum"), ReadAll(work / "built.sum"));
}

TEST_F(InstalledPackageTest, TheWindowStartsItsReenumerationToolFromItsPrivateFolder) {
    WriteSettings();
    // A short stream: once it ends the link goes silent and the supervision re-enumerates.
    WriteAll(work / "capture.raw", LineFrames(0.3));
    const int status =
        RunFor({Installed("trend-station"),
                {},
                {{"LD_PRELOAD", TS_EMULATOR_PRELOAD},
                 {"TS_EMULATED_BRIDGES", "KSL214.8N,TS000001," + (work / "capture.raw")},
                 {"QT_QPA_PLATFORM", "offscreen"},
                 {"PATH", "/usr/bin:/bin"}},
                work.path(),
                work / "output.txt"},
               4s, SIGTERM);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    // Only the tool itself says this: it was found, started and given the instrument's serial.
    EXPECT_NE(ReadAll(work / "output.txt")
                  .find("devcon.exe: no USB device 0403:6001 with serial number TS000001"),
              std::string::npos)
        << ReadAll(work / "output.txt");
}

TEST_F(InstalledPackageTest, TheMenuEntryStartsTheProgramInItsDataFolder) {
    std::string exec;
    std::ifstream entry(root / "usr/share/applications/trend-station.desktop");
    for (std::string line; std::getline(entry, line);) {
        if (line.starts_with("Exec=")) exec = line.substr(5);
    }
    ASSERT_TRUE(exec.starts_with("trend-station ")) << exec;
    std::vector<std::string> arguments;
    std::istringstream words(exec.substr(14));
    for (std::string word; words >> word;) arguments.push_back(word);

    // As the desktop starts it: in the home folder, XDG_DATA_HOME unset.
    const std::string home = work / "home";
    std::filesystem::create_directories(home);
    const int status =
        RunFor({Installed("trend-station"),
                arguments,
                {{"HOME", home}, {"XDG_DATA_HOME", ""}, {"QT_QPA_PLATFORM", "offscreen"}},
                home,
                work / "output.txt"},
               2s, SIGTERM);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(std::filesystem::exists(home + "/.local/share/trend-station/Settings.bin"));
    EXPECT_FALSE(std::filesystem::exists(home + "/Settings.bin"));
}

// The recorder's user service, as systemd reads it: no unknown or misspelt setting, a program that
// is there and runs (the unit's own path, /usr/bin, pointed at the unpacked program), checked on
// an instance as `systemd-escape --path` names a folder.
TEST_F(InstalledPackageTest, TheRecorderServiceUnitPassesSystemdsCheck) {
    std::string unit = ReadAll(root / "usr/lib/systemd/user/trend-record@.service");
    const std::string program = "ExecStart=/usr/bin/trend-record ";
    const std::size_t at = unit.find(program);
    ASSERT_NE(at, std::string::npos) << "no service unit in the package, or another program";
    unit.replace(at, program.size(), "ExecStart=" + Installed("trend-record") + " ");
    std::filesystem::create_directories(work / "runtime");
    WriteAll(work / "trend-record@home-user-records.service", unit);
    const std::string command =
        "XDG_RUNTIME_DIR='" + (work / "runtime") + "' systemd-analyze verify --man=no --user '" +
        (work / "trend-record@home-user-records.service") + "' >'" + (work / "said.txt") + "' 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << ReadAll(work / "said.txt");
    EXPECT_EQ(ReadAll(work / "said.txt"), "");
}

}  // namespace
}  // namespace ts
