// SPDX-License-Identifier: GPL-3.0-or-later
// The plot canvas as the charts use it: its mapping at the edges, clipping,
// colours, text, and what survives clearing and hiding. Everything is checked
// on the pixels of the interior, in device pixels, so the same tests hold at
// any scale factor.

#include "canvas/plotcanvas.h"
#include "tests/pixels.h"
#include "tests/plotcanvastesting.h"

#include <QApplication>
#include <QTest>

#include <cfloat>
#include <cmath>
#include <functional>
#include <limits>
#include <random>

using namespace kvadrolab;
using pixels::countNot;
using pixels::pixelsOf;

namespace {

constexpr QRgb kRed = 0xffff0000;
constexpr QRgb kBlack = 0xff000000;
constexpr QRgb kWhite = 0xffffffff;

// The canvas of a chart: white, black fore colour, a 201 x 121 px interior
// inside its border.
struct Chart
{
    PlotCanvas canvas;
    Chart()
    {
        canvas.setBackColor(PlotCanvas::rgb(255, 255, 255));
        canvas.setForeColor(PlotCanvas::rgb(0, 0, 0));
        canvas.resize(205, 125);
        canvas.show();
        canvas.clear();
    }
    int W() const { return canvas.interiorPixels().width(); }
    int H() const { return canvas.interiorPixels().height(); }
};

} // namespace

class TestCanvas : public QObject
{
    Q_OBJECT

private slots:
    void rgbComposesTwentyFourBits_data();
    void rgbComposesTwentyFourBits();
    void cornersOfTheScale();
    void farEdgeLandsOnLastRowAndColumn();
    void segmentsAreCutAtTheEdges();
    void hugeCoordinatesAreClippedExactly();
    void coordinatesWithoutFloatAreRefused_data();
    void coordinatesWithoutFloatAreRefused();
    void unusableScaleIsRefused();
    void colourOfSegments();
    void clearKeepsScaleAndColours();
    void printTextAtTopLeftAndOneLineDown();
    void printTextAtAChosenPosition_data();
    void printTextAtAChosenPosition();
    void pixelsSurviveHidingAndRepainting();
    void imageFollowsDevicePixelRatio();
    void reducedRunsMatchSegmentBySegment();
    void reductionKeepsSeparateSegmentsApart();
    void axisCellsAgreeWithTheMapping_data();
    void axisCellsAgreeWithTheMapping();
    void polylineMatchesSegmentBySegment_data();
    void polylineMatchesSegmentBySegment();
    void fillCoversThePixelsWhoseCentresLieInside_data();
    void fillCoversThePixelsWhoseCentresLieInside();
    void fillsSideBySideNeitherOverlapNorLeaveGaps();
    void fillOfHugeAndMissingValues();
    void fillLiesOverWhatWasDrawnBefore();
};

void TestCanvas::rgbComposesTwentyFourBits_data()
{
    // The design's order: red in the low byte, blue in the high one, so the
    // hexadecimal value reads blue, green, red.
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::addColumn<PlotCanvas::Colour>("value");
    QTest::addColumn<QColor>("shown");
    QTest::newRow("red") << 255 << 0 << 0 << PlotCanvas::Colour(0x0000ff) << QColor(Qt::red);
    QTest::newRow("green") << 0 << 255 << 0 << PlotCanvas::Colour(0x00ff00) << QColor(Qt::green);
    QTest::newRow("blue") << 0 << 0 << 255 << PlotCanvas::Colour(0xff0000) << QColor(Qt::blue);
    QTest::newRow("black") << 0 << 0 << 0 << PlotCanvas::Colour(0) << QColor(Qt::black);
    QTest::newRow("white") << 255 << 255 << 255 << PlotCanvas::Colour(16777215)
                           << QColor(Qt::white);
    QTest::newRow("1, 2, 3") << 1 << 2 << 3 << PlotCanvas::Colour(197121) << QColor(1, 2, 3);
    QTest::newRow("each byte apart")
        << 0x12 << 0x34 << 0x56 << PlotCanvas::Colour(0x563412) << QColor(0x12, 0x34, 0x56);
}

void TestCanvas::rgbComposesTwentyFourBits()
{
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    QFETCH(PlotCanvas::Colour, value);
    QFETCH(QColor, shown);
    QCOMPARE(PlotCanvas::rgb(red, green, blue), value);
    QCOMPARE(PlotCanvas::toQColor(value), shown);
}

