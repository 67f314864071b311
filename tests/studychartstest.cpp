// SPDX-License-Identifier: GPL-3.0-or-later
// The study's three pictures, read back from their pixels: shapes and their
// shading where plane geometry puts them, errors at their decades, a legend
// entry in each rule's colour, maxima at their places, and refusals that leave
// nothing drawn. The inputs are built by hand: pieces with known shapes,
// curves with known points. And what the pictures are given, worked out from
// f: the rule's pieces through its nodes, whose integrals are the rule's
// shares, and the samples of f and its derivatives against their closed forms.

#include "canvas/plotcanvas.h"
#include "expression/evaluator.h"
#include "expression/parser.h"
#include "studywindow/chartcolours.h"
#include "studywindow/chartframe.h"
#include "studywindow/chartsamples.h"
#include "studywindow/derivativechart.h"
#include "studywindow/errorchart.h"
#include "studywindow/rulechart.h"
#include "studywindow/studytext.h"
#include "tests/pixels.h"
#include "tests/plotcanvastesting.h"
#include "tests/refusalprint.h"

#include <QApplication>
#include <QDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

using namespace kvadrolab;

Q_DECLARE_METATYPE(kvadrolab::RuleKind)

namespace {

constexpr QRgb kWhite = 0xffffffff;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

QRgb qrgb(PlotCanvas::Colour c)
{
    return PlotCanvas::toQColor(c).rgb();
}

// kRuleShadeShare of the way from white to the colour: the shading under a
// shape.
QRgb shadeOf(PlotCanvas::Colour c)
{
    const QColor q = PlotCanvas::toQColor(c);
    const auto part = [](int v) { return int(std::lround(255 + (v - 255) * kRuleShadeShare)); };
    return qRgb(part(q.red()), part(q.green()), part(q.blue()));
}

// A study chart's canvas as the window will have it: white, black text.
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
    QImage image() const { return canvas.image(); }
    Mapping mapping() const { return PlotCanvasTesting::mapping(canvas); }
    // The user point at a pixel's centre under the scale last set.
    double xAt(int col) const
    {
        const Mapping m = mapping();
        return m.x1 + (col + 0.5) / m.width * (m.x2 - m.x1);
    }
    double yAt(int row) const
    {
        const Mapping m = mapping();
        return m.y1 + (row + 0.5) / m.height * (m.y2 - m.y1);
    }
    // The pixel of a user point.
    int column(double x) const { return int(std::floor(mapping().toColumn(x))); }
    int row(double y) const { return int(std::floor(mapping().toRow(y))); }
    double devicePixels() const { return canvas.image().devicePixelRatio(); }
};

std::vector<Sample> samplesOf(const std::function<double(double)> &f, double a, double b, int count)
{
    std::vector<Sample> s;
    for (int i = 0; i < count; ++i) {
        const double x = a + (b - a) * i / (count - 1);
        s.push_back({x, f(x)});
    }
    return s;
}

RulePiece pieceOf(double from, double to, std::vector<double> x,
                  const std::function<double(double)> &f)
{
    RulePiece p{from, to, std::move(x), {}};
    for (const double v : p.x)
        p.y.push_back(f(v));
    return p;
}

// The curve of one rule: |e(n)| = c / n^p for every n from first to 1000,
// with the bound twice the error (or none).
StudyRule ruleWithCurve(RuleKind kind, double c, double p, long first = 2, bool bound = true)
{
    StudyRule r;
    r.kind = kind;
    for (long n = first; n <= kStudyCurveLast; ++n) {
        StudyPoint point;
        point.n = n;
        point.absError = c / std::pow(double(n), p);
        if (bound)
            point.bound = 2 * *point.absError;
        r.curve.push_back(point);
    }
    return r;
}

// Horizontal runs of at least `length` pixels of the colour in rows
// [fromRow; toRow).
int runsOf(const QImage &img, QRgb colour, int fromRow, int toRow, int length)
{
    int runs = 0;
    for (int r = std::max(0, fromRow); r < std::min(toRow, img.height()); ++r) {
        int run = 0;
        for (int c = 0; c < img.width(); ++c) {
            run = pixels::is(img, c, r, colour) ? run + 1 : 0;
            runs += run == length;
        }
    }
    return runs;
}

using Shape = std::function<double(double)>;

Program parsed(const char *text)
{
    auto program = parseExpression(text);
    if (!program)
        qFatal("no expression: %s", text);
    return *program;
}

bool near(double v, double expected, double relative, double absolute = 0)
{
    return std::fabs(v - expected) <= relative * std::fabs(expected) + absolute;
}

QString text(double v)
{
    return QString::number(v, 'g', 17);
}

} // namespace

class TestStudyCharts : public QObject
{
    Q_OBJECT

private slots:
    void rectangleShadesExactlyTheAreaUnderIt();
    void topEdgeFollowsTheShape_data();
    void topEdgeFollowsTheShape();
    void nodesAreMarkedWhereTheyCanBeSeen();
    void thousandPiecesDrawQuicklyWithoutClutter();
    void otherChartsDrawQuickly();
    void errorLandsOnItsDecadeCrossing();
    void legendNamesEveryRuleInItsColour();
    void absentErrorsAndBoundsAreLeftOut();
    void maximaAreMarkedAtTheirPlaces();
    void panelThatCannotBeDrawnSaysSo();
    void refusalsLeaveTheCanvasClear_data();
    void refusalsLeaveTheCanvasClear();
    void reversedIntervalNamesItsEnds();
    void tinyCanvasDrawsWithoutHarm_data();
    void tinyCanvasDrawsWithoutHarm();
    void roundTicksBetweenTheEnds_data();
    void roundTicksBetweenTheEnds();

    void piecesPassThroughTheirNodes_data();
    void piecesPassThroughTheirNodes();
    void pieceNodesKnownValues();
    void piecesRefusals_data();
    void piecesRefusals();
    void derivativeSamples();

    void savePicturesForLooking();
};

