#pragma once

// What the tests of the two file dialogs share: a window with a QtUi in a temporary folder, and a
// timer that drives the modal dialogs as a user would.

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <functional>

#include "qt_ui.h"
#include "ui_test_support.h"

namespace ts::uitest {

struct FileDialogRig {
    InTemporaryFolder folder;
    QWidget window;
    QLabel label{&window};
    QtUi ui{&window, nullptr, &label};
    QString existing = folder.path() + "/old.txt";

    FileDialogRig() {
        QFile file(existing);
        file.open(QIODevice::WriteOnly);
        file.write("earlier results\r\n");
    }
};

inline QFileDialog* OpenDialog() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        if (dialog != nullptr && dialog->isVisible()) return dialog;
    }
    return nullptr;
}

inline QMessageBox* OpenQuestion() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (box != nullptr && box->isVisible()) return box;
    }
    return nullptr;
}

// Drives the modal dialogs from a timer: `step` is called until it says done.
// Should it never be done, the dialogs are closed so that the test fails
// instead of waiting for ever.
class DialogDriver {
public:
    explicit DialogDriver(std::function<bool()> step) : step_(std::move(step)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (++ticks_ > kGiveUpTicks) {
                if (QMessageBox* box = OpenQuestion()) box->reject();
                if (QFileDialog* dialog = OpenDialog()) dialog->reject();
                return;
            }
            if (step_()) timer_.stop();
        });
        timer_.start(10);
    }

private:
    static constexpr int kGiveUpTicks = 1000;
    std::function<bool()> step_;
    QTimer timer_;
    int ticks_ = 0;
};

// Types `name` into the open dialog's name box and accepts it. Typed, not
// selected: the dialog ignores a selection while its name box has the focus.
// Queued: the question the dialog may ask runs its own loop, in which the
// driving timer must fire.
inline bool Choose(const QString& name) {
    QFileDialog* dialog = OpenDialog();
    if (dialog == nullptr) return false;
    auto* nameBox = dialog->findChild<QLineEdit*>("fileNameEdit");
    if (nameBox == nullptr) return false;
    nameBox->setText(name);
    QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    return true;
}

}  // namespace ts::uitest
