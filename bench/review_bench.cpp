// The look back at a long recording: the index's pass beside awk and wc -l over the same file,
// redraws at the widest and at a one-second span, summaries, the first picture, and the
// memory it all takes. The file (every sample of six channels for an hour, 30 million lines,
// with the decimal comma of the Russian regional settings most users' files have) is made once
// in /tmp, or taken from TS_REVIEW_BENCH_FILE.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "review/review_index.h"

namespace {

constexpr std::uint64_t kLines = 30'000'000;

std::string BenchFile() {
    const char* named = std::getenv("TS_REVIEW_BENCH_FILE");
    return named != nullptr ? named : "/tmp/ts-review-30M-ru.txt";
}

std::size_t Milli(char* out, std::int64_t milli) {
    char digits[24];
    std::size_t n = 0, k = 0;
    if (milli < 0) out[n++] = '-', milli = -milli;
    do digits[k++] = static_cast<char>('0' + milli % 10), milli /= 10;
    while (milli != 0 || k < 4);
    while (k > 3) out[n++] = digits[--k];
    out[n++] = ',';
    while (k > 0) out[n++] = digits[--k];
    return n;
}

// A result file as the program writes it at the instrument's full rate, decimal comma.
const std::string& File() {
    static const std::string path = [] {
        const std::string p = BenchFile();
        if (std::ifstream(p).good()) return p;
        std::FILE* f = std::fopen(p.c_str(), "wb");
        std::fputs("06.12.2026 17:05:03 \xC7\xC0\xCF\xC8\xD1\xDC \xCD\xC0\xD7\xC0\xD2\xC0\r\n", f);
        std::fputs("\xC2\xD0\xC5\xCC\xDF CH1 CH2 CH3 CH4 CH5 CH6\r\n", f);
        std::vector<char> buffer(1 << 20);
        std::size_t used = 0;
        std::uint32_t x = 1;
        for (std::uint64_t i = 0; i < kLines; ++i) {
            if (used + 200 > buffer.size()) std::fwrite(buffer.data(), 1, used, f), used = 0;
            char* line = buffer.data() + used;
            const std::uint64_t tenthsOfNanodays = i * 1407 / 100;  // 8228 records a second
            std::size_t n = static_cast<std::size_t>(std::snprintf(
                line, 32, "%llu,%010llu",
                static_cast<unsigned long long>(tenthsOfNanodays / 10'000'000'000ull),
                static_cast<unsigned long long>(tenthsOfNanodays % 10'000'000'000ull)));
            for (int c = 0; c < 6; ++c) {
                x = x * 1664525u + 1013904223u;
                line[n++] = ' ';
                n += Milli(line + n, static_cast<std::int64_t>(x >> 12) % 2'000'000 - 500'000);
            }
            line[n++] = '\r';
            line[n++] = '\n';
            used += n;
        }
        std::fwrite(buffer.data(), 1, used, f);
        std::fputs(
            "06.12.2026 18:05:03 \xC7\xC0\xCF\xC8\xD1\xDC "
            "\xCE\xD1\xD2\xC0\xCD\xCE\xC2\xCB\xC5\xCD\xC0\r\n",
            f);
        std::fclose(f);
        return p;
    }();
    return path;
}

std::int64_t FileBytes() {
    std::ifstream in(File(), std::ios::binary | std::ios::ate);
    return static_cast<std::int64_t>(in.tellg());
}

// Private memory of this process (anonymous pages), in MB.
double PrivateMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string key;
    double kb = 0;
    while (status >> key) {
        if (key == "RssAnon:") status >> kb;
    }
    return kb / 1024;
}

// The index over the file, made once for the queries.
ts::review::RecordingIndex& Index() {
    static ts::review::RecordingIndex index;
    static const bool opened = [] {
        index.Open(File());
        index.WaitForPass();
        return true;
    }();
    (void)opened;
    return index;
}

// Processor seconds spent so far by this process, or by the programs it has waited for: the
// machine may be shared, so the time of the processors tells more than the clock.
double ProcessorSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// MB of the file read per processor second over the iterations, from `before` on.
void CountProcessorRate(benchmark::State& state, int who, double before) {
    const double seconds = ProcessorSeconds(who) - before;
    state.counters["cpu_MB_per_s"] =
        static_cast<double>(state.iterations() * FileBytes()) / 1e6 / seconds;
}

void RunShell(const std::string& command) {
    if (std::system(command.c_str()) != 0) std::abort();
}

void BM_ReviewPassOverFile(benchmark::State& state) {
    File();
    RunShell("cat '" + File() + "' > /dev/null");  // into the page cache
    const double before = ProcessorSeconds(RUSAGE_SELF);
    for (auto _ : state) {
        ts::review::RecordingIndex index;
        index.Open(File());
        index.WaitForPass();
        state.counters["index_MB"] = static_cast<double>(index.MemoryBytes()) / 1e6;
        state.counters["private_MB"] = PrivateMegabytes();
    }
    CountProcessorRate(state, RUSAGE_SELF, before);
    state.SetBytesProcessed(state.iterations() * FileBytes());
}
BENCHMARK(BM_ReviewPassOverFile)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

void BM_AwkSumOfOneColumn(benchmark::State& state) {
    const double before = ProcessorSeconds(RUSAGE_CHILDREN);
    for (auto _ : state) RunShell("awk '{ s += $2 } END { print s }' '" + File() + "' > /dev/null");
    CountProcessorRate(state, RUSAGE_CHILDREN, before);
    state.SetBytesProcessed(state.iterations() * FileBytes());
}
BENCHMARK(BM_AwkSumOfOneColumn)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_WcLines(benchmark::State& state) {
    const double before = ProcessorSeconds(RUSAGE_CHILDREN);
    for (auto _ : state) RunShell("wc -l '" + File() + "' > /dev/null");
    CountProcessorRate(state, RUSAGE_CHILDREN, before);
    state.SetBytesProcessed(state.iterations() * FileBytes());
}
BENCHMARK(BM_WcLines)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

// The first picture of the whole: the open, then a redraw of everything, while the pass runs.
void BM_ReviewFirstPicture(benchmark::State& state) {
    std::vector<ts::review::ColumnValue> out(1920 * ts::kChannels);
    for (auto _ : state) {
        ts::review::RecordingIndex index;
        index.Open(File());
        index.Query(0, index.EndNs() + 1, 1920, out.data());
        benchmark::DoNotOptimize(out.data());
        state.PauseTiming();
        index.Close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ReviewFirstPicture)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void BM_ReviewRedraw(benchmark::State& state) {
    auto& index = Index();
    const std::int64_t end = index.EndNs() + 1;
    const std::int64_t span = state.range(0) == 0 ? end : ts::review::kNanosecondsPerSecond;
    std::vector<ts::review::ColumnValue> out(1920 * ts::kChannels);
    std::int64_t from = 0;
    for (auto _ : state) {
        index.Query(from, from + span, 1920, out.data());
        benchmark::DoNotOptimize(out.data());
        if (span != end) from = (from + 37 * ts::review::kNanosecondsPerSecond) % (end - span);
    }
    state.SetLabel(state.range(0) == 0 ? "widest span" : "one second");
    state.counters["private_MB"] = PrivateMegabytes();
}
BENCHMARK(BM_ReviewRedraw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ReviewSummary(benchmark::State& state) {
    auto& index = Index();
    const std::int64_t end = index.EndNs() + 1;
    std::int64_t from = 12'345'678;
    for (auto _ : state) {
        const std::int64_t to = state.range(0) == 0 ? end : from + (end - from) / 2;
        benchmark::DoNotOptimize(index.Summarize(state.range(0) == 0 ? 0 : from, to));
        from = (from * 7 + 1'000'003) % (end / 2);
    }
    state.SetLabel(state.range(0) == 0 ? "whole recording" : "half, cut mid-block");
}
BENCHMARK(BM_ReviewSummary)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
