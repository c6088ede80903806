#include "sim/demo_folder.h"

#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

namespace ts::sim {

namespace {

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool WriteLines(const std::string& path, const std::vector<std::string>& lines) {
    std::FILE* file = std::fopen(path.c_str(), "wbe");
    if (file == nullptr) return false;
    bool ok = true;
    for (const std::string& line : lines) {
        ok = ok && std::fputs(line.c_str(), file) >= 0 && std::fputs("\r\n", file) >= 0;
    }
    return std::fclose(file) == 0 && ok;
}

// A table turning codes 0..1023 into a physical range, written with the
// regional separator the program will read it with.
std::vector<std::string> Table(double low, double high, char separator) {
    std::vector<std::string> lines;
    for (int raw : {0, 256, 512, 768, 1023}) {
        const double value = low + (high - low) * raw / 1023.0;
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%d %.3f", raw, value);
        std::string line = buffer;
        for (char& ch : line) {
            if (ch == '.') ch = separator;
        }
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

bool PrepareDemoFolder(const std::string& folder, char decimalSeparator) {
    bool ok = true;
    const double ranges[6][2] = {{0, 100}, {-50, 150}, {0, 10}, {4, 20}, {0, 1000}, {-1, 1}};
    std::vector<std::string> tablePaths;
    for (int c = 0; c < 6; ++c) {
        const std::string path = folder + "/table_ch" + std::to_string(c + 1) + ".txt";
        tablePaths.push_back(path);
        if (!Exists(path))
            ok = WriteLines(path, Table(ranges[c][0], ranges[c][1], decimalSeparator)) && ok;
    }

    const std::string settings = folder + "/Settings.bin";
    if (Exists(settings)) return ok;
    std::vector<std::string> lines;
    lines.push_back(kSimDescription);
    lines.push_back(kSimSerial);
    lines.push_back("0");                                            // "12сек"
    for (int c = 0; c < 6; ++c) lines.push_back("1");                // all channels drawn
    for (int c = 0; c < 6; ++c) lines.push_back(c < 2 ? "1" : "0");  // channels 1, 2 recorded
    lines.push_back("0");                                            // background: black
    lines.push_back("8421504");                                      // grid: grey
    lines.push_back("0");                                            // chart averaging off
    for (const char* color : {"255", "16776960", "65535", "16711935", "65280", "16777215"}) {
        lines.push_back(color);
    }
    for (const std::string& path : tablePaths) lines.push_back(path);
    for (int choice = 0; choice < 19; ++choice) lines.push_back(choice == 9 ? "1" : "0");  // "1с"
    lines.push_back("1");  // threshold item "2"
    lines.push_back("0");  // period averages off
    return WriteLines(settings, lines) && ok;
}

}  // namespace ts::sim
