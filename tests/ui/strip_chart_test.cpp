#include <QImage>
#include <QLabel>
#include <QPaintEngine>
#include <QPainter>
#include <QTest>
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

#include "app/station.h"
#include "closed_points.h"
#include "qt_ui.h"
#include "sim/sim_driver.h"
#include "sim/test_platform.h"
#include "strip_chart.h"

using namespace ts;

class StripChartTest : public QObject {
    Q_OBJECT

private slots:
    void backgroundAndGridTakeTheirColours();
    void curvesLieAtTheHeightOfTheirCodes();
    void aChannelSwitchedOffIsAbsent();
    void titleBlanksPushItLeft();
    void axisLabelsArePercentsOnBothSidesAndTheBottomHasOnlyItsTitle();
    void manyChangesPaintOnce();
    void movedPictureEqualsAWholeRedraw();
};

namespace {

constexpr Color kBackground = 0x202020;  // not black: to tell it from an unpainted image
constexpr Color kGrid = 0x00A0A0;
constexpr std::array<Color, kChannels> kCurves = {0x0000FF, 0x00FF00, 0xFF0000,
                                                  0xFFFF00, 0xFF00FF, 0x80FFFF};

QRgb Rgb(Color color) { return ToQColor(color).rgb(); }

// In the screen's pixels, as the window shows it.
QImage Render(StripChart& chart) {
    const qreal ratio = chart.devicePixelRatioF();
    QImage image(chart.size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    chart.render(&image);
    return image;
}

// The whole path: the core's rings and series, the Qt port, the widget.
struct Rig {
    sim::SimDriver driver;
    sim::TestPlatform platform;
    QWidget window;
    StripChart* chart = new StripChart(&window);
    QLabel* label = new QLabel(&window);
    QtUi ui{&window, chart, label};
    Station station{driver, platform, ui};

    // Channel c flat at codes[c] across the whole window of "12сек".
    explicit Rig(const std::array<std::uint16_t, kChannels>& codes) {
        chart->setGeometry(0, 0, 665, 534);
        ChartColors colors;
        colors.BackgroundColor = kBackground;
        colors.GridColor = kGrid;
        colors.CurveColor = kCurves;
        station.chart().SetColors(colors);
        chart->setBackgroundColor(kBackground);
        chart->setGridColor(kGrid);
        station.form().RadioGroup_X = 0;
        for (auto& box : station.form().ChartEN_CH) box.Checked = true;
        ClosePoints(station, 1, kRingPoints + 17,
                    [&](int, SampleCodes& mean, SampleCodes& latest) { mean = latest = codes; });
    }
};

// Rows of a column painted in `color`.
QList<int> RowsOf(const QImage& image, int x, QRgb color) {
    QList<int> rows;
    for (int y = 0; y < image.height(); ++y) {
        if (image.pixel(x, y) == color) rows << y;
    }
    return rows;
}

// Rows of solid horizontal grid lines inside the plot: grid-coloured on every
// one of ten neighbouring columns (dotted lines are not).
QList<int> MajorGridRows(const QImage& image, const QRect& plot, int x) {
    QList<int> rows;
    for (int y = plot.top(); y <= plot.bottom(); ++y) {
        bool solid = true;
        for (int dx = 0; dx < 10 && solid; ++dx) solid = image.pixel(x + dx, y) == Rgb(kGrid);
        if (solid) rows << y;
    }
    return rows;
}

// A column of the plot between vertical grid lines.
int FreeColumn(const QImage& image, const QRect& plot) {
    for (int x = plot.left() + plot.width() / 3; x < plot.right(); ++x) {
        bool free = true;
        for (int dx = -1; dx < 12 && free; ++dx) {
            free = image.pixel(x + dx, plot.top() + 5) == Rgb(kBackground);
        }
        if (free) return x;
    }
    return -1;
}

// A paint device that keeps the texts painted on it and where their baselines begin.
class TextRecorder final : public QPaintDevice {
public:
    struct Text {
        QPointF at;
        QString text;
    };
    std::vector<Text> texts;

    explicit TextRecorder(QSize size) : size_(size), engine_(*this) {}
    QPaintEngine* paintEngine() const override { return &engine_; }

protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
            case PdmWidth:
                return size_.width();
            case PdmHeight:
                return size_.height();
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY:
                return 96;
            case PdmDepth:
                return 32;
            case PdmDevicePixelRatio:
                return 1;
            case PdmDevicePixelRatioScaled:
                return static_cast<int>(devicePixelRatioFScale());
            default:
                return 0;
        }
    }

private:
    class Engine final : public QPaintEngine {
    public:
        explicit Engine(TextRecorder& owner) : QPaintEngine(AllFeatures), owner_(owner) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawPath(const QPainterPath&) override {}
        void drawTextItem(const QPointF& at, const QTextItem& item) override {
            owner_.texts.push_back({at, item.text()});
        }
        Type type() const override { return User; }

