#pragma once

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace ts::review {

// The pass's second thread, kept for as long as the pass runs: a thread started for each
// stretch would cost more than a small stretch takes to read.
class SecondThread {
public:
    SecondThread() = default;
    SecondThread(const SecondThread&) = delete;
    SecondThread& operator=(const SecondThread&) = delete;
    ~SecondThread() {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable()) thread_.join();
    }

    // Runs `job` there, or here and now when no thread can be had; `job` must stay until
    // Wait returns.
    template <typename F>
    void Start(F& job) {
        if (!thread_.joinable() && !alone_) {
            try {
                thread_ = std::thread([this] { Run(); });
            } catch (const std::system_error&) {
                alone_ = true;
            }
        }
        if (alone_) {
            job();
            return;
        }
        {
            std::lock_guard lock(mutex_);
            context_ = &job;
            run_ = [](void* context) { (*static_cast<F*>(context))(); };
            pending_ = true;
        }
        wake_.notify_all();
    }

    void Wait() {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return !pending_; });
    }

private:
    void Run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return pending_ || quit_; });
            if (quit_) return;
            lock.unlock();
            run_(context_);
            lock.lock();
            pending_ = false;
            wake_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    void (*run_)(void*) = nullptr;
    void* context_ = nullptr;
    bool pending_ = false;
    bool quit_ = false;
    bool alone_ = false;
    std::thread thread_;
};

}  // namespace ts::review
