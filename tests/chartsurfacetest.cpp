// SPDX-License-Identifier: GPL-3.0-or-later
// The study's charts drawn through a QPainter, as the PDF sheet and a saved
// picture draw them: read back from the painter's calls, they are lines,
// areas and text, never pixels, with text no smaller than 8 pt on paper at
// any size, and the same title and legend as on the canvas. On the canvas:
// the error chart's rounding floor |I|·2^-52 at its height (the logarithms
// worked with mpmath) and the proven errors as dots. And the one notation
// of powers of ten.

#include "canvas/plotcanvas.h"
#include "studywindow/chartcolours.h"
#include "studywindow/chartdrawing.h"
#include "studywindow/chartframe.h"
#include "studywindow/derivativechart.h"
#include "studywindow/errorchart.h"
#include "studywindow/rulechart.h"
#include "studywindow/studytext.h"
#include "tests/pixels.h"
#include "tests/plotcanvastesting.h"

#include <QApplication>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QTest>

#include <climits>
#include <cmath>
#include <set>

using namespace kvadrolab;

namespace {

// Every call a painter makes, kept: what was drawn, in which colour, and
// each text's size on the device.
class RecordingEngine : public QPaintEngine
{
public:
    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}

    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override {}
    Type type() const override { return QPaintEngine::User; }

    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override { ++pictures; }
    void drawImage(const QRectF &, const QImage &, const QRectF &,
                   Qt::ImageConversionFlags) override
    {
        ++pictures;
    }
    void drawTiledPixmap(const QRectF &, const QPixmap &, const QPointF &) override { ++pictures; }
    void drawTextItem(const QPointF &, const QTextItem &item) override
    {
        const QFont font = item.font();
        const double scale = std::sqrt(std::fabs(painter()->combinedTransform().determinant()));
        const double pixels =
            font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * dpi / 72;
        textPoints.push_back(pixels * scale * 72 / dpi);
        texts << item.text();
    }
    void drawPolygon(const QPointF *, int, PolygonDrawMode mode) override
    {
        if (mode == PolylineMode) {
            ++strokes;
            colours.insert(painter()->pen().color().rgb());
        } else {
            ++areas;
            colours.insert(painter()->brush().color().rgb());
        }
    }
    void drawPath(const QPainterPath &) override
    {
        ++areas;
        colours.insert(painter()->brush().color().rgb());
    }
    void drawLines(const QLineF *, int) override
    {
        ++strokes;
        colours.insert(painter()->pen().color().rgb());
    }
    void drawEllipse(const QRectF &) override
    {
        ++areas;
        colours.insert(painter()->brush().color().rgb());
    }
    void drawRects(const QRectF *, int) override { ++areas; }

    int dpi = 720;
    int pictures = 0, strokes = 0, areas = 0;
    std::vector<double> textPoints;
    QStringList texts;
    std::set<QRgb> colours;
};

// A page-like device: its size and resolution, painted through the engine.
class RecordingDevice : public QPaintDevice
{
public:
    RecordingDevice(QSize size, int dpi) : m_size(size) { engine.dpi = dpi; }
    QPaintEngine *paintEngine() const override { return &engine; }
    mutable RecordingEngine engine;

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth:
            return m_size.width();
        case PdmHeight:
            return m_size.height();
        case PdmWidthMM:
            return int(m_size.width() * 25.4 / engine.dpi);
        case PdmHeightMM:
            return int(m_size.height() * 25.4 / engine.dpi);
        case PdmNumColors:
            return INT_MAX;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return engine.dpi;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    QSize m_size;
};

QRgb qrgb(PlotCanvas::Colour c)
{
    return PlotCanvas::toQColor(c).rgb();
}

// f = sin x + 1.5 on [0; 4], four pieces of the midpoint rule.
std::vector<Sample> sineSamples()
{
    std::vector<Sample> s;
    for (int i = 0; i <= 200; ++i)
        s.push_back({4.0 * i / 200, std::sin(4.0 * i / 200) + 1.5});
    return s;
}

std::vector<RulePiece> midpointPieces()
{
    std::vector<RulePiece> pieces;
    for (int k = 0; k < 4; ++k)
        pieces.push_back({double(k), k + 1.0, {k + 0.5}, {std::sin(k + 0.5) + 1.5}});
    return pieces;
}

