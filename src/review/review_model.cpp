#include "review/review_model.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "base/texts.h"
#include "platform/file_status.h"
#include "platform/same_file.h"
#include "platform/system_file.h"
#include "review/review_export.h"

namespace ts {

using review::kNanosecondsPerSecond;

namespace {

constexpr std::int64_t kMs = 1'000'000;
constexpr std::int64_t kS = kNanosecondsPerSecond;
// Time lines fall on round clock times, at most this many across the plot.
constexpr int kTickTarget = 8;
constexpr std::int64_t kTickSteps[] = {
    kMs,       2 * kMs,   5 * kMs,    10 * kMs,   20 * kMs,   50 * kMs,  100 * kMs,
    200 * kMs, 500 * kMs, kS,         2 * kS,     5 * kS,     10 * kS,   15 * kS,
    30 * kS,   60 * kS,   120 * kS,   300 * kS,   600 * kS,   900 * kS,  1800 * kS,
    3600 * kS, 7200 * kS, 10800 * kS, 21600 * kS, 43200 * kS, 86400 * kS};

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// Writes "H:MM:SS" of a duration, with ".mmm" when asked; returns the length.
std::size_t FormatElapsed(std::int64_t ns, bool millis, char* out) {
    // To the nearest millisecond: the file's times are ten-billionths of a day, a few
    // microseconds either side of the instrument's own.
    const std::int64_t ms = (std::max<std::int64_t>(ns, 0) + kMs / 2) / kMs;
    const std::int64_t s = ms / 1000;
    char* p = std::to_chars(out, out + 20, s / 3600).ptr;
    const auto two = [&p](std::int64_t v) {
        *p++ = static_cast<char>('0' + v / 10);
        *p++ = static_cast<char>('0' + v % 10);
    };
    *p++ = ':';
    two(s / 60 % 60);
    *p++ = ':';
    two(s % 60);
    if (millis) {
        *p++ = '.';
        *p++ = static_cast<char>('0' + ms % 1000 / 100);
        two(ms % 100);
    }
    return static_cast<std::size_t>(p - out);
}

// Writes the clock time of `ns` on a timeline starting at `startSeconds`: "17:05:33", with
// ".mmm" or a leading "DD.MM " when asked.
std::size_t FormatClock(std::int64_t startSeconds, std::int64_t ns, bool millis, bool date,
                        char* out) {
    const std::int64_t totalMs = FloorDiv(ns + kMs / 2, kMs);
    const std::int64_t seconds = startSeconds + FloorDiv(totalMs, 1000);
    const std::int64_t ms = totalMs - FloorDiv(totalMs, 1000) * 1000;
    const LocalDateTime t = review::DateTimeOfSeconds(seconds);
    char* p = out;
    const auto two = [&p](int v) {
        *p++ = static_cast<char>('0' + v / 10 % 10);
        *p++ = static_cast<char>('0' + v % 10);
    };
    if (date) {
        two(t.Day);
        *p++ = '.';
        two(t.Month);
        *p++ = ' ';
    }
    two(t.Hour);
    *p++ = ':';
    two(t.Minute);
    *p++ = ':';
    two(t.Second);
    if (millis) {
        *p++ = '.';
        *p++ = static_cast<char>('0' + ms / 100);
        two(static_cast<int>(ms % 100));
    }
    return static_cast<std::size_t>(p - out);
}

std::string Clock(std::int64_t startSeconds, std::int64_t ns) {
    char text[32];
    return {text, FormatClock(startSeconds, ns, true, false, text)};
}

std::string Elapsed(std::int64_t ns) {
    char text[32];
    return {text, FormatElapsed(ns, true, text)};
}

std::string Value(double value) {
    if (!std::isfinite(value)) return "—";
    char text[review::kExportTextCapacity];
    return {text, review::FormatFileValue(value, text)};
}

std::string Mean(double value) {
    char text[review::kExportTextCapacity];
    return {text, review::FormatMean(value, text)};
}

std::string_view FileNameOf(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string ReviewCaption(std::string_view path) {
    return std::string(text::kReviewCaption) + std::string(FileNameOf(path));
}

ReviewModel::ReviewModel(ReviewUi& ui)
    : ui_(ui), index_(std::make_unique<review::RecordingIndex>()) {}

ReviewModel::~ReviewModel() = default;

namespace {

// The reader's reasons are the console's English; the window says its own.
std::string WhyNotOpened(const std::string& path, const std::string& problem) {
    const bool notResult = problem.ends_with(review::kNoResultFile);
    return path + std::string(notResult ? text::kReviewNoResultFile : text::kReviewUnreadable);
}

}  // namespace

std::string ReviewModel::Open(const std::string& path, const ChartColors& colors,
                              review::DateOrder dateOrder) {
    review::OpenOptions options;
    // Any recording may still be written to, by this program or by the recorder: a stopped one
    // is simply never added to.
    options.follow = true;
    options.dateOrder = dateOrder;
    if (const std::string problem = index_->Open(path, options); !problem.empty()) {
        return WhyNotOpened(path, problem);
    }
    path_ = path;
    dateOrder_ = dateOrder;
    changeNote_ = {};
    form.Caption = ReviewCaption(path);
    form.ChartBackground = colors.BackgroundColor;
    form.ChartGrid = colors.GridColor;
    form.PanelColor_CurveCH = colors.CurveColor;
    const std::uint8_t channels = index_->Channels();
    for (int c = 0; c < kChannels; ++c) {
        CheckState& show = form.CheckBox_ShowCH[static_cast<std::size_t>(c)];
        show.Checked = show.Enabled = (channels & (1u << c)) != 0;
    }
    form.ComboBox_Every.ItemIndex = 0;
    ShowWhole();
    return {};
}

void ReviewModel::ShowWhole() {
    const std::vector<review::Part> parts = index_->Parts();
    form.CheckBox_Follow.Checked = parts.empty() || !parts.back().stopped;
    knownEnd_ = EndNs();
    gaps_ = index_->Gaps();
    cursorAt_.reset();
    selectionFrom_ = selectionTo_ = 0;
    SetView(0, knownEnd_);
    ShowCursor();
    ShowSelection();
    ShowProgress();
}

void ReviewModel::NoticeChange(review::FileChange change) {
    if (change == review::FileChange::Gone) {
        // What was read stays (the files are held open); nothing more will come.
        changeNote_ = text::kReviewFileGone;
        form.CheckBox_Follow.Checked = false;
        return;
    }
    changeNote_ =
        change == review::FileChange::Shrank ? text::kReviewFileShrank : text::kReviewFileReplaced;
    // A fresh index: should the file no longer open, none of the old data is left to show.
    auto fresh = std::make_unique<review::RecordingIndex>();
    review::OpenOptions options;
    options.follow = true;
    options.dateOrder = dateOrder_;
    const std::string problem = fresh->Open(path_, options);
    index_ = std::move(fresh);
    if (!problem.empty()) {
        ui_.ShowMessage(std::string(text::kMsgReviewOpenFailed) + WhyNotOpened(path_, problem));
    }
    ShowWhole();
    if (!problem.empty()) form.CheckBox_Follow.Checked = false;
}

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
    form.RadioGroup_Span = -1;
    for (int i = 0; i < kSpans; ++i) {
        if (kSpanSeconds[static_cast<std::size_t>(i)] * kS == span) form.RadioGroup_Span = i;
    }
    const double total = static_cast<double>(EndNs());
    ScrollState& bar = form.ScrollBar_Time;
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

void ReviewModel::Select(double from, double to) {
    if (from > to) std::swap(from, to);
    selectionFrom_ = NsAt(std::clamp(from, 0.0, 1.0));
    selectionTo_ = NsAt(std::clamp(to, 0.0, 1.0));
    ShowSelection();
}

void ReviewModel::MoveCursor(double at) {
    cursorAt_ = std::clamp(at, 0.0, 1.0);
    ShowCursor();
}

void ReviewModel::HideCursor() {
    cursorAt_.reset();
    ShowCursor();
}

std::optional<double> ReviewModel::CursorAt() const { return cursorAt_; }

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
    if (form.CheckBox_Follow.Checked) Key(ReviewKey::End);
}

void ReviewModel::ScrollChanged() {
    const std::int64_t span = viewTo_ - viewFrom_;
    const auto from = static_cast<std::int64_t>(static_cast<double>(form.ScrollBar_Time.Position) *
                                                static_cast<double>(EndNs()) / kScrollUnits);
    SetView(from, from + span);
}

bool ReviewModel::ChannelShown(int channel) const {
    return form.CheckBox_ShowCH[static_cast<std::size_t>(channel - 1)].Checked;
}

bool ReviewModel::Tick() {
    bool changed = false;
    // A file read anew starts a fresh index, so a change it reports is always a new one.
    if (const review::FileChange change = index_->Changed().what;
        change == review::FileChange::Shrank || change == review::FileChange::Replaced ||
        (change == review::FileChange::Gone && changeNote_ != text::kReviewFileGone)) {
        NoticeChange(change);
        changed = true;
    }
    // A stop line ends the recording, and the following with it.
    if (form.CheckBox_Follow.Checked) {
        const std::vector<review::Part> parts = index_->Parts();
        if (!parts.empty() && parts.back().stopped) {
            form.CheckBox_Follow.Checked = false;
            changed = true;
        }
    }
    const std::int64_t end = EndNs();
    const review::Progress progress = index_->CurrentProgress();
    // A finished file read to its end gives nothing new: nothing to draw again.
    changed = changed || progress.bytesRead != knownBytes_ || progress.bytesTotal != knownTotal_ ||
              progress.complete != knownComplete_;
    knownBytes_ = progress.bytesRead;
    knownTotal_ = progress.bytesTotal;
    knownComplete_ = progress.complete;
    if (end != knownEnd_) {
        changed = true;
        const bool whole = viewFrom_ == 0 && viewTo_ >= knownEnd_;
        const bool atEnd = viewTo_ >= knownEnd_;
        knownEnd_ = end;
        if (whole) {
            SetView(0, end);
        } else if (atEnd && form.CheckBox_Follow.Checked) {
            const std::int64_t span = viewTo_ - viewFrom_;
            SetView(end - span, end);
        } else {
            ShowSpan();
        }
        gaps_ = index_->Gaps();
        // A selection over what was still being read is summed again.
        if (HasSelection()) ShowSelection();
    }
    // What the labels say may change without a line read (a file gone, say): they are said
    // every tick, and the window mirrors only what differs.
    ShowProgress();
    return changed;
}

void ReviewModel::ShowProgress() {
    const review::Progress progress = index_->CurrentProgress();
    std::string text;
    if (!progress.complete && progress.bytesTotal > 0) {
        text = std::string(text::kReviewReading) +
               std::to_string(
                   std::min<std::uint64_t>(progress.bytesRead * 100 / progress.bytesTotal, 99)) +
               " %";
    } else {
        text = std::string(text::kReviewLength) + "\n" + Elapsed(index_->EndNs());
        if (form.CheckBox_Follow.Checked) text += text::kReviewFollowing;
    }
    text += changeNote_;
    form.Label_Progress.Caption = std::move(text);

    const review::Damage damage = index_->Damaged();
    const std::optional<review::MissingPart> missing = index_->Missing();
    form.Label_Damage.Visible = damage.lines > 0 || missing;
    std::string said;
    if (damage.lines > 0) {
        const std::vector<review::Part> parts = index_->Parts();
        const auto part = static_cast<std::size_t>(damage.firstPart);
        said = std::string(text::kReviewDamaged) + std::to_string(damage.lines) +
               std::string(text::kReviewDamagedFirst) + std::to_string(damage.firstLine) +
               std::string(text::kReviewDamagedFile) +
               std::string(part < parts.size() ? FileNameOf(parts[part].path) : std::string_view{});
    }
    if (missing) {
        if (!said.empty()) said += "\n";
        said += std::string(text::kReviewPartMissing) + std::to_string(missing->part) +
                std::string(missing->there ? text::kReviewPartNotPart : text::kReviewPartNotThere) +
                std::string(FileNameOf(missing->path));
    }
    if (!said.empty()) {
        form.Label_Damage.Caption = std::move(said);
        form.Label_Damage.FontColor = kColorRed;
    }
}

const review::Gap* ReviewModel::GapAt(std::int64_t ns) const {
    for (const review::Gap& gap : gaps_) {
        if (ns > gap.fromNs && ns < gap.toNs) return &gap;
    }
    return nullptr;
}

void ReviewModel::ShowCursor() {
    review::Record record;
    const std::int64_t at = cursorAt_ ? NsAt(*cursorAt_) : 0;
    if (!cursorAt_ || !index_->RecordAt(at, record)) {
        form.Label_Cursor.Caption = text::kReviewCursorNone;
        return;
    }
    if (const review::Gap* gap = GapAt(at)) {
        // No record lies there: the last one before the cut would pass for the gap's values.
        const std::int64_t start = index_->StartSeconds();
        form.Label_Cursor.Caption = std::string(text::kReviewCursor) + Clock(start, at) + " (+" +
                                    Elapsed(at) + ")" + std::string(text::kReviewCursorInGap) +
                                    Clock(start, gap->fromNs) + " – " + Clock(start, gap->toNs);
        return;
    }
    std::string text = std::string(text::kReviewCursor) +
                       Clock(index_->StartSeconds(), record.timeNs) + " (+" +
                       Elapsed(record.timeNs) + ")";
    for (int c = 0; c < kChannels; ++c) {
        if ((record.present & (1u << c)) == 0) continue;
        text += "    CH" + std::to_string(c + 1) + " " +
                Value(record.value[static_cast<std::size_t>(c)]);
    }
    form.Label_Cursor.Caption = std::move(text);
}

void ReviewModel::ShowSelection() {
    if (!HasSelection()) {
        form.Label_Selection.Caption = text::kReviewSelectionNone;
        return;
    }
    const std::int64_t start = index_->StartSeconds();
    const review::Summary summary = index_->Summarize(selectionFrom_, selectionTo_);
    std::string text = std::string(text::kReviewSelection) + Clock(start, selectionFrom_) + " – " +
                       Clock(start, selectionTo_) + " (" + Elapsed(selectionTo_ - selectionFrom_) +
                       ")";
    if (!summary.complete) text += text::kReviewStillReading;
    const std::uint8_t channels = index_->Channels();
    for (int c = 0; c < kChannels; ++c) {
        if ((channels & (1u << c)) == 0) continue;
        const review::ChannelSummary& s = summary.channel[static_cast<std::size_t>(c)];
        text += "\n" + std::string(text::kReviewChannelLine) + std::to_string(c + 1) +
                std::string(text::kReviewCount) + std::to_string(s.count);
        if (s.count == 0) continue;
        text += std::string(text::kReviewMin) + Value(s.min) + std::string(text::kReviewAt) +
                Clock(start, s.minAtNs) + std::string(text::kReviewMax) + Value(s.max) +
                std::string(text::kReviewAt) + Clock(start, s.maxAtNs) +
                std::string(text::kReviewMean) + Mean(s.mean);
    }
    form.Label_Selection.Caption = std::move(text);
}

std::string ReviewModel::SuggestedExport(std::string_view extension) const {
    const std::vector<review::Part> parts = index_->Parts();
    if (parts.empty()) return {};
    // The recording's first file names it, whichever part the export covers.
    std::string path = parts.front().path;
    const std::size_t name = path.find_last_of("/\\");
    const std::size_t dot = path.rfind('.');
    if (dot != std::string::npos && (name == std::string::npos || dot > name + 1)) path.resize(dot);
    return path + "." + std::string(extension);
}

void ReviewModel::ExportCsvClick() {
    const std::optional<std::string> path = ui_.ChooseExportFile(
        ReviewUi::ExportKind::Csv, SuggestedExport(text::kCsvDialogDefaultExt));
    if (!path) return;
    for (const review::Part& part : index_->Parts()) {
        if (SameFile(*path, part.path)) {
            ui_.ShowMessage(text::kMsgReviewExportOverRecording);
            return;
        }
    }
    const int item =
        std::clamp(form.ComboBox_Every.ItemIndex, 0, static_cast<int>(kEverySeconds.size()) - 1);
    const std::int64_t every = kEverySeconds[static_cast<std::size_t>(item)] * kS;
    const std::int64_t from = HasSelection() ? selectionFrom_ : 0;
    const std::int64_t to = HasSelection() ? selectionTo_ : EndNs();
    SystemFile out;
    if (!out.OpenForWriting(*path, true)) {
        ui_.ShowMessage(std::string(text::kMsgReviewExportFailed) + *path);
        return;
    }
    const bool written = review::WriteCsv(*index_, from, to, every, out);
    if (!out.Close() || !written) {
        // Half a table would pass for the whole one in a spreadsheet.
        RemoveFile(*path);
        ui_.ShowMessage(std::string(text::kMsgReviewExportFailed) + *path);
    }
}

void ReviewModel::ExportPngClick() {
    const std::optional<std::string> path = ui_.ChooseExportFile(
        ReviewUi::ExportKind::Png, SuggestedExport(text::kPngDialogDefaultExt));
    if (!path) return;
    for (const review::Part& part : index_->Parts()) {
        if (SameFile(*path, part.path)) {
            ui_.ShowMessage(text::kMsgReviewExportOverRecording);
            return;
        }
    }
    if (!ui_.WriteChartPicture(*path)) {
        ui_.ShowMessage(std::string(text::kMsgReviewExportFailed) + *path);
    }
}

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
        if (ChannelShown(c) && form.CheckBox_ShowCH[static_cast<std::size_t>(c - 1)].Enabled)
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
