#include "main_window.h"

#include <QCloseEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "about_box.h"
#include "base/texts.h"
#include "form_widgets.h"
#include "qt_text.h"
#include "qt_ui.h"
#include "review/result_line.h"
#include "review_window.h"
#include "strip_chart.h"

namespace ts {

TMF::TMF(Driver& driver, Platform& platform, QWidget* parent, Start start)
    : QMainWindow(parent), platform_(platform) {
    const layout::WindowEntry& entry = layout::MainWindow();
    setObjectName(Q(entry.name));
    setWindowTitle(Q(entry.caption));
    // A fixed border: minimise and close only, no resizing, no maximising.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    auto* client = new QWidget(this);
    client->setObjectName("ClientArea");
    client->setFixedSize(entry.clientWidth, entry.clientHeight);
    setCentralWidget(client);
    BuildControls(client);
    menus_ = std::make_unique<MenuBar>(
        menuBar(), this,
        [this](const layout::MenuEntry& menu) {
            // A box that the handler raises is shown once the menu has been handled.
            qtUi_->BeginDeferringBoxes();
            Dispatch(menu.onOpen, 0);
            qtUi_->EndDeferringBoxes();
        },
        [this](const layout::MenuItemEntry& item) { Dispatch(item.handler, item.index); });
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    qtUi_ = std::make_unique<QtUi>(this, chart_, resultFileName_);
    qtUi_->SetReviewOpener([this](const std::string& path) { OpenReview(path); });
    setAcceptDrops(true);
    station_ = std::make_unique<Station>(driver, platform, *qtUi_);
    for (const layout::ControlEntry& control : layout::MainWindowControls()) {
        ties_.push_back(TieOf(station_->form(), control));
    }
    menus_->Tie(station_->form());
    about_ = new TFA(this);
    ApplyForm();

    // Centred on the screen when first shown.
    adjustSize();
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }

    // The timers run from here on, so that they already tick inside the boxes
    // the construction steps may show.
    StartTimers();
    // A user who opens a recording looks at it first: the instrument's word waits for it.
    if (start == Start::Reviews) qtUi_->BeginDeferringBoxes();
    Run([this] { station_->Construct(); });
}

void TMF::OpenAtStart(const std::vector<std::string>& paths) {
    TFR* last = nullptr;
    for (const std::string& path : paths) {
        if (TFR* review = OpenReview(path)) last = review;
    }
    qtUi_->EndDeferringBoxesBeside();
    if (last != nullptr) {
        last->raise();
        last->activateWindow();
    }
}

TMF::~TMF() {
    // Each review window reads its recording on a thread of its own, ended with the window.
    for (TFR* review : reviews()) delete review;
}

void TMF::BuildControls(QWidget* client) {
    const auto& controls = layout::MainWindowControls();
    for (const layout::ControlEntry& entry : controls) {
        QWidget* parent = entry.parent < 0 ? client : widgets_[std::size_t(entry.parent)];
        widgets_.push_back(
            MakeWidget(entry, parent,
                       {[this, &entry](bool checked) {
                            TakeClick(station_->form(), entry, checked);
                            Dispatch(entry.handler, entry.index);
                        },
                        [this, &entry](int item) { TakeItemIndex(station_->form(), entry, item); },
                        {}}));
    }
    shown_.resize(widgets_.size());
    chart_ = findChild<StripChart*>("Chart");
    resultFileName_ = findChild<QLabel*>("Label_ResultFileName");
}

void TMF::Dispatch(layout::Handler handler, int index) {
    Run([this, handler, index] {
        if (ts::RunHandler(*station_, handler, index)) return;
        if (handler == layout::Handler::M_Menu_Help_AboutClick) M_Menu_Help_AboutClick();
    });
}

