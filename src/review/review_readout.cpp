#include "review/review_model.h"

#include <algorithm>
#include <cmath>

#include "base/texts.h"
#include "platform/file_status.h"
#include "platform/same_file.h"
#include "platform/system_file.h"
#include "review/review_export.h"
#include "review/review_time_text.h"

namespace ts {

using review::Clock;
using review::Elapsed;
using review::kS;

namespace {

std::string Value(double value) {
    if (!std::isfinite(value)) return "—";
    char text[review::kExportTextCapacity];
    return {text, review::FormatFileValue(value, text)};
}

std::string Mean(double value) {
    char text[review::kExportTextCapacity];
    return {text, review::FormatMean(value, text)};
}

}  // namespace

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
        form_.Label_Cursor.Caption = text::kReviewCursorNone;
        return;
    }
    if (const review::Gap* gap = GapAt(at)) {
        // No record lies there: the last one before the cut would pass for the gap's values.
        const std::int64_t start = index_->StartSeconds();
        form_.Label_Cursor.Caption = std::string(text::kReviewCursor) + Clock(start, at) + " (+" +
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
    form_.Label_Cursor.Caption = std::move(text);
}

void ReviewModel::ShowSelection() {
    if (!HasSelection()) {
        form_.Label_Selection.Caption = text::kReviewSelectionNone;
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
    form_.Label_Selection.Caption = std::move(text);
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
        std::clamp(form_.ComboBox_Every.ItemIndex, 0, static_cast<int>(kEverySeconds.size()) - 1);
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

}  // namespace ts
