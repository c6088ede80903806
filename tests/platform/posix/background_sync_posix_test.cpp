// What the background sync hands to the medium, seen at the system call itself: this program's
// own fdatasync() stands in front of the C library's, notes who called it and how much of the
// file was there, and passes the call on.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "platform/background_sync.h"
#include "platform/system_file.h"
#include "temp_folder.h"

namespace {

using SyncCall = std::pair<std::thread::id, struct stat>;  // who called, on what
std::mutex noted;
std::vector<SyncCall>* calls = nullptr;  // noted while set

}  // namespace

extern "C" int fdatasync(int fd) {
    {
        const std::lock_guard lock(noted);
        if (calls != nullptr) ::fstat(fd, &calls->emplace_back(SyncCall{}).second);
        if (calls != nullptr) calls->back().first = std::this_thread::get_id();
    }
    static const auto next = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fdatasync"));
    return next(fd);
}

namespace ts {
namespace {

// Every byte written before the sync began reaches the medium's call for that very file, made
// on a thread other than the writer's.
TEST(BackgroundSyncPosixTest, TheWrittenDataReachTheMediumsCallOnAnotherThread) {
    TempFolder folder;
    SystemFile file;
    ASSERT_TRUE(file.OpenForWriting(folder / "result.txt", false));
    const std::string bytes(100'000, 'x');
    ASSERT_EQ(file.Write(bytes.data(), bytes.size()), bytes.size());
    std::vector<SyncCall> seen;
    BackgroundSync sync;
    {
        const std::lock_guard lock(noted);
        calls = &seen;
    }
    ASSERT_TRUE(sync.Begin(file));
    for (int wait = 0; wait < 10'000 && sync.Completed() < 1; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const std::lock_guard lock(noted);
    calls = nullptr;
    struct stat written {};
    ASSERT_EQ(::stat((folder / "result.txt").c_str(), &written), 0);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_NE(seen[0].first, std::this_thread::get_id());
    EXPECT_EQ(seen[0].second.st_ino, written.st_ino);
    EXPECT_EQ(seen[0].second.st_size, static_cast<off_t>(bytes.size()));
}

}  // namespace
}  // namespace ts
