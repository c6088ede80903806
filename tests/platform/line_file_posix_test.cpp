#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/line_file.h"
#include "temp_folder.h"

namespace ts {
namespace {

TEST(ReadLineFileTest, AFifoIsRefusedWithoutWaitingForAWriter) {
    TempFolder folder;
    // A FIFO would block a plain open until a writer comes.
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    EXPECT_FALSE(ReadLineFile(folder / "fifo", 51, 100).readable);
}

}  // namespace
}  // namespace ts
