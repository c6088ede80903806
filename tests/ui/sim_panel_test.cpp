#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "sim/sim_panel.h"

using namespace ts;
using namespace ts::sim;

class SimPanelTest : public QObject {
    Q_OBJECT

private slots:
    void titledAndShowsTheInstrumentAsItIs();
    void plugsAndUnplugsTheVirtualDevice();
    void instrumentNumberGoesIntoTheFrames();
    void signalShapeAndLevelPerChannel();
    void corruptFramesAndNoiseBytes();
    void pauseSilencesTheInstrumentForTheChosenTime();
};

namespace {

struct Rig {
    SimDriver driver;
    int device = driver.AddDevice("KSL214.8N", "TS000001");
    SimInstrument instrument{driver, device};
    SimPanel panel{driver, device, instrument};

    // Opens the device as the program would, so frames count as delivered.
    void OpenDevice() {
        std::uint32_t count = 0;
        FtHandle handle = 0;
        QCOMPARE(driver.CreateDeviceInfoList(count), kFtOk);
        QCOMPARE(driver.Open(0, handle), kFtOk);
    }
    template <typename W>
    W* Find(const QString& name) {
        W* widget = panel.findChild<W*>(name);
        if (widget == nullptr) qFatal("no control %s", qPrintable(name));
        return widget;
    }
};

}  // namespace

void SimPanelTest::titledAndShowsTheInstrumentAsItIs() {
    Rig rig;
    QCOMPARE(rig.panel.windowTitle(), QString("Имитатор прибора"));
    QVERIFY(rig.panel.isWindow());
    QVERIFY(rig.Find<QCheckBox>("Plugged")->isChecked());
    QCOMPARE(rig.Find<QSpinBox>("InstrumentNumber")->value(), 1);
    QCOMPARE(rig.Find<QSpinBox>("Level_CH3")->value(),
             static_cast<int>(rig.instrument.channels[2].level));
    QCOMPARE(rig.Find<QComboBox>("Shape_CH6")->currentIndex(),
             static_cast<int>(rig.instrument.channels[5].shape));
}

void SimPanelTest::plugsAndUnplugsTheVirtualDevice() {
    Rig rig;
    rig.OpenDevice();
    auto* plugged = rig.Find<QCheckBox>("Plugged");
    plugged->click();
    QVERIFY(!rig.driver.Device(rig.device).plugged);
    QVERIFY(rig.Find<QLabel>("Status")->text().contains("отключён"));
    rig.instrument.Advance(0.1);
    QCOMPARE(rig.driver.Device(rig.device).queueSize, std::size_t{0});

    plugged->click();
    QVERIFY(rig.driver.Device(rig.device).plugged);
    QVERIFY(!rig.Find<QLabel>("Status")->text().contains("отключён"));
}

void SimPanelTest::instrumentNumberGoesIntoTheFrames() {
    Rig rig;
    rig.OpenDevice();
    int lastNumber = -1;
    rig.instrument.onFrameSent = [&](int instrument, const Sample&) { lastNumber = instrument; };
    rig.Find<QSpinBox>("InstrumentNumber")->setValue(2);
    rig.instrument.Advance(0.01);
    QCOMPARE(lastNumber, 2);
    // The frame format has five bits for it.
    rig.Find<QSpinBox>("InstrumentNumber")->setValue(40);
    QCOMPARE(rig.instrument.instrumentNumber, 31);
}

void SimPanelTest::signalShapeAndLevelPerChannel() {
    Rig rig;
    rig.Find<QComboBox>("Shape_CH3")->setCurrentIndex(0);  // constant
    rig.Find<QSpinBox>("Level_CH3")->setValue(700);
    QCOMPARE(rig.instrument.channels[2].shape, SignalShape::Constant);
    for (std::uint64_t i : {0u, 1234u, 99999u}) QCOMPARE(rig.instrument.SampleAt(i).Value[2], 700);
    QVERIFY(!rig.Find<QSpinBox>("Amplitude_CH3")->isEnabled());

    rig.Find<QComboBox>("Shape_CH4")->setCurrentIndex(3);  // noise
    rig.Find<QSpinBox>("Amplitude_CH4")->setValue(50);
    QCOMPARE(rig.instrument.channels[3].shape, SignalShape::Noise);
    QCOMPARE(rig.instrument.channels[3].amplitude, 50.0);
    QVERIFY(rig.Find<QSpinBox>("Amplitude_CH4")->isEnabled());
    QVERIFY(!rig.Find<QDoubleSpinBox>("Period_CH4")->isEnabled());

    rig.Find<QComboBox>("Shape_CH1")->setCurrentIndex(2);  // ramp
    rig.Find<QDoubleSpinBox>("Period_CH1")->setValue(10);
    QCOMPARE(rig.instrument.channels[0].shape, SignalShape::Ramp);
    QCOMPARE(rig.instrument.channels[0].periodSeconds, 10.0);
    // The other channels keep their own signals.
    QCOMPARE(rig.instrument.channels[1].shape, SignalShape::Sine);
}

void SimPanelTest::corruptFramesAndNoiseBytes() {
    Rig rig;
    rig.OpenDevice();
    rig.Find<QSpinBox>("NoiseBytes")->setValue(1000);
    QCOMPARE(rig.instrument.noiseBytesPerSecond, 1000.0);
    // Every frame broken: bytes arrive, but no valid frame.
    rig.Find<QSpinBox>("CorruptFrames")->setValue(8000);
    rig.instrument.Advance(0.1);
    QCOMPARE(rig.instrument.ValidFramesSent(), std::uint64_t{0});
    QVERIFY(rig.driver.Device(rig.device).queueSize > 0);

    rig.Find<QSpinBox>("CorruptFrames")->setValue(0);
    rig.instrument.Advance(0.1);
    QVERIFY(rig.instrument.ValidFramesSent() > 0);
}

void SimPanelTest::pauseSilencesTheInstrumentForTheChosenTime() {
    Rig rig;
    rig.OpenDevice();
    rig.instrument.Advance(0.1);
    const std::uint64_t before = rig.instrument.ValidFramesSent();
    QVERIFY(before > 0);

    rig.Find<QDoubleSpinBox>("PauseSeconds")->setValue(1.0);
    rig.Find<QPushButton>("Pause")->click();
    rig.instrument.Advance(0.5);
    QCOMPARE(rig.instrument.ValidFramesSent(), before);
    QVERIFY(rig.panel.PauseLeft() > 0.49 && rig.panel.PauseLeft() < 0.51);
    rig.panel.RefreshStatus();
    QVERIFY(rig.Find<QLabel>("Status")->text().contains("пауза"));

    rig.instrument.Advance(0.6);
    QVERIFY(rig.instrument.ValidFramesSent() > before);
    QCOMPARE(rig.panel.PauseLeft(), 0.0);
}

QTEST_MAIN(SimPanelTest)
#include "sim_panel_test.moc"
