// The driver over the vendor's D2XX library, run on the emulated library (ftd2xx.dll built beside
// this program) with bridges, captures and configuration log set up through the environment.
#include "device/d2xx/d2xx_driver.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "file_text.h"
#include "line_bytes.h"
#include "platform/windows/system_folders.h"
#include "temp_folder.h"

namespace ts {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

void SetEnvironment(const wchar_t* name, const std::string& value) {
    SetEnvironmentVariableW(name, std::filesystem::path(value).wstring().c_str());
}

struct Bridge {
    std::string description;
    std::string serial;
    // Bytes the instrument streams once; empty: the simulated instrument without end.
    std::vector<std::uint8_t> capture;
};

// Bridges plugged in for one test, a log of the configuration calls, and the driver made after
// both. The library is released with the driver, so every test starts on a fresh one.
class D2xxDriverTest : public ::testing::Test {
protected:
    ~D2xxDriverTest() override {
        driver.reset();
        SetEnvironment(L"TS_EMULATED_BRIDGES", "");
        SetEnvironment(L"TS_EMULATED_D2XX_HELD", "");
        SetEnvironment(L"TS_EMULATED_D2XX_LOG", "");
        SetEnvironment(L"TS_EMULATED_D2XX_QUEUE_BYTES", "");
    }

    void Plug(const std::vector<Bridge>& bridges) {
        std::string list;
        for (std::size_t i = 0; i < bridges.size(); ++i) {
            std::string source = "sim";
            if (!bridges[i].capture.empty()) {
                source = folder / ("capture" + std::to_string(i) + ".bin");
                WriteAll(source, bridges[i].capture);
            }
            list += bridges[i].description + "," + bridges[i].serial + "," + source + ";";
        }
        SetEnvironment(L"TS_EMULATED_BRIDGES", list);
        SetEnvironment(L"TS_EMULATED_D2XX_LOG", log);
        driver = std::make_unique<D2xxDriver>();
        ASSERT_FALSE(driver->LibraryMissing());
    }

    std::vector<std::string> LogLines() const {
        std::ifstream file(log);
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);) lines.push_back(line);
        return lines;
    }

    // Opens list entry `index` and sets the line up as the station does.
    FtHandle OpenConfigured(std::uint32_t index) {
        std::uint32_t count = 0;
        FtHandle handle = 0;
        EXPECT_EQ(driver->CreateDeviceInfoList(count), kFtOk);
        EXPECT_EQ(driver->Open(index, handle), kFtOk);
        EXPECT_EQ(driver->ResetDevice(handle), kFtOk);
        EXPECT_EQ(driver->SetBaudRate(handle, 1152000), kFtOk);
        EXPECT_EQ(driver->SetDataCharacteristics(handle, 8, 0, 0), kFtOk);
        EXPECT_EQ(driver->SetTimeouts(handle, 0, 0), kFtOk);
        EXPECT_EQ(driver->SetFlowControl(handle, 0, 0, 0), kFtOk);
        return handle;
    }

    // Drains the receive queue every 40 ms, as the station polls, until the status fails (the
    // bridge has gone) or `limit` has passed.
    std::vector<std::uint8_t> PollUntilGone(FtHandle handle, std::chrono::milliseconds limit) {
        std::vector<std::uint8_t> received;
        std::vector<std::uint8_t> buffer(65536);
        for (const auto start = Clock::now(); Clock::now() - start < limit;) {
            std::uint32_t waiting = 0, read = 0;
            if (driver->GetStatus(handle, waiting) != kFtOk) break;
            if (waiting > 0) {
                EXPECT_EQ(driver->Read(handle, buffer.data(), waiting, read), kFtOk);
                EXPECT_EQ(read, waiting);
                received.insert(received.end(), buffer.begin(), buffer.begin() + read);
            }
            std::this_thread::sleep_for(40ms);
        }
        return received;
    }

    std::uint32_t Count() {
        std::uint32_t count = 0;
        EXPECT_EQ(driver->CreateDeviceInfoList(count), kFtOk);
        return count;
    }

    TempFolder folder;
    std::string log = folder / "d2xx.log";
    std::unique_ptr<D2xxDriver> driver;
};

