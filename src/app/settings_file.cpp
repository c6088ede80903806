#include <string>
#include <vector>

#include "app/settings_file.h"
#include "app/settings_integer.h"
#include "base/texts.h"
#include "chart/live_chart.h"
#include "device/instrument_link.h"
#include "measure/calibration_tables.h"
#include "platform/atomic_file.h"
#include "platform/line_file.h"
#include "platform/text_codec.h"

namespace ts {

namespace {

// Line layout of Settings.bin, counted from 0.
constexpr int kSettingsLines = 51;
constexpr int kLineDescription = 0;
constexpr int kLineSerial = 1;
constexpr int kLineScale = 2;
constexpr int kLineChartEnable = 3;  // 3..8, channels 1..6
constexpr int kLineFileEnable = 9;   // 9..14
constexpr int kLineBackground = 15;
constexpr int kLineGrid = 16;
constexpr int kLineChartAver = 17;
constexpr int kLineCurveColor = 18;    // 18..23
constexpr int kLineTablePath = 24;     // 24..29
constexpr int kLineRecordChoice = 30;  // 30..48, in window order
constexpr int kLineThreshold = 49;
constexpr int kLineDataAver = 50;

// Paths fit well within this; a longer line means the file is not ours.
constexpr std::size_t kMaxSettingsLineBytes = 64 * 1024;

constexpr int kLastScaleIndex = kChartScales - 1;

std::string SettingsFilePath(const std::string& directory) {
    // An empty directory would name the root folder: before Load has
    // taken the directory (never in the program) the current one is meant.
    return (directory.empty() ? std::string(".") : directory) + "/Settings.bin";
}

// A line break inside a text value would shift every later line of the
// file; such a value cannot be kept and is written empty instead.
std::string TextLine(const std::string& value) {
    return value.find_first_of("\r\n") == std::string::npos ? value : std::string();
}

// The lines that hold text rather than numbers: kept in the system's encoding for settings
// files (see Utf8ToSettingsText), in UTF-8 everywhere else.
bool IsTextLine(int index) {
    return index == kLineDescription || index == kLineSerial ||
           (index >= kLineTablePath && index < kLineTablePath + kChannels);
}

// The lines of a settings file as the program keeps them: text lines in UTF-8.
std::vector<std::string> FromSettingsFile(std::vector<std::string> lines) {
    for (std::size_t index = 0; index < lines.size(); ++index) {
        if (IsTextLine(static_cast<int>(index))) lines[index] = SettingsTextToUtf8(lines[index]);
    }
    return lines;
}

std::string Flag(bool ticked) { return ticked ? "1" : "0"; }

std::string Decimal(std::int32_t value) { return std::to_string(value); }

// Colours are stored as they were read, so a value outside 24 bits survives a
// save unchanged.
std::string ColorLine(Color color) { return Decimal(static_cast<std::int32_t>(color)); }

// Applies line `index` at once. False when a numeric line is not an integer.
bool ApplyLine(const SettingsParts& parts, int index, const std::string& line) {
    if (index == kLineDescription) {
        parts.link.SetIdentity(line, parts.link.Serial());
        return true;
    }
    if (index == kLineSerial) {
        parts.link.SetIdentity(parts.link.Description(), line);
        return true;
    }
    if (index >= kLineTablePath && index < kLineTablePath + kChannels) {
        parts.tables.SetPath(index - kLineTablePath + 1, line);
        return true;
    }

    const std::optional<std::int32_t> number = ParseSettingsInteger(line);
    if (!number) return false;
    const std::int32_t value = *number;
    Form& form = parts.form;
    ChartColors colors = parts.chart.Colors();

    if (index == kLineScale) {
        form.RadioGroup_X = value < -1 ? -1 : (value > kLastScaleIndex ? kLastScaleIndex : value);
    } else if (index >= kLineChartEnable && index < kLineChartEnable + kChannels) {
        form.ChartEN_CH[static_cast<std::size_t>(index - kLineChartEnable)].Checked = value != 0;
    } else if (index >= kLineFileEnable && index < kLineFileEnable + kChannels) {
        form.FileEN_CH[static_cast<std::size_t>(index - kLineFileEnable)].Checked = value != 0;
    } else if (index == kLineBackground) {
        colors.BackgroundColor = static_cast<Color>(value);
    } else if (index == kLineGrid) {
        colors.GridColor = static_cast<Color>(value);
    } else if (index == kLineChartAver) {
        form.CheckBox_ChartAver.Checked = value != 0;
    } else if (index >= kLineCurveColor && index < kLineCurveColor + kChannels) {
        colors.CurveColor[static_cast<std::size_t>(index - kLineCurveColor)] =
            static_cast<Color>(value);
    } else if (index >= kLineRecordChoice && index < kLineRecordChoice + kRecordChoices) {
        // Radio buttons of one group: selecting one clears the others, so of
        // several non-zero lines the last one wins.
        const int choice = index - kLineRecordChoice;
        if (value != 0) {
            form.SelectRecordChoice(choice);
        } else {
            form.RadioB_File[static_cast<std::size_t>(choice)].Checked = false;
        }
    } else if (index == kLineThreshold) {
        form.ComboBox_FileOnChangeThresh.ItemIndex =
            value >= 0 && value < kThresholdItems ? value : -1;
    } else if (index == kLineDataAver) {
        form.CheckBox_FileDataAver.Checked = value != 0;
    }
    parts.chart.SetColors(colors);
    return true;
}

// Index of the first of the 51 lines that is missing or cannot be applied, or -1.
int ApplyLines(const SettingsParts& parts, const std::vector<std::string>& lines) {
    for (int index = 0; index < kSettingsLines; ++index) {
        const bool applied = static_cast<std::size_t>(index) < lines.size() &&
                             ApplyLine(parts, index, lines[static_cast<std::size_t>(index)]);
        if (!applied) return index;
    }
    return -1;
}

}  // namespace

SettingsReadOutcome ApplySettingsFile(const SettingsParts& parts, const std::string& path) {
    const LineFile file = ReadLineFile(path, kSettingsLines, kMaxSettingsLineBytes);
    SettingsReadOutcome outcome;
    outcome.readable = file.readable;
    if (file.readable) outcome.badLine = ApplyLines(parts, FromSettingsFile(file.lines));
    return outcome;
}

SettingsStore::SettingsStore(Platform& platform, Ui& ui, SettingsParts parts)
    : platform_(platform), ui_(ui), parts_(parts) {}

void SettingsStore::Load() {
    directory_ = platform_.CurrentDirectory();

    LineFile file =
        ReadLineFile(SettingsFilePath(directory_), kSettingsLines, kMaxSettingsLineBytes);
    if (file.readable) {
        lines_ = FromSettingsFile(std::move(file.lines));
    } else {
        ui_.ShowMessage(text::kMsgSettingsOpenFailed);
        // Writes the initial values and leaves them in the line list, which is
        // then applied like a file that was read.
        Save();
    }

    if (ApplyLines(parts_, lines_) >= 0) {
        ui_.ShowWarning(text::kMsgSettingsReadFailed);
        // What was applied so far stays; the rest keeps its defaults.
        Save();
        return;
    }

    for (int channel = 1; channel <= kChannels; ++channel) parts_.tables.Load(channel);
}

void SettingsStore::Save() {
    const Form& form = parts_.form;
    const ChartColors& colors = parts_.chart.Colors();
    lines_.clear();
    lines_.push_back(TextLine(parts_.link.Description()));
    lines_.push_back(TextLine(parts_.link.Serial()));
    lines_.push_back(Decimal(form.RadioGroup_X));
    for (const CheckState& box : form.ChartEN_CH) lines_.push_back(Flag(box.Checked));
    for (const CheckState& box : form.FileEN_CH) lines_.push_back(Flag(box.Checked));
    lines_.push_back(ColorLine(colors.BackgroundColor));
    lines_.push_back(ColorLine(colors.GridColor));
    lines_.push_back(Flag(form.CheckBox_ChartAver.Checked));
    for (const Color color : colors.CurveColor) lines_.push_back(ColorLine(color));
    for (const std::string& path : parts_.tables.Paths()) lines_.push_back(TextLine(path));
    for (const CheckState& radio : form.RadioB_File) lines_.push_back(Flag(radio.Checked));
    lines_.push_back(Decimal(form.ComboBox_FileOnChangeThresh.ItemIndex));
    lines_.push_back(Flag(form.CheckBox_FileDataAver.Checked));

    std::string bytes;
    bool pathLeftOut = false;
    for (std::size_t index = 0; index < lines_.size(); ++index) {
        std::string& line = lines_[index];
        if (!IsTextLine(static_cast<int>(index))) {
            bytes += line;
        } else if (const std::optional<std::string> text = Utf8ToSettingsText(line)) {
            bytes += *text;
        } else {
            // Question marks would name another file, or none: the line stays empty, as the
            // file will read.
            pathLeftOut = pathLeftOut || static_cast<int>(index) >= kLineTablePath;
            line.clear();
        }
        bytes += "\r\n";
    }
    if (pathLeftOut) ui_.ShowWarning(text::kMsgTablePathNotSaved);
    if (!ReplaceFileContents(SettingsFilePath(directory_), bytes)) {
        ui_.ShowWarning(text::kMsgSettingsWriteFailed);
    }
}

}  // namespace ts
