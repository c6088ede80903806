// The window program as a session ends it: a stop signal closes the window as the user would,
// its settings saved, and no message box raised on the way keeps the process from ending.
#ifdef TS_STATION_PROGRAM

#include <gtest/gtest.h>

#include "file_size_limit.h"
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
        pid_t child = -1;
        {
            // Inherited by the program: its settings cannot be written, and the close says so
            // in a box that nobody is there to answer.
            std::optional<FileSizeLimit> full;
            if (!c.settingsWritable) full.emplace(8);
            // Qt's own option with its value, as a desktop entry may pass it.
            child = StartChild({TS_STATION_PROGRAM,
                                {"-platform", "offscreen"},
                                {{"LD_PRELOAD", TS_EMULATOR_PRELOAD}, {"TS_EMULATED_BRIDGES", ""}},
                                folder.path(),
                                folder / "output.txt"});
        }
        std::this_thread::sleep_for(2s);
        ::kill(child, c.signal);
        const std::optional<int> status = WaitForChild(child, 10s);
        ASSERT_TRUE(status) << "still running after the signal: " << ReadAll(folder / "output.txt");
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0)
            << *status << ReadAll(folder / "output.txt");
        if (c.settingsWritable) {
            EXPECT_TRUE(Exists(folder / "Settings.bin")) << "the close did not save the settings";
        } else {
            // The box the failed save raised was dismissed, its text kept in the output.
            EXPECT_NE(ReadAll(folder / "output.txt")
                          .find("trend-station: Файл настроек не удалось перезаписать!\n"),
                      std::string::npos)
                << ReadAll(folder / "output.txt");
        }
    }
}

}  // namespace
}  // namespace ts

#endif
