#include "close_on_signals.h"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

namespace ts {

namespace {

// A signal handler may do next to nothing: it writes a byte that the event loop then reads.
int signalPipe[2] = {-1, -1};

void Forward(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[0], &byte, 1);
}

constexpr int kSessionSignals[] = {SIGTERM, SIGHUP, SIGINT};

}  // namespace

CloseOnSignals::CloseOnSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) return;
    notifier_ = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(signalPipe[1], &byte, 1);
        End();
    });
    struct sigaction action {};
    action.sa_handler = Forward;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSessionSignals) sigaction(signal, &action, nullptr);
}

CloseOnSignals::~CloseOnSignals() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int signal : kSessionSignals) sigaction(signal, &action, nullptr);
}

bool CloseOnSignals::Watch(QWidget& window) {
    window_ = &window;
    if (ended_) {
        // Boxes the close raises are dismissed as those before it were.
        window.close();
        return true;
    }
    dismisser_.stop();
    return false;
}

void CloseOnSignals::DismissBoxes() {
    // Each dismissed box lets the code that showed it go on; a bounded number of rounds, in
    // case a box keeps coming back.
    for (int round = 0; round < 16; ++round) {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) return;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            // Its text goes where the session keeps a program's output (the journal, a
            // terminal), since nobody is there to read it in the box.
            std::fprintf(stderr, "trend-station: %s\n", box->text().trimmed().toUtf8().constData());
        }
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
    }
}

void CloseOnSignals::End() {
    ended_ = true;
    DismissBoxes();
    // Whatever comes up from now on, while the window is still being built or while its close
    // reports a settings or result file it could not write, is dismissed in turn: nobody may
    // be there to answer it, and the session waits for us to end.
    connect(&dismisser_, &QTimer::timeout, this, &CloseOnSignals::DismissBoxes,
            Qt::UniqueConnection);
    dismisser_.start(10);
    if (window_ != nullptr) {
        window_->close();
        QCoreApplication::quit();
    }
}

}  // namespace ts
