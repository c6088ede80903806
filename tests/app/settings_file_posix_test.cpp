#include <gtest/gtest.h>

#include <filesystem>

#include "base/texts.h"
#include "file_size_limit.h"
#include "settings_file_rig.h"

namespace ts {
namespace {

using sim::TestUi;

TEST_F(SettingsFileTest, AFailedSaveWarnsAndLeavesTheOldFileWhole) {
    const LineList old = With(kDefaults, {{0, "Old"}});
    WriteSettings(old);
    st().link().SetIdentity("New", st().link().Serial());
    {
        FileSizeLimit full(100);
        st().settings().Save();
    }
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].kind, TestUi::BoxKind::Warning);
    EXPECT_EQ(ui.boxes[0].text, text::kMsgSettingsWriteFailed);
    EXPECT_EQ(FileLines(), old);
    // The line list is refilled all the same, and memory keeps its values.
    EXPECT_EQ(st().settings().Lines(), With(kDefaults, {{0, "New"}}));
    EXPECT_EQ(st().link().Description(), "New");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);
}

// Linux keeps the settings file's text as it is: a path in another encoding than UTF-8, as the
// original program wrote it, still names its file.
TEST_F(SettingsFileTest, ATablePathInAnotherEncodingIsKeptByteForByte) {
    const std::string path = "/data/\xD4\xE0\xE9\xEB.txt";
    WriteSettings(With(kDefaults, {{29, path}}));
    st().settings().Load();
    EXPECT_EQ(st().measurement().Tables().Paths()[5], path);
    EXPECT_EQ(st().settings().Lines()[29], path);
    std::filesystem::remove(SettingsPath());
    st().settings().Save();
    EXPECT_EQ(FileLines()[29], path);
}

}  // namespace
}  // namespace ts
