// The libftdi1 driver on an emulated bridge streaming at the line rate: what its reader thread
// costs, as a share of one core, while the program polls it every 40 ms as the window does.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "device/libftdi/ftdi_driver.h"
#include "device/line_rate.h"
#include "emulated_bridge/emulated_ft232r.h"

namespace ts {
namespace {

constexpr double kSeconds = 5.0;

// Processor time the thread named `name` has had so far, from the scheduler's own account.
std::uint64_t ThreadCpuNs(const std::string& name) {
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::string comm;
        std::getline(std::ifstream(task.path() / "comm"), comm);
        if (comm != name) continue;
        std::uint64_t ns = 0;
        std::ifstream(task.path() / "schedstat") >> ns;
        return ns;
    }
    return 0;
}

void BM_BridgeReaderAtLineRate(benchmark::State& state) {
    emulated::RemoveAllBridges();
    std::vector<std::uint8_t> stream(
        static_cast<std::size_t>((kSeconds + 1) * kLineBytesPerSecond));
    std::mt19937 random(3);
    for (std::uint8_t& byte : stream) byte = static_cast<std::uint8_t>(random());
    const int bridge = emulated::AddBridge("KSL214.8N", "TS000001", std::move(stream));

    FtdiDriver driver;
    FtHandle handle = 0;
    std::uint32_t count = 0;
    if (driver.CreateDeviceInfoList(count) != kFtOk || driver.Open(0, handle) != kFtOk ||
        driver.ResetDevice(handle) != kFtOk ||
        driver.SetBaudRate(handle, kInstrumentBaud) != kFtOk) {
        state.SkipWithError("the emulated bridge did not open");
        return;
    }
    std::vector<std::uint8_t> buffer(65536);
    std::uint64_t received = 0;
    for (auto _ : state) {
        const std::uint64_t cpuBefore = ThreadCpuNs("ts-usb-reader");
        const auto start = std::chrono::steady_clock::now();
        for (auto next = start; next - start < std::chrono::duration<double>(kSeconds);) {
            std::uint32_t waiting = 0, got = 0;
            if (driver.GetStatus(handle, waiting) == kFtOk && waiting > 0) {
                driver.Read(handle, buffer.data(), std::min<std::uint32_t>(waiting, 65536), got);
                received += got;
            }
            next += std::chrono::milliseconds(40);
            std::this_thread::sleep_until(next);
        }
        const double wallNs =
            std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start)
                .count();
        state.counters["reader_core_share_pct"] =
            100.0 * static_cast<double>(ThreadCpuNs("ts-usb-reader") - cpuBefore) / wallNs;
        state.counters["received_x_line_rate"] =
            static_cast<double>(received) / (wallNs * 1e-9) / kLineBytesPerSecond;
    }
    state.counters["lost_in_chip"] =
        static_cast<double>(emulated::Counters(bridge).chip.lostInFifo);
    driver.Close(handle);
    emulated::RemoveAllBridges();
}
BENCHMARK(BM_BridgeReaderAtLineRate)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace ts