void TestCanvas::cornersOfTheScale()
{
    Chart c;
    QVERIFY(c.canvas.setScale(0, -0.0255, 210, 0));
    // A zero-length segment at each corner sets exactly that corner's pixel.
    QVERIFY(c.canvas.drawLine(0, -0.0255, 0, -0.0255));
    QVERIFY(c.canvas.drawLine(210, 0, 210, 0, PlotCanvas::rgb(255, 0, 0)));
    const QImage img = c.canvas.image();
    QCOMPARE(pixelsOf(img, kBlack), QList<QPoint>{QPoint(0, 0)});
    QCOMPARE(pixelsOf(img, kRed), QList<QPoint>{QPoint(c.W() - 1, c.H() - 1)});
    QCOMPARE(countNot(img, kWhite), 2);
}

void TestCanvas::farEdgeLandsOnLastRowAndColumn()
{
    Chart c;
    QVERIFY(c.canvas.setScale(0, -0.01145, 210, 0));
    // The last grid line of the Simpson chart: 13 additions of the step land a
    // rounding error short of 0, and that line belongs on the bottom row.
    const double step = 0.01145 / 13;
    double y = -0.01145;
    for (int k = 0; k < 13; ++k)
        y += step;
    QVERIFY(y < 0 && y > -1e-17);
    QVERIFY(c.canvas.drawLine(0, y, 210, y));
    const QImage img = c.canvas.image();
    for (int x = 0; x < c.W(); ++x)
        QCOMPARE(img.pixel(x, c.H() - 1), kBlack);
    QCOMPARE(countNot(img, kWhite), c.W());

    // A vertical line at the right end of the x range: the last column.
    Chart d;
    QVERIFY(d.canvas.setScale(10, -0.0255, 200, 0));
    QVERIFY(d.canvas.drawLine(200, -0.0255, 200, 0));
    const QImage right = d.canvas.image();
    for (int row = 0; row < d.H(); ++row)
        QCOMPARE(right.pixel(d.W() - 1, row), kBlack);
    QCOMPARE(countNot(right, kWhite), d.H());
}

void TestCanvas::segmentsAreCutAtTheEdges()
{
    Chart c;
    QVERIFY(c.canvas.setScale(10, -0.0255, 200, 0));
    // Left of the scale: nothing, and that is no error.
    QVERIFY(c.canvas.drawLine(0, -0.0255, 0, 0));
    QCOMPARE(countNot(c.canvas.image(), kWhite), 0);
    // From x = 0 to 210 across the whole width, cut at both edges.
    QVERIFY(c.canvas.drawLine(0, -0.01, 210, -0.01));
    const QImage img = c.canvas.image();
    const QList<QPoint> line = pixelsOf(img, kBlack);
    QCOMPARE(line.size(), c.W());
    const int row = int(std::floor((-0.01f + 0.0255f) / 0.0255f * c.H()));
    for (const QPoint &p : line)
        QCOMPARE(p.y(), row);
    // Below the bottom edge (positive values on a chart of negative ones).
    Chart d;
    QVERIFY(d.canvas.setScale(0, -0.0255, 210, 0));
    QVERIFY(d.canvas.drawLine(10, 0.001, 200, 0.0001));
    QCOMPARE(countNot(d.canvas.image(), kWhite), 0);
    QCOMPARE(d.canvas.currentX(), 200.0);
    QCOMPARE(d.canvas.currentY(), double(0.0001f));
}

