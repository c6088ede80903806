// The libftdi1 driver on emulated FT232R bridges: the real driver code, libftdi1 included, with
// libusb answered by the emulator linked ahead of it.
#include "device/libftdi/ftdi_driver.h"

#include <dlfcn.h>
#include <ftdi.h>
#include <gtest/gtest.h>
#include <libusb.h>
#include <link.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "app/station.h"
#include "base/texts.h"
#include "emulated_bridge_rig.h"
#include "fake_system_tree.h"
#include "sim/test_platform.h"
#include "sim/test_ui.h"
#include "temp_folder.h"

namespace ts {
namespace {

using namespace std::chrono_literals;

// Names of the libusb functions a binary calls, by its dynamic symbol table.
std::set<std::string> LibusbCallsOf(const std::string& binary) {
    std::set<std::string> names;
    const std::string command = "nm -D --undefined-only '" + binary + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        const std::string text(line);
        const std::size_t at = text.find("libusb_");
        if (at != std::string::npos)
            names.insert(text.substr(at, text.find_first_of("@ \n", at) - at));
    }
    ::pclose(pipe);
    return names;
}

TEST(EmulatedBridgeTest, EveryLibusbCallOfLibftdiAndTheDriverReachesTheEmulator) {
    std::string libftdi;
    std::pair<const char*, std::string*> search{"libftdi1", &libftdi};
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data) {
            auto* s = static_cast<std::pair<const char*, std::string*>*>(data);
            if (std::strstr(info->dlpi_name, s->first) != nullptr) *s->second = info->dlpi_name;
            return 0;
        },
        &search);
    ASSERT_FALSE(libftdi.empty());
    std::set<std::string> calls = LibusbCallsOf(libftdi);
    const std::set<std::string> ours =
        LibusbCallsOf(std::filesystem::read_symlink("/proc/self/exe"));
    ASSERT_GT(calls.size(), 20u);
    ASSERT_TRUE(ours.count("libusb_submit_transfer"));
    calls.insert(ours.begin(), ours.end());

    Dl_info emulator{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&emulated::AddBridge), &emulator), 0);
    void* library = dlopen(emulator.dli_fname, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(library, nullptr);
    for (const std::string& name : calls) {
        SCOPED_TRACE(name);
        void* defined = dlsym(library, name.c_str());
        EXPECT_NE(defined, nullptr);
        // What every caller in the process binds to is the emulator's, not the real library's.
        EXPECT_EQ(dlsym(RTLD_DEFAULT, name.c_str()), defined);
    }
    dlclose(library);
}

// A station on the libftdi1 driver, working in a folder of its own.
class FtdiStationTest : public ::testing::Test {
protected:
    EmulatedBridges bridges;
    TempFolder folder;
    FakeTree system;
    FtdiDriver driver{SystemRoots{system.Usb(), system.Proc()}};
    sim::TestPlatform platform;
    sim::TestUi ui;
    Station st{driver, platform, ui};

    FtdiStationTest() {
        platform.currentDirectory = folder.path();
        st.settings().SetDirectory(folder.path());
    }

    void Want(const std::string& description, const std::string& serial) {
        st.link().SetIdentity(description, st.link().Serial());
        st.link().SetIdentity(st.link().Description(), serial);
    }

    // The window's two timers, in real time.
    bool TicksUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
        int ticks = 0;
        return RunInRealTime(
            limit, 40ms,
            [&] {
                st.Timer_25HzTimer();
                if (++ticks % 25 == 0) st.TimerPortTimer();
            },
            done);
    }
};

TEST_F(FtdiStationTest, TheDeviceMenuListsEachBridgeAndProbesOnlyTheFreeOnes) {
    bridges.Plug("KSL214.8N", "TS000001");
    const int held = bridges.Plug("KSL214.8N", "TS000002");
    bridges.Plug("КСЛ214.8Н", "TS000003");
    emulated::HoldElsewhere(held, true);
    st.M_Menu_Setting_PortClick();

    const auto& items = st.form().M_Menu_Setting_Connection;
    EXPECT_EQ(items[0].Caption, "KSL214.8N   TS000001");
    EXPECT_EQ(items[1].Caption, "KSL214.8N   TS000002");
    // String descriptors reach the program through libusb's ASCII reader.
    EXPECT_EQ(items[2].Caption, "???214.8?   TS000003");
    EXPECT_TRUE(items[0].Visible && items[1].Visible && items[2].Visible);
    EXPECT_TRUE(items[0].Enabled);
    EXPECT_FALSE(items[1].Enabled);
    EXPECT_FALSE(items[3].Visible);
}

