#include "app/recorder_settings.h"

#include "app/settings_file.h"
#include "app/station.h"
#include "platform/file_status.h"

namespace ts {

namespace {

void ApplyOptions(Station& st, const RecordOptions& o) {
    InstrumentLink& link = st.link();
    if (o.description) link.SetIdentity(*o.description, link.Serial());
    if (o.serial) link.SetIdentity(link.Description(), *o.serial);
    if (o.recordChoice) st.form().SelectRecordChoice(*o.recordChoice);
    if (o.average) st.form().CheckBox_FileDataAver.Checked = true;
    // The box's items read "1" to "99".
    if (o.threshold) st.form().ComboBox_FileOnChangeThresh.ItemIndex = *o.threshold - 1;
    if (o.channels) {
        for (int c = 0; c < kChannels; ++c) st.form().FileEN_CH[c].Checked = (*o.channels)[c];
    }
    for (int c = 0; c < kChannels; ++c) {
        if (o.tables[c]) st.measurement().Tables().SetPath(c + 1, *o.tables[c]);
    }
}

// What is still missing for a recording, or nothing.
std::string Incomplete(const Station& st, const RecordOptions& o, bool fromFile) {
    const std::string noFile = " is needed: there is no settings file " + o.settingsPath;
    const int choice = st.form().SelectedRecordChoice();
    if (choice < 0) {
        return fromFile ? "the settings file selects no recording choice (see --every)"
                        : "--every" + noFile;
    }
    bool anyChannel = false;
    for (const CheckState& box : st.form().FileEN_CH) anyChannel = anyChannel || box.Checked;
    if (!anyChannel) {
        return fromFile ? "the settings file selects no channel to record (see --channels)"
                        : "--channels" + noFile;
    }
    if (o.replayPath.empty() && !fromFile && !o.description && !o.serial) {
        return "--serial or --description" + noFile;
    }
    // The window clears averaging for these two choices; asked for outright it would be
    // silently dropped.
    if (o.average && (choice == kRecordChoiceAll || choice == kRecordChoiceOnChange)) {
        return "--average applies to a recording period, not to every sample or on change";
    }
    for (int c = 0; c < kChannels; ++c) {
        if (o.tables[c] && !st.form().FileEN_CH[c].Checked) {
            return "--table names channel " + std::to_string(c + 1) + ", which is not recorded";
        }
    }
    return {};
}

}  // namespace

RecorderSettingsOutcome ApplyRecorderSettings(Station& st, const RecordOptions& o) {
    RecorderSettingsOutcome outcome;
    const SettingsReadOutcome file = ApplySettingsFile(
        {st.form(), st.link(), st.measurement().Tables(), st.chart()}, o.settingsPath);
    if (!file.readable) {
        // Only the default file may be absent, and only when the options stand in for it.
        if (o.settingsGiven || !FileMissing(o.settingsPath) || !o.AnySetting()) {
            outcome.error = "cannot read the settings file " + o.settingsPath;
            return outcome;
        }
    } else if (!file.Ok()) {
        outcome.error = "the settings file " + o.settingsPath + " is not whole: line " +
                        std::to_string(file.badLine) + " is missing or not an integer";
        return outcome;
    }
    outcome.fromFile = file.readable;
    ApplyOptions(st, o);
    outcome.error = Incomplete(st, o, outcome.fromFile);
    return outcome;
}

}  // namespace ts
