#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "about_box.h"
#include "app/form_layout.h"
#include "app_setup.h"
#include "base/texts.h"
#include "color_swatch.h"
#include "device/libftdi/ftdi_driver.h"
#include "emulated_bridge_rig.h"
#include "form_probe.h"
#include "main_window.h"
#include "qt_text.h"
#include "sim/frame_encoder.h"
#include "sim/sim_driver.h"
#include "sim/test_platform.h"
#include "strip_chart.h"
#include "ui_test_support.h"

using namespace ts;

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void captionSizeAndFixedBorder();
    void everyControlOfTheDescriptionAtItsPlace();
    void everyTiedControlShowsItsFieldAndNoOther();
    void everyTickAndChoiceTakesAClick();
    void menuCaptionsKeepTheirBlanks();
    void startsShowingTheNotFoundMessageWithoutAnInstrument();
    void aboutBoxIsModelessAndShownAgain();
    void oneTimerWakesItAndTheDemonstrationsOnlyInItsMode();
    void aWindowNobodySeesIsMirroredOnlyWhenItComesBack();
    void opensTheInstrumentOnTheRealDriverAndShowsItsData();
    void connectionIndicatorHintShowsTheLinkStatistics();
    void deviceMenuItemsFiveToEightLookLikeOneToFour();
    void deviceMenuListsTheBridgesPluggedWhenItOpens();
    void aDisabledTableButtonLooksDisabledWhateverItsColour();
    void stillPicture();
};

namespace {

using Rig = uitest::WindowRig;

}  // namespace

