// Holds off sleep through the login manager: an inhibitor lock, taken over the system bus and
// held as the file descriptor it hands out. Closing the descriptor gives the lock up, and so does
// the end of the process, however it ends.
#include <fcntl.h>
#include <systemd/sd-bus.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "platform/keep_awake.h"

namespace ts {

namespace {

// A bus that does not answer within this must not hold up a start of recording for longer. sd-bus
// would wait for a silent bus's greeting for a minute and a half, so the wait is ours.
constexpr std::uint64_t kAnswerTimeoutUs = 500'000;

std::uint64_t NowUs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000u +
           static_cast<std::uint64_t>(now.tv_nsec) / 1000u;
}

// The lock's descriptor from the login manager's answer, ours to keep, or -1.
int TakeLock(sd_bus_message* reply, void* lock, sd_bus_error*) {
    int fd = -1;
    if (!sd_bus_message_is_method_error(reply, nullptr) &&
        sd_bus_message_read(reply, "h", &fd) >= 0) {
        // The answer owns its descriptor; ours outlives it and the connection.
        *static_cast<int*>(lock) = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    } else {
        *static_cast<int*>(lock) = -1;
    }
    return 0;
}

class LogindKeepAwake final : public KeepAwake {
public:
    ~LogindKeepAwake() override { Release(); }

    bool Hold(std::string_view program, std::string_view why) override {
        if (lock_ >= 0) return true;
        sd_bus* bus = nullptr;
        if (sd_bus_open_system(&bus) < 0) return false;
        const std::string who(program);
        const std::string reason(why);
        sd_bus_message* call = nullptr;
        int answer = -2;  // -2: no answer yet
        const bool sent =
            sd_bus_message_new_method_call(bus, &call, "org.freedesktop.login1",
                                           "/org/freedesktop/login1",
                                           "org.freedesktop.login1.Manager", "Inhibit") >= 0 &&
            sd_bus_message_append(call, "ssss", "sleep:idle", who.c_str(), reason.c_str(),
                                  "block") >= 0 &&
            sd_bus_call_async(bus, nullptr, call, TakeLock, &answer, kAnswerTimeoutUs) >= 0;
        sd_bus_message_unref(call);
        const std::uint64_t deadline = NowUs() + kAnswerTimeoutUs;
        while (sent && answer == -2) {
            const std::uint64_t now = NowUs();
            if (now >= deadline) break;
            const int processed = sd_bus_process(bus, nullptr);
            if (processed < 0) break;
            if (processed == 0 && sd_bus_wait(bus, deadline - now) < 0) break;
        }
        // Closed without waiting for what is still queued: a silent bus would hold us up.
        sd_bus_close_unref(bus);
        if (answer >= 0) lock_ = answer;
        return lock_ >= 0;
    }

    void Release() override {
        if (lock_ < 0) return;
        ::close(lock_);
        lock_ = -1;
    }

private:
    int lock_ = -1;
};

}  // namespace

std::unique_ptr<KeepAwake> MakeSystemKeepAwake() { return std::make_unique<LogindKeepAwake>(); }

}  // namespace ts
