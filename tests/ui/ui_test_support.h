#pragma once

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <initializer_list>
#include <memory>
#include <utility>

#include "main_window.h"
#include "settings_text.h"
#include "sim/sim_driver.h"
#include "sim/test_platform.h"

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

// The default settings file with some lines changed.
inline QByteArray SettingsFile(std::initializer_list<std::pair<int, const char*>> changes) {
    return QByteArray::fromStdString(SettingsText({changes.begin(), changes.end()}));
}

// The main window on a bridge driver (a simulated one unless told), in a folder of its own,
// with every box it shows answered.
template <typename DriverType>
struct WindowRigOn {
    InTemporaryFolder folder;
    BoxDismisser boxes;
    DriverType driver;
    sim::TestPlatform platform;
    std::unique_ptr<TMF> window;

    // `settings`: the Settings.bin the window starts from; none when empty.
    explicit WindowRigOn(const QByteArray& settings = {}) {
        if (!settings.isEmpty()) {
            QFile file(folder.path() + "/Settings.bin");
            file.open(QIODevice::WriteOnly);
            file.write(settings);
        }
        platform.currentDirectory = folder.path().toStdString();
        window = std::make_unique<TMF>(driver, platform);
    }
    template <typename W>
    W* Find(const QString& name) {
        W* widget = window->findChild<W*>(name);
        if (widget == nullptr) qFatal("no control %s", qPrintable(name));
        return widget;
    }
    Station& st() { return window->station(); }
    QStringList SettingsLines() const {
        QFile file(folder.path() + "/Settings.bin");
        if (!file.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(file.readAll()).split("\r\n");
    }
};

using WindowRig = WindowRigOn<sim::SimDriver>;

}  // namespace ts::uitest
