#pragma once

// The recording the review chart's painting benchmarks draw: an hour of six busy channels at
// ten records a second, on scales a thousand times apart, written once into the temporary
// folder as the program writes its result files.
#include <cmath>
#include <cstdio>
#include <string>

namespace ts::bench {

inline std::string ReviewChartFile(const std::string& folder) {
    const std::string path = folder + "/ts-review-chart-bench.txt";
    if (std::FILE* existing = std::fopen(path.c_str(), "rb")) {
        std::fclose(existing);
        return path;
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return path;
    std::fputs("06.12.2026 17:05:03 \xC7\xC0\xCF\xC8\xD1\xDC \xCD\xC0\xD7\xC0\xD2\xC0\r\n", f);
    std::fputs("\xC2\xD0\xC5\xCC\xDF CH1 CH2 CH3 CH4 CH5 CH6\r\n", f);
    constexpr int kRecords = 36000;
    for (int i = 0; i < kRecords; ++i) {
        // Ten-billionths of a day: 0.1 s is 11574.074 of them per ten thousand.
        const unsigned long long units = static_cast<unsigned long long>(i) * 11574074ull / 10ull;
        std::fprintf(f, "%llu.%010llu", units / 10'000'000'000ull, units % 10'000'000'000ull);
        for (int c = 0; c < 6; ++c) {
            const double scale = std::pow(10.0, c % 4);
            const double v = scale * (50 + 40 * std::sin(i / (37.0 + 11 * c)) + (i * 7919 % 13));
            std::fprintf(f, " %.3f", v);
        }
        std::fputs("\r\n", f);
    }
    std::fputs(
        "06.12.2026 18:05:03 \xC7\xC0\xCF\xC8\xD1\xDC "
        "\xCE\xD1\xD2\xC0\xCD\xCE\xC2\xCB\xC5\xCD\xC0\r\n",
        f);
    std::fclose(f);
    return path;
}

}  // namespace ts::bench