void MainWindowTest::captionSizeAndFixedBorder() {
    Rig rig;
    QCOMPARE(rig.window->windowTitle(), Q(text::kMainCaption));
    QCOMPARE(rig.window->centralWidget()->size(), QSize(1011, 547));
    QVERIFY(!(rig.window->windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(rig.window->minimumSize(), rig.window->maximumSize());
}

namespace {

using probe::Shown;

QString CaptionOf(const QWidget* widget) {
    if (const auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
    if (const auto* group = qobject_cast<const QGroupBox*>(widget)) return group->title();
    return {};
}

Shown Read(const QWidget* widget) {
    Shown shown{CaptionOf(widget).toStdString(), false, widget->isEnabled(), !widget->isHidden()};
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        shown.checked = button->isChecked();
    } else if (const auto* swatch = qobject_cast<const ColorSwatch*>(widget)) {
        shown.colour = swatch->color();
    } else if (const auto* chart = qobject_cast<const StripChart*>(widget)) {
        shown.colour = chart->backgroundColor();
    } else if (const auto* box = qobject_cast<const QComboBox*>(widget)) {
        shown.index = box->currentIndex();
    }
    return shown;
}

// The widgets of the description's controls, in its order.
std::vector<QWidget*> Widgets(Rig& rig) {
    std::vector<QWidget*> widgets;
    for (const auto& entry : layout::MainWindowControls()) {
        widgets.push_back(rig.Find<QWidget>(Q(entry.name)));
    }
    return widgets;
}

std::vector<Shown> ReadAll(const std::vector<QWidget*>& widgets) {
    std::vector<Shown> shown;
    for (const QWidget* widget : widgets) shown.push_back(Read(widget));
    return shown;
}

}  // namespace

void MainWindowTest::everyControlOfTheDescriptionAtItsPlace() {
    Rig rig;
    const auto& controls = layout::MainWindowControls();
    const std::vector<QWidget*> widgets = Widgets(rig);
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const layout::ControlEntry& entry = controls[i];
        const QWidget* widget = widgets[i];
        const QString parent = entry.parent < 0 ? "ClientArea" : Q(controls[entry.parent].name);
        QVERIFY2(widget->parentWidget()->objectName() == parent, qPrintable(Q(entry.name)));
        const QRect place(entry.place.x, entry.place.y, entry.place.width, entry.place.height);
        if (entry.fitsText) {
            QCOMPARE(widget->geometry().center().x(), widget->parentWidget()->width() / 2);
        } else if (entry.field == layout::Field::Label_ResultFileName) {
            QCOMPARE(widget->pos(), place.topLeft());
            QVERIFY(widget->width() <= layout::kFileNameRoom);
        } else {
            QVERIFY2(widget->geometry() == place, qPrintable(Q(entry.name)));
        }
        if (!entry.caption.empty()) QCOMPARE(CaptionOf(widget), Q(entry.caption));
        if (entry.field != layout::Field::Label_Connection_Indicator) {
            QCOMPARE(widget->toolTip(), Q(entry.hint));
        }
        QCOMPARE(widget->font().bold(), layout::kFontFaces[int(entry.font)].bold);
    }
    for (const auto& menu : layout::MainWindowMenus()) {
        QCOMPARE(rig.Find<QMenu>(Q(menu.name))->title(), Q(menu.caption));
        for (const auto& item : menu.items) {
            if (!item.caption.empty())
                QCOMPARE(rig.Find<QAction>(Q(item.name))->text(), Q(item.caption));
        }
    }
    for (const auto& entry : layout::AboutBoxControls()) {
        const auto* widget = rig.window->aboutBox()->findChild<QWidget*>(Q(entry.name));
        QVERIFY2(widget != nullptr, qPrintable(Q(entry.name)));
        QCOMPARE(widget->geometry(),
                 QRect(entry.place.x, entry.place.y, entry.place.width, entry.place.height));
        QCOMPARE(CaptionOf(widget), Q(entry.caption));
    }
    // Blanks that are part of the captions.
    QCOMPARE(rig.Find<QGroupBox>("GroupBoxCH1")->title(), QString("Канал 1"));
    QCOMPARE(rig.Find<QGroupBox>("GroupBoxCH2")->title(), QString(" Канал 2 "));
    QCOMPARE(rig.Find<QGroupBox>("RadioGroup_X")->title(), QString(" Шкала X "));
}

// Each field of the model shows in its own control and in no other.
void MainWindowTest::everyTiedControlShowsItsFieldAndNoOther() {
    Rig rig;
    const std::vector<QWidget*> widgets = Widgets(rig);
    const auto faults = probe::CheckEveryTie(
        rig.st().form(), [&] { return ReadAll(widgets); }, [&] { rig.window->ApplyForm(); });
    QVERIFY2(faults.empty(), faults.empty() ? "" : faults.front().c_str());
}

// A click ticks or chooses in the control and in the model alike.
void MainWindowTest::everyTickAndChoiceTakesAClick() {
    Rig rig;
    rig.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.window.get()));
    for (const auto& entry : layout::MainWindowControls()) {
        if (entry.kind != layout::Kind::CheckBox && entry.kind != layout::Kind::RadioButton)
            continue;
        auto* button = rig.Find<QAbstractButton>(Q(entry.name));
        button->setEnabled(true);
        const bool wanted = entry.kind == layout::Kind::RadioButton || !button->isChecked();
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
        QVERIFY2(button->isChecked() == wanted, qPrintable(Q(entry.name)));
        QVERIFY2(probe::ModelChecked(rig.st().form(), entry) == wanted, qPrintable(Q(entry.name)));
    }
    for (const auto& entry : layout::MainWindowControls()) {
        if (entry.kind != layout::Kind::ComboBox) continue;
        auto* box = rig.Find<QComboBox>(Q(entry.name));
        QStringList items;
        for (int k = 0; k < box->count(); ++k) items << box->itemText(k);
        QStringList described;
        for (const std::string& item : entry.items) described << Q(item);
        QCOMPARE(items, described);
    }
    // What the user must see, not what the description says: the sensitivity from 1 to 99.
    QStringList sensitivities;
    for (int n = 1; n <= 99; ++n) sensitivities << QString::number(n);
    auto* threshold = rig.Find<QComboBox>("ComboBox_FileOnChangeThresh");
    QStringList items;
    for (int k = 0; k < threshold->count(); ++k) items << threshold->itemText(k);
    QCOMPARE(items, sensitivities);
}

