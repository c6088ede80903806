#include "platform/background_sync.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/system_file.h"

namespace ts {

namespace {

constexpr auto kLongestWaitAtEnd = std::chrono::seconds(5);

}  // namespace

// Shared with the thread, so that a thread left behind in a hung sync still has it.
struct BackgroundSync::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    SystemFile file;  // the second handle; open while a sync waits or runs
    bool pending = false;
    bool running = false;
    bool quit = false;
    std::atomic<std::uint64_t> failures{0};
    std::atomic<std::uint64_t> completed{0};

    void Run() {
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [&] { return pending || quit; });
            if (quit && !pending) return;
            pending = false;
            running = true;
            lock.unlock();
            // The writer's handle is not touched here: its writes go on meanwhile.
            const bool ok = file.SyncData();
            file.Close();
            lock.lock();
            running = false;
            if (!ok) failures.fetch_add(1, std::memory_order_relaxed);
            completed.fetch_add(1, std::memory_order_relaxed);
            idle.notify_all();
        }
    }
};

BackgroundSync::BackgroundSync() : shared_(std::make_shared<Shared>()) {}

BackgroundSync::~BackgroundSync() {
    std::thread* thread = thread_.get();
    if (thread == nullptr) return;
    bool done = false;
    {
        std::unique_lock lock(shared_->mutex);
        shared_->quit = true;
        shared_->wake.notify_all();
        done = shared_->idle.wait_for(lock, kLongestWaitAtEnd,
                                      [&] { return !shared_->running && !shared_->pending; });
    }
    if (done) {
        thread->join();
    } else {
        thread->detach();
    }
}

bool BackgroundSync::Begin(const SystemFile& file) {
    std::unique_lock lock(shared_->mutex, std::try_to_lock);
    // The thread holds the lock only for a moment between syncs; a tick never waits for it.
    if (!lock.owns_lock() || shared_->pending || shared_->running) return false;
    if (!file.OpenSecondHandle(shared_->file)) return false;
    if (!thread_) thread_ = std::make_unique<std::thread>([shared = shared_] { shared->Run(); });
    shared_->pending = true;
    shared_->wake.notify_one();
    return true;
}

std::uint64_t BackgroundSync::Failures() const {
    return shared_->failures.load(std::memory_order_relaxed);
}

std::uint64_t BackgroundSync::Completed() const {
    return shared_->completed.load(std::memory_order_relaxed);
}

}  // namespace ts