void TestCanvas::hugeCoordinatesAreClippedExactly()
{
    Chart c;
    QVERIFY(c.canvas.setScale(0, 0, 100, 100));
    // Horizontal and vertical lines from far outside: one full row and column.
    QVERIFY(c.canvas.drawLine(-1e30, 50, 1e30, 50));
    QVERIFY(c.canvas.drawLine(25, 1e30, 25, -3e38));
    QImage img = c.canvas.image();
    const int row = int(std::floor(0.5 * c.H()));
    const int col = int(std::floor(0.25 * c.W()));
    for (int x = 0; x < c.W(); ++x)
        QCOMPARE(img.pixel(x, row), kBlack);
    for (int y = 0; y < c.H(); ++y)
        QCOMPARE(img.pixel(col, y), kBlack);
    QCOMPARE(countNot(img, kWhite), c.W() + c.H() - 1);

    // One end inside, the other 1e30 away along the diagonal: the visible
    // part is the diagonal from the inside end to the corner.
    c.canvas.clear();
    QVERIFY(c.canvas.drawLine(50, 50, 1e30, 1e30));
    img = c.canvas.image();
    QCOMPARE(img.pixel(c.W() - 1, c.H() - 1), kBlack);
    QCOMPARE(img.pixel(int(0.5 * c.W()), int(0.5 * c.H())), kBlack);
    for (const QPoint &p : pixelsOf(img, kBlack)) {
        const double along = (p.x() + 0.5) / c.W() - (p.y() + 0.5) / c.H();
        QVERIFY2(std::fabs(along) < 2.0 / std::min(c.W(), c.H()), "off the diagonal");
        QVERIFY(p.x() >= int(0.5 * c.W()) - 1);
    }
}

void TestCanvas::coordinatesWithoutFloatAreRefused_data()
{
    QTest::addColumn<double>("x1");
    QTest::addColumn<double>("y2");
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << 5.0;
    QTest::newRow("+inf") << inf << 5.0;
    QTest::newRow("-inf") << 5.0 << -inf;
    QTest::newRow("beyond float") << 1e39 << 5.0;
    QTest::newRow("beyond float, negative") << 5.0 << -3.5e38;
}

void TestCanvas::coordinatesWithoutFloatAreRefused()
{
    QFETCH(double, x1);
    QFETCH(double, y2);
    Chart c;
    QVERIFY(c.canvas.setScale(0, 0, 10, 10));
    QVERIFY(c.canvas.drawLine(1, 1, 2, 2));
    const QImage before = c.canvas.image();
    QVERIFY(!c.canvas.drawLine(x1, 5, 9, y2));
    QVERIFY(!c.canvas.drawLine(x1, 5, 9, y2, PlotCanvas::rgb(255, 0, 0)));
    QCOMPARE(c.canvas.image(), before);
    QCOMPARE(c.canvas.currentX(), 2.0); // the position did not move either
}

void TestCanvas::unusableScaleIsRefused()
{
    Chart c;
    QVERIFY(c.canvas.setScale(0, 0, 10, 10));
    QVERIFY(!c.canvas.setScale(3, 0, 3, 10));
    QVERIFY(!c.canvas.setScale(0, 1e-50, 10, 0)); // y1 becomes 0 in single precision
    QVERIFY(!c.canvas.setScale(0, 0, std::numeric_limits<double>::quiet_NaN(), 10));
    // The previous scale is still in force.
    QVERIFY(c.canvas.drawLine(0, 0, 0, 0));
    QCOMPARE(pixelsOf(c.canvas.image(), kBlack), QList<QPoint>{QPoint(0, 0)});
}

void TestCanvas::colourOfSegments()
{
    Chart c;
    QVERIFY(c.canvas.setScale(0, 0, 10, 10));
    c.canvas.setForeColor(PlotCanvas::rgb(0, 0, 255));
    QVERIFY(c.canvas.drawLine(1, 1, 1, 9));
    QVERIFY(c.canvas.drawLine(5, 1, 5, 9, PlotCanvas::rgb(255, 0, 0)));
    const QImage img = c.canvas.image();
    QCOMPARE(img.pixel(int(0.1 * c.W()), c.H() / 2), 0xff0000ffu);
    QCOMPARE(img.pixel(int(0.5 * c.W()), c.H() / 2), kRed);
}

void TestCanvas::clearKeepsScaleAndColours()
{
    Chart c;
    QVERIFY(c.canvas.setScale(0, -0.0255, 210, 0));
    QVERIFY(c.canvas.drawLine(0, -0.01, 210, -0.01));
    c.canvas.clear();
    QCOMPARE(countNot(c.canvas.image(), kWhite), 0);
    QCOMPARE(c.canvas.currentX(), 0.0);
    QCOMPARE(c.canvas.currentY(), 0.0);
    // Still the chart's scale: x = 210 is the right edge, y = -0.0255 the top.
    QVERIFY(c.canvas.drawLine(210, -0.0255, 210, -0.0255));
    QCOMPARE(pixelsOf(c.canvas.image(), kBlack), QList<QPoint>{QPoint(c.W() - 1, 0)});
}

