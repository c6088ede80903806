#pragma once

#include <cstdio>

#include "base/ui_port.h"

namespace ts {

// The Ui of a program without a window: every box becomes one line on a
// stream, dialogs are never answered, and there is no chart to draw on.
class ConsoleUi final : public Ui {
public:
    explicit ConsoleUi(std::FILE* out) : out_(out) {}

    int MessagesShown() const { return messages_; }

    void ShowMessage(std::string_view text) override { Print(text); }
    void ShowWarning(std::string_view text) override { Print(text); }
    void ShowMessageNonModal(std::string_view text) override { Print(text); }
    std::optional<std::string> ChooseTableFile() override { return std::nullopt; }
    std::optional<std::string> ChooseResultFile() override { return std::nullopt; }
    std::optional<Color> ChooseColor(Color) override { return std::nullopt; }
    void SetBottomAxisMinimum(double) override {}
    void SetBottomAxisMaximum(double) override {}
    void EmptySeries(int) override {}
    void SetSeriesPoints(int, double, std::span<const float>, Color) override {}
    int FileNameTextWidth(std::string_view) override { return 0; }

private:
    void Print(std::string_view text);

    std::FILE* out_;
    int messages_ = 0;
};

}  // namespace ts