void TestStudyCharts::rectangleShadesExactlyTheAreaUnderIt()
{
    // The midpoint rule at n = 1 on [0; 1] with f = 3 - x^2 / 2 above it:
    // its rectangle has the height 2 and nothing else is drawn inside it but
    // the node at its top.
    Chart c;
    const Shape f = [](double x) { return 3 - x * x / 2; };
    const std::vector<RulePiece> pieces = {{0, 1, {0.5}, {2}}};
    QVERIFY(drawRuleOnF(c.canvas, RuleKind::Midpoint, 1, pieces, samplesOf(f, 0, 1, 201), 0, 1));
    const QImage img = c.image();
    const QRgb shade = shadeOf(ruleColour(RuleKind::Midpoint));
    const double px = 1 / c.devicePixels(); // one device pixel in logical ones
    const double nodeX = c.mapping().toColumn(0.5), nodeY = c.mapping().toRow(2);
    int shaded = 0, inside = 0;
    for (int row = 0; row < img.height(); ++row)
        for (int col = 0; col < img.width(); ++col) {
            const double x = c.xAt(col), y = c.yAt(row);
            // Above the values' range (3 and a little room) is the legend,
            // with its own sample of the shading.
            if (y > 3.2)
                continue;
            const bool isShade = pixels::is(img, col, row, shade);
            shaded += isShade;
            // Every shaded pixel lies in the rectangle [0; 1) x (0; 2].
            if (isShade && !(x >= 0 && x < 1 && y > 0 && y <= 2))
                QFAIL(qPrintable(QStringLiteral("shade outside at %1, %2").arg(col).arg(row)));
            // Every pixel of the rectangle is shaded, but for its outline (3
            // device pixels wide at most), the axis under it and the node.
            const double fromEdge = std::min({c.mapping().toColumn(x) - c.mapping().toColumn(0),
                                              c.mapping().toColumn(1) - c.mapping().toColumn(x),
                                              c.mapping().toRow(y) - c.mapping().toRow(2),
                                              c.mapping().toRow(0) - c.mapping().toRow(y)});
            const bool nearNode = std::hypot(col + 0.5 - nodeX, row + 0.5 - nodeY) < 5 / px;
            if (fromEdge > 3.5 && !nearNode) {
                ++inside;
                if (!isShade)
                    QFAIL(qPrintable(QStringLiteral("unshaded at %1, %2").arg(col).arg(row)));
            }
        }
    QVERIFY(inside > 10000);
    QVERIFY(shaded >= inside);
    // The title and the legend are on the picture itself.
    const QStringList text = c.canvas.printedLines();
    QVERIFY(text.contains(QStringLiteral("Метод средних прямоугольников, n = 1")));
    QVERIFY(text.contains(QStringLiteral("f(x)")));
    QVERIFY(text.contains(QStringLiteral("прямоугольники")));
    QVERIFY(text.contains(QStringLiteral("узлы")));
}

void TestStudyCharts::topEdgeFollowsTheShape_data()
{
    // Pieces whose shapes are known by hand: the outline's top pixel in each
    // column lies on the shape at the column's centre.
    QTest::addColumn<int>("kind");
    QTest::addColumn<RulePiece>("piece");
    QTest::addColumn<Shape>("shape");
    const Shape cube = [](double x) { return x * x * x; };
    QTest::newRow("trapezoid: the chord from 0.5 to 2.5")
        << int(RuleKind::Trapezoid) << RulePiece{0, 1, {0, 1}, {0.5, 2.5}}
        << Shape([](double x) { return 0.5 + 2 * x; });
    QTest::newRow("Simpson: x^2 through 3 nodes")
        << int(RuleKind::Simpson) << RulePiece{0, 2, {0, 1, 2}, {0, 1, 4}}
        << Shape([](double x) { return x * x; });
    QTest::newRow("3/8: x^3 through 4 nodes")
        << int(RuleKind::Simpson38) << pieceOf(0, 1.5, {0, 0.5, 1, 1.5}, cube) << cube;
    // Gauss's two nodes on [0; 2] lie at 1 -+ 1/sqrt(3); with f = 2x there
    // the shape is that line.
    const double g = 1 / std::sqrt(3.0);
    QTest::newRow("Gauss 2: the line through its nodes")
        << int(RuleKind::Gauss2) << RulePiece{0, 2, {1 - g, 1 + g}, {2 - 2 * g, 2 + 2 * g}}
        << Shape([](double x) { return 2 * x; });
}

void TestStudyCharts::topEdgeFollowsTheShape()
{
    QFETCH(int, kind);
    QFETCH(RulePiece, piece);
    QFETCH(Shape, shape);
    Chart c;
    const auto rule = RuleKind(kind);
    // f below the axis, where it crosses no shape.
    const Shape f = [](double) { return -0.3; };
    QVERIFY(drawRuleOnF(c.canvas, rule, 1, {piece}, samplesOf(f, piece.from, piece.to, 101),
                        piece.from, piece.to));
    const QImage img = c.image();
    const QRgb outline = qrgb(ruleColour(rule)), shade = shadeOf(ruleColour(rule));
    const int from = c.column(piece.from) + 4, to = c.column(piece.to) - 4;
    QVERIFY(to - from > 100);
    // The plot area: up to the highest value and its room (6 % of the
    // values' span, here from -0.3 up); the legend is above it.
    const double highest = std::max(shape(piece.from), shape(piece.to));
    const int areaTop = c.row(highest + 0.07 * (highest + 0.3));
    int checked = 0;
    for (int col = from; col <= to; ++col) {
        QList<int> rows = pixels::rowsIn(img, col, outline);
        rows.removeIf([&](int r) { return r < areaTop; });
        // Nodes are drawn as dots over the edge; columns through them are
        // left out.
        bool nearNode = false;
        for (const double x : piece.x)
            nearNode = nearNode || std::abs(col - c.mapping().toColumn(x)) < 6 * c.devicePixels();
        // So is the x axis, drawn over the edge where the shape comes near 0.
        const double expected = c.mapping().toRow(shape(c.xAt(col)));
        if (nearNode || std::abs(expected - c.mapping().toRow(0)) < 3 * c.devicePixels())
            continue;
        QVERIFY2(!rows.isEmpty(), qPrintable(QStringLiteral("no edge in column %1").arg(col)));
        // A line two or three device pixels thick, from the row of the shape
        // down; a steep one spans the rows its column covers.
        const double slope =
            std::abs(c.mapping().toRow(shape(c.xAt(col) + 0.5 * (c.xAt(1) - c.xAt(0)))) - expected);
        QVERIFY2(rows.first() >= std::floor(expected) - slope - 1 && rows.first() <= expected + 1,
                 qPrintable(QStringLiteral("column %1: edge at %2, shape at %3")
                                .arg(col)
                                .arg(rows.first())
                                .arg(expected)));
        // Under the edge, the shading reaches the x axis.
        const int axis = c.row(0);
        const QList<int> shaded = pixels::rowsIn(img, col, shade);
        if (axis - rows.last() > 8) {
            QVERIFY(!shaded.isEmpty());
            QVERIFY(shaded.first() <= rows.last() + 2);
            QVERIFY(shaded.last() >= axis - 1);
        }
        ++checked;
    }
    QVERIFY(checked > 50);
}