void TestCanvas::printTextAtTopLeftAndOneLineDown()
{
    PlotCanvas canvas;
    canvas.setFont(QFont(QStringLiteral("Liberation Sans"), 13));
    canvas.resize(141, 37);
    canvas.show();
    canvas.clear();
    const QRgb back = canvas.image().pixel(0, 0);
    canvas.printText(QStringLiteral("0,1804789886"));
    QImage img = canvas.image();
    int top = img.height(), left = img.width();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != back)
                top = std::min(top, y), left = std::min(left, x);
    const qreal dpr = img.devicePixelRatio();
    // The glyphs start within a couple of pixels of the upper-left corner.
    QVERIFY2(top <= 6 * dpr && left <= 3 * dpr,
             qPrintable(QStringLiteral("%1,%2").arg(left).arg(top)));
    QCOMPARE(canvas.accessibleName(), QStringLiteral("0,1804789886"));
    // The next line starts at the left edge, one line height down.
    QCOMPARE(canvas.currentX(), 0.0);
    QCOMPARE(canvas.currentY(), QFontMetricsF(canvas.font()).height());
    canvas.printText(QStringLiteral("-0,0000000339"));
    QCOMPARE(canvas.printedLines(),
             QStringList({QStringLiteral("0,1804789886"), QStringLiteral("-0,0000000339")}));
    canvas.clear();
    QCOMPARE(countNot(canvas.image(), back), 0);
    QVERIFY(canvas.accessibleName().isEmpty());
}

void TestCanvas::printTextAtAChosenPosition_data()
{
    QTest::addColumn<QRectF>("scale"); // x1, y1 and x2, y2 as the rectangle's corners
    QTest::addColumn<QPointF>("at");
    QTest::addColumn<QPointF>("expected"); // the position as a fraction of the interior
    QTest::newRow("y down, centre")
        << QRectF(QPointF(0, 0), QPointF(10, 10)) << QPointF(5, 5) << QPointF(0.5, 0.5);
    QTest::newRow("y up, lower right")
        << QRectF(QPointF(0, 10), QPointF(10, 0)) << QPointF(7, 2.5) << QPointF(0.7, 0.75);
    QTest::newRow("log decades") << QRectF(QPointF(0.3, 3), QPointF(3, -11)) << QPointF(1.65, -4)
                                 << QPointF(0.5, 0.5);
}

void TestCanvas::printTextAtAChosenPosition()
{
    QFETCH(QRectF, scale);
    QFETCH(QPointF, at);
    QFETCH(QPointF, expected);
    Chart c;
    QVERIFY(c.canvas.setScale(scale.left(), scale.top(), scale.right(), scale.bottom()));
    c.canvas.setCurrentX(at.x());
    c.canvas.setCurrentY(at.y());
    QCOMPARE(c.canvas.currentX(), at.x());
    QCOMPARE(c.canvas.currentY(), at.y());
    c.canvas.printText(QStringLiteral("10^-4"));
    const QImage img = c.canvas.image();
    int top = img.height(), left = img.width();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != kWhite)
                top = std::min(top, y), left = std::min(left, x);
    const double dpr = img.devicePixelRatio();
    const double wantX = expected.x() * c.W(), wantY = expected.y() * c.H();
    // The ink starts at the chosen point, give or take the glyphs' own margins.
    QVERIFY2(left >= wantX - 1 && left <= wantX + 3 * dpr && top >= wantY - 1 &&
                 top <= wantY + 6 * dpr,
             qPrintable(QStringLiteral("ink at %1,%2, position %3,%4")
                            .arg(left)
                            .arg(top)
                            .arg(wantX)
                            .arg(wantY)));
    // Then on to the next line, at the left edge (the scale is kept in single
    // precision), as after any printed line.
    QCOMPARE(c.canvas.currentX(), double(float(scale.left())));
    const double lineRows = QFontMetricsF(c.canvas.font()).height() * dpr;
    QVERIFY(std::abs(c.canvas.currentY() -
                     (at.y() + lineRows / c.H() * (scale.bottom() - scale.top()))) < 1e-6);
    // A segment does not start from the position: its ends are its own.
    c.canvas.setCurrentX(scale.right());
    QVERIFY(c.canvas.drawLine(scale.left(), scale.top(), scale.left(), scale.top(),
                              PlotCanvas::rgb(255, 0, 0)));
    QCOMPARE(pixelsOf(c.canvas.image(), kRed), QList<QPoint>{QPoint(0, 0)});
}

