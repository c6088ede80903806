#pragma once

#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "station_fixture.h"

namespace ts {

using Lines = std::vector<std::string>;
using sim::TestUi;

// The file a first start writes: every control and value at its default.
const Lines kDefaults = {
    "",      "",         "0", "0", "0", "0",       "0", "0",   "0",        "0",     "0",
    "0",     "0",        "0", "0", "0", "8421504", "0", "255", "16776960", "65535", "16711935",
    "65280", "16777215", "",  "",  "",  "",        "",  "",    "0",        "0",     "0",
    "0",     "0",        "0", "0", "0", "0",       "0", "0",   "0",        "0",     "0",
    "0",     "0",        "0", "0", "0", "1",       "0"};

class SettingsFileTest : public StationTest {
protected:
    std::string SettingsPath() const { return folder / "Settings.bin"; }

    void WriteSettings(const Lines& lines, const std::string& ending = "\r\n") {
        std::ofstream out(SettingsPath(), std::ios::binary);
        for (const std::string& line : lines) out << line << ending;
    }

    std::string FileBytes() const {
        std::ifstream in(SettingsPath(), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

    // The file as written: 51 lines, each ending in CR LF.
    Lines FileLines() const {
        const std::string bytes = FileBytes();
        Lines lines;
        std::size_t start = 0;
        for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos;
             start = end + 2) {
            lines.push_back(bytes.substr(start, end - start));
        }
        EXPECT_EQ(start, bytes.size()) << "the last line must end in CR LF too";
        return lines;
    }

    static Lines With(Lines lines, std::initializer_list<std::pair<int, std::string>> changes) {
        for (const auto& [index, value] : changes) lines[static_cast<std::size_t>(index)] = value;
        return lines;
    }

    std::vector<TestUi::BoxKind> Kinds() const {
        std::vector<TestUi::BoxKind> kinds;
        for (const auto& box : ui.boxes) kinds.push_back(box.kind);
        return kinds;
    }
};

}  // namespace ts
