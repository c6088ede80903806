#pragma once

#include <fstream>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "file_text.h"
#include "settings_text.h"
#include "station_fixture.h"

namespace ts {

using LineList = std::vector<std::string>;
using sim::TestUi;

// The file a first start writes: every control and value at its default.
const LineList kDefaults = Lines(SettingsText());

class SettingsFileTest : public StationTest {
protected:
    std::string SettingsPath() const { return folder / "Settings.bin"; }

    void WriteSettings(const LineList& lines, const std::string& ending = "\r\n") {
        std::ofstream out(SettingsPath(), std::ios::binary);
        for (const std::string& line : lines) out << line << ending;
    }

    std::string FileBytes() const { return ReadAll(SettingsPath()); }

    // The file as written: 51 lines, each ending in CR LF.
    LineList FileLines() const {
        const std::string bytes = FileBytes();
        std::size_t used = 0;
        LineList lines = Lines(bytes, &used);
        EXPECT_EQ(used, bytes.size()) << "the last line must end in CR LF too";
        return lines;
    }

    static LineList With(LineList lines,
                         std::initializer_list<std::pair<int, std::string>> changes) {
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