void TestCanvas::pixelsSurviveHidingAndRepainting()
{
    Chart c;
    QVERIFY(c.canvas.setScale(0, 0, 10, 10));
    QVERIFY(c.canvas.drawLine(0, 5, 10, 5, PlotCanvas::rgb(255, 0, 0)));
    const QImage drawn = c.canvas.image();
    c.canvas.hide();
    QCoreApplication::processEvents();
    c.canvas.show();
    c.canvas.repaint();
    QCOMPARE(c.canvas.image(), drawn);
    // What the screen shows is the backing image inside the border.
    const QImage shown =
        c.canvas.grab(c.canvas.contentsRect()).toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.size(), drawn.size());
    QCOMPARE(pixelsOf(shown, kRed).size(), c.W());
}

void TestCanvas::imageFollowsDevicePixelRatio()
{
    Chart c;
    const qreal dpr = c.canvas.devicePixelRatioF();
    QCOMPARE(c.canvas.image().devicePixelRatio(), dpr);
    QCOMPARE(c.canvas.interiorPixels(), (c.canvas.contentsRect().size() * dpr));
}

void TestCanvas::reducedRunsMatchSegmentBySegment()
{
    // A long connected polyline, x never going back: the per-column reduction
    // must give exactly the pixels of drawing each segment on its own.
    std::mt19937 random(12345);
    std::uniform_real_distribution<double> dy(-0.02, 0.02);
    std::uniform_real_distribution<double> dx(0.0, 0.004);
    std::vector<QPointF> points{QPointF(-0.1, 0.5)};
    while (points.back().x() < 1.1)
        points.push_back(points.back() + QPointF(dx(random), dy(random)));
    const auto render = [&](bool reduce) {
        Chart c;
        PlotCanvasTesting::setReduceRuns(c.canvas, reduce);
        c.canvas.setScale(0, 0, 1, 1);
        for (std::size_t i = 1; i < points.size(); ++i)
            c.canvas.drawLine(points[i - 1].x(), points[i - 1].y(), points[i].x(), points[i].y());
        return c.canvas.image();
    };
    const QImage reduced = render(true);
    QVERIFY(countNot(reduced, kWhite) > 0);
    QCOMPARE(reduced, render(false));
}

void TestCanvas::reductionKeepsSeparateSegmentsApart()
{
    // Separate grid lines of one colour in a row must not merge into a block.
    Chart c;
    QVERIFY(c.canvas.setScale(0, 0, 10, 10));
    for (int y = 2; y <= 8; y += 2)
        QVERIFY(c.canvas.drawLine(0, y, 10, y, PlotCanvas::rgb(255, 0, 0)));
    // And a polyline that turns back in x keeps both of its branches.
    QVERIFY(c.canvas.drawLine(1, 1, 9, 5));
    QVERIFY(c.canvas.drawLine(9, 5, 1, 9));
    const QImage img = c.canvas.image();
    QCOMPARE(pixelsOf(img, kRed).size() + pixelsOf(img, kBlack).size(),
             std::size_t(countNot(img, kWhite)));
    QCOMPARE(img.pixel(int(0.05 * c.W()), int(0.3 * c.H())), kWhite);
    QCOMPARE(img.pixel(int(0.05 * c.W()), int(0.5 * c.H())), kWhite);
    QCOMPARE(img.pixel(int(0.1 * c.W()), int(0.9 * c.H())), kBlack);
    QCOMPARE(img.pixel(int(0.1 * c.W()), int(0.1 * c.H())), kBlack);
}

// The comparisons that replace the mapping's arithmetic must give its pixel
// and its inside test for every float: near each pixel edge, near the
// interior's edges with their tolerance, and far outside.
void TestCanvas::axisCellsAgreeWithTheMapping_data()
{
    QTest::addColumn<double>("u1");
    QTest::addColumn<double>("u2");
    QTest::addColumn<int>("size");
    QTest::newRow("graph x: 1..6 over 401") << 1.0 << 6.0 << 401;
    QTest::newRow("graph y: -0.05..0 over 225") << double(-0.05f) << 0.0 << 225;
    QTest::newRow("reversed: 0..-0.0255 over 123") << 0.0 << double(-0.0255f) << 123;
    QTest::newRow("one pixel") << 0.0 << 1.0 << 1;
    QTest::newRow("pixels finer than floats") << 1.0 << double(1.0f + 64 * FLT_EPSILON) << 500;
    QTest::newRow("huge range") << -3e38 << 3e38 << 1000;
}