void MainWindowTest::menuCaptionsKeepTheirBlanks() {
    Rig rig;
    QCOMPARE(rig.window->findChild<QMenu*>("M_Menu_Setting_Port")->title(),
             QString("   Выбор Прибора   "));
    QCOMPARE(rig.window->findChild<QMenu*>("M_Menu_Mode")->title(), QString("   Режим   "));
    QCOMPARE(rig.window->findChild<QMenu*>("M_Menu_Help")->title(), QString("   Помощь   "));
    QCOMPARE(rig.window->findChild<QAction*>("M_Menu_Mode_Norm")->text(), QString("Нормальный"));
    QCOMPARE(rig.window->findChild<QAction*>("M_Menu_Mode_Demo")->text(), QString("Демо"));
    QCOMPARE(rig.window->findChild<QAction*>("M_Menu_Help_About")->text(), QString("О программе"));
    for (int k = 1; k <= 8; ++k) {
        QVERIFY(rig.window->findChild<QAction*>(QString("M_Menu_Setting_Connection_%1").arg(k)));
    }
}

void MainWindowTest::startsShowingTheNotFoundMessageWithoutAnInstrument() {
    Rig rig;
    QVERIFY(rig.boxes.texts.contains(Q(text::kMsgDeviceNotFound)));
    const int index = rig.boxes.texts.indexOf(Q(text::kMsgDeviceNotFound));
    QCOMPARE(rig.boxes.captions[index], QString("TS"));
}

void MainWindowTest::aboutBoxIsModelessAndShownAgain() {
    Rig rig;
    TFA* about = rig.window->aboutBox();
    QVERIFY(about != nullptr);
    QVERIFY(about->isHidden());
    QCOMPARE(about->windowTitle(), QString("О программе"));
    QCOMPARE(about->size(), QSize(244, 114));
    QStringList texts;
    for (QLabel* label : about->findChildren<QLabel*>()) texts << label->text();
    QVERIFY(texts.contains("Комплекс Съёма Лент"));
    QVERIFY(texts.contains("КСЛ214.8Н"));

    rig.window->findChild<QAction*>("M_Menu_Help_About")->trigger();
    QVERIFY(about->isVisible());
    QVERIFY(!about->isModal());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    // Asking again while open only brings it forward: still one box.
    rig.window->findChild<QAction*>("M_Menu_Help_About")->trigger();
    QCOMPARE(rig.window->findChildren<TFA*>().size(), 1);

    auto* close = about->findChild<QPushButton*>("B_Close");
    QCOMPARE(close->text(), QString("Закрыть"));
    close->click();
    QVERIFY(about->isHidden());
    rig.window->findChild<QAction*>("M_Menu_Help_About")->trigger();
    QVERIFY(about->isVisible());
}

void MainWindowTest::oneTimerWakesItAndTheDemonstrationsOnlyInItsMode() {
    Rig rig;
    const QTimer* tick = rig.window->findChild<QTimer*>("Timer_25Hz");
    const QTimer* demo = rig.window->findChild<QTimer*>("TimerDemo");
    QVERIFY(tick && demo);
    QCOMPARE(rig.window->findChildren<QTimer*>().size(), 2);
    QCOMPARE(tick->interval(), 40);
    QCOMPARE(demo->interval(), 10);
    QVERIFY(tick->isActive());
    QVERIFY(!demo->isActive());
    rig.window->Run([&] { rig.st().M_Menu_Mode_DemoClick(); });
    QVERIFY(demo->isActive());
    rig.window->Run([&] { rig.st().M_Menu_Mode_NormClick(); });
    QVERIFY(!demo->isActive());
}