TEST_F(FtdiStationTest, OpensTheBridgeOfDescriptionAndSerialAndSetsUpItsLine) {
    const int sameName = bridges.Plug("KSL214.8N", "TS000001");
    const int wanted = bridges.Plug("KSL214.8N", "TS000002");
    Want("KSL214.8N", "TS000002");
    st.link().Open(true);
    ASSERT_NE(st.link().Handle(), 0u);
    EXPECT_TRUE(ui.Texts().empty());

    const emulated::LineSettings line = emulated::Line(wanted);
    EXPECT_NEAR(line.baud, 1152000, 1152000 * 0.03);
    EXPECT_EQ(line.dataBits, 8);
    EXPECT_EQ(line.stopBits, 0);
    EXPECT_EQ(line.parity, 0);
    EXPECT_EQ(line.flow, 0);
    EXPECT_EQ(line.latencyMs, 16);
    // libftdi's own open resets the chip; the program resets and empties it again once open
    // (after it has set the latency timer), before it sets the instrument's line rate.
    const std::vector<emulated::ControlRequest> requests = emulated::Requests(wanted);
    auto vendor = [&](std::size_t i, std::uint8_t request) {
        return requests[i].request == request && (requests[i].requestType & 0x60) == 0x40;
    };
    auto last = [&](std::uint8_t request) {
        for (std::size_t i = requests.size(); i-- > 0;) {
            if (vendor(i, request)) return i;
        }
        return requests.size();
    };
    int resets = 0, purges = 0;
    for (std::size_t i = last(0x09); i < requests.size(); ++i) {
        resets += vendor(i, 0x00) && requests[i].value == 0;
        purges += vendor(i, 0x00) && requests[i].value == 2;
    }
    EXPECT_GE(resets, 1);
    EXPECT_GE(purges, 1);
    EXPECT_LT(last(0x00), last(0x03));
    // The other bridge of the same name was only asked for its strings.
    for (const emulated::ControlRequest& request : emulated::Requests(sameName)) {
        EXPECT_EQ(request.requestType & 0x60, 0) << int(request.request);
    }
}

TEST_F(FtdiStationTest, ABridgeHeldByAnotherProgramIsNotOpened) {
    struct Case {
        const char* how;
        bool claimedElsewhere;
        bool ttyOpenElsewhere;
    };
    for (const Case& c :
         {Case{"its interface claimed", true, false}, Case{"its serial port open", false, true}}) {
        SCOPED_TRACE(c.how);
        EmulatedBridges fresh;
        const int bridge = fresh.Plug("KSL214.8N", "TS000001");
        emulated::HoldElsewhere(bridge, c.claimedElsewhere);
        if (c.ttyOpenElsewhere) {
            // The emulator puts bridge k behind port k + 1 of a hub on bus 1's first port.
            const std::string name = "1-1." + std::to_string(bridge + 1);
            system.AddUsbDir(name + "/" + name + ":1.0/ttyUSB" + std::to_string(bridge));
            system.AddOpenFile("4242", std::to_string(bridge),
                               "/dev/ttyUSB" + std::to_string(bridge));
        }
        Want("KSL214.8N", "TS000001");
        ui.ClearLog();
        st.link().Open(true);
        EXPECT_EQ(st.link().Handle(), 0u);
        EXPECT_EQ(ui.Texts(), std::vector<std::string>{std::string(text::kMsgOpenFailed)});
        EXPECT_EQ(emulated::Line(bridge).resets, 0);
    }
}