void TestStudyCharts::nodesAreMarkedWhereTheyCanBeSeen()
{
    // Gauss with 3 nodes on four pieces: each node a dot of the rule's colour
    // centred on its place, none elsewhere off the shapes.
    Chart c;
    const Shape f = [](double x) { return std::sin(x) + 1.5; };
    const double g = std::sqrt(0.6);
    std::vector<RulePiece> pieces;
    for (int k = 0; k < 4; ++k) {
        const double m = k + 0.5;
        pieces.push_back(pieceOf(k, k + 1, {m - g / 2, m, m + g / 2}, f));
    }
    QVERIFY(drawRuleOnF(c.canvas, RuleKind::Gauss3, 4, pieces, samplesOf(f, 0, 4, 401), 0, 4));
    const QImage img = c.image();
    const QRgb colour = qrgb(ruleColour(RuleKind::Gauss3));
    for (const RulePiece &p : pieces)
        for (std::size_t i = 0; i < p.x.size(); ++i) {
            const int col = c.column(p.x[i]), row = c.row(p.y[i]);
            // The dot covers its centre and a pixel or more round it.
            for (const QPoint d :
                 {QPoint(0, 0), QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)})
                QVERIFY2(
                    pixels::is(img, col + d.x(), row + d.y(), colour),
                    qPrintable(QStringLiteral("node %1 of [%2; %3]").arg(i).arg(p.from).arg(p.to)));
        }
    QVERIFY(c.canvas.printedLines().contains(QStringLiteral("узлы")));
    QVERIFY(c.canvas.printedLines().contains(QStringLiteral("параболы через 3 узла Гаусса")));
}

void TestStudyCharts::thousandPiecesDrawQuicklyWithoutClutter()
{
    // The trapezoid rule at n = 1000 on [1; 6], as a slider step draws it at
    // the window's size: within the 50 ms a step may take in all.
    Chart c(900, 520);
    const Shape f = [](double x) { return std::pow(std::log(x) / x, 3); };
    const long n = 1000;
    std::vector<RulePiece> pieces;
    for (long k = 0; k < n; ++k) {
        const double x0 = 1 + 5.0 * k / n, x1 = 1 + 5.0 * (k + 1) / n;
        pieces.push_back(pieceOf(x0, x1, {x0, x1}, f));
    }
    const std::vector<Sample> samples = samplesOf(f, 1, 6, 1001);
    QVERIFY(drawRuleOnF(c.canvas, RuleKind::Trapezoid, n, pieces, samples, 1, 6));
    c.canvas.repaint();
    // Too close to be seen apart: no dots and no boundaries, the legend
    // without nodes; the shading is there.
    const QImage img = c.image();
    QVERIFY(!c.canvas.printedLines().contains(QStringLiteral("узлы")));
    // Round values between a and b name the x axis.
    for (const char *x : {"a = 1", "2", "3", "4", "5", "b = 6"})
        QVERIFY2(c.canvas.printedLines().contains(QString::fromLatin1(x)), x);
    QVERIFY(pixels::count(img, shadeOf(ruleColour(RuleKind::Trapezoid))) > 5000);
    QVERIFY(pixels::fullColumns(img, qrgb(ruleColour(RuleKind::Trapezoid)), 4).isEmpty());
}

void TestStudyCharts::otherChartsDrawQuickly()
{
    // The error chart of all nine rules and the three derivative panels at
    // 1000 points each, as the window redraws them on a resize.
    Chart c(900, 560);
    std::vector<StudyRule> rules;
    for (const RuleKind kind : allRules)
        rules.push_back(ruleWithCurve(kind, 1e-3, 2, 1));
    const Shape f = [](double x) { return std::sin(3 * x); };
    const DerivativePanel panel{samplesOf(f, 0, 3, 1000), DerivativeMax{0, 1, 1, 0.5},
                                QStringLiteral("M")};
    QVERIFY(drawErrorCurves(c.canvas, rules));
    c.canvas.repaint();
    QVERIFY(drawDerivatives(c.canvas, 0, 3, panel, panel, panel));
    c.canvas.repaint();
}

void TestStudyCharts::errorLandsOnItsDecadeCrossing()
{
    // |e(n)| = 100 / n^3 gives 1e-4 at n = 100: the curve passes where the
    // grid lines of n = 100 and 10^-4 cross.
    Chart c;
    const StudyRule rule = ruleWithCurve(RuleKind::Trapezoid, 100, 3);
    QVERIFY(drawErrorCurves(c.canvas, {rule}));
    const QImage img = c.image();
    const int col = c.column(2), row = c.row(-4);
    // The grid is where the scale puts those decades...
    const QList<int> gridCols = pixels::fullColumns(img, qrgb(kStudyChartGridColour), 3);
    const QList<int> gridRows = pixels::fullRows(img, qrgb(kStudyChartGridColour), 2);
    QVERIFY2(gridCols.contains(col), qPrintable(QStringLiteral("column %1").arg(col)));
    QVERIFY2(gridRows.contains(row), qPrintable(QStringLiteral("row %1").arg(row)));
    // ... and the curve crosses there.
    const QList<int> rows = pixels::rowsIn(img, col, qrgb(ruleColour(RuleKind::Trapezoid)));
    QVERIFY(!rows.isEmpty());
    QVERIFY2(rows.first() <= row + 1 && rows.last() >= row - 1,
             qPrintable(QStringLiteral("rows %1..%2, expected %3")
                            .arg(rows.first())
                            .arg(rows.last())
                            .arg(row)));
    // The bound, twice the error, lies log10(2) of a decade above it.
    const int boundRow = c.row(-4 + std::log10(2.0));
    bool boundThere = false;
    for (int dc = -3; dc <= 3; ++dc)
        for (const int r : pixels::rowsIn(img, col + dc, qrgb(ruleColour(RuleKind::Trapezoid))))
            boundThere = boundThere || std::abs(r - boundRow) <= 2;
    QVERIFY(boundThere);
    QVERIFY(c.canvas.printedLines().contains(withSuperscripts(QStringLiteral("10^-4"))));
    QVERIFY(c.canvas.printedLines().contains(QStringLiteral("100")));
    QVERIFY(c.canvas.printedLines().contains(QStringLiteral("|e(n)|")));
    QVERIFY(c.canvas.printedLines().contains(QStringLiteral("n")));
}

