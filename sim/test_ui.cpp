#include "sim/test_ui.h"

namespace ts::sim {

std::vector<std::string> TestUi::Texts() const {
    std::vector<std::string> texts;
    for (const Box& box : boxes) texts.push_back(box.text);
    return texts;
}

void TestUi::ClearLog() {
    boxes.clear();
    chartCalls.clear();
    seriesUpdates = 0;
}

void TestUi::Modal() {
    // A box shown from inside a tick that the box itself runs is not
    // re-entered: the nested loop is already up.
    if (!whileModal || inModal_) return;
    inModal_ = true;
    whileModal();
    inModal_ = false;
}

void TestUi::LogChartCall(std::string call) {
    chartCalls.push_back(std::move(call));
    if (onChartCall) onChartCall();
}

void TestUi::ShowMessage(std::string_view text) {
    boxes.push_back({BoxKind::Plain, std::string(text)});
    Modal();
}

void TestUi::ShowWarning(std::string_view text) {
    boxes.push_back({BoxKind::Warning, std::string(text)});
    Modal();
}

void TestUi::ShowMessageNonModal(std::string_view text) {
    boxes.push_back({BoxKind::PlainNonModal, std::string(text)});
}

std::optional<std::string> TestUi::ChooseTableFile() {
    ++tableDialogs;
    Modal();
    if (tableFileAnswers.empty()) return std::nullopt;
    auto answer = tableFileAnswers.front();
    tableFileAnswers.pop_front();
    return answer;
}

std::optional<std::string> TestUi::ChooseResultFile() {
    ++resultDialogs;
    Modal();
    if (resultFileAnswers.empty()) return std::nullopt;
    auto answer = resultFileAnswers.front();
    resultFileAnswers.pop_front();
    return answer;
}

std::optional<Color> TestUi::ChooseColor(Color initial) {
    colorDialogInitials.push_back(initial);
    Modal();
    if (colorAnswers.empty()) return std::nullopt;
    auto answer = colorAnswers.front();
    colorAnswers.pop_front();
    return answer;
}

void TestUi::SetBottomAxisMinimum(double value) {
    axisMinimum = value;
    LogChartCall("min");
}

void TestUi::SetBottomAxisMaximum(double value) {
    axisMaximum = value;
    LogChartCall("max");
}

void TestUi::EmptySeries(int channel) {
    series[static_cast<std::size_t>(channel)].y.clear();
    LogChartCall("empty " + std::to_string(channel + 1));
}

void TestUi::SetSeriesPoints(int channel, double firstX, std::span<const float> y, Color color) {
    Series& s = series[static_cast<std::size_t>(channel)];
    s.firstX = firstX;
    s.y.assign(y.begin(), y.end());
    s.color = color;
    ++seriesUpdates;
    LogChartCall("points " + std::to_string(channel + 1));
}

int TestUi::FileNameTextWidth(std::string_view text) {
    int characters = 0;
    for (unsigned char c : text) {
        if ((c & 0xC0) != 0x80) ++characters;
    }
    return characters * pixelsPerCharacter;
}

}  // namespace ts::sim
