#pragma once

// The trend-record program's refusals, one table for both systems: each case names one file
// twice (whatever the spelling), or would write over a file the run reads, and must end with
// status 2 and one line, before anything is created or emptied. The Linux test runs the Linux
// program, the Windows one the .exe under wine.

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>

#include "recorder_rig.h"

namespace ts::recorder_rig {

// Runs the program in `folder` with `arguments`; its exit status, standard output and error
// together into `output`.
using ProgramRun = std::function<int(const std::string& arguments, std::string* output,
                                     const std::string& folder)>;

// `withLinks`: the cases that need symbolic links, which wine cannot make.
inline void CheckRefusalsDestroyNothing(const ProgramRun& run, bool withLinks) {
    TempFolder folder;
    const std::string settings = Settings(folder, 0, false);
    const std::string capture = Capture(0.5);
    std::string noChannel = settings;
    for (int line = 9; line <= 14; ++line) {
        std::size_t at = 0;
        for (int i = 0; i < line; ++i) at = noChannel.find("\r\n", at) + 2;
        noChannel[at] = '0';
    }
    struct Case {
        const char* what;
        std::string settingsFile;
        std::string arguments;
        bool link;
    };
    const Case cases[] = {
        {"result over the settings", settings, "--out ./Settings.bin --replay capture.raw", false},
        {"result over the capture", settings, "--out link.raw --replay capture.raw", true},
        {"raw over the settings", settings,
         "--out r.txt --raw sub/../Settings.bin --replay capture.raw", false},
        {"raw over the capture", settings, "--out r.txt --raw ./capture.raw --replay capture.raw",
         false},
        {"raw over the result", settings, "--out r.txt --raw ./r.txt --replay capture.raw", false},
        {"settings as the capture", settings,
         "--settings capture.raw --out r.txt --replay ./capture.raw", false},
        {"settings that select no channel", noChannel,
         "--out raw-before.bin --raw old.raw --replay capture.raw", false},
        {"result over a table of the settings", settings, "--out ./t1.txt --replay capture.raw",
         false},
        {"result over a table of the options", settings,
         "--out t6.txt --table 6=t6.txt --replay capture.raw", false},
        {"raw over a table", settings, "--out r.txt --raw sub/../t3.txt --replay capture.raw",
         false},
        {"result through a link to the raw to come", settings,
         "--out coming.txt --raw new.raw --replay capture.raw", true},
    };
    for (const Case& c : cases) {
        if (c.link && !withLinks) continue;
        SCOPED_TRACE(c.what);
        WriteAll(folder / "Settings.bin", c.settingsFile);
        WriteAll(folder / "capture.raw", capture);
        WriteAll(folder / "old.raw", "earlier capture");
        std::filesystem::create_directories(folder / "sub");
        if (withLinks) {
            std::filesystem::remove(folder / "link.raw");
            std::filesystem::create_symlink("capture.raw", folder / "link.raw");
            std::filesystem::remove(folder / "coming.txt");
            std::filesystem::create_symlink("new.raw", folder / "coming.txt");
        }
        WriteTables(folder);
        WriteAll(folder / "t6.txt", "0 0\r\n1023 6\r\n");
        std::string output;
        EXPECT_EQ(run("--force " + c.arguments, &output, folder.path()), 2) << output;
        EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;
        EXPECT_TRUE(ReadAll(folder / "Settings.bin") == c.settingsFile);
        EXPECT_TRUE(ReadAll(folder / "capture.raw") == capture);
        EXPECT_EQ(ReadAll(folder / "old.raw"), "earlier capture");
        EXPECT_FALSE(Exists(folder / "r.txt"));
        EXPECT_FALSE(Exists(folder / "raw-before.bin"));
        EXPECT_FALSE(Exists(folder / "new.raw"));
        EXPECT_TRUE(ReadAll(folder / "t1.txt") == "0 0\r\n1023 100\r\n");
        EXPECT_TRUE(ReadAll(folder / "t3.txt") == "0 -5\r\n512 5\r\n1023 -5\r\n");
        EXPECT_TRUE(ReadAll(folder / "t6.txt") == "0 0\r\n1023 6\r\n");
    }
}

// Status 2 and one line of reason for what cannot drive a recording; --force alone replaces a
// result file.
inline void CheckExitStatusAndForce(const ProgramRun& run) {
    TempFolder folder;
    WriteAll(folder / "Settings.bin", Settings(folder, 9, false));
    WriteAll(folder / "capture.raw", Capture(1.0));
    WriteAll(folder / "exists.txt", "earlier measurement");
    const std::string settings = " --settings " + (folder / "Settings.bin");
    std::string errors;
    EXPECT_EQ(run("--bogus", &errors, {}), 2);
    EXPECT_EQ(errors, "trend-record: unknown argument '--bogus' (see --help)\n");
    EXPECT_EQ(run("--out " + (folder / "x.txt") + " --settings " + (folder / "none"), &errors, {}),
              2);
    EXPECT_EQ(run("--out " + (folder / "x.txt") + settings + " --replay " + (folder / "none.raw"),
                  &errors, {}),
              2);
    EXPECT_EQ(errors, "trend-record: cannot read the capture " + (folder / "none.raw") + "\n");
    EXPECT_EQ(run("--out " + (folder / "no/such/dir.txt") + settings + " --replay " +
                      (folder / "capture.raw"),
                  &errors, {}),
              2);
    EXPECT_EQ(
        run("--out " + (folder / "exists.txt") + settings + " --replay " + (folder / "capture.raw"),
            &errors, {}),
        2);
    EXPECT_EQ(ReadAll(folder / "exists.txt"), "earlier measurement");
    EXPECT_EQ(run("--out " + (folder / "exists.txt") + settings + " --force --replay " +
                      (folder / "capture.raw"),
                  &errors, {}),
              0)
        << errors;
    // Start, header, the record at 0 s (the capture is under a second long), stop.
    EXPECT_EQ(Lines(ReadAll(folder / "exists.txt")).size(), 4u);
    EXPECT_EQ(run("--help", &errors, {}), 0);
    EXPECT_NE(errors.find("--replay CAPTURE"), std::string::npos);
}

}  // namespace ts::recorder_rig
