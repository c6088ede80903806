#include "app/window_options.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/data_folder.h"
#include "temp_folder.h"

namespace ts {
namespace {

TEST(WindowOptionsTest, TakesItsOwnOptionsLeavesQtItsWithTheirValuesAndRefusesTheRest) {
    struct Case {
        std::vector<const char*> arguments;
        bool simulator;
        const char* error;
        bool userData;
    };
    const Case cases[] = {
        {{"-platform", "offscreen", "--version"}, false, "", false},
        {{"-style", "Fusion", "--user-data", "-geometry", "640x480+0+0"}, false, "", true},
        {{"-reverse", "--user-data"}, false, "", true},
        // Qt takes its options with two dashes too, and -name from X11's conventions.
        {{"--platform", "offscreen", "--version"}, false, "", false},
        {{"-name", "foo", "--user-data"}, false, "", true},
        {{"--style", "Fusion", "--reverse", "-dialogs=none", "--user-data"}, false, "", true},
        {{"--platform", "offscreen", "--nonsense"},
         false,
         "unknown argument '--nonsense' (see --help)",
         false},
        {{"--line-rate"}, true, "", false},
        {{"--line-rate"}, false, "unknown argument '--line-rate' (see --help)", false},
        {{"results.txt"}, false, "unknown argument 'results.txt' (see --help)", false},
        {{"-style", "Fusion", "--bogus"}, false, "unknown argument '--bogus' (see --help)", false},
        // Neither ours nor Qt's: Qt would take it silently.
        {{"-bogus", "--version"}, false, "unknown argument '-bogus' (see --help)", false},
        {{"-line-rate"}, true, "unknown argument '-line-rate' (see --help)", false},
        {{"--user-data", "--open"}, false, "option '--open' needs a file name", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.back());
        const WindowOptions options = ParseWindowOptions(c.arguments, c.simulator);
        EXPECT_EQ(options.error, c.error);
        EXPECT_EQ(options.userData, c.userData);
    }
    // The Win32 window has no Qt to take them.
    EXPECT_EQ(ParseWindowOptions(std::vector{"-style", "Fusion"}, false, false).error,
              "unknown argument '-style' (see --help)");
    EXPECT_TRUE(ParseWindowOptions(std::vector{"--version"}, false).version);
    EXPECT_TRUE(ParseWindowOptions(std::vector{"--help"}, false).help);
    EXPECT_NE(WindowUsage(false).find("--user-data"), std::string::npos);
    EXPECT_EQ(WindowUsage(false).find("--line-rate"), std::string::npos);
}

// Files to look back at are named from the folder the program was started in, even when
// --user-data then moves the program to its data folder.
TEST(WindowOptionsTest, OpenNamesFilesFromTheStartingFolder) {
    const std::string here = (std::filesystem::current_path() / "r.txt").string();
    const std::string elsewhere =
        (std::filesystem::current_path() / "elsewhere" / "x (2).txt").string();
    const WindowOptions options = ParseWindowOptions(
        std::vector{"--open", "r.txt", "--user-data", "--open", elsewhere.c_str()}, false);
    EXPECT_EQ(options.error, "");
    EXPECT_EQ(options.open, (std::vector<std::string>{here, elsewhere}));
    EXPECT_TRUE(options.userData);
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
