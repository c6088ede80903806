#include "platform/posix/xdg_data_folder.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>

#include "app/window_options.h"
#include "temp_folder.h"

namespace ts {
namespace {

TEST(DataFolderTest, XdgDataHomeWhenAbsoluteElseTheHomeFoldersShareFolder) {
    EXPECT_EQ(XdgUserDataFolder("/data", "/home/u"), "/data/trend-station");
    EXPECT_EQ(XdgUserDataFolder("relative", "/home/u"), "/home/u/.local/share/trend-station");
    EXPECT_EQ(XdgUserDataFolder("", "/home/u"), "/home/u/.local/share/trend-station");
    EXPECT_EQ(XdgUserDataFolder(nullptr, "/home/u"), "/home/u/.local/share/trend-station");
    EXPECT_EQ(XdgUserDataFolder(nullptr, nullptr), "");
    EXPECT_EQ(XdgUserDataFolder(nullptr, "home"), "");
    EXPECT_EQ(XdgUserDataFolder("/data", "/home/u", "trend-station-sim"),
              "/data/trend-station-sim");
}

// The simulator's demonstration settings never take the place of the real program's.
TEST(DataFolderTest, EachWindowProgramWorksInAFolderOfItsOwn) {
    TempFolder folder;
    const std::filesystem::path before = std::filesystem::current_path();
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string xdgBefore = saved ? saved : "";
    ::setenv("XDG_DATA_HOME", folder.path().c_str(), 1);
    WindowOptions options;
    options.userData = true;
    for (const bool simulator : {false, true}) {
        std::string error;
        EXPECT_EQ(ActBeforeWindow(options, {.simulator = simulator}, error), std::nullopt);
        EXPECT_EQ(error, "");
        EXPECT_EQ(std::filesystem::current_path(),
                  folder / (simulator ? "trend-station-sim" : "trend-station"));
    }
    std::filesystem::current_path(before);
    if (saved) {
        ::setenv("XDG_DATA_HOME", xdgBefore.c_str(), 1);
    } else {
        ::unsetenv("XDG_DATA_HOME");
    }
}

}  // namespace
}  // namespace ts
