#pragma once

#include <memory>
#include <string>
#include <vector>

#include "about_box.h"
#include "app/form_binding.h"
#include "app/station.h"
#include "app/window_ticks.h"
#include "controls.h"
#include "menu_bar.h"
#include "review_window.h"
#include "strip_chart.h"
#include "win32_ui.h"
#include "window_base.h"

namespace ts::win32 {

// Menu items are numbered from here, in the description's order.
constexpr int kIdFirstMenuItem = 1001;

// The main window: builds every control from the window's description, forwards each user event
// to the station's handler and mirrors the station's presentation model after every handler and
// every timer tick. It owns no behaviour of its own.
class TMF final : public WindowBase {
public:
    // What comes first when the program starts: the main window with what it has to say, or
    // the recordings named to it, which the main window's boxes then stand beside.
    enum class Start { MainWindow, Reviews };
    TMF(Driver& driver, Platform& platform, Start start = Start::MainWindow);
    ~TMF() override;

    Station& station() { return *station_; }
    StripChart& chart() { return chart_; }
    TFA& aboutBox() { return *about_; }
    // The control named as in the Qt window, or null.
    Control* Find(std::string_view name) const { return controls_->Find(name); }
    // The drop-down menu named so, or null.
    HMENU Menu(std::string_view name) const { return menus_->Popup(name); }
    HMENU DeviceMenu() const { return Menu("M_Menu_Setting_Port"); }
    ControlSet& controls() { return *controls_; }

    // Copies the presentation model to the controls, touching only what differs.
    void ApplyForm();
    template <typename F>
    void Run(F&& handler) {
        handler();
        ApplyForm();
        FollowDemoMode();
    }
    void M_Menu_Help_AboutClick();
    // Shows a result file in a review window of its own; says why in a box when it cannot.
    // Returns the window, or null.
    TFR* OpenReview(const std::string& path);
    // The recordings named at the start, each in a review window in front, with what was to be
    // said before (`earlier`) and what the main window had to say beside them; after a start
    // with Start::Reviews.
    void OpenAtStart(const std::vector<std::string>& paths, std::string_view earlier = {});
    // The review windows still open.
    std::vector<TFR*> Reviews();
    template <typename F>
    void ForEachReview(F&& f) {
        for (const auto& review : reviews_) {
            if (!review->closed()) f(*review);
        }
    }
    // FormClose once, however the window comes to close.
    void Close();

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void BuildControls();
    void StartTimers();
    // One pass of the 40 ms timer.
    void Tick();
    // The demonstration's timer runs while the demonstration does, and only then.
    void FollowDemoMode();
    // Whether any of the window can be seen: a minimised or covered window is mirrored on its
    // return.
    bool Seen() const;
    void CatchUp();
    void FitToDpi(UINT dpi, const RECT* suggested);
    void Dispatch(layout::Handler handler, int index);
    void MirrorControl(std::size_t index);

    std::unique_ptr<ControlSet> controls_;
    Platform& platform_;
    std::vector<std::unique_ptr<TFR>> reviews_;
    std::unique_ptr<Win32Ui> ui_;
    std::unique_ptr<Station> station_;
    std::unique_ptr<TFA> about_;
    bool closed_ = false;
    WindowTicks ticks_{WindowTicks::Clock::now()};
    bool demoTimerRuns_ = false;
    bool mirrorOwed_ = false;  // ticks went by unmirrored while the window could not be seen
    // The result file name's width, measured for this caption at this DPI.
    std::string fittedName_;
    int fittedWidth_ = -1;

    // One control and one tie per control of the description, in its order; the chart has
    // its own window class.
    std::vector<std::unique_ptr<Control>> made_;
    std::vector<FormTie> ties_;
    StripChart chart_;
    Label* resultFileName_ = nullptr;

    std::unique_ptr<MenuBar> menus_;
};

// Runs the message loop until the main window has closed, with the dialog keys (Tab, arrows,
// Enter, Escape) for both windows. Returns the exit status.
int RunMessageLoop(TMF& window);

}  // namespace ts::win32
