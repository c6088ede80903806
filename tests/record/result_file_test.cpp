#include "record/result_file.h"

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

TEST_F(ResultFileTest, OpenEmptiesAnExistingFileAndCloseLetsItGo) {
    std::ofstream(path_) << "an earlier measurement\r\n";
    ResultFile file;
    ASSERT_TRUE(file.Open(path_));
    EXPECT_EQ(ReadAll(path_), "");
    EXPECT_TRUE(HeldOpen(path_));
    EXPECT_TRUE(file.Close());
    EXPECT_FALSE(HeldOpen(path_));
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
}  // namespace
}  // namespace ts