void TestCanvas::axisCellsAgreeWithTheMapping()
{
    QFETCH(double, u1);
    QFETCH(double, u2);
    QFETCH(int, size);
    const AxisCells cells(u1, u2, size);
    const AxisCells::View view = cells.view();
    const auto mapped = [&](float v) { return (double(v) - u1) / (u2 - u1) * size; };
    const double tol = kEdgeTolerance * size;
    std::vector<float> probes{0.0f, -0.0f, FLT_MAX, -FLT_MAX};
    for (int edge = -1; edge <= size + 1; ++edge) {
        float v = float(u1 + (u2 - u1) * edge / size);
        for (int k = 0; k < 8; ++k)
            v = std::nextafter(v, -INFINITY);
        for (int k = 0; k < 16; ++k, v = std::nextafter(v, INFINITY))
            probes.push_back(v);
    }
    std::mt19937 random(7);
    // Finite floats only: the canvas never hands the axis anything else.
    std::uniform_real_distribution<double> anywhere(
        std::max(-double(FLT_MAX), std::min(u1, u2) - std::fabs(u2 - u1)),
        std::min(double(FLT_MAX), std::max(u1, u2) + std::fabs(u2 - u1)));
    for (int k = 0; k < 20000; ++k)
        probes.push_back(float(anywhere(random)));
    int mismatches = 0, near = 0;
    for (const float v : probes) {
        const double c = mapped(v);
        const bool inside = c >= -tol && c <= size + tol;
        const int want = toIndex(c, size);
        const int got = view.cell(v, near);
        near = got;
        mismatches += got != want || view.inside(v) != inside || !view.inCell(v, want);
    }
    QCOMPARE(mismatches, 0);
}

void TestCanvas::polylineMatchesSegmentBySegment_data()
{
    QTest::addColumn<QList<QPointF>>("points");
    QTest::addColumn<bool>("reduce");
    QTest::addColumn<bool>("allDrawable");
    std::mt19937 random(2024);
    const auto walk = [&](double x0, double xEnd, double maxDx, double y0, double maxDy) {
        std::uniform_real_distribution<double> dx(-maxDx / 4, maxDx), dy(-maxDy, maxDy);
        QList<QPointF> p{QPointF(x0, y0)};
        while (p.back().x() < xEnd)
            p << p.back() + QPointF(dx(random), dy(random));
        return p;
    };
    const QList<QPointF> fine = walk(0.01, 0.99, 0.0004, 0.5, 0.003);
    // Wide steps in y carry it across the top and bottom edges many times.
    const QList<QPointF> crossing = walk(-0.2, 1.2, 0.01, 0.5, 0.4);
    QList<QPointF> holed = walk(0, 1, 0.002, 0.5, 0.01);
    holed[holed.size() / 3].setY(1e39);
    holed[holed.size() / 2].setX(-std::numeric_limits<double>::infinity());
    const QList<QPointF> zigzag{{0.1, 0.1}, {0.9, 0.2}, {0.1, 0.3}, {0.1, 0.3}, {0.5, 0.9},
                                {0.5, 0.1}, {1.0, 1.0}, {0.0, 1.0}, {2.0, -1.0}};
    const QList<QPointF> outside{{-1, -1}, {-0.5, 2}, {3, 3}};
    for (const bool reduce : {true, false}) {
        const char *mode = reduce ? "reduced" : "every segment";
        QTest::addRow("fine curve, %s", mode) << fine << reduce << true;
        QTest::addRow("across the edges, %s", mode) << crossing << reduce << true;
        QTest::addRow("points without float, %s", mode) << holed << reduce << false;
        QTest::addRow("turning back, %s", mode) << zigzag << reduce << true;
        QTest::addRow("wholly outside, %s", mode) << outside << reduce << true;
        QTest::addRow("one point, %s", mode) << QList<QPointF>{{0.5, 0.5}} << reduce << true;
    }
}

