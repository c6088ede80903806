#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "app_setup.h"
#include "base/texts.h"
#include "chart/png_file.h"
#include "file_dialog_rig.h"
#include "qt_text.h"
#include "review/result_file_rig.h"
#include "review_chart.h"
#include "review_window.h"

using namespace ts;
using namespace ts::uitest;

// The review window's wiring on Qt: how it is opened, and that its controls forward to the
// model and mirror it. What the model does is the core's tests' business.
class ReviewWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void theMenuOpensTheChosenRecordingBesideTheMainWindow();
    void aDroppedFileOpensAndAnUnreadableOneIsTold();
    void aRecordingOpenedAtTheStartComesBeforeTheInstrumentsWord();
    void controlsForwardToTheModelAndMirrorIt();
    void theMouseActsWhereItPoints();
    void aMinimizedWindowWaitsWithoutItsTimer();
    void theVisibleChartIsExportedAsPng();
    void theCorePictureWriterMakesPngsAnyReaderTakes();
};

namespace {

constexpr std::int64_t kS = review::kNanosecondsPerSecond;

// An hour of channels 1 and 3 at one record a second, in the window's working folder.
QString WriteRecording(const QString& folder, const char* name = "r.txt") {
    const QString path = folder + "/" + name;
    review_rig::FileShape shape;
    WriteAll(path.toStdString(),
             review_rig::ResultFileBytes(shape, review_rig::MakeRecords(3600, 0, 18000, 3)));
    return path;
}

TFR* OnlyReview(WindowRig& rig) {
    const std::vector<TFR*> reviews = rig.window->reviews();
    return reviews.size() == 1 ? reviews.front() : nullptr;
}

}  // namespace

void ReviewWindowTest::initTestCase() { PrepareApplication(*qApp); }

void ReviewWindowTest::theMenuOpensTheChosenRecordingBesideTheMainWindow() {
    WindowRig rig;
    const QString path = WriteRecording(rig.folder.path());
    QAction* open = rig.window->findChild<QAction*>("M_Menu_Review_Open");
    QVERIFY(open != nullptr);
    QCOMPARE(open->text(), QString("Открыть запись…"));
    for (int i = 0; i < 2; ++i) {
        DialogDriver driver([&] { return Choose(path); });
        open->trigger();
    }
    const std::vector<TFR*> reviews = rig.window->reviews();
    QCOMPARE(reviews.size(), std::size_t(2));
    QVERIFY(reviews[0] != reviews[1]);
    QCOMPARE(reviews[0]->windowTitle(), QString("Просмотр записи: r.txt"));
    QVERIFY(reviews[0]->isVisible());
    // The main window goes on: its own chart and recording controls are untouched.
    QVERIFY(rig.window->isEnabled());
    // Closing the main window closes the reviews with it.
    rig.window->close();
    QTRY_VERIFY(rig.window->reviews().empty());
}

void ReviewWindowTest::aDroppedFileOpensAndAnUnreadableOneIsTold() {
    WindowRig rig;
    const QString path = WriteRecording(rig.folder.path());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    // As a drag brings it: Qt hands a drop to the widget that took the drag's entry.
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(rig.window.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(rig.window.get(), &drop);
    QVERIFY2(OnlyReview(rig) != nullptr, qPrintable(rig.boxes.texts.join("|")));

    QVERIFY(rig.window->OpenReview((rig.folder.path() + "/missing.txt").toStdString()) == nullptr);
    QTRY_VERIFY(!rig.boxes.texts.isEmpty());
    QVERIFY2(rig.boxes.texts.back().startsWith("  Не удалось открыть запись: "),
             qPrintable(rig.boxes.texts.back()));
    QCOMPARE(rig.window->reviews().size(), std::size_t(1));

    // Gone with the main window, and its reader with it, even without a close.
    const QPointer<TFR> review = rig.window->reviews().front();
    rig.window.reset();
    QVERIFY(review.isNull());
}

// `--open FILE` without an instrument: the review window shows at once and takes the user's
// input; the main window says the instrument is missing in a box that waits for nobody.
void ReviewWindowTest::aRecordingOpenedAtTheStartComesBeforeTheInstrumentsWord() {
    InTemporaryFolder folder;
    sim::SimDriver driver;
    sim::TestPlatform platform;
    platform.currentDirectory = folder.path().toStdString();
    const std::string path = WriteRecording(folder.path()).toStdString();
    std::vector<QString> boxesDuringTheStart;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(w); box != nullptr && box->isVisible()) {
                boxesDuringTheStart.push_back(box->text());
                box->done(QMessageBox::Ok);
            }
        }
    });
    watch.start(5);
    TMF window(driver, platform, nullptr, TMF::Start::Reviews);
    window.show();
    QVERIFY(boxesDuringTheStart.empty());
    watch.stop();
    window.OpenAtStart({path});
    QCOMPARE(window.reviews().size(), std::size_t(1));
    TFR* review = window.reviews().front();
    QVERIFY(review->isVisible());
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    // Every box of the start (the instrument, the calibration tables) stands beside it.
    QStringList said;
    std::vector<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(w); box != nullptr && box->isVisible()) {
            said << box->text();
            boxes.push_back(box);
            QVERIFY(!box->isModal());
        }
    }
    QVERIFY2(said.contains(Q(text::kMsgDeviceNotFound)), qPrintable(said.join("|")));
    // The review answers while the box is up.
    QTest::keyClick(review->chart(), Qt::Key_Plus);
    QVERIFY(review->model().ViewToNs() - review->model().ViewFromNs() < 3600 * kS);
    for (QMessageBox* box : boxes) box->close();
}

