#pragma once

#include "base/ui_port.h"

namespace ts::sim {

// A window that shows nothing and answers no dialog: what is left to measure
// is the core's own work. The points handed over are touched, so the core
// cannot skip computing them.
class NullUi final : public Ui {
public:
    void ShowMessage(std::string_view) override {}
    void ShowWarning(std::string_view) override {}
    void ShowMessageNonModal(std::string_view) override {}
    std::optional<std::string> ChooseTableFile() override { return std::nullopt; }
    std::optional<std::string> ChooseResultFile() override { return std::nullopt; }
    std::optional<Color> ChooseColor(Color) override { return std::nullopt; }
    void SetBottomAxisMinimum(double value) override { touched_ += value; }
    void SetBottomAxisMaximum(double value) override { touched_ += value; }
    void EmptySeries(int) override {}
    void SetSeriesPoints(int, double, std::span<const float> y, Color) override {
        if (!y.empty()) touched_ += y.back();
    }
    int FileNameTextWidth(std::string_view) override { return 0; }
    double Touched() const { return touched_; }

private:
    double touched_ = 0;
};

}  // namespace ts::sim