void TestStudyCharts::legendNamesEveryRuleInItsColour()
{
    // Nine rules at once: above the plot area a sample line of each rule's
    // colour, and each rule's name; in the area, each rule's curve.
    Chart c(900, 560);
    std::vector<StudyRule> rules;
    for (std::size_t k = 0; k < allRules.size(); ++k)
        rules.push_back(ruleWithCurve(allRules[k], std::pow(10.0, -double(k) / 2), 1 + k % 4));
    QVERIFY(drawErrorCurves(c.canvas, rules));
    const QImage img = c.image();
    const int areaTop = pixels::fullRows(img, qrgb(kStudyChartGridColour), 2).first();
    const int sample = int(15 * c.devicePixels());
    for (const RuleKind kind : allRules) {
        const QRgb colour = qrgb(ruleColour(kind));
        QVERIFY2(runsOf(img, colour, 0, areaTop, sample) >= 1,
                 qPrintable(QString::fromStdString(std::to_string(int(kind)))));
        QVERIFY(runsOf(img, colour, areaTop, img.height(), 1) > 50);
    }
    // The nine colours are nine.
    for (std::size_t i = 0; i < kRuleColours.size(); ++i)
        for (std::size_t j = i + 1; j < kRuleColours.size(); ++j)
            QVERIFY(kRuleColours[i] != kRuleColours[j]);
    const QStringList text = c.canvas.printedLines();
    for (const char *name :
         {"левых прямоугольников", "правых прямоугольников", "средних прямоугольников", "трапеций",
          "Симпсона", "Симпсона 3/8", "Буля", "Гаусса, 2 узла", "Гаусса, 3 узла"})
        QVERIFY2(text.contains(QString::fromUtf8(name)), name);
}

void TestStudyCharts::absentErrorsAndBoundsAreLeftOut()
{
    // Boole's rule exact at every n, the trapezoid rule with no bound (M2
    // refused): the legend says so, and only what exists is drawn.
    const StudyRule withErrors = ruleWithCurve(RuleKind::Boole, 1, 4);
    StudyRule exact = withErrors;
    for (StudyPoint &p : exact.curve)
        p.absError.reset();
    StudyRule unbounded = ruleWithCurve(RuleKind::Trapezoid, 1e-2, 2, 2, false);
    // Zeros, infinities and NaN among the values are left out too.
    unbounded.curve[10].absError = 0;
    unbounded.curve[11].absError = std::numeric_limits<double>::infinity();
    unbounded.curve[12].absError = std::numeric_limits<double>::quiet_NaN();
    const QRgb blue = qrgb(ruleColour(RuleKind::Boole));
    const auto inArea = [&](const Chart &c, QRgb colour) {
        const QImage img = c.image();
        const int areaTop = pixels::fullRows(img, qrgb(kStudyChartGridColour), 2).first();
        return runsOf(img, colour, areaTop, img.height(), 1);
    };
    Chart both;
    QVERIFY(drawErrorCurves(both.canvas, {withErrors, unbounded}));
    Chart c;
    QVERIFY(drawErrorCurves(c.canvas, {exact, unbounded}));
    const QStringList text = c.canvas.printedLines();
    QVERIFY(text.contains(QStringLiteral("трапеций (оценка не доказана)")));
    QVERIFY(text.contains(QStringLiteral("Буля (ошибка 0)")));
    QVERIFY(!both.canvas.printedLines().contains(QStringLiteral("Буля (ошибка 0)")));
    // A rule with no curve at all is named, with nothing else to say.
    StudyRule empty;
    empty.kind = RuleKind::Gauss2;
    Chart other;
    QVERIFY(drawErrorCurves(other.canvas, {empty, unbounded}));
    QVERIFY(other.canvas.printedLines().contains(QStringLiteral("Гаусса, 2 узла (нет значений)")));
    // Boole's bound alone, dashed, is drawn: fewer pixels than with its
    // error beside it, yet some.
    QVERIFY(inArea(c, blue) > 50);
    QVERIFY(inArea(c, blue) < inArea(both, blue) * 3 / 4);
    QVERIFY(inArea(c, qrgb(ruleColour(RuleKind::Trapezoid))) > 50);
    // The decades run from Boole's smallest bound, 2e-12 at n = 1000, to its
    // largest, 0.125 at n = 2.
    QVERIFY(text.contains(withSuperscripts(QStringLiteral("10^-12"))));
    QVERIFY(text.contains(QStringLiteral("1")));
    QVERIFY(!text.contains(withSuperscripts(QStringLiteral("10^-13"))));
    QVERIFY(!text.contains(withSuperscripts(QStringLiteral("10^1"))));
}