// |e(n)| = c / n^p for n from 2 to 1000, its bound twice that.
StudyRule curveOf(RuleKind kind, double c, double p)
{
    StudyRule r;
    r.kind = kind;
    for (long n = 2; n <= kStudyCurveLast; ++n) {
        StudyPoint point;
        point.n = n;
        point.absError = c / std::pow(double(n), p);
        point.bound = 2 * *point.absError;
        r.curve.push_back(point);
    }
    return r;
}

// A chart's canvas as the window has it: white, black text.
struct Chart
{
    PlotCanvas canvas;
    explicit Chart(int width = 640, int height = 420)
    {
        canvas.setBackColor(PlotCanvas::rgb(255, 255, 255));
        canvas.setForeColor(PlotCanvas::rgb(0, 0, 0));
        canvas.resize(width, height);
        canvas.show();
        canvas.clear();
    }
    Mapping mapping() const { return PlotCanvasTesting::mapping(canvas); }
    int column(double x) const { return int(std::floor(mapping().toColumn(x))); }
    int row(double y) const { return int(std::floor(mapping().toRow(y))); }
    double devicePixels() const { return canvas.image().devicePixelRatio(); }
};

// Whether the colour lies within `reach` rows of (col, row).
bool colourNear(const QImage &img, int col, int row, int reach, QRgb colour)
{
    for (int r = row - reach; r <= row + reach; ++r)
        if (pixels::is(img, col, r, colour))
            return true;
    return false;
}

constexpr PlotCanvas::Colour kFloor = PlotCanvas::rgb(140, 60, 20);
const QString kFloorLegend = QStringLiteral("округление double ≈ |I|·2^-52");

} // namespace

Q_DECLARE_METATYPE(kvadrolab::ChartDrawing)

class ChartSurfaceTest : public QObject
{
    Q_OBJECT

private slots:
    void paperChartsAreLinesAndText_data();
    void paperChartsAreLinesAndText();
    void roundingFloorAtItsHeight_data();
    void roundingFloorAtItsHeight();
    void provenErrorsAreDotsBelowTheFloor();
    void powersWithSuperscripts_data();
    void powersWithSuperscripts();
    void chartNumbersWritePowersOfTen_data();
    void chartNumbersWritePowersOfTen();
};

void ChartSurfaceTest::paperChartsAreLinesAndText_data()
{
    QTest::addColumn<ChartDrawing>("drawing");
    QTest::addColumn<double>("millimetres");
    QTest::addColumn<QList<QRgb>>("colours");
    const ChartDrawing rule = [](ChartSurface &s) {
        return bool(drawRuleOnF(s, RuleKind::Midpoint, 4, midpointPieces(), sineSamples(), 0, 4));
    };
    const ChartDrawing errors = [](ChartSurface &s) {
        return bool(drawErrorCurves(
            s, {curveOf(RuleKind::Trapezoid, 0.1, 2), curveOf(RuleKind::Boole, 0.1, 6)}, M_PI));
    };
    const ChartDrawing derivatives = [](ChartSurface &s) {
        const DerivativePanel f{sineSamples(), std::nullopt, QString()};
        const DerivativePanel second{sineSamples(), DerivativeMax{2, 2.5, 2.5, M_PI / 2},
                                     QStringLiteral("M2 = 2,5")};
        return bool(drawDerivatives(s, 0, 4, f, second, second));
    };
    const QList<QRgb> ruleColours = {qrgb(kStudyFunctionColour),
                                     qrgb(ruleColour(RuleKind::Midpoint))};
    const QList<QRgb> errorColours = {qrgb(ruleColour(RuleKind::Trapezoid)),
                                      qrgb(ruleColour(RuleKind::Boole)), qrgb(kFloor)};
    const QList<QRgb> derivativeColours = {qrgb(kStudyFunctionColour), qRgb(0, 158, 115),
                                           qRgb(213, 94, 0)};
    QTest::newRow("rule, text width") << rule << 180.0 << ruleColours;
    QTest::newRow("rule, a third of it") << rule << 60.0 << ruleColours;
    QTest::newRow("errors, text width") << errors << 180.0 << errorColours;
    QTest::newRow("errors, a third of it") << errors << 60.0 << errorColours;
    QTest::newRow("derivatives, text width") << derivatives << 180.0 << derivativeColours;
}