TEST_F(D2xxDriverTest, ListsEveryBridgeWithItsDescriptionAndSerialCutToTheBuffers) {
    const std::string longDescription(70, 'D');
    Plug({{"KSL-USB", "KS000001", {1}},
          {"USB <-> Serial, rev 2", "FT0042", {1}},
          {longDescription, "0123456789ABCDEFGH", {1}}});

    ASSERT_EQ(Count(), 3u);
    struct Row {
        std::string serial, description;
    };
    const Row expected[] = {{"KS000001", "KSL-USB"},
                            {"FT0042", "USB <-> Serial, rev 2"},
                            {"0123456789ABCDE", std::string(63, 'D')}};
    for (std::uint32_t i = 0; i < 3; ++i) {
        char serial[kSerialBufferSize], description[kDescriptionBufferSize];
        ASSERT_EQ(driver->GetDeviceInfoDetail(i, serial, description), kFtOk);
        EXPECT_EQ(serial, expected[i].serial) << i;
        EXPECT_EQ(description, expected[i].description) << i;
    }
    char serial[kSerialBufferSize], description[kDescriptionBufferSize];
    EXPECT_NE(driver->GetDeviceInfoDetail(3, serial, description), kFtOk);
}

TEST_F(D2xxDriverTest, PassesEveryLineSettingThroughToTheLibrary) {
    struct Line {
        std::uint32_t baud;
        std::uint8_t bits, stop, parity;
        std::uint32_t readMs, writeMs;
        std::uint16_t flow;
        std::uint8_t xon, xoff;
    };
    struct Row {
        Line line;
        std::vector<std::string> recorded;
    };
    // The instrument's line, and one of all-different values that shows any argument swapped.
    const Row rows[] = {
        {{1152000, 8, 0, 0, 0, 0, 0, 0, 0},
         {"FT_Open KS1", "FT_ResetDevice KS1", "FT_SetBaudRate KS1 1152000",
          "FT_SetDataCharacteristics KS1 8 0 0", "FT_SetTimeouts KS1 0 0",
          "FT_SetFlowControl KS1 0 0 0", "FT_Close KS1"}},
        {{9600, 7, 2, 1, 5, 9, 0x400, 0x11, 0x13},
         {"FT_Open KS1", "FT_ResetDevice KS1", "FT_SetBaudRate KS1 9600",
          "FT_SetDataCharacteristics KS1 7 2 1", "FT_SetTimeouts KS1 5 9",
          "FT_SetFlowControl KS1 1024 17 19", "FT_Close KS1"}},
    };
    Plug({{"KSL-USB", "KS1", LineBytes(1)}});
    for (const Row& row : rows) {
        std::filesystem::remove(log);
        ASSERT_EQ(Count(), 1u);
        FtHandle handle = 0;
        ASSERT_EQ(driver->Open(0, handle), kFtOk);
        EXPECT_EQ(driver->ResetDevice(handle), kFtOk);
        const Line& line = row.line;
        EXPECT_EQ(driver->SetBaudRate(handle, line.baud), kFtOk);
        EXPECT_EQ(driver->SetDataCharacteristics(handle, line.bits, line.stop, line.parity), kFtOk);
        EXPECT_EQ(driver->SetTimeouts(handle, line.readMs, line.writeMs), kFtOk);
        EXPECT_EQ(driver->SetFlowControl(handle, line.flow, line.xon, line.xoff), kFtOk);
        EXPECT_EQ(driver->Close(handle), kFtOk);
        EXPECT_EQ(LogLines(), row.recorded);
    }
}

TEST_F(D2xxDriverTest, StreamsTheCaptureInRealTimeFromTheBaudRateOnWhileNobodyPolls) {
    const std::vector<std::uint8_t> capture = LineBytes(0.5);
    Plug({{"KSL-USB", "KS1", capture}});
    std::uint32_t count = 0, waiting = 0;
    FtHandle handle = 0;
    ASSERT_EQ(driver->CreateDeviceInfoList(count), kFtOk);
    ASSERT_EQ(driver->Open(0, handle), kFtOk);
    std::this_thread::sleep_for(100ms);
    ASSERT_EQ(driver->GetStatus(handle, waiting), kFtOk);
    EXPECT_EQ(waiting, 0u) << "the instrument's bytes are unheard until the line is set up";

    const auto start = Clock::now();
    ASSERT_EQ(driver->SetBaudRate(handle, 1152000), kFtOk);
    std::this_thread::sleep_for(200ms);
    ASSERT_EQ(driver->GetStatus(handle, waiting), kFtOk);
    const double due =
        std::chrono::duration<double>(Clock::now() - start).count() * kLineBytesPerSecond;
    EXPECT_GT(waiting, 0.9 * due - 1000);
    EXPECT_LE(waiting, due + 1);

    const std::vector<std::uint8_t> received = PollUntilGone(handle, 5s);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_TRUE(received == capture) << received.size() << " of " << capture.size() << " bytes";
    // The whole capture took its own length of time to arrive, the last poll's wait added.
    RecordProperty("stream_time_over_capture_time", std::to_string(seconds / 0.5));
    EXPECT_GT(seconds, 0.5);
    EXPECT_LT(seconds, 0.5 * 1.5);
}