void TestCanvas::polylineMatchesSegmentBySegment()
{
    QFETCH(QList<QPointF>, points);
    QFETCH(bool, reduce);
    QFETCH(bool, allDrawable);
    Chart bySegment, asRun;
    PlotCanvasTesting::setReduceRuns(bySegment.canvas, false);
    PlotCanvasTesting::setReduceRuns(asRun.canvas, reduce);
    for (Chart *c : {&bySegment, &asRun})
        QVERIFY(c->canvas.setScale(0, 1, 1, 0));
    // Something of another colour already on the canvas must stay apart.
    bySegment.canvas.drawLine(0, 0.5, 1, 0.5, PlotCanvas::rgb(255, 0, 0));
    asRun.canvas.drawLine(0, 0.5, 1, 0.5, PlotCanvas::rgb(255, 0, 0));
    bool everyDrawn = true;
    for (qsizetype i = 1; i < points.size(); ++i)
        everyDrawn &= bySegment.canvas.drawLine(points[i - 1].x(), points[i - 1].y(), points[i].x(),
                                                points[i].y());
    std::vector<double> xs, ys;
    for (const QPointF &p : points)
        xs.push_back(p.x()), ys.push_back(p.y());
    QCOMPARE(asRun.canvas.drawPolyline(xs.data(), ys.data(), xs.size()), allDrawable);
    QCOMPARE(everyDrawn, allDrawable);
    const QImage expected = bySegment.canvas.image();
    const QImage got = asRun.canvas.image();
    QCOMPARE(got, expected);
    QCOMPARE(asRun.canvas.currentX(), bySegment.canvas.currentX());
    QCOMPARE(asRun.canvas.currentY(), bySegment.canvas.currentY());
}

void TestCanvas::fillCoversThePixelsWhoseCentresLieInside_data()
{
    // Shapes over [0; 1] on a scale from (-0.5, 3) to (1.5, -1), with the
    // pixel centres that lie inside them by plane geometry: a centre on an
    // upright edge belongs to the piece on its right, one on the upper edge
    // is in, one on the lower edge out.
    QTest::addColumn<QList<double>>("x");
    QTest::addColumn<QList<double>>("lower");
    QTest::addColumn<QList<double>>("upper");
    using Inside = std::function<bool(double, double)>;
    QTest::addColumn<Inside>("inside");
    QTest::newRow("rectangle y = 2")
        << QList<double>{0, 1} << QList<double>{0, 0} << QList<double>{2, 2}
        << Inside([](double x, double y) { return x >= 0 && x < 1 && y > 0 && y <= 2; });
    QTest::newRow("chord 0.5 to 2.5")
        << QList<double>{0, 1} << QList<double>{0, 0} << QList<double>{0.5, 2.5}
        << Inside([](double x, double y) { return x >= 0 && x < 1 && y > 0 && y <= 0.5 + 2 * x; });
    QTest::newRow("below the axis")
        << QList<double>{0, 1} << QList<double>{-0.75, -0.75} << QList<double>{0, 0}
        << Inside([](double x, double y) { return x >= 0 && x < 1 && y > -0.75 && y <= 0; });
    QTest::newRow("band between two chords")
        << QList<double>{0, 0.5, 1} << QList<double>{0, 1, 0} << QList<double>{2, 2.5, 2}
        << Inside([](double x, double y) {
               const double bottom = x < 0.5 ? 2 * x : 2 - 2 * x;
               const double top = x < 0.5 ? 2 + x : 3 - x;
               return x >= 0 && x < 1 && y > bottom && y <= top;
           });
}

void TestCanvas::fillCoversThePixelsWhoseCentresLieInside()
{
    QFETCH(QList<double>, x);
    QFETCH(QList<double>, lower);
    QFETCH(QList<double>, upper);
    using Inside = std::function<bool(double, double)>;
    QFETCH(Inside, inside);
    Chart c;
    QVERIFY(c.canvas.setScale(-0.5, 3, 1.5, -1));
    QVERIFY(c.canvas.fillBetween(x.data(), lower.data(), upper.data(), x.size(),
                                 PlotCanvas::rgb(255, 0, 0)));
    const QImage img = c.canvas.image();
    int wrong = 0, filled = 0;
    for (int row = 0; row < c.H(); ++row)
        for (int col = 0; col < c.W(); ++col) {
            const double ux = -0.5 + (col + 0.5) / c.W() * 2;
            const double uy = 3 - (row + 0.5) / c.H() * 4;
            const bool red = pixels::is(img, col, row, kRed);
            filled += red;
            wrong += red != inside(ux, uy);
        }
    QVERIFY(filled > 0);
    QCOMPARE(wrong, 0);
    QCOMPARE(countNot(img, kWhite), filled);
}