void ReviewWindowTest::aMinimizedWindowWaitsWithoutItsTimer() {
    WindowRig rig;
    TFR* review = rig.window->OpenReview(WriteRecording(rig.folder.path()).toStdString());
    QVERIFY(review != nullptr);
    auto* timer = review->findChild<QTimer*>("TimerReview");
    QVERIFY(timer != nullptr);
    QVERIFY(timer->isActive());
    review->showMinimized();
    QTRY_VERIFY(!timer->isActive());
    review->showMaximized();
    QTRY_VERIFY(timer->isActive());
}

void ReviewWindowTest::controlsForwardToTheModelAndMirrorIt() {
    WindowRig rig;
    TFR* review = rig.window->OpenReview(WriteRecording(rig.folder.path()).toStdString());
    QVERIFY(review != nullptr);
    ReviewModel& model = review->model();
    review->model().form().CheckBox_Follow.Checked = false;  // a finished file stays put

    // The span buttons: "10мин".
    auto* span = review->findChild<QRadioButton*>("RadioGroup_Span_Item9");
    QCOMPARE(span->text(), QString("10мин"));
    span->click();
    QCOMPARE(model.ViewToNs() - model.ViewFromNs(), 600 * kS);
    QVERIFY(span->isChecked());

    // The scroll bar follows the model, and moves it when the user moves it.
    auto* bar = review->findChild<QScrollBar*>("ScrollBar_Time");
    QVERIFY(bar->isEnabled());
    QCOMPARE(bar->value(), model.form().ScrollBar_Time.Position);
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    QCOMPARE(model.ViewFromNs(), 0);

    // A hidden channel, and one never recorded.
    auto* show3 = review->findChild<QCheckBox*>("CheckBox_ShowCH3");
    QVERIFY(show3->isChecked());
    show3->click();
    QVERIFY(!model.ChannelShown(3));
    QVERIFY(!review->findChild<QCheckBox*>("CheckBox_ShowCH2")->isEnabled());

    // The wheel over the chart, and the cursor under the mouse.
    ReviewChart* chart = review->chart();
    const QRect plot = chart->plotRect();
    const QPoint middle = plot.center();
    QWheelEvent wheel(middle, chart->mapToGlobal(middle), {}, {0, 120}, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(chart, &wheel);
    QVERIFY(model.ViewToNs() - model.ViewFromNs() < 600 * kS);
    QVERIFY(!span->isChecked());
    QTest::mouseMove(chart, middle);
    QMouseEvent move(QEvent::MouseMove, middle, chart->mapToGlobal(middle), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(chart, &move);
    const QString cursor = review->findChild<QLabel*>("Label_Cursor")->text();
    QVERIFY2(cursor.startsWith("Курсор: 17:") && cursor.contains("CH1 "), qPrintable(cursor));

    // Shift and a drag select; the selection's figures show.
    QTest::mousePress(chart, Qt::LeftButton, Qt::ShiftModifier, plot.topLeft() + QPoint(10, 10));
    QTest::mouseMove(chart, plot.topLeft() + QPoint(200, 10));
    QTest::mouseRelease(chart, Qt::LeftButton, Qt::ShiftModifier, plot.topLeft() + QPoint(200, 10));
    QVERIFY(model.HasSelection());
    QVERIFY(review->findChild<QLabel*>("Label_Selection")->text().contains("Канал 1: записей "));
}

// The cursor, the selection, the stretch zoom and the wheel at the mouse's own place in the
// plot, whatever lies left of it; Ctrl and the wheel zoom the values around the mouse's height.
void ReviewWindowTest::theMouseActsWhereItPoints() {
    WindowRig rig;
    TFR* review = rig.window->OpenReview(WriteRecording(rig.folder.path()).toStdString());
    QVERIFY(review != nullptr);
    ReviewModel& model = review->model();
    ReviewChart* chart = review->chart();
    const QRect plot = chart->plotRect();
    const auto point = [&](int x) { return QPoint(plot.left() + x, plot.center().y()); };
    const auto fraction = [&](int x) { return double(x) / plot.width(); };
    const auto nsAt = [&](int x) {
        return model.ViewFromNs() +
               std::int64_t(fraction(x) * double(model.ViewToNs() - model.ViewFromNs()));
    };
    const double pixel = 1.0 / plot.width();

    QMouseEvent move(QEvent::MouseMove, point(40), chart->mapToGlobal(point(40)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(chart, &move);
    QVERIFY(model.CursorAt().has_value());
    QVERIFY(std::abs(*model.CursorAt() - fraction(40)) < pixel);

    QTest::mousePress(chart, Qt::LeftButton, Qt::ShiftModifier, point(20));
    QTest::mouseMove(chart, point(120));
    QTest::mouseRelease(chart, Qt::LeftButton, Qt::ShiftModifier, point(120));
    QVERIFY(std::abs(model.FractionOf(model.SelectionFromNs()) - fraction(20)) < pixel);
    QVERIFY(std::abs(model.FractionOf(model.SelectionToNs()) - fraction(120)) < pixel);

    const std::int64_t stretchFrom = nsAt(30), stretchTo = nsAt(330);
    QTest::mousePress(chart, Qt::RightButton, Qt::NoModifier, point(30));
    QTest::mouseMove(chart, point(330));
    QTest::mouseRelease(chart, Qt::RightButton, Qt::NoModifier, point(330));
    const double second = double(kS);
    QVERIFY(std::abs(double(model.ViewFromNs() - stretchFrom)) < 13 * second);
    QVERIFY(std::abs(double(model.ViewToNs() - stretchTo)) < 13 * second);

    const std::int64_t under = nsAt(50);
    QWheelEvent wheel(point(50), chart->mapToGlobal(point(50)), {}, {0, 240}, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(chart, &wheel);
    QVERIFY(model.ViewToNs() - model.ViewFromNs() < stretchTo - stretchFrom);
    QVERIFY(std::abs(model.FractionOf(under) - fraction(50)) < pixel);

    // A quarter of the way up the plot, Ctrl held: the values there stay there.
    chart->grab();  // a paint: the curves' ranges are fitted
    const int axis = model.AxisChannel();
    QCOMPARE(axis, 1);
    const ValueRange fitted = model.RangeOf(axis);
    const QPoint quarter(plot.left() + 100, plot.bottom() + 1 - plot.height() / 4);
    const double value = fitted.low + (fitted.high - fitted.low) * 0.25;
    QWheelEvent valueWheel(quarter, chart->mapToGlobal(quarter), {}, {0, 120}, Qt::NoButton,
                           Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(chart, &valueWheel);
    QVERIFY(!model.ValuesFitted());
    QVERIFY(std::abs(model.HeightOf(axis, value) - 0.25) < 2.0 / plot.height());
    QTest::keyClick(chart, Qt::Key_Backspace);
    QVERIFY(model.ValuesFitted());
}

void ReviewWindowTest::theVisibleChartIsExportedAsPng() {
    WindowRig rig;
    // Not in the working folder: the dialog offers the recording's own.
    QDir(rig.folder.path()).mkdir("runs");
    const QString runs = QFileInfo(rig.folder.path() + "/runs").canonicalFilePath();
    TFR* review = rig.window->OpenReview(WriteRecording(runs).toStdString());
    QVERIFY(review != nullptr);
    const QString png = rig.folder.path() + "/chart.png";
    const qsizetype boxes = rig.boxes.texts.size();
    QString offered;
    DialogDriver driver([&] {
        if (QFileDialog* dialog = OpenDialog(); dialog != nullptr && offered.isEmpty())
            offered = dialog->selectedFiles().value(0);
        return Choose(png);
    });
    review->findChild<QPushButton*>("B_ExportPng")->click();
    QCOMPARE(offered, runs + "/r.png");
    const QImage image = QImage(png).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(image.size(), review->chart()->size());
    QCOMPARE(rig.boxes.texts.size(), boxes);
    // The chart as the window shows it, pixel for pixel, and in it the curves of both recorded
    // channels in their default colours: channel 1 red, channel 3 yellow.
    QCOMPARE(image, review->chart()->grab().toImage().convertToFormat(QImage::Format_RGB32));
    int red = 0, yellow = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            red += qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60;
            yellow += qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) < 60;
        }
    }
    QVERIFY2(red > image.width() / 2, qPrintable(QString::number(red)));
    QVERIFY2(yellow > image.width() / 2, qPrintable(QString::number(yellow)));
}

// The Win32 window writes its chart through the core's own PNG writer: Qt's reader checks it,
// with a picture taller than one stored block holds.
void ReviewWindowTest::theCorePictureWriterMakesPngsAnyReaderTakes() {
    InTemporaryFolder folder;
    const int width = 301, height = 97;
    std::vector<std::uint32_t> pixels(std::size_t(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels[std::size_t(y) * width + x] = std::uint32_t(x % 256) << 16 |
                                                 std::uint32_t(y * 2) << 8 |
                                                 std::uint32_t((x + y) % 256);
        }
    }
    const QString path = folder.path() + "/p.png";
    SystemFile out;
    QVERIFY(out.OpenForWriting(path.toStdString(), true));
    QVERIFY(WritePng(out, width, height, pixels));
    QVERIFY(out.Close());
    const QImage image(path);
    QCOMPARE(image.size(), QSize(width, height));
    for (const QPoint p : {QPoint(0, 0), QPoint(300, 96), QPoint(255, 40), QPoint(17, 81)}) {
        QCOMPARE(image.pixel(p) & 0xFFFFFF, pixels[std::size_t(p.y()) * width + p.x()]);
    }
}

QTEST_MAIN(ReviewWindowTest)
#include "review_window_test.moc"
