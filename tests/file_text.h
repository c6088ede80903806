#pragma once

// Files as the tests read and write them: whole, as bytes, and the CR LF lines the program
// writes.

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace ts {

// Names are UTF-8, as the program keeps them; Windows takes them as UTF-16, Linux as bytes.
inline std::filesystem::path FilePath(const std::string& path) {
#ifdef _WIN32
    return std::filesystem::u8path(path);
#else
    return path;
#endif
}

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(FilePath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteAll(const std::string& path, std::string_view bytes) {
    std::ofstream(FilePath(path), std::ios::binary) << bytes;
}

inline void WriteAll(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    WriteAll(path, std::string(bytes.begin(), bytes.end()));
}

// The lines of `bytes`, each ended by CR LF; a last one without its CR LF is left out.
inline std::vector<std::string> Lines(const std::string& bytes, std::size_t* used = nullptr) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(bytes.substr(start, end - start));
    }
    if (used != nullptr) *used = start;
    return lines;
}

// A record line's time in seconds of the instrument (its first field counts days of time units of
// 0.000055555556 s), whatever the decimal separator.
inline double RecordSeconds(std::string line) {
    line.resize(line.find(' '));
    for (char& c : line) c = c == ',' ? '.' : c;
    return std::stod(line) * 86400 / 0.000055555556 / 18000;
}

// Whether the lines after the start and header lines, the last one left out, are records every
// `seconds` from 0 on.
inline bool RecordsEvery(const std::vector<std::string>& lines, double seconds) {
    for (std::size_t k = 2; k + 1 < lines.size(); ++k) {
        if (std::abs(RecordSeconds(lines[k]) - seconds * static_cast<double>(k - 2)) > 1e-4) {
            return false;
        }
    }
    return lines.size() > 3;
}

}  // namespace ts
