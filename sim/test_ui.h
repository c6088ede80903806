#pragma once

#include <array>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/sample.h"
#include "base/ui_port.h"

namespace ts::sim {

// A Ui that records what the core asked of it. Boxes are logged; while a modal
// box is "up", `whileModal` runs, the way the nested loop of a real box keeps
// delivering timer ticks. Dialog answers are queued by the test.
class TestUi final : public Ui {
public:
    enum class BoxKind { Plain, Warning, PlainNonModal };
    struct Box {
        BoxKind kind;
        std::string text;
    };

    std::vector<Box> boxes;
    std::function<void()> whileModal;

    std::deque<std::optional<std::string>> tableFileAnswers;
    std::deque<std::optional<std::string>> resultFileAnswers;
    std::deque<std::optional<Color>> colorAnswers;
    std::vector<Color> colorDialogInitials;
    int tableDialogs = 0, resultDialogs = 0;

    double axisMinimum = 0, axisMaximum = 0;
    std::vector<std::string> chartCalls;  // "min", "max", "empty N", "points N"
    // Called after each chart operation is logged.
    std::function<void()> onChartCall;
    struct Series {
        double firstX = 0;
        std::vector<float> y;
        Color color = 0;
    };
    std::array<Series, kChannels> series;
    int seriesUpdates = 0;

    // Text width: this many pixels per character (UTF-8 sequences count once).
    int pixelsPerCharacter = 6;

    std::vector<std::string> Texts() const;
    void ClearLog();

    void ShowMessage(std::string_view text) override;
    void ShowWarning(std::string_view text) override;
    void ShowMessageNonModal(std::string_view text) override;
    std::optional<std::string> ChooseTableFile() override;
    std::optional<std::string> ChooseResultFile() override;
    std::optional<Color> ChooseColor(Color initial) override;
    void SetBottomAxisMinimum(double value) override;
    void SetBottomAxisMaximum(double value) override;
    void EmptySeries(int channel) override;
    void SetSeriesPoints(int channel, double firstX, std::span<const float> y,
                         Color color) override;
    int FileNameTextWidth(std::string_view text) override;

private:
    void Modal();
    void LogChartCall(std::string call);
    bool inModal_ = false;
};

}  // namespace ts::sim
