#include <QAction>
#include <QCheckBox>
#include <QColorDialog>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "base/texts.h"
#include "color_swatch.h"
#include "main_window.h"
#include "qt_text.h"
#include "sim/sim_driver.h"
#include "sim/test_platform.h"
#include "strip_chart.h"
#include "ui_test_support.h"

using namespace ts;

class ModeMenuTest : public QObject {
    Q_OBJECT

private slots:
    void chartControlsCarryTheirCaptionsAndHints();
    void demoModeThenSwatchThenClearReachTheSettingsFile();
    void colourDialogOpensOnTheLastColourAndCancelKeepsAll();
};

namespace {

// Shown, so that menus and swatches take clicks.
struct Rig : uitest::WindowRig {
    Rig() { window->show(); }
};

// Plays the user in front of the next colour dialog: notes the colour it
// opened on, then confirms `answer` or, without one, cancels.
class ColorDialogAnswerer : public QObject {
public:
    QColor openedOn;
    int dialogs = 0;

    explicit ColorDialogAnswerer(std::optional<QColor> answer) : answer_(answer) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<QColorDialog*>(w);
                if (dialog == nullptr || !dialog->isVisible()) continue;
                if (dialog->objectName() != "ColorDialog") continue;
                ++dialogs;
                openedOn = dialog->currentColor();
                if (answer_) {
                    dialog->setCurrentColor(*answer_);
                    dialog->accept();
                } else {
                    dialog->reject();
                }
            }
        });
        timer_.start();
    }

private:
    std::optional<QColor> answer_;
    QTimer timer_;
};

void Click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

}  // namespace

void ModeMenuTest::chartControlsCarryTheirCaptionsAndHints() {
    Rig rig;
    struct Expected {
        QString name, caption, hint;
    };
    QList<Expected> controls = {
        {"ButtonChartClear", "Очистить", "Очистить данные на графиках"},
        {"CheckBox_ChartStop", "Стоп!", "Остановить движение графиков"},
        {"CheckBox_ChartAver", "Усреднение", "Усреднять результаты при выводе на графики"},
        {"PanelColor_ChartBackGround", "", "Выбор цвета фона области построения графиков"},
        {"PanelColor_ChartGrid", "", "Выбор цвета координатной сетки области построения графиков"},
    };
    for (int c = 1; c <= 6; ++c) {
        controls.append({QString("ChartEN_CH%1").arg(c), "Граф.", "Выводить результаты на график"});
        controls.append({QString("PanelColor_CurveCH%1").arg(c), "", "Выбор цвета графика"});
    }
    for (const Expected& e : controls) {
        QWidget* control = rig.Find<QWidget>(e.name);
        QCOMPARE(control->toolTip(), e.hint);
        if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            QCOMPARE(button->text(), e.caption);
        } else {
            QCOMPARE(control->size(), QSize(17, 17));
        }
    }
}

void ModeMenuTest::demoModeThenSwatchThenClearReachTheSettingsFile() {
    Rig rig;
    auto* modeMenu = rig.Find<QMenu>("M_Menu_Mode");
    auto* norm = rig.Find<QAction>("M_Menu_Mode_Norm");
    auto* demo = rig.Find<QAction>("M_Menu_Mode_Demo");
    rig.Find<QCheckBox>("ChartEN_CH1")->click();
    QVERIFY(rig.st().form().ChartEN_CH[0].Checked);

    demo->trigger();
    QCOMPARE(modeMenu->title(), QString("   Режим: ДЕМОНСТРАЦИОННЫЙ   "));
    QVERIFY(demo->isChecked());
    QVERIFY(!norm->isChecked());
    // The demonstration timer feeds the chart: scale 1 gets a point every 360 units.
    QTRY_VERIFY(rig.st().chart().Live().Ring(0 + 1).Position >= 3);
    QCOMPARE(rig.window->chart()->seriesPointCount(0), 600);
    QCOMPARE(rig.window->chart()->seriesPointCount(1), 0);

    // A grid colour through the dialog.
    const QColor teal(0, 128, 128);
    {
        ColorDialogAnswerer answerer(teal);
        Click(rig.Find<ColorSwatch>("PanelColor_ChartGrid"));
        QCOMPARE(answerer.dialogs, 1);
        QCOMPARE(answerer.openedOn, QColor(Qt::black));
    }
    const Color tealValue = MakeColor(0, 128, 128);
    QCOMPARE(rig.Find<ColorSwatch>("PanelColor_ChartGrid")->color(), tealValue);
    QCOMPARE(rig.window->chart()->gridColor(), tealValue);
    QStringList lines = rig.SettingsLines();
    QVERIFY(lines.size() >= 51);
    QCOMPARE(lines[16], QString::number(tealValue));

    // The clear button empties the shown scale at once.
    rig.Find<QPushButton>("ButtonChartClear")->click();
    QCOMPARE(rig.st().chart().Live().Ring(0 + 1).Position, 0);
    QCOMPARE(rig.st().measurement().ChartSums(1).PeriodStart, rig.st().measurement().Elapsed() - 1);
    QCOMPARE(rig.window->chart()->seriesPointCount(0), 600);
    QTRY_VERIFY(rig.st().chart().Live().Ring(0 + 1).Position >= 1);

    norm->trigger();
    QCOMPARE(modeMenu->title(), QString("   Режим   "));
    QVERIFY(norm->isChecked());
    QVERIFY(!demo->isChecked());
    QVERIFY(!rig.st().demo().Running());
    const std::uint16_t count = rig.st().demo().Count();
    QTest::qWait(50);
    QCOMPARE(rig.st().demo().Count(), count);

    // Closing saves the rest: the enabled channel and the shown scale.
    rig.window->close();
    lines = rig.SettingsLines();
    QVERIFY(lines.size() >= 51);
    QCOMPARE(lines[2], QString("0"));
    QCOMPARE(lines[3], QString("1"));
    QCOMPARE(lines[4], QString("0"));
    QCOMPARE(lines[16], QString::number(tealValue));
}

void ModeMenuTest::colourDialogOpensOnTheLastColourAndCancelKeepsAll() {
    Rig rig;
    const QColor olive(128, 128, 0);
    {
        ColorDialogAnswerer answerer(olive);
        Click(rig.Find<ColorSwatch>("PanelColor_CurveCH3"));
        QCOMPARE(answerer.dialogs, 1);
    }
    QCOMPARE(rig.Find<ColorSwatch>("PanelColor_CurveCH3")->color(), MakeColor(128, 128, 0));
    const QStringList saved = rig.SettingsLines();
    QCOMPARE(saved.value(20), QString::number(MakeColor(128, 128, 0)));

    {
        ColorDialogAnswerer answerer(std::nullopt);
        Click(rig.Find<ColorSwatch>("PanelColor_ChartBackGround"));
        QCOMPARE(answerer.dialogs, 1);
        // Not the black of the background: the colour last confirmed.
        QCOMPARE(answerer.openedOn, olive);
    }
    QCOMPARE(rig.Find<ColorSwatch>("PanelColor_ChartBackGround")->color(), kColorBlack);
    QCOMPARE(rig.window->chart()->backgroundColor(), kColorBlack);
    QCOMPARE(rig.SettingsLines(), saved);
}

QTEST_MAIN(ModeMenuTest)
#include "mode_menu_test.moc"