void TestStudyCharts::maximaAreMarkedAtTheirPlaces()
{
    // f = x^4 on [-1; 2]: |f''| = 12 x^2, largest (48) at x = 2; |f''''| =
    // 24 everywhere, its maximum marked at x = 0.5 as the caller says.
    Chart c(700, 600);
    DerivativePanel f{samplesOf([](double x) { return std::pow(x, 4); }, -1, 2, 301), std::nullopt,
                      QString()};
    DerivativePanel second{samplesOf([](double x) { return 12 * x * x; }, -1, 2, 301),
                           DerivativeMax{2, 48, 48, 2}, QStringLiteral("M2 = 48 при x ≈ 2")};
    DerivativePanel fourth{samplesOf([](double) { return 24.0; }, -1, 2, 301),
                           DerivativeMax{4, 24, 24, 0.5}, QStringLiteral("M4 = 24 при x ≈ 0,5")};
    QVERIFY(drawDerivatives(c.canvas, -1, 2, f, second, fourth));
    const QImage img = c.image();
    // The last panel's scale is the canvas's now: its dot is at (0.5, 24).
    const QRgb mark = qRgb(213, 94, 0);
    QVERIFY(pixels::is(img, c.column(0.5), c.row(24), mark));
    QVERIFY(pixels::is(img, c.column(0.5) + 2, c.row(24), mark));
    // Two dots in the panels, one in the legend: three groups of the colour,
    // and none in f's panel at the top.
    const QList<QPoint> marks = pixels::pixelsOf(img, mark);
    QVERIFY(!marks.isEmpty());
    int dotsBelowLegend = 0;
    int previousRow = -100;
    for (const QPoint &p : marks) {
        dotsBelowLegend += p.y() - previousRow > 3;
        previousRow = p.y();
    }
    QCOMPARE(dotsBelowLegend, 3);
    const QStringList text = c.canvas.printedLines();
    QVERIFY(text.contains(QStringLiteral("M2 = 48 при x ≈ 2")));
    QVERIFY(text.contains(QStringLiteral("M4 = 24 при x ≈ 0,5")));
    QVERIFY(text.contains(QStringLiteral("|f″(x)|")));
}

void TestStudyCharts::panelThatCannotBeDrawnSaysSo()
{
    // |f''''| beyond what the canvas holds and M4 refused: its panel says
    // both, and f and |f''| are drawn.
    Chart c(700, 600);
    DerivativePanel f{samplesOf([](double x) { return x; }, 0, 1, 101), std::nullopt, QString()};
    DerivativePanel second{samplesOf([](double x) { return x * x; }, 0, 1, 101),
                           DerivativeMax{2, 1, 1, 1}, QStringLiteral("M2 = 1 при x ≈ 1")};
    DerivativePanel fourth{samplesOf([](double x) { return 1e300 * (x + 1); }, 0, 1, 101),
                           std::nullopt, QStringLiteral("M4 не доказано: полюс у x ≈ 0")};
    QVERIFY(drawDerivatives(c.canvas, 0, 1, f, second, fourth));
    const QImage img = c.image();
    const QStringList text = c.canvas.printedLines();
    QVERIFY(text.contains(QStringLiteral("M4 не доказано: полюс у x ≈ 0")));
    QVERIFY(text.contains(QStringLiteral("значения не вычислены или слишком велики для рисунка")));
    QVERIFY(pixels::count(img, qrgb(kStudyFunctionColour)) > 100);
    QVERIFY(pixels::count(img, qRgb(0, 158, 115)) > 100);
    // The fourth derivative's colour shows in the legend's sample alone.
    const QList<QPoint> wine = pixels::pixelsOf(img, qRgb(136, 34, 85));
    QVERIFY(!wine.isEmpty());
    QVERIFY(wine.last().y() - wine.first().y() <= 3 * c.devicePixels());
}

void TestStudyCharts::refusalsLeaveTheCanvasClear_data()
{
    using Draw = std::function<Result<void>(PlotCanvas &)>;
    QTest::addColumn<Draw>("draw");
    QTest::addColumn<int>("reason");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Shape line = [](double x) { return x; };
    const auto onF = [=](std::vector<RulePiece> pieces, std::vector<Sample> samples, double a,
                         double b) {
        return Draw([=](PlotCanvas &canvas) {
            return drawRuleOnF(canvas, RuleKind::Trapezoid, 4, pieces, samples, a, b);
        });
    };
    const std::vector<RulePiece> good = {pieceOf(0, 1, {0, 1}, line)};
    const std::vector<Sample> fine = samplesOf(line, 0, 1, 11);
    QTest::newRow("rule: a = b") << onF(good, fine, 1, 1) << int(Reason::EmptyInterval);
    QTest::newRow("rule: a NaN") << onF(good, fine, nan, 1) << int(Reason::BeyondSinglePrecision);
    QTest::newRow("rule: b infinite")
        << onF(good, fine, 0, inf) << int(Reason::BeyondSinglePrecision);
    QTest::newRow("rule: b 1e300")
        << onF(good, fine, 0, 1e300) << int(Reason::BeyondSinglePrecision);
    QTest::newRow("rule: f 1e300")
        << onF(good, samplesOf([](double) { return 1e300; }, 0, 1, 11), 0, 1)
        << int(Reason::BeyondSinglePrecision);
    QTest::newRow("rule: a node's value NaN")
        << onF({RulePiece{0, 1, {0, 1}, {0, nan}}}, fine, 0, 1)
        << int(Reason::BeyondSinglePrecision);
    QTest::newRow("rule: a piece without nodes")
        << onF({RulePiece{0, 1, {}, {}}}, fine, 0, 1) << int(Reason::BeyondSinglePrecision);
    QTest::newRow("rule: nothing to draw")
        << onF({}, samplesOf([=](double) { return nan; }, 0, 1, 11), 0, 1)
        << int(Reason::BeyondSinglePrecision);
    QTest::newRow("rule: 1001 pieces")
        << onF(std::vector<RulePiece>(1001, good.front()), fine, 0, 1)
        << int(Reason::TooManySegments);
    QTest::newRow("rule: a range no float resolves")
        << onF({RulePiece{1, 1 + 1e-12, {1}, {1}}}, {}, 1, 1 + 1e-12)
        << int(Reason::BeyondSinglePrecision);
    const DerivativePanel panel{fine, std::nullopt, QString()};
    const auto derivatives = [=](double a, double b) {
        return Draw(
            [=](PlotCanvas &canvas) { return drawDerivatives(canvas, a, b, panel, panel, panel); });
    };
    QTest::newRow("derivatives: a = b") << derivatives(0, 0) << int(Reason::EmptyInterval);
    QTest::newRow("derivatives: b NaN")
        << derivatives(0, nan) << int(Reason::BeyondSinglePrecision);
    QTest::newRow("derivatives: a -1e300")
        << derivatives(-1e300, 0) << int(Reason::BeyondSinglePrecision);
    const StudyRule rule = ruleWithCurve(RuleKind::Trapezoid, 1, 2);
    QTest::newRow("errors: ten rules") << Draw([=](PlotCanvas &canvas) {
        return drawErrorCurves(canvas, std::vector<StudyRule>(10, rule));
    }) << int(Reason::TooManySegments);
}

