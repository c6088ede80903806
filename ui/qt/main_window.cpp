#include "main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

#include "about_box.h"
#include "color_swatch.h"
#include "form_widgets.h"
#include "qt_text.h"
#include "qt_ui.h"
#include "strip_chart.h"

namespace ts {

using layout::Kind;

TMF::TMF(Driver& driver, Platform& platform, QWidget* parent) : QMainWindow(parent) {
    const layout::WindowSpec& spec = layout::MainWindow();
    setObjectName(Q(spec.name));
    setWindowTitle(Q(spec.caption));
    // A fixed border: minimise and close only, no resizing, no maximising.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    auto* client = new QWidget(this);
    client->setObjectName("ClientArea");
    client->setFixedSize(spec.clientWidth, spec.clientHeight);
    setCentralWidget(client);
    BuildControls(client);
    BuildMenus();
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    qtUi_ = std::make_unique<QtUi>(this, chart_, resultFileName_);
    station_ = std::make_unique<Station>(driver, platform, *qtUi_);
    for (const layout::ControlSpec& control : layout::MainWindowControls()) {
        ties_.push_back(TieOf(station_->form, control));
    }
    const auto& menus = layout::MainWindowMenus();
    for (std::size_t m = 0; m < menus.size(); ++m) {
        menus_[m].tie = TieOf(station_->form, menus[m].field, 0);
        for (std::size_t k = 0; k < menus[m].items.size(); ++k) {
            const layout::MenuItemSpec& item = menus[m].items[k];
            menus_[m].items[k].tie = TieOf(station_->form, item.field, item.index);
        }
    }
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
    Run([this] { station_->Construct(); });
}

TMF::~TMF() = default;

void TMF::BuildControls(QWidget* client) {
    const auto& controls = layout::MainWindowControls();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const layout::ControlSpec& spec = controls[i];
        QWidget* parent =
            spec.parent < 0 ? client : widgets_[static_cast<std::size_t>(spec.parent)];
        widgets_.push_back(MakeWidget(spec, parent));
        Connect(i);
    }
    chart_ = static_cast<StripChart*>(widgets_[layout::IndexOf(controls, "Chart")]);
    resultFileName_ =
        static_cast<QLabel*>(widgets_[layout::IndexOf(controls, "Label_ResultFileName")]);
}

void TMF::Connect(std::size_t index) {
    const layout::ControlSpec& spec = layout::MainWindowControls()[index];
    QWidget* widget = widgets_[index];
    switch (spec.kind) {
        case Kind::CheckBox:
        case Kind::RadioButton:
            if (spec.radioGroup != layout::RadioGroup::None) {
                // One exclusive group per frame, for the arrow keys.
                const auto group = static_cast<std::size_t>(spec.radioGroup);
                if (radioGroups_.size() <= group) radioGroups_.resize(group + 1, nullptr);
                if (radioGroups_[group] == nullptr) {
                    radioGroups_[group] = new QButtonGroup(this);
                    radioGroups_[group]->setObjectName(widget->parentWidget()->objectName() +
                                                       "_Buttons");
                }
                radioGroups_[group]->addButton(static_cast<QAbstractButton*>(widget), spec.index);
            }
            connect(static_cast<QAbstractButton*>(widget), &QAbstractButton::clicked, this,
                    [this, &spec](bool checked) {
                        TakeClick(station_->form, spec, checked);
                        Dispatch(spec.handler, spec.index);
                    });
            return;
        case Kind::Button:
            connect(static_cast<QAbstractButton*>(widget), &QAbstractButton::clicked, this,
                    [this, &spec] { Dispatch(spec.handler, spec.index); });
            return;
        case Kind::ColorSwatch:
            connect(static_cast<ColorSwatch*>(widget), &ColorSwatch::clicked, this,
                    [this, &spec] { Dispatch(spec.handler, spec.index); });
            return;
        case Kind::ComboBox: {
            auto* box = static_cast<QComboBox*>(widget);
            connect(box, &QComboBox::currentIndexChanged, this,
                    [this, &spec](int item) { TakeItemIndex(station_->form, spec, item); });
            connect(box, &QComboBox::editTextChanged, this, [this, &spec, box](const QString& typed) {
                TakeItemIndex(station_->form, spec, box->findText(typed, Qt::MatchExactly));
            });
            return;
        }
        case Kind::Label:
        case Kind::GroupBox:
        case Kind::Chart:
            return;
    }
}

void TMF::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(Q(layout::MainWindow().menuBarName));
    for (const layout::MenuSpec& spec : layout::MainWindowMenus()) {
        Menu menu{bar->addMenu(Q(spec.caption)), {}, {}};
        menu.menu->setObjectName(Q(spec.name));
        // Bullet items: one exclusive group per menu, that may also have none checked. Tick
        // items are checkable only while checked (see the mirror).
        QActionGroup* bullets = nullptr;
        for (const layout::MenuItemSpec& item : spec.items) {
            QAction* action = menu.menu->addAction(Q(item.caption));
            action->setObjectName(Q(item.name));
            if (item.mark == layout::Mark::Bullet) {
                if (bullets == nullptr) {
                    bullets = new QActionGroup(this);
                    bullets->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
                }
                action->setCheckable(true);
                bullets->addAction(action);
            }
            connect(action, &QAction::triggered, this,
                    [this, &item] { Dispatch(item.handler, item.index); });
            menu.items.push_back({action, item.mark, {}});
        }
        if (spec.onOpen != layout::Handler::None) {
            connect(menu.menu, &QMenu::aboutToShow, this, [this, &spec] {
                // A box that the handler raises is shown once the menu has been handled.
                qtUi_->BeginDeferringBoxes();
                Dispatch(spec.onOpen, 0);
                qtUi_->EndDeferringBoxes();
            });
        }
        menus_.push_back(std::move(menu));
    }
}

void TMF::Dispatch(layout::Handler handler, int index) {
    Run([this, handler, index] {
        if (ts::RunHandler(*station_, handler, index)) return;
        if (handler == layout::Handler::M_Menu_Help_AboutClick) M_Menu_Help_AboutClick();
    });
}

void TMF::StartTimers() {
    auto make = [this](const char* name, int interval, void (Station::*tick)()) {
        auto* timer = new QTimer(this);
        timer->setObjectName(name);
        timer->setTimerType(Qt::PreciseTimer);
        timer->setInterval(interval);
        connect(timer, &QTimer::timeout, this, [this, tick] {
            if (closed_) return;
            Run([this, tick] { (station_.get()->*tick)(); });
        });
        timer->start();
        return timer;
    };
    timer25Hz_ = make("Timer_25Hz", 40, &Station::Timer_25HzTimer);
    timerPort_ = make("TimerPort", 1000, &Station::TimerPortTimer);
    timerDemo_ = make("TimerDemo", 10, &Station::TimerDemoTimer);
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

void TMF::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        closed_ = true;
        timer25Hz_->stop();
        timerPort_->stop();
        timerDemo_->stop();
        station_->FormClose();
        about_->close();
    }
    event->accept();
}

}  // namespace ts
