#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTest>
#include <memory>

#include "base/texts.h"
#include "main_window.h"
#include "qt_text.h"
#include "sim/sim_driver.h"
#include "sim/test_platform.h"
#include "ui_test_support.h"

using namespace ts;

class SettingsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void noDevicesIsShownAfterTheMenuHasOpened();
    void settingsReachTheWidgetsIncludingNothingSelected();
    void typedThresholdTextNeverBecomesAnItem();
    void closingTheWindowSavesTheChoices();
};

namespace {

using Rig = uitest::WindowRig;
using uitest::SettingsFile;

}  // namespace

void SettingsWindowTest::noDevicesIsShownAfterTheMenuHasOpened() {
    Rig rig(SettingsFile({}));
    QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
    rig.boxes.texts.clear();
    rig.boxes.captions.clear();
    auto* menu = rig.Find<QMenu>("M_Menu_Setting_Port");

    // A box run from inside the opening signal would be up, and answered,
    // before the signal returns.
    emit menu->aboutToShow();
    QVERIFY(!rig.boxes.texts.contains(Q(text::kMsgNoDevices)));
    QTRY_VERIFY(rig.boxes.texts.contains(Q(text::kMsgNoDevices)));
    QCOMPARE(rig.boxes.captions[rig.boxes.texts.indexOf(Q(text::kMsgNoDevices))], QString("TS"));
    QCOMPARE(rig.boxes.texts.count(Q(text::kMsgNoDevices)), 1);
}

void SettingsWindowTest::settingsReachTheWidgetsIncludingNothingSelected() {
    Rig rig(SettingsFile({{2, "-1"}, {3, "1"}, {40, "1"}, {49, "150"}}));
    auto* scale = rig.Find<QButtonGroup>("RadioGroup_X_Buttons");
    QVERIFY(scale != nullptr);
    QCOMPARE(scale->checkedButton(), nullptr);
    QVERIFY(rig.Find<QCheckBox>("ChartEN_CH1")->isChecked());
    QVERIFY(!rig.Find<QCheckBox>("ChartEN_CH2")->isChecked());
    QVERIFY(rig.Find<QRadioButton>("RadioB_File2s")->isChecked());
    QCOMPARE(rig.Find<QComboBox>("ComboBox_FileOnChangeThresh")->currentIndex(), -1);
}

void SettingsWindowTest::typedThresholdTextNeverBecomesAnItem() {
    Rig rig(SettingsFile({{48, "1"}}));
    auto* threshold = rig.Find<QComboBox>("ComboBox_FileOnChangeThresh");
    threshold->setEnabled(true);
    threshold->setFocus();
    threshold->lineEdit()->selectAll();
    QTest::keyClicks(threshold, "abc");
    QTest::keyClick(threshold, Qt::Key_Return);
    QCOMPARE(threshold->count(), 99);
    QCOMPARE(rig.window->station().form().ComboBox_FileOnChangeThresh.ItemIndex, -1);

    // Typed through an item ("10") to no item ("100"): the text stays while the
    // timers tick and mirror the model.
    threshold->lineEdit()->selectAll();
    QTest::keyClicks(threshold, "100");
    rig.window->Run([&] { rig.window->station().Timer_25HzTimer(); });
    QCOMPARE(threshold->currentText(), QString("100"));
    QCOMPARE(rig.window->station().form().ComboBox_FileOnChangeThresh.ItemIndex, -1);

    threshold->lineEdit()->selectAll();
    QTest::keyClicks(threshold, "5");
    QTest::keyClick(threshold, Qt::Key_Return);
    QCOMPARE(threshold->count(), 99);
    QCOMPARE(rig.window->station().form().ComboBox_FileOnChangeThresh.ItemIndex, 4);
}

void SettingsWindowTest::closingTheWindowSavesTheChoices() {
    Rig rig(SettingsFile({}));
    rig.Find<QCheckBox>("ChartEN_CH2")->click();
    rig.Find<QRadioButton>("RadioB_File05s")->click();
    rig.window->close();

    QFile file(rig.folder.path() + "/Settings.bin");
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 52);  // 51 lines and what follows the last line break
    QCOMPARE(lines[4], QByteArray("1\r"));
    QCOMPARE(lines[38], QByteArray("1\r"));
}

QTEST_MAIN(SettingsWindowTest)
#include "settings_window_test.moc"