    private:
        TextRecorder& owner_;
    };

    QSize size_;
    mutable Engine engine_;
};

}  // namespace

void StripChartTest::backgroundAndGridTakeTheirColours() {
    StripChart chart;
    chart.resize(665, 534);
    chart.setBackgroundColor(kBackground);
    chart.setGridColor(kGrid);
    chart.setBottomMinimum(23);
    chart.setBottomMaximum(623);
    QImage image = Render(chart);
    const QRect plot = chart.plotRect();
    QVERIFY(plot.width() > 500 && plot.height() > 400);

    const int column = FreeColumn(image, plot);
    QVERIFY(column > 0);
    QCOMPARE(image.pixel(column, plot.top() + 5), Rgb(kBackground));
    // Eleven solid lines, 0 % to 100 %, evenly spaced.
    const QList<int> rows = MajorGridRows(image, plot, column);
    QCOMPARE(rows.size(), 11);
    for (int i = 1; i < rows.size(); ++i)
        QVERIFY(std::abs((rows[i] - rows[i - 1]) - (rows[1] - rows[0])) <= 1);
    // Solid vertical lines every 50 x units from x = 50 on: 12 of them in 23..623.
    int solidColumns = 0;
    const int between = (rows[5] + rows[6]) / 2;
    for (int x = plot.left(); x <= plot.right(); ++x) {
        bool solid = true;
        for (int dy = 0; dy < 6 && solid; ++dy) solid = image.pixel(x, between + dy) == Rgb(kGrid);
        if (solid) ++solidColumns;
    }
    QCOMPARE(solidColumns, 12);
    // Outside the plot is the window, not the chart background.
    QVERIFY(image.pixel(2, plot.top() + 30) != Rgb(kBackground));

    // New colours show at the next paint.
    chart.setBackgroundColor(0x000080);
    chart.setGridColor(0xC0C0C0);
    image = Render(chart);
    QCOMPARE(image.pixel(column, plot.top() + 5), Rgb(0x000080));
    QCOMPARE(image.pixel(column, rows[5]), Rgb(0xC0C0C0));
}

void StripChartTest::curvesLieAtTheHeightOfTheirCodes() {
    Rig rig({1023, 0, 512, 256, 767, 1});
    const QRect plot = rig.chart->plotRect();
    rig.chart->setBottomMinimum(17);
    rig.chart->setBottomMaximum(617);
    const QImage grid = Render(*rig.chart);
    const int column = FreeColumn(grid, plot);
    const QList<int> major = MajorGridRows(grid, plot, column);
    QCOMPARE(major.size(), 11);  // major[0] is 100 %, major[10] is 0 %

    rig.station.chart().Redraw();
    const QImage image = Render(*rig.chart);
    QCOMPARE(RowsOf(image, column, Rgb(kCurves[0])), QList<int>{major[0]});
    QCOMPARE(RowsOf(image, column, Rgb(kCurves[1])), QList<int>{major[10]});
    const QList<int> half = RowsOf(image, column, Rgb(kCurves[2]));
    QCOMPARE(half.size(), 1);
    QVERIFY(std::abs(half[0] - major[5]) <= 1);
    // A quarter of full scale lies a quarter of the way up, within a pixel.
    const QList<int> quarter = RowsOf(image, column, Rgb(kCurves[3]));
    QCOMPARE(quarter.size(), 1);
    QVERIFY(std::abs(quarter[0] - (major[10] + (major[0] - major[10]) * 256.0 / 1023.0)) <= 1.0);
    // The oldest point is on the left edge, the newest one x unit short of the right.
    QCOMPARE(image.pixel(plot.left(), major[0]), Rgb(kCurves[0]));
    QCOMPARE(image.pixel(plot.right() - 2, major[0]), Rgb(kCurves[0]));
    QCOMPARE(image.pixel(plot.right(), major[0]), Rgb(kGrid));
}

void StripChartTest::aChannelSwitchedOffIsAbsent() {
    Rig rig({100, 300, 500, 700, 900, 1000});
    rig.station.form().ChartEN_CH[1].Checked = false;
    rig.station.chart().Redraw();
    QImage image = Render(*rig.chart);
    auto count = [&](Color color) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == Rgb(color);
        }
        return n;
    };
    QCOMPARE(count(kCurves[1]), 0);
    for (int c : {0, 2, 3, 4, 5}) QVERIFY(count(kCurves[static_cast<std::size_t>(c)]) > 500);

    rig.station.form().ChartEN_CH[1].Checked = true;
    rig.station.chart().Redraw();
    image = Render(*rig.chart);
    QVERIFY(count(kCurves[1]) > 500);
}

