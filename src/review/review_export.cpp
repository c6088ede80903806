#include "review/review_export.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

#include "measure/number_format.h"

namespace ts::review {

namespace {

constexpr int kMeanDigits = 10;

std::size_t Padded(std::int64_t value, int width, char* out) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    const auto length = static_cast<int>(end - digits);
    std::size_t n = 0;
    for (int i = length; i < width; ++i) out[n++] = '0';
    std::memcpy(out + n, digits, static_cast<std::size_t>(length));
    return n + static_cast<std::size_t>(length);
}

// Collects the CSV in large pieces.
class CsvWriter {
public:
    explicit CsvWriter(SystemFile& file) : file_(file) {}
    void Add(const char* text, std::size_t size) {
        if (used_ + size > buffer_.size()) Flush();
        std::memcpy(buffer_.data() + used_, text, size);
        used_ += size;
    }
    void Add(std::string_view text) { Add(text.data(), text.size()); }
    bool Flush() {
        if (used_ != 0 && file_.Write(buffer_.data(), used_) != used_) ok_ = false;
        used_ = 0;
        return ok_;
    }

private:
    SystemFile& file_;
    std::array<char, 64 * 1024> buffer_;
    std::size_t used_ = 0;
    bool ok_ = true;
};

}  // namespace

std::size_t FormatMean(double value, char* out) {
    if (!std::isfinite(value)) return FormatFixed(value, 0, 1, '.', out);
    const double magnitude = std::fabs(value);
    if (value == 0 || (magnitude >= 1e-4 && magnitude < 1e15)) {
        const int exponent = value == 0 ? 0 : static_cast<int>(std::floor(std::log10(magnitude)));
        const int decimals = std::max(kMeanDigits - 1 - exponent, 0);
        return static_cast<std::size_t>(
            std::to_chars(out, out + kExportTextCapacity, value, std::chars_format::fixed, decimals)
                .ptr -
            out);
    }
    return static_cast<std::size_t>(std::to_chars(out, out + kExportTextCapacity, value,
                                                  std::chars_format::scientific, kMeanDigits - 1)
                                        .ptr -
                                    out);
}

std::size_t FormatFileValue(double value, char* out) { return FormatReadout(value, '.', out); }

std::size_t FormatIsoTime(std::int64_t startSeconds, std::int64_t timeNs, char* out) {
    // To the nearest millisecond, not the one before: records lie on the instrument's units of
    // 1/18000 s, between milliseconds, and a file of another writer may put a whole second a
    // little early.
    const std::int64_t ms = (timeNs + 500'000) / 1'000'000;
    const LocalDateTime t = DateTimeOfSeconds(startSeconds + ms / 1000);
    std::size_t n = Padded(t.Year, 4, out);
    out[n++] = '-';
    n += Padded(t.Month, 2, out + n);
    out[n++] = '-';
    n += Padded(t.Day, 2, out + n);
    out[n++] = 'T';
    n += Padded(t.Hour, 2, out + n);
    out[n++] = ':';
    n += Padded(t.Minute, 2, out + n);
    out[n++] = ':';
    n += Padded(t.Second, 2, out + n);
    out[n++] = '.';
    return n + Padded(ms % 1000, 3, out + n);
}

std::size_t FormatSeconds(std::int64_t ns, char* out) {
    const std::int64_t micro = (ns + 500) / 1000;
    std::size_t n = Padded(micro / 1'000'000, 1, out);
    out[n++] = '.';
    return n + Padded(micro % 1'000'000, 6, out + n);
}

std::string SummaryText(const Summary& summary, std::uint8_t channels) {
    std::string text;
    char number[kExportTextCapacity];
    for (std::size_t c = 0; c < kChannels; ++c) {
        if ((channels & (1u << c)) == 0) continue;
        const ChannelSummary& ch = summary.channel[c];
        text += "CH";
        text += static_cast<char>('1' + c);
        text += ' ';
        text.append(number, std::to_chars(number, number + sizeof number, ch.count).ptr);
        if (ch.count == 0) {
            text += " - - -\n";
            continue;
        }
        text += ' ';
        text.append(number, FormatFileValue(ch.min, number));
        text += ' ';
        text.append(number, FormatFileValue(ch.max, number));
        text += ' ';
        text.append(number, FormatMean(ch.mean, number));
        text += '\n';
    }
    return text;
}

bool WriteCsv(const RecordingIndex& index, std::int64_t fromNs, std::int64_t toNs,
              std::int64_t everyNs, SystemFile& out) {
    const std::uint8_t channels = index.Channels();
    const std::int64_t start = index.StartSeconds();
    CsvWriter csv(out);
    csv.Add("time,elapsed_s");
    for (int c = 0; c < kChannels; ++c) {
        if ((channels & (1u << c)) == 0) continue;
        const char name[] = {',', 'C', 'H', static_cast<char>('1' + c)};
        csv.Add(name, sizeof name);
    }
    csv.Add("\r\n");
    char text[kExportTextCapacity];
    const auto row = [&](std::int64_t timeNs, const double* values, const std::uint32_t* counts) {
        csv.Add(text, FormatIsoTime(start, timeNs, text));
        csv.Add(",");
        csv.Add(text, FormatSeconds(timeNs, text));
        for (std::size_t c = 0; c < kChannels; ++c) {
            if ((channels & (1u << c)) == 0) continue;
            csv.Add(",");
            // A field without a number stays empty: no spreadsheet reads "NAN".
            if (counts[c] == 0 || !std::isfinite(values[c])) continue;
            csv.Add(text,
                    everyNs > 0 ? FormatMean(values[c], text) : FormatFileValue(values[c], text));
        }
        csv.Add("\r\n");
    };
    std::array<double, kChannels> sums{};
    std::array<std::uint32_t, kChannels> counts{};
    std::int64_t bucket = -1;
    bool any = false;
    const auto endBucket = [&] {
        if (!any) return;
        std::array<double, kChannels> means{};
        for (std::size_t c = 0; c < kChannels; ++c) {
            if (counts[c] != 0) means[c] = sums[c] / counts[c];
        }
        row(fromNs + bucket * everyNs, means.data(), counts.data());
        sums.fill(0);
        counts.fill(0);
        any = false;
    };
    const bool read = index.ForEachRecord(fromNs, toNs, [&](const Record& r) {
        if (everyNs <= 0) {
            std::array<std::uint32_t, kChannels> present{};
            for (std::size_t c = 0; c < kChannels; ++c) present[c] = (r.present >> c) & 1u;
            row(r.timeNs, r.value.data(), present.data());
            return true;
        }
        const std::int64_t b = (r.timeNs - fromNs) / everyNs;
        if (b != bucket) endBucket();
        bucket = b;
        any = true;
        for (std::size_t c = 0; c < kChannels; ++c) {
            if ((r.present & (1u << c)) == 0 || !std::isfinite(r.value[c])) continue;
            sums[c] += r.value[c];
            ++counts[c];
        }
        return true;
    });
    if (everyNs > 0) endBucket();
    return csv.Flush() && read;
}

}  // namespace ts::review
