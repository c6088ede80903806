#include "app/window_options.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/data_folder.h"
#include "temp_folder.h"

namespace ts {
namespace {

TEST(WindowOptionsTest, TakesItsOwnOptionsLeavesQtItsAndRefusesTheRest) {
    auto parse = [](std::vector<const char*> arguments, bool simulator = false) {
        return ParseWindowOptions(arguments, simulator);
    };
    EXPECT_TRUE(parse({"--user-data", "-platform", "offscreen"}).userData);
    EXPECT_TRUE(parse({"--line-rate"}, true).lineRate);
    EXPECT_EQ(parse({"--line-rate"}).error, "unknown argument '--line-rate' (see --help)");
    EXPECT_EQ(parse({"results.txt"}).error, "unknown argument 'results.txt' (see --help)");
    EXPECT_TRUE(parse({"--version"}).version && parse({"--help"}).help);
    EXPECT_NE(WindowUsage(false).find("--user-data"), std::string::npos);
    EXPECT_EQ(WindowUsage(false).find("--line-rate"), std::string::npos);
}

TEST(DataFolderTest, EnteringCreatesEveryMissingLevelOrSaysWhyNot) {
    TempFolder folder;
    const std::filesystem::path before = std::filesystem::current_path();
    std::string error;
    const std::string wanted = folder / "a/b/trend-station";
    ASSERT_TRUE(EnterFolder(wanted, error)) << error;
    EXPECT_EQ(std::filesystem::current_path(), wanted);
    std::filesystem::current_path(before);

    std::ofstream(folder / "file") << "x";
    EXPECT_FALSE(EnterFolder(folder / "file/trend-station", error));
    EXPECT_NE(error.find("file"), std::string::npos);
    EXPECT_FALSE(EnterFolder("", error));
}

}  // namespace
}  // namespace ts