void StripChartTest::titleBlanksPushItLeft() {
    StripChart chart;
    chart.resize(665, 534);
    const QImage image = Render(chart);
    const QRect plot = chart.plotRect();
    const QRgb window = image.pixel(2, image.height() - 2);
    int left = image.width(), right = -1;
    for (int y = plot.bottom() + 4; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == window) continue;
            left = std::min(left, x);
            right = std::max(right, x);
        }
    }
    QVERIFY(right > left);
    // Centred with its 62 blanks, the visible words sit well left of centre.
    QVERIFY2(
        (left + right) / 2 < plot.center().x() - 60,
        qPrintable(
            QString("text %1..%2, plot centre %3").arg(left).arg(right).arg(plot.center().x())));
}

// Percent labels "0%" to "100%" beside the horizontal grid lines on the left and on the right;
// below the plot no time values, only the axis title with its 62 blanks.
void StripChartTest::axisLabelsArePercentsOnBothSidesAndTheBottomHasOnlyItsTitle() {
    StripChart chart;
    chart.resize(665, 534);
    chart.setBottomMinimum(23);
    chart.setBottomMaximum(623);
    TextRecorder recorder(chart.size());
    {
        QPainter painter(&recorder);
        chart.paintFixedParts(painter);
    }
    const QRect plot = chart.plotRect();
    const int lineHeight = QFontMetrics(chart.font()).height();
    std::vector<std::pair<double, QString>> left, right;  // baseline, text
    QString bottom;
    for (const TextRecorder::Text& t : recorder.texts) {
        if (t.at.x() >= plot.left() && t.at.x() <= plot.right()) {
            // Nothing is written on the plot itself.
            QVERIFY2(t.at.y() > plot.bottom(), qPrintable(t.text));
            bottom += t.text;
            continue;
        }
        (t.at.x() < plot.left() ? left : right).emplace_back(t.at.y(), t.text);
        // Beside its own grid line.
        const int percent = QString(t.text).remove('%').toInt();
        QVERIFY2(std::abs(t.at.y() - chart.toPixel(23, percent).y()) < lineHeight,
                 qPrintable(t.text));
    }
    const QStringList percents = {"100%", "90%", "80%", "70%", "60%", "50%",
                                  "40%",  "30%", "20%", "10%", "0%"};
    // Top to bottom.
    for (auto* side : {&left, &right}) {
        std::sort(side->begin(), side->end());
        QStringList texts;
        for (const auto& label : *side) texts << label.second;
        QCOMPARE(texts, percents);
    }
    QCOMPARE(bottom, QString("Время, в соответствие с полем \"Шкала Х\"") + QString(62, ' '));
}

void StripChartTest::manyChangesPaintOnce() {
    struct Counter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) ++paints;
            return false;
        }
    } counter;
    StripChart chart;
    chart.resize(665, 534);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    QCoreApplication::processEvents();
    chart.installEventFilter(&counter);
    std::array<float, 600> y{};
    for (int redraw = 0; redraw < 5; ++redraw) {
        chart.setBottomMinimum(redraw);
        chart.setBottomMaximum(redraw + 600);
        for (int c = 0; c < kChannels; ++c) {
            chart.emptySeries(c);
            y.fill(static_cast<float>(redraw * 10 + c));
            chart.setSeries(c, redraw, y, kCurves[static_cast<std::size_t>(c)]);
        }
    }
    QCOMPARE(counter.paints, 0);
    QTRY_COMPARE(counter.paints, 1);
    QTest::qWait(50);
    QCOMPARE(counter.paints, 1);
}

namespace {

// The same state drawn whole with Qt's pens alone, by a chart that has shown nothing before.
QImage WholeRedrawOf(const StripChart& chart) {
    StripChart fresh;
    fresh.setGeometry(chart.geometry());
    const ChartPlot& plot = chart.plot();
    fresh.setBackgroundColor(plot.BackgroundColor());
    fresh.setGridColor(plot.GridColor());
    fresh.setBottomMinimum(plot.BottomMinimum());
    fresh.setBottomMaximum(plot.BottomMaximum());
    for (int c = 0; c < kChannels; ++c) {
        const ChartPlot::Series& s = plot.SeriesOf(c);
        fresh.setSeries(c, s.firstX, std::span<const float>(s.y.data(), std::size_t(s.count)),
                        s.color);
        if (s.count == 0) fresh.emptySeries(c);
    }
    const qreal ratio = fresh.devicePixelRatioF();
    QImage image(fresh.size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    fresh.paintWhole(painter);
    return image;
}

QString FirstDifference(const QImage& a, const QImage& b) {
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) {
                return QString("at %1,%2: %3 instead of %4")
                    .arg(x)
                    .arg(y)
                    .arg(a.pixel(x, y), 0, 16)
                    .arg(b.pixel(x, y), 0, 16);
            }
        }
    }
    return {};
}

}  // namespace

