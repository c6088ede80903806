#pragma once

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QMessageBox>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

namespace ts::uitest {

// Answers every modal message box that comes up (recording its text), so a
// window can be built and driven without anyone at the keyboard.
class BoxDismisser : public QObject {
public:
    QStringList texts;
    QStringList captions;

    BoxDismisser() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(w);
                if (box == nullptr || !box->isVisible()) continue;
                texts << box->text();
                captions << box->windowTitle();
                box->done(QMessageBox::Ok);
            }
        });
        timer_.start();
    }

private:
    QTimer timer_;
};

// Runs the test inside a fresh temporary working folder.
class InTemporaryFolder {
public:
    InTemporaryFolder() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
    ~InTemporaryFolder() { QDir::setCurrent(previous_); }
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    QString previous_;
};

}  // namespace ts::uitest
