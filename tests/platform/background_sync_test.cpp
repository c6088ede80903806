// The sync that runs beside the writer: on a second handle of the file, so the writer goes on
// writing (and may even close its own) while the medium catches up.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "file_text.h"
#include "platform/background_sync.h"
#include "platform/system_file.h"
#include "temp_folder.h"

namespace ts {
namespace {

TEST(BackgroundSyncTest, SyncsBesideAWriterThatGoesOnAndClosesItsOwnHandle) {
    TempFolder folder;
    BackgroundSync sync;
    SystemFile file;
    ASSERT_TRUE(file.OpenForWriting(folder / "result.txt", false));
    for (std::uint64_t round = 1; round <= 3; ++round) {
        ASSERT_EQ(file.Write("line\r\n", 6), 6u);
        // The sync's thread may still hold its lock for a moment after the last one ended: a
        // tick that finds it so leaves the sync to the next, and so does this loop.
        bool begun = false;
        for (int wait = 0; wait < 1'000 && !(begun = sync.Begin(file)); ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_TRUE(begun);
        // Written and closed while the sync may still run on its own handle.
        if (round == 3) {
            ASSERT_TRUE(file.Close());
        }
        for (int wait = 0; wait < 10'000 && sync.Completed() < round; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_EQ(sync.Completed(), round);
    }
    EXPECT_EQ(sync.Failures(), 0u);
    EXPECT_EQ(ReadAll(folder / "result.txt"), "line\r\nline\r\nline\r\n");
    // With the writer's handle gone there is nothing to sync.
    EXPECT_FALSE(sync.Begin(file));
}

}  // namespace
}  // namespace ts