TEST_F(FtdiStationTest, AnUnplugGoesSilentIsReenumeratedAndReopenedWhenTheBridgeReturns) {
    const int bridge = bridges.Plug("KSL214.8N", "TS000001", LineFrames(30));
    Want("KSL214.8N", "TS000001");
    st.link().Open(true);
    st.link().AwaitStream();
    ASSERT_TRUE(TicksUntil([&] { return st.link().DataReceived(); }, 2s));
    EXPECT_EQ(st.form().Label_Connection_Indicator.Caption, text::kConnectionYes);
    const FtHandle before = st.link().Handle();

    emulated::Unplug(bridge);
    ASSERT_TRUE(TicksUntil([&] { return !st.link().DataReceived(); }, 2s));
    EXPECT_EQ(st.form().Label_Connection_Indicator.Caption, text::kConnectionNo);
    ASSERT_TRUE(TicksUntil([&] { return st.link().InstrumentNumber() < 0; }, 2s));
    EXPECT_EQ(platform.startedProcesses,
              (std::vector<std::string>{R"(devcon.exe disable "@USB\VID_0403&PID_6001\TS000001")",
                                        R"(devcon.exe enable "@USB\VID_0403&PID_6001\TS000001")"}));

    const std::uint8_t oldAddress = emulated::Address(bridge);
    emulated::Replug(bridge);
    EXPECT_NE(emulated::Address(bridge), oldAddress);
    ASSERT_TRUE(TicksUntil([&] { return st.link().DataReceived(); }, 4s));
    EXPECT_EQ(st.form().Label_Connection_Indicator.Caption, text::kConnectionYes);
    EXPECT_NE(st.link().Handle(), before);
    EXPECT_TRUE(ui.Texts().empty());
    EXPECT_NEAR(emulated::Line(bridge).baud, 1152000, 1152000 * 0.03);
    EXPECT_EQ(st.link().Counts().reopenings, 1u);
}

// ---- the stream ----

// Opens the first bridge as the station does and collects what the driver reads.
class DriverReader {
public:
    DriverReader() {
        std::uint32_t count = 0;
        ok_ = driver_.CreateDeviceInfoList(count) == kFtOk && count > 0 &&
              driver_.Open(0, handle_) == kFtOk && driver_.ResetDevice(handle_) == kFtOk &&
              driver_.SetBaudRate(handle_, kInstrumentBaud) == kFtOk &&
              driver_.SetDataCharacteristics(handle_, kBits8, kStopBits1, kParityNone) == kFtOk &&
              driver_.SetFlowControl(handle_, kFlowNone, 0, 0) == kFtOk;
    }
    bool Ok() const { return ok_; }
    bool Reset() { return driver_.ResetDevice(handle_) == kFtOk; }
    std::uint32_t Waiting() {
        std::uint32_t waiting = 0;
        driver_.GetStatus(handle_, waiting);
        return waiting;
    }
    void Collect(std::vector<std::uint8_t>& into) {
        std::uint32_t waiting = 0;
        if (driver_.GetStatus(handle_, waiting) != kFtOk || waiting == 0) return;
        const std::size_t at = into.size();
        into.resize(at + waiting);
        std::uint32_t got = 0;
        driver_.Read(handle_, into.data() + at, waiting, got);
        into.resize(at + got);
    }
    DriverLosses Losses() {
        DriverLosses losses;
        driver_.GetLosses(handle_, losses);
        return losses;
    }

private:
    FtdiDriver driver_;
    FtHandle handle_ = 0;
    bool ok_ = false;
};

// The reader as it was before transfers were queued: one synchronous transfer at a time
// through libftdi, on a thread of its own.
class SingleTransferReader {
public:
    SingleTransferReader() : context_(ftdi_new()) {
        context_->usb_read_timeout = 80;
        ok_ = ftdi_set_interface(context_, INTERFACE_A) == 0 &&
              ftdi_usb_open(context_, 0x0403, 0x6001) == 0 &&
              ftdi_set_latency_timer(context_, 2) == 0 && ftdi_tciflush(context_) == 0 &&
              ftdi_set_baudrate(context_, static_cast<int>(kInstrumentBaud)) == 0;
        if (ok_) thread_ = std::thread([this] { Loop(); });
    }
    ~SingleTransferReader() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        ftdi_usb_close(context_);
        ftdi_free(context_);
    }
    bool Ok() const { return ok_; }
    void Collect(std::vector<std::uint8_t>& into) {
        const std::lock_guard lock(mutex_);
        into.insert(into.end(), received_.begin(), received_.end());
        received_.clear();
    }

private:
    void Loop() {
        std::uint8_t buffer[4096];
        while (!stop_) {
            const int leftover = static_cast<int>(context_->readbuffer_remaining);
            const int got =
                ftdi_read_data(context_, buffer, leftover > 0 ? std::min(leftover, 4096) : 1);
            if (got < 0 && got != LIBUSB_ERROR_TIMEOUT) return;
            const std::lock_guard lock(mutex_);
            received_.insert(received_.end(), buffer, buffer + std::max(got, 0));
        }
    }

    ftdi_context* context_;
    bool ok_ = false;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::uint8_t> received_;
    std::thread thread_;
};

struct StreamOutcome {
    std::vector<std::uint8_t> received;
    emulated::BridgeCounters counters;
    DriverLosses losses;
};

