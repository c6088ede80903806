#pragma once

#include <QObject>
#include <QTimer>

class QSocketNotifier;
class QWidget;

namespace ts {

// Ends the program as the user would when the session ends it with SIGTERM or SIGHUP, or a
// terminal with SIGINT: message boxes up at the time are dismissed, their text written to the
// error output, the window is closed (its settings saved, its result file closed) and the event
// loop left. Made before the window,
// whose construction may already show message boxes.
class CloseOnSignals : public QObject {
public:
    CloseOnSignals();
    ~CloseOnSignals() override;
    CloseOnSignals(const CloseOnSignals&) = delete;
    CloseOnSignals& operator=(const CloseOnSignals&) = delete;

    // The window is built. Returns true when the end was asked for meanwhile: the window has
    // been closed and the program should end instead of showing it.
    bool Watch(QWidget& window);

private:
    void End();
    void DismissBoxes();

    QSocketNotifier* notifier_ = nullptr;
    QWidget* window_ = nullptr;
    bool ended_ = false;
    QTimer dismisser_;
};

}  // namespace ts
