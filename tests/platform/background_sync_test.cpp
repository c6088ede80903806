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

bool EndsWithin(const BackgroundSync& sync, std::uint64_t completed) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (sync.Completed() < completed) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TEST(BackgroundSyncTest, SyncsBesideAWriterThatGoesOnAndClosesItsOwnHandle) {
    TempFolder folder;
    const std::string path = folder / "result.txt";
    BackgroundSync sync;
    SystemFile file;
    ASSERT_TRUE(file.OpenForWriting(path, false));
    std::string written;
    for (std::uint64_t round = 1; round <= 3; ++round) {
        const std::string line = "line " + std::to_string(round) + "\r\n";
        ASSERT_EQ(file.Write(line.data(), line.size()), line.size());
        written += line;
        ASSERT_TRUE(sync.Begin(file));
        // Written and closed while the sync may still run on its own handle.
        if (round == 3) {
            EXPECT_TRUE(file.Close());
        }
        ASSERT_TRUE(EndsWithin(sync, round));
    }
    EXPECT_EQ(sync.Failures(), 0u);
    EXPECT_EQ(ReadAll(path), written);
    // With the writer's handle gone there is nothing to sync.
    EXPECT_FALSE(sync.Begin(file));
}

}  // namespace
}  // namespace ts
