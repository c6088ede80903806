#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "file_text.h"
#include "held_open.h"
#include "station_fixture.h"
#include "temp_folder.h"

namespace ts {

// Code page 1251 of a text made of ASCII and Russian letters, spelled out
// without the program's converter: А..я are 0xC0..0xFF in alphabet order.
inline std::string Cp1251Of(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            continue;
        }
        const unsigned code = ((b & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3Fu);
        out += static_cast<char>(0xC0 + (code - 0x410));
    }
    return out;
}

// A station whose own folder takes the result files, with identity calibration tables (a raw
// value converts to itself) and a comma as the separator.
class RecordingTest : public StationTest {
protected:
    RecordingTest() {
        platform.regional.DecimalSeparator = ',';
        platform.regional.ShortDateFormat = "%d.%m.%Y";
        platform.regional.LongTimeFormat = "%T";
        for (int c = 1; c <= kChannels; ++c) SetTable(c, {0, 1}, {0, 1});
    }
    std::string PathOf(const std::string& name) const { return folder / name; }

    void SetTable(int channel, std::vector<double> raw, std::vector<double> result) {
        CalibrationTable table;
        table.PointCount = static_cast<std::int32_t>(raw.size());
        for (std::size_t i = 0; i < raw.size(); ++i) {
            table.RawPoints[i] = raw[i];
            table.ResultPoints[i] = result[i];
        }
        st().measurement().Tables().Use(channel, table);
    }

    void TickChannels(std::initializer_list<int> channels) {
        for (CheckState& box : st().form().FileEN_CH) box.Checked = false;
        for (int c : channels)
            st().form().FileEN_CH[static_cast<std::size_t>(c - 1)].Checked = true;
    }

    // Chooses the file in the save dialog as the user would.
    void Choose(const std::string& path) {
        ui.resultFileAnswers.push_back(path);
        st().B_FileClick();
    }

    // Choice, channels and file chosen, then "ЗАПИСЬ".
    void StartIn(int choice, std::initializer_list<int> channels,
                 const std::string& name = "result.txt") {
        st().form().SelectRecordChoice(choice);
        TickChannels(channels);
        Choose(PathOf(name));
        st().B_FileSaveStartClick();
    }

    // A sample stamped `counter` through the whole pipeline.
    void Take(std::uint16_t counter, const SampleCodes& values) {
        stamp = counter;
        st().measurement().TakeSample(Sample{counter, values});
    }
    // A sample at the time of the one before: the latest becomes `values`, no period ends.
    void SetLatest(const SampleCodes& values) { Take(stamp, values); }
    std::uint16_t stamp = 0;

    // The file's lines (CR LF removed) once the pending records are out.
    std::vector<std::string> FileLines(const std::string& name = "result.txt") {
        st().recording().FlushRecords();
        const std::string bytes = ReadAll(PathOf(name));
        std::size_t begin = 0;
        std::vector<std::string> lines = Lines(bytes, &begin);
        if (begin != bytes.size()) lines.push_back("<partial>" + bytes.substr(begin));
        return lines;
    }

    // Record lines only: the start and header lines left out.
    std::vector<std::string> Records(const std::string& name = "result.txt") {
        std::vector<std::string> lines = FileLines(name);
        lines.erase(lines.begin(), lines.begin() + std::min<std::size_t>(2, lines.size()));
        return lines;
    }
};

}  // namespace ts
