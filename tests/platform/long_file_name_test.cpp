// The long form of a file's name (\\?\C:\..., how Windows writes names longer than 260
// characters) names that file: it is checked, written and read as the plain name is. Linux has no
// such form; there the plain name stands in for it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/run_files.h"
#include "file_text.h"
#include "platform/file_status.h"
#include "platform/system_file.h"
#include "temp_folder.h"

namespace ts {
namespace {

std::string LongForm(std::string path) {
#ifdef _WIN32
    std::replace(path.begin(), path.end(), '/', '\\');
    return "\\\\?\\" + path;
#else
    return path;
#endif
}

TEST(LongFileNameTest, NamesTheFileOfItsPlainName) {
    const TempFolder folder;
    const std::string name = LongForm(folder / "x.txt");
    EXPECT_FALSE(NamesDevice(name)) << name;
    EXPECT_EQ(CheckOutputFile(name, false), "");
    {
        SystemFile file;
        ASSERT_TRUE(file.OpenForWriting(name, false)) << name;
        EXPECT_EQ(file.Write("12\r\n", 4), 4u);
    }
    EXPECT_EQ(ReadAll(folder / "x.txt"), "12\r\n");
    SystemFile again;
    EXPECT_TRUE(again.OpenRegularForReading(name));
    EXPECT_EQ(CheckOutputFile(name, false), name + " exists; use --force to replace it");
#ifdef _WIN32
    // The device form of the same name stays a device, whatever --force says.
    const std::string device = "\\\\.\\" + name.substr(4);
    EXPECT_TRUE(NamesDevice(device));
    EXPECT_EQ(CheckOutputFile(device, true), device + " names a device, not a file");
#endif
}

}  // namespace
}  // namespace ts
