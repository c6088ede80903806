#include "review/review_model.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "review/review_time_text.h"

namespace ts {

using review::FloorDiv;
using review::FormatClock;
using review::FormatElapsed;
using review::kMs;
using review::kS;

namespace {

// Time lines fall on round clock times, at most this many across the plot.
constexpr int kTickTarget = 8;
constexpr std::int64_t kTickSteps[] = {
    kMs,       2 * kMs,   5 * kMs,    10 * kMs,   20 * kMs,   50 * kMs,  100 * kMs,
    200 * kMs, 500 * kMs, kS,         2 * kS,     5 * kS,     10 * kS,   15 * kS,
    30 * kS,   60 * kS,   120 * kS,   300 * kS,   600 * kS,   900 * kS,  1800 * kS,
    3600 * kS, 7200 * kS, 10800 * kS, 21600 * kS, 43200 * kS, 86400 * kS};

}  // namespace

std::span<const review::ColumnValue> ReviewModel::Columns(int columns) {
    columns = std::max(columns, 1);
    const auto size = static_cast<std::size_t>(columns) * kChannels;
    if (columns_.size() < size) columns_.resize(size);
    index_->Query(viewFrom_, viewTo_, columns, columns_.data());
    std::array<double, kChannels> low, high;
    low.fill(INFINITY);
    high.fill(-INFINITY);
    for (std::size_t i = 0; i < size; ++i) {
        const review::ColumnValue& v = columns_[i];
        if (v.count == 0) continue;
        const std::size_t c = i % kChannels;
        if (std::isfinite(v.min)) low[c] = std::min(low[c], v.min);
        if (std::isfinite(v.max)) high[c] = std::max(high[c], v.max);
    }
    for (std::size_t c = 0; c < kChannels; ++c) {
        double lo = low[c], hi = high[c];
        if (!(lo <= hi)) {
            lo = 0;
            hi = 1;
        }
        // A level line lies in the middle, not on the frame.
        const double margin = hi > lo ? (hi - lo) * 0.05 : std::max(std::abs(hi) * 0.05, 0.5);
        fitted_[c] = {lo - margin, hi + margin};
    }
    return {columns_.data(), size};
}

ValueRange ReviewModel::RangeOf(int channel) const {
    const ValueRange& fit =
        fitted_[static_cast<std::size_t>(std::clamp(channel, 1, kChannels) - 1)];
    const double span = fit.high - fit.low;
    const double low = fit.low + valuesFrom_ * span;
    return {low, low + valuesWidth_ * span};
}

double ReviewModel::HeightOf(int channel, double value) const {
    const ValueRange r = RangeOf(channel);
    return (value - r.low) / (r.high - r.low);
}

int ReviewModel::AxisChannel() const {
    for (int c = 1; c <= kChannels; ++c) {
        if (ChannelShown(c) && form_.CheckBox_ShowCH[static_cast<std::size_t>(c - 1)].Enabled)
            return c;
    }
    return 0;
}

bool ReviewModel::ValuesFitted() const { return valuesFrom_ == 0 && valuesWidth_ == 1; }

void ReviewModel::ValueWheel(int notches, double height) {
    // Between a millionth of the fitted range and a hundred times it.
    const double width = std::clamp(valuesWidth_ * std::pow(0.8, notches), 1e-6, 100.0);
    const double anchor = valuesFrom_ + height * valuesWidth_;
    valuesFrom_ = anchor - height * width;
    valuesWidth_ = width;
}

PlotArea ReviewModel::PlotAreaOf(int width, int height, int dpi) {
    const auto scaled = [dpi](int length) { return (length * dpi + 48) / 96; };
    PlotArea area;
    area.left = scaled(64);
    area.top = scaled(10);
    area.width = std::max(width - area.left - scaled(12), 1);
    area.height = std::max(height - area.top - scaled(36), 1);
    return area;
}

int ReviewModel::ValueTicks(std::span<double, kMaxValueTicks> out) const {
    const int channel = AxisChannel();
    if (channel == 0) return 0;
    const ValueRange shown = RangeOf(channel);
    const double range = shown.high - shown.low;
    if (!(range > 0) || !std::isfinite(range)) return 0;
    // 1, 2 or 5 times a power of ten, some six lines across the range.
    const double rough = range / 6;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = power;
    for (const double m : {1.0, 2.0, 5.0, 10.0}) {
        step = m * power;
        if (step >= rough) break;
    }
    int count = 0;
    for (double v = std::ceil(shown.low / step) * step; v <= shown.high && count < kMaxValueTicks;
         v += step) {
        // No "-0" and no 0.30000000000000004 in the labels.
        out[static_cast<std::size_t>(count++)] = std::abs(v) < step * 1e-9 ? 0.0 : v;
    }
    return count;
}

std::size_t ReviewModel::FormatAxisValue(double value, char* out) {
    const auto result = std::to_chars(out, out + 24, value, std::chars_format::general, 6);
    return static_cast<std::size_t>(result.ptr - out);
}

int ReviewModel::TimeTicks(std::span<TimeTick, kMaxTicks> out) const {
    const std::int64_t span = viewTo_ - viewFrom_;
    std::int64_t step = kTickSteps[std::size(kTickSteps) - 1];
    for (const std::int64_t candidate : kTickSteps) {
        if (span / candidate <= kTickTarget) {
            step = candidate;
            break;
        }
    }
    const bool millis = step < kS;
    const bool date = step >= 3 * 3600 * kS;
    // Lines on round clock times: the timeline's 0 is the first start line's whole second.
    const std::int64_t origin = index_->StartSeconds() % 86400 * kS;
    std::int64_t ns = FloorDiv(origin + viewFrom_ + step - 1, step) * step - origin;
    int count = 0;
    for (; ns < viewTo_ && count < kMaxTicks; ns += step) {
        TimeTick& tick = out[static_cast<std::size_t>(count++)];
        tick.at = FractionOf(ns);
        tick.clock[FormatClock(index_->StartSeconds(), ns, millis, date, tick.clock.data())] = 0;
        tick.elapsed[0] = '+';
        tick.elapsed[1 + FormatElapsed(ns, millis, tick.elapsed.data() + 1)] = 0;
    }
    return count;
}

}  // namespace ts
