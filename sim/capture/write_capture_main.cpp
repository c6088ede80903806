// write-capture: writes SECONDS of the simulated instrument's line, as trend-record --raw saves
// it, for replays and for the emulated bridges: six channels of sine, ramp and noise, with
// noise bytes and frames of a broken checksum among them, the same bytes on every system.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "sim/sim_driver.h"
#include "sim/sim_instrument.h"

int main(int argc, char** argv) {
    double seconds = 0;
    const std::string_view text = argc == 3 ? argv[1] : "";
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (argc != 3 || parsed.ec != std::errc() || seconds <= 0) {
        std::fputs("Usage: write-capture SECONDS FILE\n", stderr);
        return 2;
    }
    ts::sim::SimDriver driver;
    const int device = driver.AddDevice("capture", "1");
    std::uint32_t count = 0;
    ts::FtHandle handle = 0;
    driver.CreateDeviceInfoList(count);
    driver.Open(0, handle);
    ts::sim::SimInstrument instrument(driver, device);
    instrument.channels[1].shape = ts::sim::SignalShape::Noise;
    instrument.channels[2].shape = ts::sim::SignalShape::Ramp;
    instrument.noiseBytesPerSecond = 40;
    instrument.corruptFramesPerSecond = 5;

    std::FILE* out = std::fopen(argv[2], "wb");
    if (out == nullptr) {
        std::fprintf(stderr, "write-capture: cannot write %s\n", argv[2]);
        return 2;
    }
    static std::uint8_t buffer[65536];
    bool ok = true;
    // Whole 40 ms polls, as the program reads the line.
    for (long tick = 0; tick < static_cast<long>(seconds * 25 + 0.5); ++tick) {
        instrument.Advance(0.04);
        std::uint32_t got = 0;
        driver.Read(handle, buffer, sizeof buffer, got);
        ok = ok && std::fwrite(buffer, 1, got, out) == got;
    }
    ok = std::fclose(out) == 0 && ok;
    if (!ok) std::fprintf(stderr, "write-capture: %s could not be written whole\n", argv[2]);
    return ok ? 0 : 2;
}
