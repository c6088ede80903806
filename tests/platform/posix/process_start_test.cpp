#include "platform/process_start.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "file_text.h"
#include "platform/posix/find_executable.h"
#include "temp_folder.h"

namespace ts {
namespace {

void MakeScript(const std::string& path, const std::string& body, bool executable = true) {
    std::ofstream(path) << "#!/bin/sh\n" << body;
    ::chmod(path.c_str(), executable ? 0755 : 0644);
}

// Runs `check` from inside `folder` and returns to where we were.
template <typename F>
void InFolder(const std::string& folder, F check) {
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    check();
    std::filesystem::current_path(previous);
}

// Waits for a child's result file; a child is given generous time, the test
// measures nothing.
std::string AwaitFile(const std::string& path) {
    for (int i = 0; i < 1000 && !std::filesystem::exists(path); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return ReadAll(path);
}

TEST(FindExecutableTest, OwnFolderFirstThenAbsolutePathEntriesNeverTheCurrentFolder) {
    TempFolder own, onPath, current;
    MakeScript(own / "tool.exe", "");
    MakeScript(onPath / "tool.exe", "");
    MakeScript(onPath / "other.exe", "");
    MakeScript(current / "tool.exe", "");
    MakeScript(current / "here.exe", "");
    MakeScript(onPath / "plain.exe", "", false);
    std::filesystem::create_directory(onPath / "dir.exe");

    const std::string path = "/nonexistent:" + onPath.path();
    EXPECT_EQ(FindExecutable("tool.exe", own.path(), path), own / "tool.exe");
    EXPECT_EQ(FindExecutable("tool.exe", "", path), onPath / "tool.exe");
    EXPECT_EQ(FindExecutable("other.exe", own.path(), path), onPath / "other.exe");
    EXPECT_EQ(FindExecutable("plain.exe", own.path(), path), "");
    EXPECT_EQ(FindExecutable("dir.exe", own.path(), path), "");
    EXPECT_EQ(FindExecutable("", own.path(), path), "");

    InFolder(current.path(), [&] {
        // Empty, "." and relative entries all mean the current folder.
        EXPECT_EQ(FindExecutable("here.exe", own.path(), ":.:./:sub:" + onPath.path() + ":"), "");
        EXPECT_EQ(FindExecutable("here.exe", "", ""), "");
        // Named with a slash, the file is taken as given.
        EXPECT_EQ(FindExecutable("./here.exe", "", ""), "./here.exe");
    });
    EXPECT_EQ(FindExecutable(current / "here.exe", "", ""), current / "here.exe");
}

TEST(FindExecutableTest, TheHelperToolIsFoundBesideTheProgramsAndInTheirInstalledPrivateFolder) {
    const std::string own = OwnFolder();
    ASSERT_FALSE(own.empty());
    EXPECT_EQ(FindExecutable("devcon.exe", own, ""), own + "/devcon.exe");

    TempFolder root;
    std::filesystem::create_directories(root / "usr/bin");
    std::filesystem::create_directories(root / "usr/lib/trend-station");
    MakeScript(root / "usr/lib/trend-station/devcon.exe", "");
    EXPECT_EQ(FindExecutable("devcon.exe", root / "usr/bin", ""),
              root / "usr/lib/trend-station/devcon.exe");
}

TEST(StartDetachedProcessTest, StartsWithTheSplitArgumentsNoShellNoInheritedFilesAndIsReaped) {
    TempFolder folder;
    // Reports its arguments, whether descriptor $1 is open in it, and its pid.
    MakeScript(folder / "report.sh",
               "out=$(dirname \"$0\")/report\n"
               "{ if [ -e /proc/$$/fd/$1 ]; then echo open; else echo closed; fi\n"
               "  for a in \"$@\"; do echo \"[$a]\"; done; echo $$; } > \"$out.tmp\"\n"
               "mv \"$out.tmp\" \"$out\"\n");
    // A descriptor this process opened without close-on-exec.
    const int leaky = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(leaky, 3);
    const std::string fd = std::to_string(leaky);

    ASSERT_TRUE(StartDetachedProcess("\"" + (folder / "report.sh") + "\" " + fd +
                                     R"( "two words" a\"b $(touch x) ;*)"));
    const std::string report = AwaitFile(folder / "report");
    ::close(leaky);

    std::istringstream lines(report);
    std::string state, line;
    std::getline(lines, state);
    EXPECT_EQ(state, "closed");
    std::vector<std::string> args;
    while (std::getline(lines, line) && !line.empty() && line.front() == '[') args.push_back(line);
    EXPECT_EQ(args, (std::vector<std::string>{"[" + fd + "]", "[two words]", "[a\"b]", "[$(touch]",
                                              "[x)]", "[;*]"}));
    EXPECT_FALSE(std::filesystem::exists(folder / "x"));
    const std::string pid = line;
    ASSERT_FALSE(pid.empty());

    // Once it has ended it is reaped: no zombie is left.
    std::size_t running = 1;
    for (int i = 0; i < 1000 && running > 0; ++i) {
        running = ReapFinishedChildren();
        if (running > 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(running, 0u);
    EXPECT_FALSE(std::filesystem::exists("/proc/" + pid));
}

TEST(StartDetachedProcessTest, AMissingProgramOrAnEmptyLineStartsNothing) {
    EXPECT_FALSE(StartDetachedProcess("no-such-tool-of-ours.exe disable \"x\""));
    EXPECT_FALSE(StartDetachedProcess(""));
    EXPECT_FALSE(StartDetachedProcess("   "));
    EXPECT_EQ(ReapFinishedChildren(), 0u);
}

}  // namespace
}  // namespace ts
