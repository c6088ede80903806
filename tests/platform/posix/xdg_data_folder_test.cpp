#include "platform/posix/xdg_data_folder.h"

#include <gtest/gtest.h>

namespace ts {
namespace {

TEST(DataFolderTest, XdgDataHomeWhenAbsoluteElseTheHomeFoldersShareFolder) {
    EXPECT_EQ(XdgUserDataFolder("/data", "/home/u"), "/data/trend-station");
    EXPECT_EQ(XdgUserDataFolder("relative", "/home/u"), "/home/u/.local/share/trend-station");
    EXPECT_EQ(XdgUserDataFolder("", "/home/u"), "/home/u/.local/share/trend-station");
    EXPECT_EQ(XdgUserDataFolder(nullptr, "/home/u"), "/home/u/.local/share/trend-station");
    EXPECT_EQ(XdgUserDataFolder(nullptr, nullptr), "");
    EXPECT_EQ(XdgUserDataFolder(nullptr, "home"), "");
}

}  // namespace
}  // namespace ts