void TestCanvas::fillsSideBySideNeitherOverlapNorLeaveGaps()
{
    // Rectangles of a composite rule, 7 to a unit so that their edges fall
    // anywhere in a pixel: together they cover what one fill over the whole
    // width covers, each pixel once.
    Chart whole, pieces;
    for (Chart *c : {&whole, &pieces})
        QVERIFY(c->canvas.setScale(0, 1, 1, 0));
    const double x[] = {0, 1}, zero[] = {0, 0}, top[] = {0.5, 0.5};
    QVERIFY(whole.canvas.fillBetween(x, zero, top, 2, PlotCanvas::rgb(255, 0, 0)));
    int covered = 0;
    for (int k = 0; k < 7; ++k) {
        const double px[] = {k / 7.0, (k + 1) / 7.0};
        const PlotCanvas::Colour colour = PlotCanvas::rgb(k * 30, 255 - k * 30, 7 * k);
        QVERIFY(pieces.canvas.fillBetween(px, zero, top, 2, colour));
        covered += pixels::count(pieces.canvas.image(), PlotCanvas::toQColor(colour).rgb());
    }
    QCOMPARE(covered, countNot(whole.canvas.image(), kWhite));
    QCOMPARE(countNot(pieces.canvas.image(), kWhite), covered);
}

void TestCanvas::fillOfHugeAndMissingValues()
{
    Chart c;
    QVERIFY(c.canvas.setScale(0, 100, 100, 0));
    // From far beyond every edge: the whole interior, at once.
    const double farX[] = {-1e30, 3e38}, farLow[] = {-3e38, -1e30}, farHigh[] = {1e30, 3e38};
    QVERIFY(c.canvas.fillBetween(farX, farLow, farHigh, 2));
    QCOMPARE(countNot(c.canvas.image(), kWhite), c.W() * c.H());

    // An end without a float leaves its segments out and says so; the rest
    // is drawn.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const double bad : {nan, inf, 1e39, -1e300}) {
        c.canvas.clear();
        const double x[] = {0, 50, 60, 100}, low[] = {0, 0, 0, 0}, high[] = {10, 10, bad, 10};
        QVERIFY(!c.canvas.fillBetween(x, low, high, 4));
        const QImage img = c.canvas.image();
        QCOMPARE(countNot(img, kWhite), (c.W() / 2) * (c.H() / 10));
        QCOMPARE(pixelsOf(img, kBlack).first(), QPoint(0, c.H() - c.H() / 10));
    }
    // Nothing outside the interior reaches it.
    c.canvas.clear();
    const double x[] = {-50, -1e-3}, low[] = {0, 0}, high[] = {1e30, 1e30};
    QVERIFY(c.canvas.fillBetween(x, low, high, 2));
    QCOMPARE(countNot(c.canvas.image(), kWhite), 0);
}

void TestCanvas::fillLiesOverWhatWasDrawnBefore()
{
    // A curve still pending in the reduced run must end up under a shading
    // drawn after it, not painted over it later.
    Chart c;
    QVERIFY(c.canvas.setScale(0, 1, 1, 0));
    const double cx[] = {0, 0.3, 0.6, 1}, cy[] = {0.5, 0.52, 0.48, 0.5};
    QVERIFY(c.canvas.drawPolyline(cx, cy, 4));
    const double x[] = {0, 1}, low[] = {0, 0}, high[] = {1, 1};
    QVERIFY(c.canvas.fillBetween(x, low, high, 2, PlotCanvas::rgb(255, 0, 0)));
    QCOMPARE(pixels::count(c.canvas.image(), kBlack), 0);
    c.canvas.repaint();
    QCOMPARE(pixels::count(c.canvas.image(), kBlack), 0);
}

QTEST_MAIN(TestCanvas)
#include "canvastest.moc"