void TestStudyCharts::refusalsLeaveTheCanvasClear()
{
    using Draw = std::function<Result<void>(PlotCanvas &)>;
    QFETCH(Draw, draw);
    QFETCH(int, reason);
    Chart c;
    // Something drawn before: a refusal must not leave it, nor half a chart.
    const StudyRule rule = ruleWithCurve(RuleKind::Trapezoid, 1, 2);
    QVERIFY(drawErrorCurves(c.canvas, {rule}));
    QVERIFY(pixels::countNot(c.image(), kWhite) > 0);
    const Result<void> drawn = draw(c.canvas);
    QVERIFY(!drawn);
    QCOMPARE(int(drawn.refusal().reason), reason);
    QCOMPARE(pixels::countNot(c.image(), kWhite), 0);
    QVERIFY(c.canvas.printedLines().isEmpty());
}

void TestStudyCharts::reversedIntervalNamesItsEnds()
{
    // From a = 3 down to b = 1: the picture runs left to right from b, and
    // says which end is which.
    Chart c;
    const Shape f = [](double x) { return x; };
    QVERIFY(drawRuleOnF(c.canvas, RuleKind::Left, 1, {pieceOf(1, 3, {3}, f)},
                        samplesOf(f, 1, 3, 21), 3, 1));
    QVERIFY(c.column(1) < c.column(3));
    const QStringList text = c.canvas.printedLines();
    QVERIFY(text.contains(QStringLiteral("b = 1")));
    QVERIFY(text.contains(QStringLiteral("a = 3")));
    DerivativePanel panel{samplesOf(f, 1, 3, 21), std::nullopt, QString()};
    QVERIFY(drawDerivatives(c.canvas, 3, 1, panel, panel, panel));
    QVERIFY(c.canvas.printedLines().contains(QStringLiteral("b = 1")));
}

void TestStudyCharts::tinyCanvasDrawsWithoutHarm_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("30 x 30") << QSize(30, 30);
    QTest::newRow("a line high") << QSize(600, 12);
    QTest::newRow("a line wide") << QSize(6, 400);
}

void TestStudyCharts::tinyCanvasDrawsWithoutHarm()
{
    // Far too small for captions and legend: whatever is drawn stays in the
    // interior and the call returns.
    QFETCH(QSize, size);
    Chart c(size.width(), size.height());
    const Shape f = [](double x) { return std::sin(x); };
    std::vector<RulePiece> pieces;
    for (int k = 0; k < 10; ++k)
        pieces.push_back(pieceOf(k * 0.3, (k + 1) * 0.3, {k * 0.3, (k + 1) * 0.3}, f));
    (void)drawRuleOnF(c.canvas, RuleKind::Trapezoid, 10, pieces, samplesOf(f, 0, 3, 50), 0, 3);
    (void)drawErrorCurves(c.canvas, {ruleWithCurve(RuleKind::Simpson, 1e-300, 4)});
    DerivativePanel panel{samplesOf(f, 0, 3, 50), DerivativeMax{0, 1, 1, 1.5}, QStringLiteral("M")};
    (void)drawDerivatives(c.canvas, 0, 3, panel, panel, panel);
    QCOMPARE(c.image().size(), c.canvas.interiorPixels());
}

void TestStudyCharts::roundTicksBetweenTheEnds_data()
{
    QTest::addColumn<double>("lo");
    QTest::addColumn<double>("hi");
    QTest::addColumn<double>("pixels");
    QTest::addColumn<QList<double>>("ticks");
    // 600 pixels at one tick per 100: six wanted, a round step at least
    // (hi - lo) / 6.
    QTest::newRow("[1; 6]: every 1") << 1.0 << 6.0 << 600.0 << QList<double>{2, 3, 4, 5};
    QTest::newRow("[0; 1]: every 0.2") << 0.0 << 1.0 << 600.0 << QList<double>{0.2, 0.4, 0.6, 0.8};
    QTest::newRow("[-1; 1]: 0 itself") << -1.0 << 1.0 << 400.0 << QList<double>{-0.5, 0, 0.5};
    QTest::newRow("[0.001; 0.0012]: every 5e-5")
        << 0.001 << 0.0012 << 400.0 << QList<double>{0.00105, 0.0011, 0.00115};
    QTest::newRow("[0; 1e300]: every 2e299")
        << 0.0 << 1e300 << 600.0 << QList<double>{2e299, 4e299, 6e299, 8e299};
    QTest::newRow("too narrow for one") << 0.0 << 1.0 << 50.0 << QList<double>{};
    QTest::newRow("empty range") << 2.0 << 2.0 << 600.0 << QList<double>{};
    QTest::newRow("no finite span") << -1e308 << 1e308 << 600.0 << QList<double>{};
}

void TestStudyCharts::roundTicksBetweenTheEnds()
{
    QFETCH(double, lo);
    QFETCH(double, hi);
    QFETCH(double, pixels);
    QFETCH(QList<double>, ticks);
    const std::vector<double> got = roundTicks(lo, hi, pixels, 100);
    QCOMPARE(qsizetype(got.size()), ticks.size());
    for (qsizetype i = 0; i < ticks.size(); ++i)
        QVERIFY2(std::fabs(got[i] - ticks[i]) <= 1e-12 * std::fabs(hi - lo),
                 qPrintable(QString::number(got[i])));
}

// ---- What the pictures draw: the rule's pieces and the samples of f ----

void TestStudyCharts::piecesPassThroughTheirNodes_data()
{
    QTest::addColumn<RuleKind>("kind");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<long>("n");
    for (const RuleKind kind : allRules) {
        QTest::addRow("%s [1;6] n=12", ruleInfo(kind).name) << kind << 1.0 << 6.0 << 12L;
        QTest::addRow("%s [6;1] n=12", ruleInfo(kind).name) << kind << 6.0 << 1.0 << 12L;
        QTest::addRow("%s [1;6] n=996", ruleInfo(kind).name) << kind << 1.0 << 6.0 << 996L;
    }
}