void TMF::StartTimers() {
    auto make = [this](const char* name, int interval, auto&& tick) {
        auto* timer = new QTimer(this);
        timer->setObjectName(name);
        timer->setTimerType(Qt::PreciseTimer);
        timer->setInterval(interval);
        connect(timer, &QTimer::timeout, this, [this, tick] {
            if (!closed_) tick();
        });
        return timer;
    };
    ticks_ = WindowTicks(WindowTicks::Clock::now());
    timer25Hz_ = make("Timer_25Hz", WindowTicks::kTickMs, [this] { Tick(); });
    // The demonstration's events only feed the chart, which paints by itself; the 40 ms pass
    // mirrors what they change.
    timerDemo_ = make("TimerDemo", WindowTicks::kDemoMs, [this] { station_->TimerDemoTimer(); });
    timer25Hz_->start();
}

void TMF::Tick() {
    ticks_.Tick(*station_, WindowTicks::Clock::now());
    FollowDemoMode();
    if (Seen()) {
        ApplyForm();
    } else {
        mirrorOwed_ = true;
    }
}

void TMF::FollowDemoMode() {
    if (timerDemo_ == nullptr || closed_) return;
    const bool runs = WindowTicks::DemoRuns(*station_);
    if (runs && !timerDemo_->isActive()) timerDemo_->start();
    if (!runs && timerDemo_->isActive()) timerDemo_->stop();
}

bool TMF::Seen() const {
    // A window not shown yet is mirrored as ever, so that it shows right from its first paint.
    if (!isVisible()) return true;
    if (isMinimized()) return false;
    const QWindow* window = windowHandle();
    return window == nullptr || window->isExposed();
}

void TMF::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) CatchUp();
    QMainWindow::changeEvent(event);
}

void TMF::CatchUp() {
    if (!mirrorOwed_ || closed_ || !Seen()) return;
    mirrorOwed_ = false;
    ApplyForm();
}

void TMF::showEvent(QShowEvent* event) {
    // A window comes back from being minimised by an expose of its own window: the mirror
    // then catches up before that paint.
    if (QWindow* window = windowHandle()) window->installEventFilter(this);
    QMainWindow::showEvent(event);
}

bool TMF::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Expose && watched == windowHandle()) CatchUp();
    return QMainWindow::eventFilter(watched, event);
}

void TMF::M_Menu_Help_AboutClick() {
    // Modeless: the window and the timers go on while it is open; asking
    // again only brings it forward.
    if (about_->isHidden()) {
        about_->adjustSize();
        about_->move(geometry().center() - QPoint(about_->width() / 2, about_->height() / 2));
    }
    about_->show();
    about_->raise();
    about_->activateWindow();
}

TFR* TMF::OpenReview(const std::string& path) {
    // A window of its own, not a child: it stays up when the main window is minimized.
    auto* review = new TFR(nullptr);
    const std::string problem =
        review->Open(path, station_->chart().Colors(),
                     review::DateOrderOf(platform_.Regional().ShortDateFormat));
    if (!problem.empty()) {
        delete review;
        qtUi_->ShowMessage(std::string(text::kMsgReviewOpenFailed) + problem);
        return nullptr;
    }
    reviews_.emplace_back(review);
    review->show();
    return review;
}

std::vector<TFR*> TMF::reviews() const {
    std::vector<TFR*> open;
    for (const QPointer<TFR>& review : reviews_) {
        if (!review.isNull()) open.push_back(review.data());
    }
    return open;
}

void TMF::dragEnterEvent(QDragEnterEvent* event) {
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            return;
        }
    }
}

void TMF::dropEvent(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) OpenReview(QFile::encodeName(url.toLocalFile()).toStdString());
    }
    event->acceptProposedAction();
}

void TMF::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        // The review windows go with the program.
        for (TFR* review : reviews()) review->close();
        closed_ = true;
        timer25Hz_->stop();
        timerDemo_->stop();
        station_->FormClose();
        about_->close();
    }
    event->accept();
}

}  // namespace ts