// Run at each screen scale by QT_SCALE_FACTOR (1, 1.25, 1.5, 2): the picture is kept and moved in
// the screen's own pixels at every one.
void StripChartTest::movedPictureEqualsAWholeRedraw() {
    Rig rig({0, 0, 0, 0, 0, 0});
    const qreal scale = qEnvironmentVariableIsSet("QT_SCALE_FACTOR")
                            ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble()
                            : 1.0;
    QCOMPARE(rig.chart->devicePixelRatioF(), scale);
    // Busy curves that cross each other and the grid, on two scales.
    for (std::size_t scale = 0; scale < 2; ++scale) {
        auto code = [&](std::size_t c, std::size_t s) {
            const double phase = double(s) / (9.0 + double(c) * 5) + double(c + scale);
            return std::uint16_t(512 + 500 * std::sin(phase));
        };
        ClosePoints(rig.station, int(scale) + 1, kRingPoints,
                    [&](int slot, SampleCodes& mean, SampleCodes& latest) {
                        for (std::size_t c = 0; c < kChannels; ++c) {
                            mean[c] = code(c, std::size_t(slot));
                            latest[c] = code(c, std::size_t(kRingPoints + slot));
                        }
                    });
    }
    int next = 0;
    // Points closed, then drawn at once; the ring's instant half keeps what it held.
    auto advance = [&](int points) {
        const ScaleRing& ring = rig.station.chart().Live().Ring(1);
        ClosePoints(rig.station, 1, points, [&](int slot, SampleCodes& mean, SampleCodes& latest) {
            for (std::size_t c = 0; c < kChannels; ++c) {
                mean[c] = std::uint16_t((next * 37 + int(c) * 101) % 1024);
                latest[c] = ring.Points[c][std::size_t(kRingPoints + slot)];
            }
            ++next;
        });
        rig.station.chart().DrawScale(1);
    };
    struct Step {
        const char* what;
        std::function<void()> change;
        bool moves;  // drawn by moving the picture rather than whole
    };
    const std::vector<Step> steps = {
        {"first picture", [&] { rig.station.chart().Redraw(); }, false},
        {"one point", [&] { advance(1); }, true},
        {"a tick of two points", [&] { advance(2); }, true},
        {"two ticks unpainted", [&] { advance(2), advance(2); }, true},
        {"a longer pause", [&] { advance(13); }, true},
        {"another span",
         [&] { rig.station.form().RadioGroup_X = 1, rig.station.RadioGroup_XClick(); }, false},
        {"back", [&] { rig.station.form().RadioGroup_X = 0, rig.station.RadioGroup_XClick(); },
         false},
        {"moving again", [&] { advance(3); }, true},
        {"a clear", [&] { rig.station.ButtonChartClearClick(); }, false},
        {"after the clear", [&] { advance(2); }, true},
        {"a curve's colour",
         [&] {
             ChartColors colors = rig.station.chart().Colors();
             colors.CurveColor[2] = 0x123456;
             rig.station.chart().SetColors(colors);
             rig.station.chart().Redraw();
         },
         false},
        {"the background's colour", [&] { rig.chart->setBackgroundColor(0x303000); }, false},
        {"after the colours", [&] { advance(2); }, true},
        {"a channel off",
         [&] { rig.station.form().ChartEN_CH[3].Checked = false, rig.station.ChartEN_Click(4); },
         false},
        {"without it", [&] { advance(2); }, true},
    };
    for (const Step& step : steps) {
        step.change();
        const QImage moved = Render(*rig.chart);
        QCOMPARE(moved.size(), rig.chart->size() * scale);
        QVERIFY2(rig.chart->canvas().Whole() != step.moves, step.what);
        const QString difference = FirstDifference(moved, WholeRedrawOf(*rig.chart));
        QVERIFY2(difference.isEmpty(), qPrintable(QString(step.what) + ": " + difference));
    }
    // Ticks of one to five points as the line brings them, the axis returning to its start
    // every 50 points.
    for (int tick = 0; tick < 40; ++tick) {
        advance(1 + tick % 5);
        const QString difference = FirstDifference(Render(*rig.chart), WholeRedrawOf(*rig.chart));
        QVERIFY2(difference.isEmpty(), qPrintable(QString("tick %1: ").arg(tick) + difference));
    }
}

QTEST_MAIN(StripChartTest)
#include "strip_chart_test.moc"