void MainWindowTest::aWindowNobodySeesIsMirroredOnlyWhenItComesBack() {
    Rig rig;
    rig.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.window.get()));
    auto* readout = rig.Find<QLabel>("Label_ResCH1");
    // The text the readout shows at its first paint after the window's return.
    struct FirstPaint : QObject {
        QString text;
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Paint && text.isNull()) {
                text = static_cast<QLabel*>(watched)->text();
            }
            return false;
        }
    } firstPaint;
    const QString before = readout->text();
    rig.window->showMinimized();
    rig.st().form().Label_ResCH[0].Caption = "12,5";
    QTest::qWait(3 * 40);
    QCOMPARE(readout->text(), before);
    readout->installEventFilter(&firstPaint);
    rig.window->showNormal();
    QTRY_VERIFY(!firstPaint.text.isNull());
    QCOMPARE(firstPaint.text, QString("12,5"));
}

// The window as the installed program builds it, on the libftdi1 driver, with an emulated bridge
// whose instrument streams frames.
void MainWindowTest::opensTheInstrumentOnTheRealDriverAndShowsItsData() {
    EmulatedBridges bridges;
    bridges.Plug("KSL214.8N", "TS000001", LineFrames(20));
    uitest::WindowRigOn<FtdiDriver> rig(uitest::SettingsFile({{0, "KSL214.8N"}, {1, "TS000001"}}));
    auto* indicator = rig.Find<QLabel>("Label_Connection_Indicator");
    QTRY_COMPARE_WITH_TIMEOUT(indicator->text(), Q(text::kConnectionYes), 3000);
    for (auto message : {text::kMsgDeviceNotFound, text::kMsgOpenFailed, text::kMsgResetFailed,
                         text::kMsgBaudFailed, text::kMsgDataFormatFailed, text::kMsgFlowFailed}) {
        QVERIFY(!rig.boxes.texts.contains(Q(message)));
    }
    // Samples reach the pipeline: its clock runs.
    QTRY_VERIFY_WITH_TIMEOUT(rig.st().measurement().Elapsed() > 0, 3000);
}

void MainWindowTest::connectionIndicatorHintShowsTheLinkStatistics() {
    Rig rig;
    auto* indicator = rig.Find<QLabel>("Label_Connection_Indicator");
    const int device = rig.driver.AddDevice("KSL214.8N", "TS000001");
    rig.st().link().SetIdentity("KSL214.8N", "TS000001");
    rig.window->Run([&] { rig.st().link().Open(true); });

    // Two frames, a broken one and a noise byte between them; one overrun flag.
    auto frame = [](std::uint16_t counter) { return sim::EncodeFrame(1, counter, {1, 2, 3}); };
    sim::Frame broken = frame(2);
    broken[13] ^= 0x01;
    std::vector<std::uint8_t> bytes;
    for (const sim::Frame& f : {frame(1), broken, frame(3)}) {
        bytes.insert(bytes.end(), f.begin(), f.end());
        bytes.push_back(0x05);
    }
    rig.driver.Feed(device, bytes);
    rig.driver.Device(device).chipOverruns = 1;

    QTRY_COMPARE(indicator->toolTip(), QString("Кадров принято: 2\n"
                                               "Кадров отброшено проверкой: 1\n"
                                               "Байтов пропущено при поиске начала кадра: 16\n"
                                               "Переполнений буфера чипа USB: 1\n"
                                               "Байтов потеряно в очереди приёма: 0\n"
                                               "Переподключений к прибору: 0"));
}

// An unchecked device item shows no mark at all, whichever of the eight it is.
void MainWindowTest::deviceMenuItemsFiveToEightLookLikeOneToFour() {
    Rig rig;
    // Bridges alike, so that items 2 and 5 differ in nothing but their kind; neither is next
    // to the menu's frame.
    for (int i = 0; i < 6; ++i) rig.driver.AddDevice("KSL214.8N", "TS000001");
    auto* menu = rig.Find<QMenu>("M_Menu_Setting_Port");
    menu->popup(QPoint(0, 0));
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QAction* second = rig.Find<QAction>("M_Menu_Setting_Connection_2");
    QAction* fifth = rig.Find<QAction>("M_Menu_Setting_Connection_5");
    QVERIFY(fifth->isVisible() && !fifth->isChecked() && fifth->isEnabled());
    const QImage image = menu->grab().toImage();
    QCOMPARE(image.copy(menu->actionGeometry(fifth)), image.copy(menu->actionGeometry(second)));
    menu->hide();
}