TEST_F(D2xxDriverTest, AFullQueueKeepsItsOldestBytesAndCountsWhatItDrops) {
    const std::vector<std::uint8_t> capture = LineBytes(1);
    SetEnvironment(L"TS_EMULATED_D2XX_QUEUE_BYTES", "4096");
    Plug({{"KSL-USB", "KS1", capture}});
    const FtHandle handle = OpenConfigured(0);
    std::this_thread::sleep_for(200ms);
    std::uint32_t waiting = 0, read = 0;
    std::vector<std::uint8_t> buffer(4096);
    ASSERT_EQ(driver->GetStatus(handle, waiting), kFtOk);
    ASSERT_EQ(waiting, 4096u);
    ASSERT_EQ(driver->Read(handle, buffer.data(), waiting, read), kFtOk);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), capture.begin()));

    // What follows is what the instrument sends from now on: the stretch between was lost.
    std::this_thread::sleep_for(10ms);
    ASSERT_EQ(driver->GetStatus(handle, waiting), kFtOk);
    ASSERT_GE(waiting, 64u);
    ASSERT_EQ(driver->Read(handle, buffer.data(), waiting, read), kFtOk);
    const auto resumed =
        std::search(capture.begin(), capture.end(), buffer.begin(), buffer.begin() + 64);
    ASSERT_NE(resumed, capture.end());
    const auto lost = resumed - capture.begin() - 4096;
    EXPECT_GT(lost, 0.9 * 0.2 * kLineBytesPerSecond - 4096);
    ASSERT_EQ(driver->Close(handle), kFtOk);
    const std::vector<std::string> lines = LogLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "dropped KS1 " + std::to_string(lost)),
              lines.end());
}

TEST_F(D2xxDriverTest, AtTheCapturesEndTheBridgeIsUnpluggedAndLeavesTheList) {
    Plug({{"KSL-USB", "ENDS", LineBytes(0.05)}, {"KSL-USB", "STAYS", LineBytes(10)}});
    const FtHandle handle = OpenConfigured(0);
    ASSERT_EQ(PollUntilGone(handle, 2s).size(), LineBytes(0.05).size());

    std::uint32_t waiting = 0, read = 0;
    std::uint8_t buffer[16];
    EXPECT_NE(driver->GetStatus(handle, waiting), kFtOk);
    EXPECT_NE(driver->Read(handle, buffer, sizeof buffer, read), kFtOk);
    EXPECT_NE(driver->ResetDevice(handle), kFtOk);
    EXPECT_NE(driver->SetBaudRate(handle, 1152000), kFtOk);
    ASSERT_EQ(Count(), 1u);
    char serial[kSerialBufferSize], description[kDescriptionBufferSize];
    ASSERT_EQ(driver->GetDeviceInfoDetail(0, serial, description), kFtOk);
    EXPECT_STREQ(serial, "STAYS");
    driver->Close(handle);
}

TEST_F(D2xxDriverTest, ABridgeHeldByAnotherProgramOrAlreadyOpenRefusesOpen) {
    Plug({{"KSL-USB", "HELD", LineBytes(1)}, {"KSL-USB", "FREE", LineBytes(1)}});
    SetEnvironment(L"TS_EMULATED_D2XX_HELD", "HELD");
    ASSERT_EQ(Count(), 2u) << "a bridge in use elsewhere is still listed";
    FtHandle held = 0, free = 0, again = 0;
    EXPECT_NE(driver->Open(0, held), kFtOk);
    ASSERT_EQ(driver->Open(1, free), kFtOk);
    EXPECT_NE(driver->Open(1, again), kFtOk);
    ASSERT_EQ(driver->Close(free), kFtOk);
    EXPECT_EQ(driver->Open(1, again), kFtOk) << "closing released it";
    driver->Close(again);

    SetEnvironment(L"TS_EMULATED_D2XX_HELD", "");
    EXPECT_EQ(driver->Open(0, held), kFtOk) << "the other program let it go";
    driver->Close(held);
}

