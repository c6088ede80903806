#include <fcntl.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "file_size_limit.h"
#include "record/result_file.h"
#include "recording_fixture.h"

namespace ts {
namespace {

// Set up with what only Linux offers: a file size limit for a full disk, and the process's
// own descriptor table.
class ResultFileOnLinuxTest : public ::testing::Test {
protected:
    TempFolder folder_;
    std::string path_ = folder_ / "r.txt";
};

int DescriptorOf(const std::string& path) {
    namespace fs = std::filesystem;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (fs::read_symlink(entry.path(), error) == fs::weakly_canonical(path) && !error) {
            return std::stoi(entry.path().filename().string());
        }
    }
    return -1;
}

TEST_F(ResultFileOnLinuxTest, IsNotInheritedByStartedProcesses) {
    ResultFile file;
    ASSERT_TRUE(file.Open(path_));
    const int fd = DescriptorOf(path_);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(fcntl(fd, F_GETFD) & FD_CLOEXEC);
}

TEST_F(ResultFileOnLinuxTest, AFailedWriteLeavesOnlyWholeLinesAndTheNextLineFollowsThem) {
    ResultFile file;
    ASSERT_TRUE(file.Open(path_));
    ASSERT_TRUE(file.Append("first line\r\n"));
    ASSERT_TRUE(file.Flush());
    {
        // Room for the next line and half of the one after it.
        FileSizeLimit limit(12 + 12 + 6);
        ASSERT_TRUE(file.Append("second one\r\n"));
        ASSERT_TRUE(file.Append("third line\r\n"));
        EXPECT_FALSE(file.Flush());
        EXPECT_EQ(ReadAll(path_), "first line\r\nsecond one\r\n");
        // Still full: nothing at all arrives, and nothing is half written.
        ASSERT_TRUE(file.Append("fourth one\r\n"));
        EXPECT_FALSE(file.Flush());
        EXPECT_EQ(ReadAll(path_), "first line\r\nsecond one\r\n");
    }
    ASSERT_TRUE(file.Append("fifth line\r\n"));
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(ReadAll(path_), "first line\r\nsecond one\r\nfifth line\r\n");
}

TEST_F(ResultFileOnLinuxTest, CloseReportsLinesThatCouldNotBeWrittenAndStillCloses) {
    ResultFile file;
    ASSERT_TRUE(file.Open(path_));
    {
        FileSizeLimit limit(4);
        ASSERT_TRUE(file.Append("a record line\r\n"));
        EXPECT_FALSE(file.Close());
    }
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(HeldOpen(path_));
    EXPECT_EQ(ReadAll(path_), "");
}

}  // namespace
}  // namespace ts