// Each opening lists the bridges plugged in then, whatever an earlier one listed.
void MainWindowTest::deviceMenuListsTheBridgesPluggedWhenItOpens() {
    Rig rig;
    auto* menu = rig.Find<QMenu>("M_Menu_Setting_Port");
    auto listed = [&] {
        menu->popup(QPoint(0, 0));
        QStringList captions;
        if (!QTest::qWaitForWindowExposed(menu)) return QStringList{"the menu did not open"};
        for (QAction* item : menu->actions()) {
            if (item->isVisible()) captions << item->text();
        }
        menu->hide();
        return captions;
    };
    const int first = rig.driver.AddDevice("KSL214.8N", "TS000001");
    const int second = rig.driver.AddDevice("KSL214.8N", "TS000002");
    QCOMPARE(listed(), (QStringList{"KSL214.8N   TS000001", "KSL214.8N   TS000002"}));
    rig.driver.Unplug(first);
    rig.driver.AddDevice("KSL-USB", "00000007");
    QCOMPARE(listed(), (QStringList{"KSL214.8N   TS000002", "KSL-USB   00000007"}));
    rig.driver.Unplug(second);
    QCOMPARE(listed(), QStringList{"KSL-USB   00000007"});
}

// A disabled table button looks like any disabled button, its caption greyed, and takes its
// red or black again when enabled.
void MainWindowTest::aDisabledTableButtonLooksDisabledWhateverItsColour() {
    Rig rig;
    auto* button = rig.Find<QToolButton>("B_ListF_CH1");
    QToolButton plain(button->parentWidget());
    plain.setText(button->text());
    plain.setGeometry(button->geometry());
    plain.setEnabled(false);
    const QImage disabled = plain.grab().toImage();
    for (const Color color : {kColorRed, kColorWindowText}) {
        rig.window->Run([&] {
            rig.st().form().B_ListF_CH[0].FontColor = color;
            rig.st().form().B_ListF_CH[0].Enabled = false;
        });
        QCOMPARE(button->grab().toImage(), disabled);
    }
    rig.window->Run([&] { rig.st().form().B_ListF_CH[0].Enabled = true; });
    plain.setEnabled(true);
    const QImage black = button->grab().toImage();
    QCOMPARE(black, plain.grab().toImage());
    rig.window->Run([&] { rig.st().form().B_ListF_CH[0].FontColor = kColorRed; });
    const QImage red = button->grab().toImage();
    bool redText = false;
    for (int y = 0; y < red.height() && !redText; ++y) {
        for (int x = 0; x < red.width() && !redText; ++x) {
            const QColor pixel = red.pixelColor(x, y);
            redText = pixel.red() > 200 && pixel.green() < 60 && pixel.blue() < 60;
        }
    }
    QVERIFY(redText);
}

// The window in a fixed state (settings, three tables, no instrument) as a still picture, written
// where TS_PICTURE says for tests/pictures/picture.py to compare with its reference: a place or a
// caption that the description and the window got wrong together shows there.
void MainWindowTest::stillPicture() {
    const QString out = qEnvironmentVariable("TS_PICTURE");
    if (out.isEmpty()) QSKIP("TS_PICTURE names no file: the picture is taken by tests/pictures");
    // The program's own font and translations, so that the picture is what a user sees.
    PrepareApplication(*qApp);
    QTemporaryDir tables;
    const QString table = tables.path() + "/table.txt";
    QFile file(table);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("0 0\r\n1023 100\r\n");
    file.close();
    const std::string path = table.toStdString();
    Rig rig(QByteArray::fromStdString(
        SettingsText({{9, "1"}, {11, "1"}, {24, path}, {25, path}, {27, path}})));
    rig.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.window.get()));
    QTRY_VERIFY(!rig.boxes.texts.isEmpty());
    QTest::qWait(300);
    QVERIFY(rig.window->grab().toImage().convertToFormat(QImage::Format_RGB888).save(out, "PNG"));
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
