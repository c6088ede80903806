#include "review/review_model.h"

#include <algorithm>

#include "base/texts.h"
#include "review/review_time_text.h"

namespace ts {

using review::Elapsed;

namespace {

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
    form_.Caption = ReviewCaption(path);
    form_.ChartBackground = colors.BackgroundColor;
    form_.ChartGrid = colors.GridColor;
    form_.PanelColor_CurveCH = colors.CurveColor;
    const std::uint8_t channels = index_->Channels();
    for (int c = 0; c < kChannels; ++c) {
        CheckState& show = form_.CheckBox_ShowCH[static_cast<std::size_t>(c)];
        show.Checked = show.Enabled = (channels & (1u << c)) != 0;
    }
    form_.ComboBox_Every.ItemIndex = 0;
    ShowWhole();
    return {};
}

void ReviewModel::ShowWhole() {
    const std::vector<review::Part> parts = index_->Parts();
    form_.CheckBox_Follow.Checked = parts.empty() || !parts.back().stopped;
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
        form_.CheckBox_Follow.Checked = false;
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
    if (!problem.empty()) form_.CheckBox_Follow.Checked = false;
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
    if (form_.CheckBox_Follow.Checked) {
        const std::vector<review::Part> parts = index_->Parts();
        if (!parts.empty() && parts.back().stopped) {
            form_.CheckBox_Follow.Checked = false;
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
        } else if (atEnd && form_.CheckBox_Follow.Checked) {
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
        if (form_.CheckBox_Follow.Checked) text += text::kReviewFollowing;
    }
    text += changeNote_;
    form_.Label_Progress.Caption = std::move(text);

    const review::Damage damage = index_->Damaged();
    const std::optional<review::MissingPart> missing = index_->Missing();
    form_.Label_Damage.Visible = damage.lines > 0 || missing;
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
        form_.Label_Damage.Caption = std::move(said);
        form_.Label_Damage.FontColor = kColorRed;
    }
}

}  // namespace ts
