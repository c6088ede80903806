// What the background sync hands to the medium, seen at the system call itself: this program's
// own fdatasync() stands in front of the C library's, notes who called it on which file and how
// much of it was there, and passes the call on.
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "platform/background_sync.h"
#include "platform/system_file.h"
#include "temp_folder.h"

namespace {

struct SyncCall {
    std::thread::id thread;
    ino_t file = 0;
    off_t size = 0;
};

std::mutex callsMutex;
std::atomic<bool> noting{false};
std::vector<SyncCall> calls;

}  // namespace

extern "C" int fdatasync(int fd) {
    if (noting) {
        struct stat info {};
        ::fstat(fd, &info);
        const std::lock_guard lock(callsMutex);
        calls.push_back({std::this_thread::get_id(), info.st_ino, info.st_size});
    }
    using Sync = int (*)(int);
    static const auto next = reinterpret_cast<Sync>(::dlsym(RTLD_NEXT, "fdatasync"));
    return next(fd);
}

namespace ts {
namespace {

// Every byte written before the sync began reaches the medium's call for that very file, made
// on a thread other than the writer's, which has long gone on by then.
TEST(BackgroundSyncPosixTest, TheWrittenDataReachTheMediumsCallOnAnotherThread) {
    TempFolder folder;
    SystemFile file;
    ASSERT_TRUE(file.OpenForWriting(folder / "result.txt", false));
    struct stat written {};
    ASSERT_EQ(::stat((folder / "result.txt").c_str(), &written), 0);
    const std::string bytes(100'000, 'x');
    ASSERT_EQ(file.Write(bytes.data(), bytes.size()), bytes.size());
    {
        const std::lock_guard lock(callsMutex);
        calls.clear();
    }
    noting = true;
    BackgroundSync sync;
    ASSERT_TRUE(sync.Begin(file));
    for (int wait = 0; wait < 10'000 && sync.Completed() < 1; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    noting = false;
    ASSERT_EQ(sync.Completed(), 1u);
    const std::lock_guard lock(callsMutex);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_NE(calls[0].thread, std::this_thread::get_id());
    EXPECT_EQ(calls[0].file, written.st_ino);
    EXPECT_EQ(calls[0].size, static_cast<off_t>(bytes.size()));
}

}  // namespace
}  // namespace ts
