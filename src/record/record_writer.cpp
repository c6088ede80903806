#include "base/texts.h"
#include "measure/number_format.h"
#include "platform/data_sync.h"
#include "record/record_time.h"
#include "record/recording.h"

namespace ts {

namespace {

// The time field and six value fields, each behind a blank, and CR LF.
constexpr std::size_t kRecordLineCapacity = (kChannels + 1) * (kNumberTextCapacity + 1) + 2;

void ReportWriteFailure(RecordingState& state, Ui& ui) {
    if (state.WriteFailureReported) return;
    state.WriteFailureReported = true;
    // Not modal: this runs inside the timer tick, which must go on polling.
    ui.ShowMessageNonModal(text::kMsgResultWriteFailed);
}

}  // namespace

void Recording::WriteRecord(std::uint64_t elapsed, const std::array<double, kChannels>& raw) {
    if (!state_.File.IsOpen()) return;
    const char separator = platform_.Regional().DecimalSeparator;
    char line[kRecordLineCapacity];
    std::size_t n = FormatFixed(ElapsedDays(elapsed), 10, 15, separator, line);
    for (int c = 0; c < kChannels; ++c) {
        if (!form_.FileEN_CH[c].Checked) continue;
        line[n++] = ' ';
        n += FormatReadout(needs_.Calibrate(c + 1, raw[c]), separator, line + n);
    }
    line[n++] = '\r';
    line[n++] = '\n';
    char encoded[kRecordLineCapacity];
    const std::size_t size = state_.Encoder.Encode({line, n}, encoded);
    if (!state_.File.Append({encoded, size})) ReportWriteFailure(state_, ui_);
}

void Recording::FlushRecords() {
    if (!state_.File.IsOpen()) return;
    if (state_.File.PendingBytes() != 0 && !state_.File.Flush()) ReportWriteFailure(state_, ui_);
    // A stop's close puts everything on the medium itself.
    if (!state_.RecordingActive) return;
    // Records of a tick without any may still wait for the medium.
    DataSync& sync = platform_.Sync();
    state_.Sync.Tick(state_.File, sync, platform_.SteadyMilliseconds());
    if (state_.Sync.TakeFailure(sync)) ReportWriteFailure(state_, ui_);
}

}  // namespace ts
