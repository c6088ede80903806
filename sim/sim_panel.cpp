#include "sim/sim_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "device/line_rate.h"

namespace ts::sim {

namespace {

// Combo box order; matches SignalShape.
constexpr std::array<const char*, 4> kShapeNames = {"Постоянный", "Синус", "Пила", "Шум"};

// The line carries at most 8,228 frames a second.
constexpr int kLineFramesPerSecond = static_cast<int>(kLineBytesPerSecond / 14);

QString Name(const char* base, int channel) { return QString("%1%2").arg(base).arg(channel); }

// Narrow number fields keep the panel small enough to sit beside the window.
constexpr int kNumberFieldWidth = 60;

QFormLayout* CompactForm(QWidget* group) {
    auto* form = new QFormLayout(group);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    return form;
}

}  // namespace

SimPanel::SimPanel(SimDriver& driver, int deviceId, SimInstrument& instrument, QWidget* parent)
    : QWidget(parent, Qt::Window), driver_(driver), deviceId_(deviceId), instrument_(instrument) {
    setObjectName("SimPanel");
    setWindowTitle("Имитатор прибора");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(BuildLinkGroup());
    layout->addWidget(BuildSignalGroup());
    layout->addWidget(BuildFaultGroup());
    status_ = new QLabel(this);
    status_->setObjectName("Status");
    layout->addWidget(status_);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    statusTimer_ = new QTimer(this);
    statusTimer_->setInterval(250);
    connect(statusTimer_, &QTimer::timeout, this, &SimPanel::RefreshStatus);
    statusTimer_->start();
    RefreshStatus();
}

QWidget* SimPanel::BuildLinkGroup() {
    auto* group = new QGroupBox("Подключение", this);
    auto* form = CompactForm(group);

    plugged_ = new QCheckBox("Прибор подключён к USB", group);
    plugged_->setObjectName("Plugged");
    plugged_->setChecked(driver_.Device(deviceId_).plugged);
    connect(plugged_, &QCheckBox::toggled, this, [this](bool on) {
        if (on) {
            driver_.Plug(deviceId_);
        } else {
            driver_.Unplug(deviceId_);
        }
        RefreshStatus();
    });
    form->addRow(plugged_);

    number_ = new QSpinBox(group);
    number_->setFixedWidth(kNumberFieldWidth);
    number_->setObjectName("InstrumentNumber");
    number_->setRange(0, 31);
    number_->setValue(instrument_.instrumentNumber);
    number_->setToolTip("Программа ждёт прибор № 1; другой номер она показывает как ошибку");
    connect(number_, &QSpinBox::valueChanged, this,
            [this](int n) { instrument_.instrumentNumber = n; });
    form->addRow("Номер прибора:", number_);
    return group;
}

QWidget* SimPanel::BuildSignalGroup() {
    auto* group = new QGroupBox("Сигналы (коды 0…1023)", this);
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(4);
    int column = 0;
    for (const char* header : {"№", "Форма", "Уровень", "Размах", "Период, с"}) {
        grid->addWidget(new QLabel(header, group), 0, column++);
    }
    for (int c = 0; c < kChannels; ++c) {
        const int channel = c + 1;
        const ChannelSignal& signal = instrument_.channels[static_cast<std::size_t>(c)];
        ChannelRow& row = rows_[static_cast<std::size_t>(c)];
        grid->addWidget(new QLabel(QString::number(channel), group), channel, 0);

        row.shape = new QComboBox(group);
        row.shape->setObjectName(Name("Shape_CH", channel));
        for (const char* shape : kShapeNames) row.shape->addItem(shape);
        row.shape->setCurrentIndex(static_cast<int>(signal.shape));
        connect(row.shape, &QComboBox::currentIndexChanged, this, [this, c] { ApplyShape(c); });
        grid->addWidget(row.shape, channel, 1);

        row.level = new QSpinBox(group);
        row.level->setFixedWidth(kNumberFieldWidth);
        row.level->setObjectName(Name("Level_CH", channel));
        row.level->setRange(0, 1023);
        row.level->setValue(static_cast<int>(std::lround(signal.level)));
        row.level->setToolTip("Постоянное значение или середина сигнала");
        connect(row.level, &QSpinBox::valueChanged, this,
                [this, c](int v) { instrument_.channels[static_cast<std::size_t>(c)].level = v; });
        grid->addWidget(row.level, channel, 2);

        row.amplitude = new QSpinBox(group);
        row.amplitude->setFixedWidth(kNumberFieldWidth);
        row.amplitude->setObjectName(Name("Amplitude_CH", channel));
        row.amplitude->setRange(0, 1023);
        row.amplitude->setValue(static_cast<int>(std::lround(signal.amplitude)));
        row.amplitude->setToolTip("Отклонение в каждую сторону от середины");
        connect(row.amplitude, &QSpinBox::valueChanged, this, [this, c](int v) {
            instrument_.channels[static_cast<std::size_t>(c)].amplitude = v;
        });
        grid->addWidget(row.amplitude, channel, 3);

        row.period = new QDoubleSpinBox(group);
        row.period->setFixedWidth(kNumberFieldWidth);
        row.period->setObjectName(Name("Period_CH", channel));
        row.period->setRange(0.1, 3600);
        row.period->setDecimals(1);
        row.period->setValue(signal.periodSeconds);
        connect(row.period, &QDoubleSpinBox::valueChanged, this, [this, c](double v) {
            instrument_.channels[static_cast<std::size_t>(c)].periodSeconds = v;
        });
        grid->addWidget(row.period, channel, 4);
        ApplyShape(c);
    }
    return group;
}

QWidget* SimPanel::BuildFaultGroup() {
    auto* group = new QGroupBox("Помехи", this);
    auto* form = CompactForm(group);

    noiseBytes_ = new QSpinBox(group);
    noiseBytes_->setFixedWidth(kNumberFieldWidth);
    noiseBytes_->setObjectName("NoiseBytes");
    noiseBytes_->setRange(0, static_cast<int>(kLineBytesPerSecond));
    noiseBytes_->setValue(static_cast<int>(instrument_.noiseBytesPerSecond));
    connect(noiseBytes_, &QSpinBox::valueChanged, this,
            [this](int n) { instrument_.noiseBytesPerSecond = n; });
    form->addRow("Случайных байтов в секунду:", noiseBytes_);

    corruptFrames_ = new QSpinBox(group);
    corruptFrames_->setFixedWidth(kNumberFieldWidth);
    corruptFrames_->setObjectName("CorruptFrames");
    corruptFrames_->setRange(0, kLineFramesPerSecond);
    corruptFrames_->setValue(static_cast<int>(instrument_.corruptFramesPerSecond));
    connect(corruptFrames_, &QSpinBox::valueChanged, this,
            [this](int n) { instrument_.corruptFramesPerSecond = n; });
    form->addRow("Искажённых кадров в секунду:", corruptFrames_);

    auto* pauseRow = new QHBoxLayout;
    pauseSeconds_ = new QDoubleSpinBox(group);
    pauseSeconds_->setFixedWidth(kNumberFieldWidth);
    pauseSeconds_->setObjectName("PauseSeconds");
    pauseSeconds_->setRange(0.1, 600);
    pauseSeconds_->setDecimals(1);
    pauseSeconds_->setValue(2);
    pauseSeconds_->setSuffix(" с");
    pauseRow->addWidget(pauseSeconds_);
    pauseButton_ = new QPushButton("Замолчать", group);
    pauseButton_->setObjectName("Pause");
    pauseButton_->setToolTip("Прибор перестаёт передавать кадры; его часы идут дальше");
    connect(pauseButton_, &QPushButton::clicked, this, &SimPanel::StartPause);
    pauseRow->addWidget(pauseButton_);
    form->addRow("Пауза:", pauseRow);
    return group;
}

void SimPanel::ApplyShape(int c) {
    ChannelRow& row = rows_[static_cast<std::size_t>(c)];
    const auto shape = static_cast<SignalShape>(row.shape->currentIndex());
    instrument_.channels[static_cast<std::size_t>(c)].shape = shape;
    // Only what the chosen shape uses can be changed.
    row.amplitude->setEnabled(shape != SignalShape::Constant);
    row.period->setEnabled(shape == SignalShape::Sine || shape == SignalShape::Ramp);
}

void SimPanel::StartPause() {
    const double seconds = pauseSeconds_->value();
    instrument_.Pause(seconds);
    // Pauses asked for while one runs add up, as they do in the instrument.
    pauseUntil_ = std::max(pauseUntil_, instrument_.Now()) + seconds;
    RefreshStatus();
}

double SimPanel::PauseLeft() const { return std::max(0.0, pauseUntil_ - instrument_.Now()); }

void SimPanel::RefreshStatus() {
    const SimDevice& device = driver_.Device(deviceId_);
    QString line;
    if (!device.plugged) {
        line = "Прибор отключён";
    } else if (!device.open) {
        line = "Прибор подключён, программа его не открыла";
    } else {
        line = "Программа читает прибор";
    }
    const double pause = PauseLeft();
    if (pause > 0) line += QString("; пауза ещё %1 с").arg(QLocale().toString(pause, 'f', 1));
    line += QString("\nОтправлено кадров: %1").arg(instrument_.ValidFramesSent());
    if (status_->text() != line) status_->setText(line);
}

}  // namespace ts::sim
