#include "review/review_model.h"

#include <algorithm>
#include <cmath>

#include "review/review_time_text.h"

namespace ts {

using review::kS;

std::int64_t ReviewModel::EndNs() const {
    // One past the last record, so that the span [0, end) holds it.
    return std::max(index_->EndNs() + 1, kMinSpanNs);
}

std::int64_t ReviewModel::NsAt(double fraction) const {
    return viewFrom_ + static_cast<std::int64_t>(
                           std::llround(fraction * static_cast<double>(viewTo_ - viewFrom_)));
}

double ReviewModel::FractionOf(std::int64_t ns) const {
    return static_cast<double>(ns - viewFrom_) / static_cast<double>(viewTo_ - viewFrom_);
}

bool ReviewModel::GapBetween(int a, int b, int columns) const {
    if (b <= a + 1) return false;
    const std::int64_t from = NsAt(static_cast<double>(a) / columns);
    const std::int64_t to = NsAt(static_cast<double>(b + 1) / columns);
    for (const review::Gap& gap : gaps_) {
        if (gap.fromNs >= from && gap.toNs <= to) return true;
    }
    return false;
}

void ReviewModel::SetView(std::int64_t from, std::int64_t to) {
    const std::int64_t end = EndNs();
    const std::int64_t span = std::clamp(to - from, kMinSpanNs, end);
    from = std::clamp(from, std::int64_t{0}, end - span);
    viewFrom_ = from;
    viewTo_ = from + span;
    ShowSpan();
    // The mouse stays where it is: the readout shows what now lies under it.
    if (cursorAt_) ShowCursor();
}

void ReviewModel::ShowSpan() {
    const std::int64_t span = viewTo_ - viewFrom_;
    form_.RadioGroup_Span = -1;
    for (int i = 0; i < kSpans; ++i) {
        if (kSpanSeconds[static_cast<std::size_t>(i)] * kS == span) form_.RadioGroup_Span = i;
    }
    const double total = static_cast<double>(EndNs());
    ScrollState& bar = form_.ScrollBar_Time;
    bar.Page =
        std::clamp(static_cast<int>(std::lround(static_cast<double>(span) * kScrollUnits / total)),
                   1, kScrollUnits);
    bar.Maximum = kScrollUnits - bar.Page;
    bar.Position = std::clamp(
        static_cast<int>(std::lround(static_cast<double>(viewFrom_) * kScrollUnits / total)), 0,
        bar.Maximum);
    bar.Enabled = bar.Maximum > 0;
}

void ReviewModel::ZoomAround(double wanted, double at) {
    const std::int64_t anchor = NsAt(at);
    const auto span = static_cast<std::int64_t>(
        std::clamp(wanted, static_cast<double>(kMinSpanNs), static_cast<double>(EndNs())));
    const std::int64_t from =
        anchor - static_cast<std::int64_t>(std::llround(at * static_cast<double>(span)));
    SetView(from, from + span);
}

void ReviewModel::Wheel(int notches, double at) {
    const double factor = std::pow(0.8, notches);
    ZoomAround(static_cast<double>(viewTo_ - viewFrom_) * factor, at);
}

void ReviewModel::Pan(double fraction) {
    const auto shift = static_cast<std::int64_t>(
        std::llround(fraction * static_cast<double>(viewTo_ - viewFrom_)));
    SetView(viewFrom_ - shift, viewTo_ - shift);
}

void ReviewModel::ZoomToStretch(double from, double to) {
    if (from > to) std::swap(from, to);
    const std::int64_t a = NsAt(from), b = NsAt(to);
    // Narrower than the narrowest span: that span, centred on the stretch.
    const std::int64_t span = std::max(b - a, kMinSpanNs);
    const std::int64_t start = (a + b) / 2 - span / 2;
    SetView(start, start + span);
}

void ReviewModel::Key(ReviewKey key) {
    const std::int64_t span = viewTo_ - viewFrom_;
    switch (key) {
        case ReviewKey::Left:
            Pan(0.1);
            return;
        case ReviewKey::Right:
            Pan(-0.1);
            return;
        case ReviewKey::PageBack:
            Pan(1.0);
            return;
        case ReviewKey::PageForward:
            Pan(-1.0);
            return;
        case ReviewKey::Home:
            SetView(0, span);
            return;
        case ReviewKey::End:
            SetView(EndNs() - span, EndNs());
            return;
        case ReviewKey::ZoomIn:
            ZoomAround(static_cast<double>(span) / 2, 0.5);
            return;
        case ReviewKey::ZoomOut:
            ZoomAround(static_cast<double>(span) * 2, 0.5);
            return;
        case ReviewKey::Escape:
            selectionFrom_ = selectionTo_ = 0;
            ShowSelection();
            return;
        case ReviewKey::ValuesIn:
            ValueWheel(3, 0.5);
            return;
        case ReviewKey::ValuesOut:
            ValueWheel(-3, 0.5);
            return;
        case ReviewKey::FitValues:
            valuesFrom_ = 0;
            valuesWidth_ = 1;
            return;
    }
}

void ReviewModel::SpanClick(int item) {
    if (item < 0 || item >= kSpans) return;
    ZoomAround(static_cast<double>(kSpanSeconds[static_cast<std::size_t>(item)] * kS), 0.5);
}

void ReviewModel::ChannelClick(int) {
    // The window has put the tick into the form; the next paint leaves the curve out.
}

void ReviewModel::FollowClick() {
    if (form_.CheckBox_Follow.Checked) Key(ReviewKey::End);
}

void ReviewModel::ScrollChanged() {
    const std::int64_t span = viewTo_ - viewFrom_;
    const auto from = static_cast<std::int64_t>(static_cast<double>(form_.ScrollBar_Time.Position) *
                                                static_cast<double>(EndNs()) / kScrollUnits);
    SetView(from, from + span);
}

bool ReviewModel::ChannelShown(int channel) const {
    return form_.CheckBox_ShowCH[static_cast<std::size_t>(channel - 1)].Checked;
}

}  // namespace ts