// The simulated instrument: frames of instrument 1 back to back, their time stamps going up by
// the instrument's 18,000 units a second of real time.
TEST_F(D2xxDriverTest, TheWordSimStreamsTheSimulatedInstrumentWithoutEnd) {
    Plug({{"KSL-USB", "SIM", {}}});
    const FtHandle handle = OpenConfigured(0);
    const auto start = Clock::now();
    std::this_thread::sleep_for(300ms);
    const std::vector<std::uint8_t> received = PollUntilGone(handle, 100ms);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    ASSERT_GE(received.size(), 14u * 100);
    for (std::size_t i = 0; i < received.size(); ++i) {
        ASSERT_EQ((received[i] & 0x80) != 0, i % 14 == 0) << "byte " << i;
    }
    const auto stamp = [&](std::size_t frame) {
        const std::uint8_t* f = &received[frame * 14];
        return ((f[0] & 3) << 14) | (f[1] << 7) | f[2];
    };
    EXPECT_EQ(received[0] >> 2 & 0x1F, 1);
    const std::size_t frames = received.size() / 14;
    const int units = stamp(frames - 1) - stamp(0);
    EXPECT_NEAR(units / seconds, 18000, 18000 * 0.3);
    std::uint32_t waiting = 0;
    EXPECT_EQ(driver->GetStatus(handle, waiting), kFtOk) << "it never ends";
    driver->Close(handle);
}

// Under wine the system folder holds no ftd2xx.dll: the copy built beside this program is loaded
// only when asked for.
TEST(D2xxLibraryPathTest, TheCopyBesideTheProgramIsLoadedOnlyWhenTheEmulatedBridgesAreNamed) {
    struct Row {
        const wchar_t* bridges;
        bool loaded;
        const char* why;
    };
    const Row rows[] = {
        {nullptr, false, "not asked for: the system folder only"},
        {L"", true, "asked for without a bridge"},
        {L"KSL214.8N,TS000001,sim", true, "asked for with a bridge"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        SetEnvironmentVariableW(L"TS_EMULATED_BRIDGES", row.bridges);
        const D2xxDriver driver;
        EXPECT_EQ(driver.LibraryMissing(), !row.loaded);
    }
    SetEnvironmentVariableW(L"TS_EMULATED_BRIDGES", nullptr);
}

TEST(D2xxLibraryMissingTest, EveryOperationFailsAndTheDriverSaysTheLibraryIsMissing) {
    TempFolder folder;
    struct Row {
        std::wstring library;
        const char* why;
    };
    const Row rows[] = {
        {std::filesystem::path(folder / "ts-absent-d2xx.dll").wstring(), "no such library"},
        {SystemFolder() + L"\\version.dll", "a system library without the eleven functions"},
        {L"", "no path"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        D2xxDriver driver(row.library);
        EXPECT_TRUE(driver.LibraryMissing());
        std::uint32_t count = 7, waiting = 7, read = 7;
        FtHandle handle = 0;
        char serial[kSerialBufferSize], description[kDescriptionBufferSize];
        std::uint8_t buffer[4];
        const std::function<FtStatus()> operations[] = {
            [&] { return driver.CreateDeviceInfoList(count); },
            [&] { return driver.GetDeviceInfoDetail(0, serial, description); },
            [&] { return driver.Open(0, handle); },
            [&] { return driver.Close(0x7500); },
            [&] { return driver.ResetDevice(0x7500); },
            [&] { return driver.SetBaudRate(0x7500, 1152000); },
            [&] { return driver.SetDataCharacteristics(0x7500, 8, 0, 0); },
            [&] { return driver.SetTimeouts(0x7500, 0, 0); },
            [&] { return driver.SetFlowControl(0x7500, 0, 0, 0); },
            [&] { return driver.GetStatus(0x7500, waiting); },
            [&] { return driver.Read(0x7500, buffer, sizeof buffer, read); },
        };
        for (std::size_t op = 0; op < std::size(operations); ++op)
            EXPECT_NE(operations[op](), kFtOk) << "operation " << op;
    }
}

}  // namespace
}  // namespace ts