void TestStudyCharts::piecesPassThroughTheirNodes()
{
    QFETCH(RuleKind, kind);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(long, n);
    const Program f = parsed("(ln(x)/x)^3");
    const auto pieces = rulePieces(f, kind, a, b, n);
    QVERIFY(pieces.ok());
    const long group = ruleInfo(kind).countMultiple;
    const RuleKind drawn = a < b                     ? kind
                           : kind == RuleKind::Left  ? RuleKind::Right
                           : kind == RuleKind::Right ? RuleKind::Left
                                                     : kind;
    QCOMPARE(long(pieces->size()), n / group);
    QCOMPARE(pieces->front().from, std::min(a, b));
    QCOMPARE(pieces->back().to, std::max(a, b));
    // Five Gauss points integrate each piece's polynomial (degree <= 4) exactly.
    const double g[] = {0, 0.5384693101056831, 0.9061798459386640};
    const double w[] = {0.5688888888888889, 0.4786286704993665, 0.2369268850561891};
    double total = 0;
    for (std::size_t i = 0; i < pieces->size(); ++i) {
        const RulePiece &p = (*pieces)[i];
        if (i > 0)
            QCOMPARE(p.from, (*pieces)[i - 1].to);
        QVERIFY(!p.x.empty() && p.x.size() == p.y.size());
        for (std::size_t j = 0; j < p.x.size(); ++j) {
            QVERIFY(p.from <= p.x[j] && p.x[j] <= p.to);
            QCOMPARE(p.y[j], evaluate(f, p.x[j]));
            QVERIFY(std::fabs(p.shape(p.x[j]) - p.y[j]) <= 1e-15);
        }
        const double c = (p.from + p.to) / 2, h = (p.to - p.from) / 2;
        double area = w[0] * p.shape(c);
        for (int k = 1; k < 3; ++k)
            area += w[k] * (p.shape(c - g[k] * h) + p.shape(c + g[k] * h));
        area *= h;
        // The piece's share is the rule on it alone, at its own group; from
        // b, the left rule's nodes are the right ends and the other way round.
        const double share = *applyRule(drawn, f, p.from, p.to, group);
        QVERIFY2(near(area, share, 1e-12, 1e-17), qPrintable(text(area - share)));
        total += area;
    }
    // The pieces together are the rule's value, drawn from b when b < a.
    const double value = *applyRule(kind, f, a, b, n) * (a < b ? 1 : -1);
    QVERIFY2(near(total, value, 1e-12), qPrintable(text(total - value)));
}

void TestStudyCharts::pieceNodesKnownValues()
{
    // The trapezoid rule at n = 4 on [1;6]: (ln x / x)^3 at the nodes, in
    // 20-digit arithmetic; each chord joins two neighbours.
    const auto p = rulePieces(parsed("(ln(x)/x)^3"), RuleKind::Trapezoid, 1, 6, 4);
    QVERIFY(p.ok());
    const double x[] = {1, 2.25, 3.5, 4.75, 6};
    const double y[] = {0, 0.046816926030651190525, 0.045856677863450119773,
                        0.035297379388731139412, 0.026630871183279293663};
    QCOMPARE(p->size(), std::size_t(4));
    for (std::size_t i = 0; i < 4; ++i) {
        const RulePiece &piece = (*p)[i];
        QCOMPARE(piece.x, (std::vector<double>{x[i], x[i + 1]}));
        QVERIFY(near(piece.y[0], y[i], 1e-15) && near(piece.y[1], y[i + 1], 1e-15));
        // Halfway, the chord is the mean of its ends.
        QVERIFY(near(piece.shape((x[i] + x[i + 1]) / 2), (y[i] + y[i + 1]) / 2, 1e-15));
    }
    // Simpson's parabola over [1; 3,5] through its three nodes, and the
    // left rule's constant at the left end.
    const auto s = rulePieces(parsed("(ln(x)/x)^3"), RuleKind::Simpson, 1, 6, 4);
    QCOMPARE(s->front().x, (std::vector<double>{1, 2.25, 3.5}));
    const auto l = rulePieces(parsed("(ln(x)/x)^3"), RuleKind::Left, 1, 6, 4);
    QCOMPARE(l->back().x, (std::vector<double>{4.75}));
    QVERIFY(near(l->back().shape(6), y[3], 1e-15));
}

void TestStudyCharts::piecesRefusals_data()
{
    QTest::addColumn<QString>("f");
    QTest::addColumn<RuleKind>("kind");
    QTest::addColumn<long>("n");
    QTest::addColumn<Refusal>("why");
    QTest::newRow("simpson 7") << "x" << RuleKind::Simpson << 7L
                               << Refusal{Reason::OddCount, Input::Count};
    QTest::newRow("boole 6") << "x" << RuleKind::Boole << 6L
                             << Refusal{Reason::CountNotMultiple, Input::Count};
    QTest::newRow("trapezoid 1001")
        << "x" << RuleKind::Trapezoid << 1001L << Refusal{Reason::CountOutOfRange, Input::Count};
    // exp(800) is beyond double: the first node from 0,8 on.
    QTest::newRow("overflow at the node") << "exp(1000*x)" << RuleKind::Trapezoid << 10L
                                          << Refusal{Reason::NonFiniteResult, {}, {}, 0.8};
}

void TestStudyCharts::piecesRefusals()
{
    QFETCH(QString, f);
    QFETCH(RuleKind, kind);
    QFETCH(long, n);
    QFETCH(Refusal, why);
    QCOMPARE(rulePieces(parsed(f.toUtf8().constData()), kind, 0, 1, n).refusal(), why);
}

