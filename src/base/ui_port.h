#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/color.h"

namespace ts {

// What the core asks of the window beyond the presentation model: boxes,
// dialogs, the chart's series and axis, and text measurement.
class Ui {
public:
    virtual ~Ui() = default;

    // Modal box captioned with the application title, one OK button.
    virtual void ShowMessage(std::string_view text) = 0;
    // Modal box captioned "ТС" with an exclamation icon and one OK button.
    virtual void ShowWarning(std::string_view text) = 0;
    // Plain box that does not block: used from inside a timer tick, where a
    // modal box would stop all polling for as long as it stays open.
    virtual void ShowMessageNonModal(std::string_view text) = 0;

    // Open dialog for a calibration table; nothing when cancelled.
    virtual std::optional<std::string> ChooseTableFile() = 0;
    // Save dialog for the result file; asks before replacing an existing file.
    // Nothing when cancelled (or when the user declines to replace).
    virtual std::optional<std::string> ChooseResultFile() = 0;
    // Open dialog for a result file to look back at; nothing when cancelled.
    virtual std::optional<std::string> ChooseRecordingFile() { return std::nullopt; }
    // Shows a result file in a review window of its own, beside the main window; a window
    // without one ignores it.
    virtual void OpenReview(const std::string& path) { (void)path; }
    // Colour dialog opened on `initial`; nothing when cancelled.
    virtual std::optional<Color> ChooseColor(Color initial) = 0;

    // Chart: bottom axis range, and the six series (channel 0..5). A series is
    // given all its points in one call: y[i] is plotted at x = firstX + i.
    virtual void SetBottomAxisMinimum(double value) = 0;
    virtual void SetBottomAxisMaximum(double value) = 0;
    virtual void EmptySeries(int channel) = 0;
    virtual void SetSeriesPoints(int channel, double firstX, std::span<const float> y,
                                 Color color) = 0;

    // Pixel width of `text` in the font of the result file name label.
    virtual int FileNameTextWidth(std::string_view text) = 0;
};

}  // namespace ts
