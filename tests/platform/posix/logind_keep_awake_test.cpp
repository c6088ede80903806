// The sleep lock on Linux against a mock login manager on a private bus, in the test's process
// and in trend-record: taken at the start of a recording, held while it runs, given up at its end
// however it ends; no bus, or one that does not answer, neither stops nor holds up a recording.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <systemd/sd-bus.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "app/recorder_program_rig.h"
#include "base/texts.h"
#include "platform/keep_awake.h"

namespace ts {
namespace {

using namespace recorder_rig;
using Inhibitor = std::tuple<std::string, std::string, std::string, std::string>;

// The test process's system bus while the object lives; none afterwards, as in the other tests.
struct SystemBus {
    explicit SystemBus(const std::string& address) {
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", address.c_str(), 1);
    }
    ~SystemBus() { ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS"); }
};

// A private bus with the mock login manager, up from construction to destruction.
class MockLogind {
public:
    MockLogind() {
        pid_ = StartChild({"/usr/bin/python3",
                           {std::string(TS_SOURCE_DIR) + "/tests/platform/posix/mock_logind.py"},
                           {},
                           {},
                           folder_ / "address"});
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (address_.empty() && std::chrono::steady_clock::now() < deadline) {
            const std::string text = ReadAll(folder_ / "address");
            if (text.find('\n') != std::string::npos) address_ = text.substr(0, text.find('\n'));
            std::this_thread::sleep_for(20ms);
        }
    }
    ~MockLogind() {
        ::kill(pid_, SIGTERM);
        WaitForChild(pid_, 10s);
    }
    const std::string& address() const { return address_; }

    // The locks the login manager holds now; a lock given up goes a moment later, so a wanted
    // count is waited for.
    std::vector<Inhibitor> Inhibitors(std::size_t wanted) const {
        std::vector<Inhibitor> found;
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        do {
            found = List();
            if (found.size() == wanted) break;
            std::this_thread::sleep_for(20ms);
        } while (std::chrono::steady_clock::now() < deadline);
        return found;
    }

private:
    std::vector<Inhibitor> List() const {
        std::vector<Inhibitor> found;
        sd_bus* bus = nullptr;
        sd_bus_message* reply = nullptr;
        sd_bus_error error = SD_BUS_ERROR_NULL;
        if (sd_bus_new(&bus) >= 0 && sd_bus_set_address(bus, address_.c_str()) >= 0 &&
            sd_bus_set_bus_client(bus, 1) >= 0 && sd_bus_start(bus) >= 0 &&
            sd_bus_call_method(bus, "org.freedesktop.login1", "/org/freedesktop/login1",
                               "org.freedesktop.login1.Manager", "ListInhibitors", &error, &reply,
                               "") >= 0 &&
            sd_bus_message_enter_container(reply, 'a', "(ssssuu)") >= 0) {
            const char *what, *who, *why, *mode;
            std::uint32_t uid, pid;
            while (sd_bus_message_read(reply, "(ssssuu)", &what, &who, &why, &mode, &uid, &pid) >
                   0) {
                found.emplace_back(what, who, why, mode);
            }
        }
        sd_bus_message_unref(reply);
        sd_bus_error_free(&error);
        sd_bus_flush_close_unref(bus);
        return found;
    }

    TempFolder folder_;
    pid_t pid_ = -1;
    std::string address_;
};

const Inhibitor kOurLock{"sleep:idle", std::string(text::kMainCaption),
                         std::string(text::kRecordingAwakeReason), "block"};

// No bus at all, and a bus that takes the connection and never answers: no lock, and no start of
// a recording held up for more than a moment.
TEST(LogindKeepAwakeTest, NoBusOrASilentOneGivesNoLockAndHoldsNothingUp) {
    TempFolder folder;
    const std::string silent = folder / "silent";
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un place{};
    place.sun_family = AF_UNIX;
    silent.copy(place.sun_path, sizeof place.sun_path - 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&place), sizeof place), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    for (const std::string& address : {"unix:path=" + (folder / "none"), "unix:path=" + silent}) {
        SCOPED_TRACE(address);
        SystemBus bus(address);
        const std::unique_ptr<KeepAwake> awake = MakeSystemKeepAwake();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(awake->Hold(text::kMainCaption, text::kRecordingAwakeReason));
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
        awake->Release();
    }
    ::close(listener);
}

// trend-record holds the lock from its first sample until a stop by a signal; with no bus it
// records all the same, says so once, and ends well.
TEST(LogindKeepAwakeTest, TheRecorderHoldsTheLockWhileItRecordsOrSaysOnceThatItCannot) {
    const LiveRig rig(9, Capture(20.0));
    const TempFolder& folder = rig.folder;
    const std::vector<std::string> arguments{"--settings", rig.settings, "--out",
                                             folder / "out.txt", "--force"};
    Environment environment = rig.bridge;
    {
        MockLogind logind;
        ASSERT_FALSE(logind.address().empty());
        environment.emplace_back("DBUS_SYSTEM_BUS_ADDRESS", logind.address());
        const pid_t child = StartRecorder(arguments, environment, {}, folder / "output.txt");
        EXPECT_EQ(logind.Inhibitors(1), std::vector<Inhibitor>{kOurLock});
        ::kill(child, SIGTERM);
        const std::optional<int> status = WaitForRecorder(child, 20s);
        ASSERT_TRUE(status && WIFEXITED(*status));
        EXPECT_EQ(WEXITSTATUS(*status), 0);
        EXPECT_TRUE(logind.Inhibitors(0).empty());
    }
    environment.back().second = "unix:path=" + (folder / "none");
    // SIGTERM kept the first recording's note, and with it its file: the second has its own.
    std::vector<std::string> second = arguments;
    second[3] = folder / "out2.txt";
    const int status = RunRecorderUntil(second, environment, 1500ms, SIGINT, folder / "output.txt");
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const std::string output = ReadAll(folder / "output.txt");
    const std::string note(text::kNoteSleepNotHeld);
    ASSERT_NE(output.find(note), std::string::npos) << output;
    EXPECT_EQ(output.find(note, output.find(note) + 1), std::string::npos) << output;
    EXPECT_GE(Lines(ReadAll(folder / "out2.txt")).size(), 4u);
}

}  // namespace
}  // namespace ts
