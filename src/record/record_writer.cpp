#include "app/station.h"
#include "app/texts.h"
#include "measure/number_format.h"
#include "platform/data_sync.h"
#include "record/record_time.h"

namespace ts {

namespace {

// The time field and six value fields, each behind a blank, and CR LF.
constexpr std::size_t kRecordLineCapacity = (kChannels + 1) * (kNumberTextCapacity + 1) + 2;

void ReportWriteFailure(Station& st) {
    if (st.recording.WriteFailureReported) return;
    st.recording.WriteFailureReported = true;
    // Not modal: this runs inside the timer tick, which must go on polling.
    st.ui.ShowMessageNonModal(text::kMsgResultWriteFailed);
}

}  // namespace

void Station::WriteRecord(std::uint64_t elapsed, const std::array<double, kChannels>& raw) {
    if (!recording.File.IsOpen()) return;
    const char separator = platform.Regional().DecimalSeparator;
    char line[kRecordLineCapacity];
    std::size_t n = FormatFixed(ElapsedDays(elapsed), 10, 15, separator, line);
    for (int c = 0; c < kChannels; ++c) {
        if (!form.FileEN_CH[c].Checked) continue;
        line[n++] = ' ';
        n += FormatReadout(CalibrateValue(c + 1, raw[c]), separator, line + n);
    }
    line[n++] = '\r';
    line[n++] = '\n';
    char encoded[kRecordLineCapacity];
    const std::size_t size = recording.Encoder.Encode({line, n}, encoded);
    if (!recording.File.Append({encoded, size})) ReportWriteFailure(*this);
}

void Station::FlushRecords() {
    if (!recording.File.IsOpen()) return;
    if (recording.File.PendingBytes() != 0 && !recording.File.Flush()) ReportWriteFailure(*this);
    // A stop's close puts everything on the medium itself.
    if (!recording.RecordingActive) return;
    // Records of a tick without any may still wait for the medium.
    DataSync& sync = platform.Sync();
    recording.Sync.Tick(recording.File, sync, platform.SteadyMilliseconds());
    if (recording.Sync.TakeFailure(sync)) ReportWriteFailure(*this);
}

}  // namespace ts
