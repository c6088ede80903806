#pragma once

#include <string>
#include <utility>
#include <vector>

namespace ts {

// The 51 lines of the settings file the window writes with nothing chosen, CR LF ended, with
// some lines replaced: {index, text}.
inline std::string SettingsText(const std::vector<std::pair<int, std::string>>& changes = {}) {
    std::vector<std::string> lines = {
        "",      "",         "0",     "0",        "0", "0", "0",       "0", "0",   "0",
        "0",     "0",        "0",     "0",        "0", "0", "8421504", "0", "255", "16776960",
        "65535", "16711935", "65280", "16777215", "",  "",  "",        "",  "",    ""};
    for (int i = 30; i < 49; ++i) lines.push_back("0");
    lines.push_back("1");
    lines.push_back("0");
    for (const auto& [index, value] : changes) lines.at(static_cast<std::size_t>(index)) = value;
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

}  // namespace ts
