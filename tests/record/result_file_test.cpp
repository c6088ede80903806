#include "record/result_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "recording_fixture.h"

namespace ts {
namespace {

class ResultFileTest : public ::testing::Test {
protected:
    TempFolder folder_;
    std::string path_ = folder_ / "r.txt";
};

TEST_F(ResultFileTest, OpenEmptiesAnExistingFileAndIsNotInheritedByStartedProcesses) {
    std::ofstream(path_) << "an earlier measurement\r\n";
    ResultFile file;
    ASSERT_TRUE(file.Open(path_));
    EXPECT_EQ(ReadAll(path_), "");
    const int fd = OpenDescriptorOf(path_);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(fcntl(fd, F_GETFD) & FD_CLOEXEC);
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(OpenDescriptorOf(path_), -1);
}

TEST_F(ResultFileTest, LinesWaitInTheBufferUntilFlushedOrClosed) {
    ResultFile file;
    ASSERT_TRUE(file.Open(path_));
    ASSERT_TRUE(file.Append("one\r\n"));
    ASSERT_TRUE(file.Append("two\r\n"));
    EXPECT_EQ(ReadAll(path_), "");
    ASSERT_TRUE(file.Flush());
    EXPECT_EQ(ReadAll(path_), "one\r\ntwo\r\n");
    ASSERT_TRUE(file.Append("three\r\n"));
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(ReadAll(path_), "one\r\ntwo\r\nthree\r\n");
}

TEST_F(ResultFileTest, AFullBufferGoesToTheFileBeforeTheNextLine) {
    ResultFile file;
    ASSERT_TRUE(file.Open(path_));
    const std::string line(99, 'x');
    const std::string crlf = line + "\r\n";  // 101 bytes: never a whole number per buffer
    std::size_t appended = 0;
    while (file.PendingBytes() + crlf.size() <= ResultFile::kBufferCapacity) {
        ASSERT_TRUE(file.Append(crlf));
        ++appended;
    }
    EXPECT_EQ(ReadAll(path_).size(), 0u);
    ASSERT_TRUE(file.Append(crlf));
    EXPECT_EQ(ReadAll(path_).size(), appended * crlf.size());
    EXPECT_EQ(file.PendingBytes(), crlf.size());
}

TEST_F(ResultFileTest, AFailedWriteLeavesOnlyWholeLinesAndTheNextLineFollowsThem) {
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

TEST_F(ResultFileTest, CloseReportsLinesThatCouldNotBeWrittenAndStillCloses) {
    ResultFile file;
    ASSERT_TRUE(file.Open(path_));
    {
        FileSizeLimit limit(4);
        ASSERT_TRUE(file.Append("a record line\r\n"));
        EXPECT_FALSE(file.Close());
    }
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(OpenDescriptorOf(path_), -1);
    EXPECT_EQ(ReadAll(path_), "");
}

}  // namespace
}  // namespace ts
