#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/form_binding.h"
#include "controls.h"
#include "review/review_model.h"
#include "review_chart.h"
#include "window_base.h"

namespace ts::win32 {

// A review window: one recording looked back at, beside the main window and any other review
// window. Built from the review window's description, it forwards every event to its model and
// mirrors the model after each and after every tick; it owns no behaviour of its own.
class TFR final : public WindowBase, private ReviewUi {
public:
    TFR();
    ~TFR() override;

    // Opens the recording and shows the window; an empty text when it opened, else why not.
    std::string Open(const std::string& path, const ChartColors& colors,
                     review::DateOrder dateOrder);
    ReviewModel& model() { return model_; }
    ReviewChart& chart() { return chart_; }
    Control* Find(std::string_view name) const { return controls_->Find(name); }
    ControlSet& controls() { return *controls_; }
    // Copies the model to the controls, touching only what differs.
    void ApplyForm();
    // What a tick does: the model takes in what the reader has read, unless minimized.
    void Tick();
    bool closed() const { return hwnd() == nullptr; }
    // Whether its timer runs: not while minimized.
    bool ticking() const { return ticking_; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void ShowMessage(std::string_view text) override;
    std::optional<std::string> ChooseExportFile(ExportKind kind,
                                                const std::string& suggested) override;
    bool WriteChartPicture(const std::string& path) override;
    void Dispatch(layout::Handler handler, int index);
    void FitToDpi(UINT dpi, const RECT* suggested);
    void StartTicking();
    void StopTicking();

    ReviewModel model_;
    std::unique_ptr<ControlSet> controls_;
    std::vector<std::unique_ptr<Control>> made_;
    std::vector<FormTie> ties_;
    ReviewChart chart_;
    bool opened_ = false;
    bool ticking_ = false;
};

}  // namespace ts::win32
