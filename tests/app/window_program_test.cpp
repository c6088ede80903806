// The window program as a session ends it: a stop signal closes the window as the user would,
// its settings saved, and no message box raised on the way keeps the process from ending.
#ifdef TS_STATION_PROGRAM

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "recorder_program_rig.h"

namespace ts {
namespace {

using namespace recorder_rig;

TEST(WindowProgramTest, EachStopSignalClosesTheWindowAndEndsTheProcess) {
    struct Case {
        int signal;
        bool settingsWritable;
    };
    for (const Case c : {Case{SIGTERM, true}, Case{SIGHUP, true}, Case{SIGINT, true},
                         Case{SIGTERM, false}, Case{SIGHUP, false}}) {
        SCOPED_TRACE(std::to_string(c.signal) +
                     (c.settingsWritable ? "" : ", settings unwritable"));
        TempFolder folder;
        // The output goes through a pipe, which no file size limit cuts short; it is read once
        // the program has ended (it says far less than a pipe holds).
        const std::string pipe = folder / "output";
        ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
        const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(reader, 0);
        // Qt's own option with its value, as a desktop entry may pass it.
        ChildRun run{TS_STATION_PROGRAM,
                     {"-platform", "offscreen"},
                     {{"LD_PRELOAD", TS_EMULATOR_PRELOAD}, {"TS_EMULATED_BRIDGES", ""}},
                     folder.path(),
                     pipe};
        // A limit on the size of its files, as a shell sets it: its settings cannot be written,
        // and the close says so in a box that nobody is there to answer, rather than ending the
        // program half-way by the limit's signal.
        if (!c.settingsWritable) run.fileSizeLimit = 8;
        const pid_t child = StartChild(run);
        std::this_thread::sleep_for(2s);
        ::kill(child, c.signal);
        const std::optional<int> status = WaitForChild(child, 10s);
        std::string output;
        char buffer[4096];
        for (ssize_t got; (got = ::read(reader, buffer, sizeof buffer)) > 0;) {
            output.append(buffer, static_cast<std::size_t>(got));
        }
        ::close(reader);
        ASSERT_TRUE(status) << "still running after the signal: " << output;
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status << output;
        if (c.settingsWritable) {
            EXPECT_TRUE(Exists(folder / "Settings.bin")) << "the close did not save the settings";
        } else {
            // The box the failed save raised was dismissed, its text kept in the output.
            EXPECT_NE(output.find("trend-station: Файл настроек не удалось перезаписать!\n"),
                      std::string::npos)
                << output;
        }
    }
}

}  // namespace
}  // namespace ts

#endif
