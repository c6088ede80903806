#include "app/station.h"

namespace ts {

void Station::EndRecordPeriod(int period) {
    AccumulatorSet& set = pipeline.RecordSets[static_cast<std::size_t>(period - 1)];
    std::array<double, kChannels> average{};
    if (set.Count != 0) {
        for (int c = 0; c < kChannels; ++c) {
            average[c] = static_cast<double>(set.Sum[c]) / static_cast<double>(set.Count);
        }
    }
    // The next period starts from this one's mean, counted as one sample, so
    // a period without samples repeats it.
    for (int c = 0; c < kChannels; ++c) set.Sum[c] = static_cast<std::uint32_t>(average[c]);
    set.Count = 1;

    if (!recording.RecordingActive || !form.RadioB_File[static_cast<std::size_t>(period)].Checked) {
        return;
    }
    // PeriodStart has already moved on: the record carries the boundary just passed.
    const std::uint64_t elapsed = set.PeriodStart - recording.RecordingStart;
    if (form.CheckBox_FileDataAver.Checked) {
        WriteRecord(elapsed, average);
        return;
    }
    std::array<double, kChannels> latest{};
    for (int c = 0; c < kChannels; ++c) latest[c] = pipeline.LatestSample[c];
    WriteRecord(elapsed, latest);
}

void Station::CheckChange() {
    bool changed = false;
    for (int c = 0; c < kChannels; ++c) {
        if (!form.FileEN_CH[c].Checked) continue;
        const int v = pipeline.LatestSample[c];
        std::uint16_t& reference = recording.ChangeReference[c];
        // The threshold box is read at each comparison; -1 (nothing selected)
        // turns the direction on every sample.
        if (recording.ChangeRising[c]) {
            if (v > reference) {
                reference = static_cast<std::uint16_t>(v);
                changed = true;
            }
            if (v + form.ComboBox_FileOnChangeThresh.ItemIndex < reference) {
                recording.ChangeRising[c] = false;
                reference = static_cast<std::uint16_t>(v);
                changed = true;
            }
        } else {
            if (v < reference) {
                reference = static_cast<std::uint16_t>(v);
                changed = true;
            }
            if (reference + form.ComboBox_FileOnChangeThresh.ItemIndex < v) {
                recording.ChangeRising[c] = true;
                reference = static_cast<std::uint16_t>(v);
                changed = true;
            }
        }
    }
    if (!changed || !recording.RecordingActive ||
        !form.RadioB_File[kRecordChoiceOnChange].Checked) {
        return;
    }
    std::array<double, kChannels> latest{};
    for (int c = 0; c < kChannels; ++c) latest[c] = pipeline.LatestSample[c];
    WriteRecord(pipeline.ElapsedCount - recording.RecordingStart, latest);
}

}  // namespace ts