void ChartSurfaceTest::paperChartsAreLinesAndText()
{
    QFETCH(ChartDrawing, drawing);
    QFETCH(double, millimetres);
    QFETCH(QList<QRgb>, colours);
    constexpr int dpi = 720;
    const double width = millimetres / 25.4 * dpi;
    const QRectF rect(dpi / 2.0, dpi / 2.0, width, width / 1.4);
    RecordingDevice page(QSize(int(width) + dpi, int(width) + dpi), dpi);
    QStringList printed;
    {
        QPainter painter(&page);
        printed = paintChartOnPaper(painter, rect, dpi, drawing);
    }
    const RecordingEngine &e = page.engine;
    QCOMPARE(e.pictures, 0);
    QVERIFY(e.strokes > 10);
    QVERIFY(!e.textPoints.empty());
    // A line set in more than one font (a sign the font lacks) comes as
    // several items: at least one item a line.
    QVERIFY(e.texts.size() >= printed.size());
    for (std::size_t i = 0; i < e.textPoints.size(); ++i)
        QVERIFY2(e.textPoints[i] >= 8 && e.textPoints[i] <= 12,
                 qPrintable(QStringLiteral("%1: %2 pt").arg(e.texts[int(i)]).arg(e.textPoints[i])));
    for (const QRgb c : colours)
        QVERIFY2(e.colours.count(c), qPrintable(QString::number(c, 16)));
    // The canvas says the same title first, and every line of the legend the
    // paper has: one drawing, two surfaces.
    Chart screen(700, 500);
    CanvasSurface surface(screen.canvas);
    QVERIFY(drawing(surface));
    const QStringList shown = screen.canvas.printedLines();
    QCOMPARE(printed.first(), shown.first());
    for (const QString &legend : shown)
        if (legend.contains(QLatin1Char(' ')) && !legend.contains(QLatin1Char('=')))
            QVERIFY2(printed.contains(legend), qPrintable(legend));
}

// The floor's logarithm, log10(|I|) - 52 log10(2), with mpmath:
// mp.log10(mp.pi) - 52*mp.log10(2) and so on.
void ChartSurfaceTest::roundingFloorAtItsHeight_data()
{
    QTest::addColumn<double>("integral");
    QTest::addColumn<double>("floorLog");
    QTest::newRow("x sin x on [0; pi]: I = pi") << M_PI << -15.156409905;
    QTest::newRow("the other way: I = -pi") << -M_PI << -15.156409905;
    QTest::newRow("I = 1e-3") << 1e-3 << -18.653559774;
    QTest::newRow("I = 1e6") << 1e6 << -9.653559774;
}

void ChartSurfaceTest::roundingFloorAtItsHeight()
{
    QFETCH(double, integral);
    QFETCH(double, floorLog);
    Chart c;
    // Errors from 2.5e-2 down to 1e-7: the floor widens the scale to itself.
    QVERIFY(drawErrorCurves(c.canvas, {curveOf(RuleKind::Trapezoid, 0.1, 2)}, integral));
    const QImage img = c.canvas.image();
    const int row = c.row(floorLog);
    const int reach = int(2 * c.devicePixels());
    // Across the plot area, at n = 10 and n = 100, and nowhere far above or
    // below it there.
    for (const double n : {1.0, 2.0}) {
        QVERIFY(colourNear(img, c.column(n), row, reach, qrgb(kFloor)));
        QVERIFY(!colourNear(img, c.column(n), row - 4 * reach, reach, qrgb(kFloor)));
        QVERIFY(!colourNear(img, c.column(n), row + 4 * reach, reach, qrgb(kFloor)));
    }
    QVERIFY(c.canvas.printedLines().contains(withSuperscripts(kFloorLegend)));
    QVERIFY(c.canvas.printedLines().contains(
        QStringLiteral("фактическая ошибка |e(n)| (сумма в double)")));

    // With I = 0 there is no floor to draw: no line, no legend.
    Chart zero;
    QVERIFY(drawErrorCurves(zero.canvas, {curveOf(RuleKind::Trapezoid, 0.1, 2)}, 0.0));
    QCOMPARE(pixels::count(zero.canvas.image(), qrgb(kFloor)), 0);
    QVERIFY(!zero.canvas.printedLines().contains(withSuperscripts(kFloorLegend)));
}

