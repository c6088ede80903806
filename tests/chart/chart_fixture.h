#pragma once

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "station_fixture.h"

namespace ts {

// A station with its settings folder in a fresh temporary directory and a way
// to push samples straight into the pipeline.
class ChartStationTest : public StationTest {
protected:
    std::filesystem::path folder;

    ChartStationTest() {
        folder = std::filesystem::temp_directory_path() /
                 ("ts_chart_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                  "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        st().settings().SetDirectory(folder.string());
    }
    ~ChartStationTest() override { std::filesystem::remove_all(folder); }

    // Samples `step` time units apart, with `values` on channels 1..6.
    void Feed(int count, const std::array<std::uint16_t, kChannels>& values,
              std::uint16_t step = 360) {
        for (int i = 0; i < count; ++i) {
            counter_ = static_cast<std::uint16_t>(counter_ + step);
            st().measurement().TakeSample(Sample{counter_, values});
        }
    }
    void Feed(int count, std::uint16_t value, std::uint16_t step = 360) {
        std::array<std::uint16_t, kChannels> values;
        values.fill(value);
        Feed(count, values, step);
    }

    void EnableChannels(std::initializer_list<int> channels) {
        for (int c : channels)
            st().form().ChartEN_CH[static_cast<std::size_t>(c - 1)].Checked = true;
    }

    // Line `n` of the saved settings file, without its line end; nothing when
    // the file or the line is missing.
    std::optional<std::string> SettingsLine(std::size_t n) const {
        std::ifstream in(folder / "Settings.bin", std::ios::binary);
        if (!in) return std::nullopt;
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
        if (n >= lines.size()) return std::nullopt;
        return lines[n];
    }

    bool SettingsSaved() const { return std::filesystem::exists(folder / "Settings.bin"); }

    static float Percent(std::uint16_t code) { return static_cast<float>(code) * 0.09775171f; }

    std::vector<float>& Curve(int channel) {
        return ui.series[static_cast<std::size_t>(channel - 1)].y;
    }

private:
    std::uint16_t counter_ = 0;
};

}  // namespace ts
