#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/form_binding.h"
#include "app/station.h"
#include "app/window_ticks.h"
#include "form_widgets.h"
#include "menu_bar.h"

class QLabel;
class QTimer;

namespace ts {

class QtUi;
class StripChart;
class TFA;
class TFR;

// The main window: builds every control from the window's description, forwards each user
// event to the station's handler and mirrors the station's presentation model after every
// handler and every timer tick. It owns no behaviour of its own.
class TMF final : public QMainWindow {
    Q_OBJECT
public:
    // What comes first when the program starts: the main window with what it has to say, or
    // the recordings named to it, which the main window's boxes then stand beside.
    enum class Start { MainWindow, Reviews };
    TMF(Driver& driver, Platform& platform, QWidget* parent = nullptr,
        Start start = Start::MainWindow);
    ~TMF() override;

    Station& station() { return *station_; }
    StripChart* chart() const { return chart_; }
    TFA* aboutBox() const { return about_; }
    // Copies the presentation model to the widgets, touching only what differs.
    void ApplyForm();
    // Runs a station handler and mirrors the result.
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
    // The recordings named at the start, each in a review window in front, with what the
    // main window had to say beside them; after a start with Start::Reviews.
    void OpenAtStart(const std::vector<std::string>& paths);
    // The review windows still open.
    std::vector<TFR*> reviews() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    // A result file dropped on the window opens in a review window.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls(QWidget* client);
    void StartTimers();
    // One pass of the 40 ms timer.
    void Tick();
    // The demonstration's timer runs while the demonstration does, and only then.
    void FollowDemoMode();
    // Whether any of the window can be seen: a minimised window is mirrored on its return.
    bool Seen() const;
    // Mirrors what the ticks left unmirrored, once the window can be seen again.
    void CatchUp();
    // Runs the handler a control or menu item names and mirrors the result.
    void Dispatch(layout::Handler handler, int index);
    void MirrorControl(std::size_t index);

    Platform& platform_;
    std::vector<QPointer<TFR>> reviews_;
    std::unique_ptr<QtUi> qtUi_;
    std::unique_ptr<Station> station_;
    TFA* about_ = nullptr;
    bool closed_ = false;

    // One widget and one tie per control of the description, in its order.
    std::vector<QWidget*> widgets_;
    std::vector<FormTie> ties_;
    std::vector<ShownValues> shown_;
    StripChart* chart_ = nullptr;
    QLabel* resultFileName_ = nullptr;

    std::unique_ptr<MenuBar> menus_;

    QTimer* timer25Hz_ = nullptr;
    QTimer* timerDemo_ = nullptr;
    WindowTicks ticks_{WindowTicks::Clock::now()};
    bool mirrorOwed_ = false;  // ticks went by unmirrored while the window could not be seen
};

}  // namespace ts