void ChartSurfaceTest::provenErrorsAreDotsBelowTheFloor()
{
    // Boole's rule whose double errors stop at 1e-15 while its proven errors
    // go on down: 1e-18 at n = 1000, under the floor of I = pi (1.4e-16); at
    // n = 100 an enclosure that holds 0, which proves no error to draw.
    StudyRule r = curveOf(RuleKind::Boole, 1e-6, 1);
    for (StudyPoint &p : r.curve) {
        if (p.n != 10 && p.n != 100 && p.n != 1000)
            continue;
        const double e = p.n == 100 ? 1e-12 : 1e-14 * std::pow(10.0, -double(p.n == 1000) * 4);
        ExactRuleValue exact{};
        exact.error.mid = e;
        exact.error.rad = p.n == 100 ? 2e-12 : e / 100;
        exact.error.lower = e - exact.error.rad;
        exact.error.upper = e + exact.error.rad;
        p.exact = exact;
    }
    Chart c;
    QVERIFY(drawErrorCurves(c.canvas, {r}, M_PI));
    const QImage img = c.canvas.image();
    const QRgb boole = qrgb(ruleColour(RuleKind::Boole));
    const int reach = int(2 * c.devicePixels());
    QVERIFY(c.row(-18) > c.row(-15.156409905));
    QVERIFY(colourNear(img, c.column(3), c.row(-18), reach, boole));
    QVERIFY(colourNear(img, c.column(1), c.row(-14), reach, boole));
    QVERIFY(!colourNear(img, c.column(2), c.row(-12), 2 * reach, boole));
    QVERIFY(c.canvas.printedLines().contains(
        QStringLiteral("доказанная ошибка |e(n)| (точные узлы, Arb)")));
    // Without proven errors the legend does not name them.
    Chart plain;
    QVERIFY(drawErrorCurves(plain.canvas, {curveOf(RuleKind::Boole, 1e-6, 1)}, M_PI));
    QVERIFY(!plain.canvas.printedLines().contains(
        QStringLiteral("доказанная ошибка |e(n)| (точные узлы, Arb)")));
}

void ChartSurfaceTest::powersWithSuperscripts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("set");
    QTest::newRow("a decade") << "10^-6" << QStringLiteral("10⁻⁶");
    QTest::newRow("a positive one") << "10^12" << QStringLiteral("10¹²");
    QTest::newRow("the floor's legend")
        << kFloorLegend << QStringLiteral("округление double ≈ |I|·2⁻⁵²");
    QTest::newRow("a caption with a real minus")
        << QStringLiteral("−1,19·10^−9") << QStringLiteral("−1,19·10⁻⁹");
    QTest::newRow("no power") << "b = 6"
                              << "b = 6";
}

void ChartSurfaceTest::powersWithSuperscripts()
{
    QFETCH(QString, text);
    QFETCH(QString, set);
    const QFont font = paperChartFont(12);
    const QFontMetricsF metrics(font);
    if (!metrics.inFontUcs4(0x207B) || !metrics.inFontUcs4(0x2076))
        QSKIP("the font has no superscript signs");
    QCOMPARE(withSuperscripts(text, font), set);
}

void ChartSurfaceTest::chartNumbersWritePowersOfTen_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("shown");
    const QString sep = QLocale().decimalPoint();
    QTest::newRow("large") << 1.19e9 << QStringLiteral("1%1 19·10^9").arg(sep).remove(' ');
    QTest::newRow("small, negative")
        << -2.5e-7 << QStringLiteral("−2%1 5·10^−7").arg(sep).remove(' ');
    QTest::newRow("plain") << 0.04979 << QStringLiteral("0%1 04979").arg(sep).remove(' ');
    QTest::newRow("negative plain") << -1.5 << QStringLiteral("−1%1 5").arg(sep).remove(' ');
}

void ChartSurfaceTest::chartNumbersWritePowersOfTen()
{
    QFETCH(double, value);
    QFETCH(QString, shown);
    // Set as the window sets every power of ten: in superscripts where the
    // application's font has them (powersWithSuperscripts checks those).
    QCOMPARE(chartNumber(value), withSuperscripts(shown));
}

QTEST_MAIN(ChartSurfaceTest)
#include "chartsurfacetest.moc"
