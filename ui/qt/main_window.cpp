#include "main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include "about_box.h"
#include "app/texts.h"
#include "color_swatch.h"
#include "qt_text.h"
#include "qt_ui.h"
#include "record/period_hint.h"
#include "strip_chart.h"

namespace ts {

namespace {

constexpr int kClientWidth = 1011;
constexpr int kClientHeight = 547;

QString Name(const char* base, int number) { return QString("%1%2").arg(base).arg(number); }

// Hint of a fixed recording period: "...с периодом 0.002сек" from the caption "0.002с".

}  // namespace

TMF::TMF(Driver& driver, Platform& platform, QWidget* parent) : QMainWindow(parent) {
    setObjectName("MF");
    setWindowTitle(Q(text::kMainCaption));
    // A fixed border: minimise and close only, no resizing, no maximising.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    auto* client = new QWidget(this);
    client->setObjectName("ClientArea");
    client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client);

    BuildChartArea(client);
    BuildScaleGroup(client);
    BuildChannelPanels(client);
    BuildRecordingGroup(client);
    BuildStatusLine(client);
    BuildMenu();
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    qtUi_ = std::make_unique<QtUi>(this, chart_, resultFileName_);
    station_ = std::make_unique<Station>(driver, platform, *qtUi_);
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

void TMF::BuildChartArea(QWidget* client) {
    chart_ = new StripChart(client);
    chart_->setObjectName("Chart");
    chart_->setGeometry(0, 0, 665, 534);

    errDeviceNum_ = new QLabel(Q(text::kWrongDeviceNumber), chart_);
    errDeviceNum_->setObjectName("Label_ErrDeviceNum");
    errDeviceNum_->setAutoFillBackground(true);
    QPalette errPalette = errDeviceNum_->palette();
    errPalette.setColor(QPalette::Window, Qt::black);
    errPalette.setColor(QPalette::WindowText, Qt::red);
    errDeviceNum_->setPalette(errPalette);
    QFont errFont = errDeviceNum_->font();
    errFont.setBold(true);
    errFont.setPixelSize(14);
    errDeviceNum_->setFont(errFont);
    errDeviceNum_->adjustSize();
    errDeviceNum_->move((665 - errDeviceNum_->width()) / 2, 534 / 2 - errDeviceNum_->height());
    errDeviceNum_->hide();

    chartStop_ = new QCheckBox(Q(text::kChartStop), chart_);
    chartStop_->setObjectName("CheckBox_ChartStop");
    chartStop_->setToolTip(Q(text::kChartStopHint));
    chartStop_->setGeometry(40, 2, 60, 18);
    connect(chartStop_, &QCheckBox::clicked, this, [this](bool checked) {
        station_->form.CheckBox_ChartStop.Checked = checked;  // a gate only, no handler
    });

    chartAver_ = new QCheckBox(Q(text::kChartAver), chart_);
    chartAver_->setObjectName("CheckBox_ChartAver");
    chartAver_->setToolTip(Q(text::kChartAverHint));
    chartAver_->setGeometry(104, 2, 100, 18);
    connect(chartAver_, &QCheckBox::clicked, this, [this](bool checked) {
        station_->form.CheckBox_ChartAver.Checked = checked;
        Run([this] { station_->CheckBox_ChartAverClick(); });
    });

    chartClear_ = new QPushButton(Q(text::kChartClear), chart_);
    chartClear_->setObjectName("ButtonChartClear");
    chartClear_->setToolTip(Q(text::kChartClearHint));
    chartClear_->setGeometry(210, 1, 76, 20);
    connect(chartClear_, &QPushButton::clicked, this,
            [this] { Run([this] { station_->ButtonChartClearClick(); }); });

    backgroundSwatch_ = new ColorSwatch(chart_);
    backgroundSwatch_->setObjectName("PanelColor_ChartBackGround");
    backgroundSwatch_->setToolTip(Q(text::kBackgroundColorHint));
    backgroundSwatch_->setGeometry(596, 2, 17, 17);
    connect(backgroundSwatch_, &ColorSwatch::clicked, this,
            [this] { Run([this] { station_->PanelColorClick(7); }); });

    gridSwatch_ = new ColorSwatch(chart_);
    gridSwatch_->setObjectName("PanelColor_ChartGrid");
    gridSwatch_->setToolTip(Q(text::kGridColorHint));
    gridSwatch_->setGeometry(618, 2, 17, 17);
    connect(gridSwatch_, &ColorSwatch::clicked, this,
            [this] { Run([this] { station_->PanelColorClick(8); }); });
}

void TMF::BuildScaleGroup(QWidget* client) {
    scaleGroup_ = new QGroupBox(Q(text::kScaleGroup), client);
    scaleGroup_->setObjectName("RadioGroup_X");
    scaleGroup_->setToolTip(Q(text::kScaleGroupHint));
    scaleGroup_->setGeometry(668, 0, 78, 547);
    scaleButtons_ = new QButtonGroup(this);
    scaleButtons_->setObjectName("RadioGroup_X_Buttons");
    for (int i = 0; i < kChartScales; ++i) {
        auto* item =
            new QRadioButton(Q(text::kScaleItems[static_cast<std::size_t>(i)]), scaleGroup_);
        item->setObjectName(Name("RadioGroup_X_Item", i));
        item->setGeometry(6, 18 + i * 20, 70, 18);
        scaleButtons_->addButton(item, i);
    }
    connect(scaleButtons_, &QButtonGroup::idClicked, this, [this](int id) {
        station_->form.RadioGroup_X = id;
        Run([this] { station_->RadioGroup_XClick(); });
    });
}

void TMF::BuildChannelPanels(QWidget* client) {
    for (int c = 0; c < kChannels; ++c) {
        const int channel = c + 1;
        auto* box = new QGroupBox(Q(text::kGroupBoxCH[static_cast<std::size_t>(c)]), client);
        box->setObjectName(Name("GroupBoxCH", channel));
        box->setGeometry(750 + (c % 2) * 131, (c / 2) * 99, 129, 97);

        auto* readout = new QLabel(Q(text::kReadoutInitial), box);
        readout->setObjectName(Name("Label_ResCH", channel));
        readout->setToolTip(Q(text::kReadoutHint));
        readout->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        readout->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        QFont readoutFont = readout->font();
        readoutFont.setPixelSize(15);
        readoutFont.setBold(true);
        readout->setFont(readoutFont);
        readout->setGeometry(6, 18, 117, 24);
        readouts_[c] = readout;

        auto* table = new QToolButton(box);
        table->setObjectName(Name("B_ListF_CH", channel));
        table->setText(Q(text::kTableButton));
        table->setToolTip(Q(text::kTableButtonHint));
        table->setGeometry(6, 47, 84, 20);
        connect(table, &QToolButton::clicked, this,
                [this, channel] { Run([this, channel] { station_->B_ListF_Click(channel); }); });
        tableButtons_[c] = table;

        auto* swatch = new ColorSwatch(box);
        swatch->setObjectName(Name("PanelColor_CurveCH", channel));
        swatch->setToolTip(Q(text::kCurveColorHint));
        swatch->setGeometry(102, 48, 17, 17);
        connect(swatch, &ColorSwatch::clicked, this,
                [this, channel] { Run([this, channel] { station_->PanelColorClick(channel); }); });
        curveSwatches_[c] = swatch;

        auto* chartEnable = new QCheckBox(Q(text::kChartEN), box);
        chartEnable->setObjectName(Name("ChartEN_CH", channel));
        chartEnable->setToolTip(Q(text::kChartENHint));
        chartEnable->setGeometry(6, 72, 58, 18);
        connect(chartEnable, &QCheckBox::clicked, this, [this, c, channel](bool checked) {
            station_->form.ChartEN_CH[c].Checked = checked;
            Run([this, channel] { station_->ChartEN_Click(channel); });
        });
        chartEnables_[c] = chartEnable;

        auto* fileEnable = new QCheckBox(Q(text::kFileEN), box);
        fileEnable->setObjectName(Name("FileEN_CH", channel));
        fileEnable->setToolTip(Q(text::kFileENHint));
        fileEnable->setGeometry(66, 72, 58, 18);
        connect(fileEnable, &QCheckBox::clicked, this,
                [this, c](bool checked) { station_->form.FileEN_CH[c].Checked = checked; });
        fileEnables_[c] = fileEnable;
    }
}

void TMF::BuildRecordingGroup(QWidget* client) {
    auto* group = new QGroupBox(Q(text::kFileGroup), client);
    group->setObjectName("GroupBoxFile");
    group->setGeometry(750, 297, 261, 250);

    auto* period = new QLabel(Q(text::kLabelPeriod), group);
    period->setObjectName("LabelPeriod");
    period->setGeometry(6, 15, 120, 14);

    recordButtons_ = new QButtonGroup(this);
    recordButtons_->setObjectName("RecordChoiceButtons");
    for (int i = 0; i < kRecordChoices; ++i) {
        const auto caption = text::kRecordChoiceCaptions[static_cast<std::size_t>(i)];
        auto* radio = new QRadioButton(Q(caption), group);
        radio->setObjectName(Q(text::kRecordChoiceNames[static_cast<std::size_t>(i)]));
        if (i == kRecordChoiceAll) {
            radio->setToolTip(Q(text::kRecordAllHint));
            radio->setGeometry(6, 32, 60, 16);
        } else if (i == kRecordChoiceOnChange) {
            radio->setToolTip(Q(text::kRecordOnChangeHint));
            radio->setGeometry(6, 116, 110, 16);
        } else {
            radio->setToolTip(Q(RecordPeriodHint(caption)));
            // "Всё" and the 17 periods fill rows of four.
            radio->setGeometry(6 + (i % 4) * 62, 32 + (i / 4) * 16, 62, 16);
        }
        recordButtons_->addButton(radio, i);
        recordChoices_[static_cast<std::size_t>(i)] = radio;
    }
    connect(recordButtons_, &QButtonGroup::idClicked, this,
            [this](int id) { station_->form.SelectRecordChoice(id); });

    onChangeSens_ = new QLabel(Q(text::kOnChangeSens), group);
    onChangeSens_->setObjectName("Label_FileOnChangeSens");
    onChangeSens_->setGeometry(6, 138, 130, 16);

    threshold_ = new QComboBox(group);
    threshold_->setObjectName("ComboBox_FileOnChangeThresh");
    threshold_->setToolTip(Q(text::kOnChangeThreshHint));
    threshold_->setEditable(true);
    // Typed text never becomes an item; text that names no item selects nothing.
    threshold_->setInsertPolicy(QComboBox::NoInsert);
    for (int i = 1; i <= kThresholdItems; ++i) threshold_->addItem(QString::number(i));
    threshold_->setGeometry(136, 136, 50, 20);
    connect(threshold_, &QComboBox::currentIndexChanged, this,
            [this](int index) { station_->form.ComboBox_FileOnChangeThresh.ItemIndex = index; });
    connect(threshold_, &QComboBox::editTextChanged, this, [this](const QString& typed) {
        station_->form.ComboBox_FileOnChangeThresh.ItemIndex =
            threshold_->findText(typed, Qt::MatchExactly);
    });

    dataAver_ = new QCheckBox(Q(text::kDataAver), group);
    dataAver_->setObjectName("CheckBox_FileDataAver");
    dataAver_->setToolTip(Q(text::kDataAverHint));
    dataAver_->setGeometry(120, 116, 135, 16);
    connect(dataAver_, &QCheckBox::clicked, this,
            [this](bool checked) { station_->form.CheckBox_FileDataAver.Checked = checked; });

    fileButton_ = new QPushButton(Q(text::kButtonFile), group);
    fileButton_->setObjectName("B_File");
    fileButton_->setToolTip(Q(text::kButtonFileHint));
    fileButton_->setGeometry(6, 164, 76, 24);
    connect(fileButton_, &QPushButton::clicked, this,
            [this] { Run([this] { station_->B_FileClick(); }); });

    startButton_ = new QPushButton(Q(text::kButtonStart), group);
    startButton_->setObjectName("B_FileSaveStart");
    startButton_->setToolTip(Q(text::kButtonStartHint));
    startButton_->setGeometry(90, 164, 76, 24);
    connect(startButton_, &QPushButton::clicked, this,
            [this] { Run([this] { station_->B_FileSaveStartClick(); }); });

    stopButton_ = new QPushButton(Q(text::kButtonStop), group);
    stopButton_->setObjectName("B_FileSaveStop");
    stopButton_->setToolTip(Q(text::kButtonStopHint));
    stopButton_->setGeometry(174, 164, 76, 24);
    connect(stopButton_, &QPushButton::clicked, this,
            [this] { Run([this] { station_->B_FileSaveStopClick(); }); });

    recordTime_ = new QLabel(group);
    recordTime_->setObjectName("Label_FileRecordTime");
    recordTime_->setToolTip(Q(text::kResultFileHint));
    recordTime_->setGeometry(6, 198, 250, 16);

    resultFileName_ = new QLabel(group);
    resultFileName_->setObjectName("Label_ResultFileName");
    resultFileName_->setToolTip(Q(text::kResultFileHint));
    resultFileName_->setGeometry(6, 222, 250, 16);
}

void TMF::BuildStatusLine(QWidget* client) {
    auto* caption = new QLabel(Q(text::kConnectionLabel), client);
    caption->setObjectName("Text_Label_21");
    caption->setGeometry(4, 534, 150, 13);
    connectionIndicator_ = new QLabel(client);
    connectionIndicator_->setObjectName("Label_Connection_Indicator");
    QFont bold = connectionIndicator_->font();
    bold.setBold(true);
    connectionIndicator_->setFont(bold);
    connectionIndicator_->setGeometry(156, 534, 60, 13);
}

void TMF::BuildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("M_Menu");

