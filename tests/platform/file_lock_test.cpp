#include "platform/file_lock.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "file_text.h"
#include "temp_folder.h"

namespace ts {
namespace {

using Outcome = FileLock::Outcome;

// One holder at a time, in one process as between two; what it holds stays readable and
// writable by anyone, and it is free again once let go.
TEST(FileLockTest, OneHolderAtATimeAndTheFileFreeToReadAndWrite) {
    TempFolder folder;
    const std::string path = folder / "note";
    FileLock first, second;
    ASSERT_EQ(first.Take(path), Outcome::Taken);
    EXPECT_EQ(ReadAll(path), "");
    EXPECT_EQ(second.Take(path), Outcome::HeldElsewhere);
    WriteAll(path, "held");
    first.Release();
    ASSERT_EQ(second.Take(path), Outcome::Taken);
    EXPECT_EQ(ReadAll(path), "held") << "written while held, and not emptied by a take";
    second.RemoveAndRelease();
    EXPECT_FALSE(std::filesystem::exists(FilePath(path)));
    EXPECT_EQ(first.Take(path), Outcome::Taken) << "a removed file's hold is gone with it";
    EXPECT_EQ(second.Take(folder / "no folder/note"), Outcome::Failed);
}

}  // namespace
}  // namespace ts
