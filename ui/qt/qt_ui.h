#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "base/ui_port.h"

class QLabel;

namespace ts {

class StripChart;

// The Ui port on Qt: message boxes, the three dialogs, the chart and the
// measurement of the file name label's text.
class QtUi final : public Ui {
public:
    QtUi(QWidget* window, StripChart* chart, QLabel* fileNameLabel);

    void ShowMessage(std::string_view text) override;
    void ShowWarning(std::string_view text) override;
    void ShowMessageNonModal(std::string_view text) override;
    std::optional<std::string> ChooseTableFile() override;
    std::optional<std::string> ChooseResultFile() override;
    std::optional<std::string> ChooseRecordingFile() override;
    void OpenReview(const std::string& path) override;
    std::optional<Color> ChooseColor(Color initial) override;
    void SetBottomAxisMinimum(double value) override;
    void SetBottomAxisMaximum(double value) override;
    void EmptySeries(int channel) override;
    void SetSeriesPoints(int channel, double firstX, std::span<const float> y,
                         Color color) override;
    int FileNameTextWidth(std::string_view text) override;

    // While deferring, boxes are held back and shown once control is back in
    // the event loop: a box must not run its own loop from inside a signal
    // such as a menu's aboutToShow.
    void BeginDeferringBoxes() { deferring_ = true; }
    void EndDeferringBoxes();
    // Ends the deferring with the held boxes shown beside the windows, not in front of them:
    // nothing waits for their OK.
    void EndDeferringBoxesBeside();
    // What opens a review window: the main window's.
    void SetReviewOpener(std::function<void(const std::string&)> opener) {
        reviewOpener_ = std::move(opener);
    }

private:
    struct HeldBox {
        bool warning;
        std::string text;
    };
    void ShowHeldBoxes();

    std::function<void(const std::string&)> reviewOpener_;
    bool deferring_ = false;
    std::vector<HeldBox> held_;
    QWidget* window_;
    StripChart* chart_;
    QLabel* fileNameLabel_;
};

// Qt's filter syntax from the "Description|*.ext" form.
QString QtFilter(std::string_view filter);

}  // namespace ts
