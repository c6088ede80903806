#pragma once

// What the tests of the headless recorder and of the trend-record program share: files in and
// out, the settings file and raw captures they start from. Running the Linux program is in
// recorder_program_rig.h.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "device/driver.h"
#include "file_text.h"
#include "settings_text.h"
#include "sim/frame_encoder.h"
#include "sim/sim_driver.h"
#include "sim/sim_instrument.h"
#include "temp_folder.h"

namespace ts::recorder_rig {

using namespace std::chrono_literals;

inline bool Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

// Record lines and the header: the start and stop lines carry the wall-clock time.
// " ЗАПИСЬ ПРЕРВАНА" in code page 1251.
const std::string kInterruptedEnd = " \xC7\xC0\xCF\xC8\xD1\xDC \xCF\xD0\xC5\xD0\xC2\xC0\xCD\xC0";
// " ЗАПИСЬ ПРОДОЛЖЕНА В ФАЙЛЕ: ", " ЗАПИСЬ ВОЗОБНОВЛЕНА, ЧАСТЬ "
const std::string kGoesOnEnd =
    " \xC7\xC0\xCF\xC8\xD1\xDC \xCF\xD0\xCE\xC4\xCE\xCB\xC6\xC5\xCD\xC0 \xC2 "
    "\xD4\xC0\xC9\xCB\xC5: ";
const std::string kCarriedOnPart =
    " \xC7\xC0\xCF\xC8\xD1\xDC \xC2\xCE\xC7\xCE\xC1\xCD\xCE\xC2\xCB\xC5\xCD\xC0, "
    "\xD7\xC0\xD1\xD2\xDC ";

// A resumed part's line naming its recording, after the header, is no record either.
inline std::vector<std::string> RecordLines(const std::string& file) {
    std::vector<std::string> lines = Lines(file);
    if (lines.size() < 3) return {};
    if (lines.size() > 3 && lines[2].find(kCarriedOnPart) != std::string::npos) {
        lines.erase(lines.begin() + 2);
    }
    return {lines.begin() + 1, lines.end() - 1};
}

// The two calibration tables the settings file below names, written into `folder`.
inline void WriteTables(const TempFolder& folder) {
    WriteAll(folder / "t1.txt", "0 0\r\n1023 100\r\n");
    WriteAll(folder / "t3.txt", "0 -5\r\n512 5\r\n1023 -5\r\n");
}

// A settings file: the instrument's identity, channels 1, 3 and 6 recorded
// with calibration tables on 1 and 3, one recording choice (window order).
inline std::string Settings(const TempFolder& folder, int choice, bool averages) {
    WriteTables(folder);
    std::vector<std::pair<int, std::string>> lines = {{0, "KSL214.8N"},
                                                      {1, "TS000001"},
                                                      {9, "1"},
                                                      {11, "1"},
                                                      {14, "1"},
                                                      {24, folder / "t1.txt"},
                                                      {26, folder / "t3.txt"},
                                                      {50, averages ? "1" : "0"}};
    for (int line = 3; line < 9; ++line) lines.emplace_back(line, "1");
    // A choice outside the 19 leaves every choice unselected.
    if (choice >= 0 && choice < 19) lines.emplace_back(30 + choice, "1");
    return SettingsText(lines);
}

// Raw bytes as the simulated instrument sends them, noise bytes and corrupt frames included.
inline std::string Capture(double seconds, std::uint64_t* validFrames = nullptr) {
    sim::SimDriver driver;
    const int device = driver.AddDevice("cap", "1");
    FtHandle handle = 0;
    std::uint32_t count = 0;
    driver.CreateDeviceInfoList(count);
    driver.Open(0, handle);
    sim::SimInstrument instrument(driver, device);
    instrument.channels[1].shape = sim::SignalShape::Noise;
    instrument.noiseBytesPerSecond = 40;
    instrument.corruptFramesPerSecond = 5;
    std::string bytes;
    std::uint8_t buffer[65536];
    for (double t = 0; t < seconds; t += 0.04) {
        instrument.Advance(0.04);
        std::uint32_t got = 0;
        driver.Read(handle, buffer, sizeof buffer, got);
        bytes.append(reinterpret_cast<const char*>(buffer), got);
    }
    if (validFrames) *validFrames = instrument.ValidFramesSent();
    return bytes;
}

// Valid frames of instrument `instrument`, `count` of them.
inline std::string Frames(int instrument, int count) {
    std::string bytes;
    for (int i = 0; i < count; ++i) {
        const sim::Frame f = sim::EncodeFrame(instrument, static_cast<std::uint16_t>(3 * i), {});
        bytes.append(f.begin(), f.end());
    }
    return bytes;
}

}  // namespace ts::recorder_rig