void TestStudyCharts::derivativeSamples()
{
    // f'' of exp(2x) is 4 e^(2x), f'''' 16 e^(2x); the ends are samples.
    const Program e = parsed("exp(2*x)");
    for (const int order : {0, 2, 4}) {
        const auto s = kvadrolab::derivativeSamples(e, 1, 0, order, 11);
        QCOMPARE(s.size(), std::size_t(11));
        QCOMPARE(s.front().x, 0.0);
        QCOMPARE(s.back().x, 1.0);
        for (const Sample &p : s) {
            QVERIFY(p.y);
            QVERIFY(near(*p.y, std::pow(2.0, order) * std::exp(2 * p.x), 1e-15));
        }
    }
    // |f''| of sin is |sin|: the absolute value.
    const auto sine = kvadrolab::derivativeSamples(parsed("sin(x)"), 0, 6, 2, 7);
    for (const Sample &p : sine)
        QVERIFY(near(*p.y, std::fabs(std::sin(p.x)), 1e-15, 1e-300));
    // sqrt has no second derivative at 0: that sample alone is absent.
    const auto root = kvadrolab::derivativeSamples(parsed("sqrt(x)"), 0, 1, 2, 5);
    QCOMPARE(root.size(), std::size_t(5));
    QVERIFY(!root.front().y);
    for (std::size_t i = 1; i < root.size(); ++i)
        QVERIFY(near(*root[i].y, 0.25 * std::pow(root[i].x, -1.5), 1e-15));
    QVERIFY(kvadrolab::derivativeSamples(e, 0, 1, -1, 5).empty());
    QVERIFY(kvadrolab::derivativeSamples(e, 0, kNaN, 2, 5).empty());
}

void TestStudyCharts::savePicturesForLooking()
{
    // With KVADROLAB_CHART_PICTURES naming a folder, the pictures are
    // written there to be looked at; otherwise there is nothing to do.
    const QString folder = qEnvironmentVariable("KVADROLAB_CHART_PICTURES");
    if (folder.isEmpty())
        QSKIP("KVADROLAB_CHART_PICTURES is not set");
    QDir().mkpath(folder);
    const QString suffix = QStringLiteral("-x%1.png").arg(qApp->devicePixelRatio());
    const Shape f = [](double x) { return std::pow(std::log(x) / x, 3); };
    for (const auto &[kind, n, per] :
         {std::tuple{RuleKind::Trapezoid, 8L, 1}, std::tuple{RuleKind::Simpson, 8L, 2},
          std::tuple{RuleKind::Midpoint, 8L, 1}, std::tuple{RuleKind::Boole, 8L, 4},
          std::tuple{RuleKind::Gauss3, 6L, 1}, std::tuple{RuleKind::Trapezoid, 1000L, 1},
          std::tuple{RuleKind::Simpson38, 60L, 3}, std::tuple{RuleKind::Left, 100L, 1},
          std::tuple{RuleKind::Gauss2, 200L, 1}}) {
        // The larger counts at the size of a projector's window.
        Chart c(n > 8 && n < 1000 ? 600 : 900, n > 8 && n < 1000 ? 360 : 520);
        std::vector<RulePiece> pieces;
        const long groups = n / per;
        for (long k = 0; k < groups; ++k) {
            const double x0 = 1 + 5.0 * k / groups, x1 = 1 + 5.0 * (k + 1) / groups;
            std::vector<double> nodes;
            if (kind == RuleKind::Midpoint)
                nodes = {(x0 + x1) / 2};
            else if (kind == RuleKind::Left)
                nodes = {x0};
            else if (kind == RuleKind::Gauss2) {
                const double m = (x0 + x1) / 2, h = (x1 - x0) / 2 / std::sqrt(3.0);
                nodes = {m - h, m + h};
            } else if (kind == RuleKind::Gauss3) {
                const double m = (x0 + x1) / 2, h = (x1 - x0) / 2 * std::sqrt(0.6);
                nodes = {m - h, m, m + h};
            } else
                for (int j = 0; j <= per; ++j)
                    nodes.push_back(x0 + (x1 - x0) * j / per);
            pieces.push_back(pieceOf(x0, x1, nodes, f));
        }
        QVERIFY(drawRuleOnF(c.canvas, kind, n, pieces, samplesOf(f, 1, 6, 800), 1, 6));
        QVERIFY(
            c.image().save(folder + QStringLiteral("/rule-%1-%2").arg(int(kind)).arg(n) + suffix));
    }
    {
        Chart c(900, 560);
        std::vector<StudyRule> rules;
        for (std::size_t k = 0; k < allRules.size(); ++k)
            rules.push_back(ruleWithCurve(allRules[k], std::pow(10.0, -double(k) / 2), 1 + k % 4,
                                          1 + long(k % 4), k != 5));
        QVERIFY(drawErrorCurves(c.canvas, rules));
        QVERIFY(c.image().save(folder + QStringLiteral("/errors") + suffix));
        Chart small(600, 360);
        rules.resize(3);
        QVERIFY(drawErrorCurves(small.canvas, rules));
        QVERIFY(small.image().save(folder + QStringLiteral("/errors-small") + suffix));
    }
    {
        Chart c(900, 600);
        // The derivatives by central differences: values to look at.
        const auto d2 = [&](double x) {
            const double h = 1e-3;
            return std::fabs((f(x + h) - 2 * f(x) + f(x - h)) / (h * h));
        };
        const auto d4 = [&](double x) {
            const double h = 1e-2;
            return std::fabs(
                (f(x + 2 * h) - 4 * f(x + h) + 6 * f(x) - 4 * f(x - h) + f(x - 2 * h)) /
                std::pow(h, 4));
        };
        DerivativePanel pf{samplesOf(f, 1, 6, 400), std::nullopt, QString()};
        const std::vector<Sample> s2 = samplesOf(d2, 1, 6, 400);
        const Sample top =
            *std::max_element(s2.begin(), s2.end(), [](auto &l, auto &r) { return *l.y < *r.y; });
        DerivativePanel p2{s2, DerivativeMax{2, *top.y, *top.y, top.x},
                           QStringLiteral("M2 ≈ %1 при x ≈ %2 (для рисунка)")
                               .arg(*top.y, 0, 'g', 3)
                               .arg(top.x, 0, 'g', 3)};
        DerivativePanel p4{samplesOf(d4, 1, 6, 400), std::nullopt,
                           QStringLiteral("M4 не доказано: работа сверх предела")};
        QVERIFY(drawDerivatives(c.canvas, 1, 6, pf, p2, p4));
        QVERIFY(c.image().save(folder + QStringLiteral("/derivatives") + suffix));
    }
}

QTEST_MAIN(TestStudyCharts)
#include "studychartstest.moc"