    portMenu_ = bar->addMenu(Q(text::kMenuPort));
    portMenu_->setObjectName("M_Menu_Setting_Port");
    // Items 1..4 are radio items (a bullet when checked), 5..8 plain items, checkable only
    // while checked (a tick), see ApplyForm.
    auto* radioItems = new QActionGroup(this);
    radioItems->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (int k = 1; k <= kDeviceMenuItems; ++k) {
        QAction* item = portMenu_->addAction(QString());
        item->setObjectName(Name("M_Menu_Setting_Connection_", k));
        if (k <= kDeviceRadioItems) {
            item->setCheckable(true);
            radioItems->addAction(item);
        }
        connect(item, &QAction::triggered, this,
                [this, k] { Run([this, k] { station_->M_Menu_Setting_ConnectionClick(k); }); });
        deviceItems_[static_cast<std::size_t>(k - 1)] = item;
    }
    connect(portMenu_, &QMenu::aboutToShow, this, [this] {
        // "No devices" is shown once the menu has been handled.
        qtUi_->BeginDeferringBoxes();
        Run([this] { station_->M_Menu_Setting_PortClick(); });
        qtUi_->EndDeferringBoxes();
    });

    modeMenu_ = bar->addMenu(Q(text::kMenuMode));
    modeMenu_->setObjectName("M_Menu_Mode");
    auto* modes = new QActionGroup(this);
    modeNorm_ = modeMenu_->addAction(Q(text::kMenuModeNorm));
    modeNorm_->setObjectName("M_Menu_Mode_Norm");
    modeNorm_->setCheckable(true);
    modes->addAction(modeNorm_);
    modeDemo_ = modeMenu_->addAction(Q(text::kMenuModeDemo));
    modeDemo_->setObjectName("M_Menu_Mode_Demo");
    modeDemo_->setCheckable(true);
    modes->addAction(modeDemo_);
    connect(modeNorm_, &QAction::triggered, this,
            [this] { Run([this] { station_->M_Menu_Mode_NormClick(); }); });
    connect(modeDemo_, &QAction::triggered, this,
            [this] { Run([this] { station_->M_Menu_Mode_DemoClick(); }); });

    QMenu* help = bar->addMenu(Q(text::kMenuHelp));
    help->setObjectName("M_Menu_Help");
    QAction* about = help->addAction(Q(text::kMenuHelpAbout));
    about->setObjectName("M_Menu_Help_About");
    connect(about, &QAction::triggered, this, &TMF::M_Menu_Help_AboutClick);
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
