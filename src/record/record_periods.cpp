#include "record/recording.h"

namespace ts {

void Recording::RecordPeriodClosed(int period, std::uint64_t boundary,
                                   const std::array<double, kChannels>& mean,
                                   const SampleCodes& latest) {
    if (!state_.RecordingActive || !form_.RadioB_File[static_cast<std::size_t>(period)].Checked) {
        return;
    }
    const std::uint64_t elapsed = boundary - state_.RecordingStart;
    if (form_.CheckBox_FileDataAver.Checked) {
        WriteRecord(elapsed, mean);
        return;
    }
    WriteLatest(elapsed, latest);
}

void Recording::SampleMeasured(std::uint64_t elapsed, const SampleCodes& latest) {
    if (!state_.RecordingActive) return;
    if (form_.RadioB_File[kRecordChoiceAll].Checked) {
        WriteLatest(elapsed - state_.RecordingStart, latest);
    } else if (form_.RadioB_File[kRecordChoiceOnChange].Checked) {
        CheckChange();
    }
}

void Recording::WriteLatest(std::uint64_t elapsed, const SampleCodes& latest) {
    std::array<double, kChannels> raw;
    for (int c = 0; c < kChannels; ++c) raw[c] = latest[c];
    WriteRecord(elapsed, raw);
}

void Recording::CheckChange() {
    bool changed = false;
    for (int c = 0; c < kChannels; ++c) {
        if (!form_.FileEN_CH[c].Checked) continue;
        const int v = needs_.Latest()[static_cast<std::size_t>(c)];
        std::uint16_t& reference = state_.ChangeReference[c];
        // The threshold box is read at each comparison; -1 (nothing selected)
        // turns the direction on every sample.
        if (state_.ChangeRising[c]) {
            if (v > reference) {
                reference = static_cast<std::uint16_t>(v);
                changed = true;
            }
            if (v + form_.ComboBox_FileOnChangeThresh.ItemIndex < reference) {
                state_.ChangeRising[c] = false;
                reference = static_cast<std::uint16_t>(v);
                changed = true;
            }
        } else {
            if (v < reference) {
                reference = static_cast<std::uint16_t>(v);
                changed = true;
            }
            if (reference + form_.ComboBox_FileOnChangeThresh.ItemIndex < v) {
                state_.ChangeRising[c] = true;
                reference = static_cast<std::uint16_t>(v);
                changed = true;
            }
        }
    }
    if (!changed || !state_.RecordingActive || !form_.RadioB_File[kRecordChoiceOnChange].Checked) {
        return;
    }
    WriteLatest(needs_.Elapsed() - state_.RecordingStart, needs_.Latest());
}

}  // namespace ts