// Streams `stream` at the line rate while the reader is kept off the processor for `stall`.
template <typename Reader>
StreamOutcome StreamWithStall(const std::vector<std::uint8_t>& stream,
                              std::chrono::milliseconds stall) {
    EmulatedBridges bridges;
    const int bridge = bridges.Plug("KSL214.8N", "TS000001", stream);
    StreamOutcome outcome;
    Reader reader;
    EXPECT_TRUE(reader.Ok());
    std::this_thread::sleep_for(100ms);
    emulated::StallReader(stall);
    RunInRealTime(
        3s, 10ms, [&] { reader.Collect(outcome.received); },
        [&] {
            const emulated::BridgeCounters c = emulated::Counters(bridge);
            return c.chip.streamed == stream.size() &&
                   outcome.received.size() + c.chip.lostInFifo >= stream.size();
        });
    outcome.counters = emulated::Counters(bridge);
    if constexpr (std::is_same_v<Reader, DriverReader>) outcome.losses = reader.Losses();
    return outcome;
}

TEST(BridgeStreamTest, QueuedTransfersLoseNothingWhileTheReaderIsAwayAndCountWhatOverflows) {
    const std::vector<std::uint8_t> stream = LineBytes(1.5);

    const StreamOutcome brief = StreamWithStall<DriverReader>(stream, 200ms);
    EXPECT_EQ(brief.counters.chip.lostInFifo, 0u);
    EXPECT_EQ(brief.counters.chip.unheard, 0u);
    EXPECT_TRUE(brief.received == stream) << brief.received.size() << " of " << stream.size();
    EXPECT_EQ(brief.losses.chipOverruns, 0u);
    EXPECT_EQ(brief.counters.hostMisuses, 0u);

    // Longer than the queue lasts: the chip overflows, and the driver says so.
    const StreamOutcome lengthy = StreamWithStall<DriverReader>(stream, 1000ms);
    EXPECT_GT(lengthy.counters.chip.lostInFifo, 0u);
    EXPECT_GE(lengthy.losses.chipOverruns, 1u);
    EXPECT_EQ(lengthy.received.size() + lengthy.counters.chip.lostInFifo, stream.size());
}

// A stream slower than the line fills whole packets and never sends a short one; it still
// reaches the program every few tens of milliseconds, not once a transfer is full.
TEST(BridgeStreamTest, ASlowStreamArrivesEveryFewTensOfMilliseconds) {
    EmulatedBridges bridges;
    // Over two seconds of a 5,000 bytes a second stream.
    const std::vector<std::uint8_t> stream = LineBytes(0.1);
    bridges.Plug("KSL214.8N", "TS000001", stream, 5000);
    DriverReader reader;
    ASSERT_TRUE(reader.Ok());
    std::vector<std::uint8_t> received;
    auto last = std::chrono::steady_clock::now();
    std::chrono::steady_clock::duration longest{};
    RunInRealTime(
        1500ms, 5ms,
        [&] {
            const std::size_t before = received.size();
            reader.Collect(received);
            if (received.size() == before) return;
            const auto now = std::chrono::steady_clock::now();
            longest = std::max(longest, now - last);
            last = now;
        },
        [] { return false; });
    EXPECT_LE(longest, 60ms)
        << std::chrono::duration_cast<std::chrono::milliseconds>(longest).count();
    ASSERT_GT(received.size(), 5000u);
    EXPECT_TRUE(std::equal(received.begin(), received.end(), stream.begin()));
}

// What waited unread in the driver before a reset is not read after it.
TEST(BridgeStreamTest, BytesWaitingUnreadAreGoneAfterAReset) {
    EmulatedBridges bridges;
    const std::vector<std::uint8_t> stream = LineBytes(0.01);
    bridges.Plug("KSL214.8N", "TS000001", stream);
    DriverReader reader;
    ASSERT_TRUE(reader.Ok());
    // The last bytes come in a short packet at the latency timer.
    std::this_thread::sleep_for(100ms);
    ASSERT_EQ(reader.Waiting(), stream.size());
    ASSERT_TRUE(reader.Reset());
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(reader.Waiting(), 0u);
}

TEST(BridgeStreamTest, ASingleSynchronousTransferLosesBytesInTheSameStall) {
    const StreamOutcome outcome = StreamWithStall<SingleTransferReader>(LineBytes(1.0), 200ms);
    EXPECT_GT(outcome.counters.chip.lostInFifo, 15000u);
}

}  // namespace
}  // namespace ts
