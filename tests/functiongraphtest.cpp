// SPDX-License-Identifier: GPL-3.0-or-later
// The function graph (Int_g): the plot for the steps a user may type, the
// steps it refuses, and the canvas's per-column reduction against drawing
// every segment.

#include "canvas/plotcanvas.h"
#include "core/integrand.h"
#include "core/integrandblock.h"
#include "core/integrandblock_testing.h"
#include "screens/charts.h"
#include "screens/functiongraphwindow.h"
#include "tests/apptest.h"
#include "tests/pixels.h"
#include "tests/plotcanvastesting.h"
#include "tests/testsupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>

#include <cmath>

using namespace kvadrolab;
using kvadrolab::useFKernel;

namespace {

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlack = qRgb(0, 0, 0);

// The integrand written out afresh, for expected positions.
double fByHand(double x)
{
    return std::pow(std::log(x) / x, 3);
}

struct Screen
{
    FunctionGraphWindow window;
    PlotCanvas *canvas;

    Screen() : canvas(window.findChild<PlotCanvas *>(QStringLiteral("Picture2"))) { window.show(); }

    QImage press(const QString &step)
    {
        window.findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(step);
        QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("Command1")),
                          Qt::LeftButton);
        return canvas->image();
    }
    int column(double x) const { return int((x - 1) / 5 * canvas->interiorPixels().width()); }
    int row(double y) const { return int((y + 0.05) / 0.05 * canvas->interiorPixels().height()); }
};

// A canvas the size of the graph's, standing alone.
std::unique_ptr<PlotCanvas> graphCanvas()
{
    auto canvas = std::make_unique<PlotCanvas>();
    canvas->resize(401, 225);
    return canvas;
}

} // namespace

class TestFunctionGraph : public QObject
{
    Q_OBJECT

private:
    QStringList m_messages;
    testsupport::MessageCatcher m_catcher{&m_messages};

private slots:
    void init() { m_messages.clear(); }

    // Five horizontal lines from -0.05 up in steps of 0.01, none at y = 0;
    // vertical ones at x = 1..6 (x = 0 lies outside). The same for every step,
    // a negative one included, whose curve loop does not run at all.
    void grid_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<bool>("curve");
        QTest::newRow("0,001") << "0,001" << true;
        QTest::newRow("1") << "1" << true;
        QTest::newRow("0.5") << "0.5" << true;
        QTest::newRow("10") << "10" << true;
        QTest::newRow("-0,001: grid only") << "-0,001" << false;
        QTest::newRow("-1e300: grid only") << "-1e300" << false;
    }
    void grid()
    {
        QFETCH(QString, step);
        QFETCH(bool, curve);
        Screen s;
        const QImage img = s.press(step);
        const int w = img.width(), h = img.height();
        QCOMPARE(pixels::fullRows(img, kRed),
                 (QList<int>{0, h / 5, 2 * h / 5, 3 * h / 5, 4 * h / 5}));
        QList<int> cols;
        for (int i = 1; i <= 5; ++i)
            cols << (i - 1) * w / 5;
        cols << w - 1;
        QCOMPARE(pixels::fullColumns(img, kRed), cols);
        QCOMPARE(pixels::count(img, kBlack) > 0, curve);
        QVERIFY(m_messages.isEmpty());
    }

    // Segments the loop draws, from the steps' edge cases: the counter adds H
    // from 1 while it is <= 6, so the last segment starts at or before 6.
    void segmentCount_data()
    {
        QTest::addColumn<double>("step");
        QTest::addColumn<long long>("segments");
        QTest::newRow("1: from 1, 2, ..., 6") << 1.0 << 6LL;
        QTest::newRow("0.5: the last from 6 to 6.5") << 0.5 << 11LL;
        QTest::newRow("10: one, from 1 to 11") << 10.0 << 1LL;
        QTest::newRow("0.3: the last from 5.8") << 0.3 << 17LL;
        QTest::newRow("0.001: rounding drift keeps 6 out") << 0.001 << 5000LL;
        QTest::newRow("-0.001: none") << -0.001 << 0LL;
    }
    void segmentCount()
    {
        QFETCH(double, step);
        QFETCH(long long, segments);
        auto canvas = graphCanvas();
        const auto drawn = drawFunctionGraph(*canvas, step);
        QVERIFY(drawn.ok());
        QCOMPARE(*drawn, segments);
    }

    // Where the plot passes: on the chord between two nodes for coarse steps,
    // on the curve itself for the fine default step.
    void passesThrough_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::newRow("1: chord 2..3 at 2.5") << "1" << 2.5 << -(fByHand(2) + fByHand(3)) / 2;
        QTest::newRow("0.5: chord 1..1.5 at 1.25") << "0.5" << 1.25 << -fByHand(1.5) / 2;
        QTest::newRow("0,001: the curve at 2.5") << "0,001" << 2.5 << -fByHand(2.5);
        QTest::newRow("0,001: the curve at 4.5") << "0,001" << 4.5 << -fByHand(4.5);
        QTest::newRow("10: one segment at 3.5") << "10" << 3.5 << -fByHand(11) * 0.25;
    }
    void passesThrough()
    {
        QFETCH(QString, step);
        QFETCH(double, x);
        QFETCH(double, y);
        Screen s;
        const QImage img = s.press(step);
        const QList<int> rows = pixels::rowsIn(img, s.column(x), kBlack);
        QVERIFY(!rows.isEmpty());
        const int expected = s.row(y);
        QVERIFY2(rows.first() - 1 <= expected && expected <= rows.last() + 1,
                 qPrintable(QStringLiteral("rows %1..%2, expected %3")
                                .arg(rows.first())
                                .arg(rows.last())
                                .arg(expected)));
        // A chord lies well away from the curve it cuts across.
        if (step != QLatin1String("0,001") && step != QLatin1String("10"))
            QVERIFY(std::abs(s.row(-fByHand(x)) - expected) > 5);
    }

    // f(1) = 0: the curve starts in the lower-left corner (the grid line at
    // x = 1 covers column 0, so it shows from column 1).
    void startsInLowerLeftCorner()
    {
        Screen s;
        const QImage img = s.press(QStringLiteral("0,001"));
        QCOMPARE(pixels::firstColumn(img, kBlack), 1);
        QCOMPARE(pixels::rowsIn(img, 1, kBlack).last(), img.height() - 1);
    }

    // Step 10: one segment from (1, 0) to (11, -f(11)), cut at the right edge;
    // in the last column before the grid line at 6 it is half-way up to
    // -f(11).
    void cutAtRightEdge()
    {
        Screen s;
        const QImage img = s.press(QStringLiteral("10"));
        const int w = img.width();
        const double x = 1 + 5 * (w - 1.5) / w; // middle of column w - 2
        const QList<int> rows = pixels::rowsIn(img, w - 2, kBlack);
        QVERIFY(!rows.isEmpty());
        QVERIFY(std::abs(rows.first() - s.row(-fByHand(11) * (x - 1) / 10)) <= 1);
        QCOMPARE(pixels::rowsIn(img, w - 1, kBlack), QList<int>{});
    }

    void secondPressGivesSamePicture_data()
    {
        QTest::addColumn<QString>("step");
        QTest::newRow("0,001") << "0,001";
        QTest::newRow("0.5") << "0.5";
        QTest::newRow("-0,001") << "-0,001";
    }
    void secondPressGivesSamePicture()
    {
        QFETCH(QString, step);
        Screen s;
        const QImage first = s.press(step);
        s.press(QStringLiteral("0,37"));
        QCOMPARE(s.press(step), first);
        QCOMPARE(s.press(step), first);
    }

    // Steps that would hang, flood or overflow the plot are refused with one
    // message saying which steps are allowed; the canvas is left cleared.
    void refusedSteps_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("reason");
        QTest::newRow("zero") << "0"
                              << "нулю";
        QTest::newRow("minus zero") << "-0"
                                    << "нулю";
        QTest::newRow("text") << "abc"
                              << "числом";
        QTest::newRow("empty") << ""
                               << "числом";
        QTest::newRow("two separators") << "0,0.1"
                                        << "числом";
        QTest::newRow("1e-7: 50 million segments") << "1e-7"
                                                   << "слишком мал";
        QTest::newRow("5e-7: 10 000 001 segments") << "0,0000005"
                                                   << "слишком мал";
        QTest::newRow("1e-300: x + H == x") << "1e-300"
                                            << "слишком мал";
        QTest::newRow("1e39: first end beyond float") << "1e39"
                                                      << "слишком велик";
        QTest::newRow("1e300") << "1e300"
                               << "слишком велик";
    }
    void refusedSteps()
    {
        QFETCH(QString, step);
        QFETCH(QString, reason);
        Screen s;
        s.press(QStringLiteral("0,001"));
        s.press(step);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages.first().contains(reason), qPrintable(m_messages.first()));
        // 5 / 10^7 and the largest float less 1, in the user's decimal separator.
        const QString bounds =
            QStringLiteral("Допустимый шаг H: больше 0,0000005 и не больше 3,4E+38.")
                .replace(u',', QLocale().decimalPoint());
        QVERIFY2(m_messages.first().contains(bounds), qPrintable(m_messages.first()));
        QVERIFY(testsupport::isBlank(*s.canvas));
        QVERIFY(s.canvas->accessibleDescription().startsWith(QStringLiteral("График не построен")));
    }

    // The limit is on the segments the loop would draw, counted as it counts.
    void segmentLimit_data()
    {
        QTest::addColumn<double>("step");
        QTest::addColumn<bool>("within");
        QTest::newRow("5 / (10^7 - 1): exactly 10^7") << 5.0 / (1e7 - 1) << true;
        QTest::newRow("5e-7: one more") << 5e-7 << false;
        QTest::newRow("0.001") << 0.001 << true;
        QTest::newRow("1e-9") << 1e-9 << false;
    }
    void segmentLimit()
    {
        QFETCH(double, step);
        QFETCH(bool, within);
        QCOMPARE(withinSegmentLimit(step), within);
    }

    void description_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("mention");
        QTest::newRow("0,001") << "0,001"
                               << "отрезков: 5";
        QTest::newRow("1") << "1"
                           << "отрезков: 6";
        QTest::newRow("-0,001") << "-0,001"
                                << "Только сетка";
    }
    void description()
    {
        QFETCH(QString, step);
        QFETCH(QString, mention);
        Screen s;
        QCOMPARE(s.canvas->accessibleDescription(), QStringLiteral("График ещё не построен"));
        s.press(step);
        const QString text = s.canvas->accessibleDescription();
        QVERIFY2(text.contains(mention), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("шаг")));
    }

    // The canvas reduces a run of same-coloured segments to one span per
    // column. Within such a run each column is crossed once, so nothing may
    // change against painting segment by segment.
    void reductionMatchesEverySegment_data()
    {
        QTest::addColumn<double>("step");
        QTest::newRow("0.37") << 0.37;
        QTest::newRow("0.01") << 0.01;
        QTest::newRow("0.001") << 0.001;
        QTest::newRow("0.00001") << 0.00001;
    }
    void reductionMatchesEverySegment()
    {
        QFETCH(double, step);
        auto reduced = graphCanvas();
        auto every = graphCanvas();
        PlotCanvasTesting::setReduceRuns(*every, false);
        reduced->clear();
        every->clear();
        QVERIFY(drawFunctionGraph(*reduced, step).ok());
        QVERIFY(drawFunctionGraph(*every, step).ok());
        const int differing = pixels::differing(reduced->image(), every->image());
        qInfo("step %g: %d pixels differ", step, differing);
        QCOMPARE(differing, 0);
    }

    // The graph as the plain algorithm draws it: scalar f at every point,
    // one drawLine per segment, painted one by one, then the grid. The
    // program's vectorised f and polyline runs must not move a pixel.
    void vectorisedGraphMatchesScalar_data()
    {
        QTest::addColumn<double>("step");
        QTest::addColumn<FKernel>("kernel");
        const std::pair<const char *, FKernel> kernels[] = {
            {"baseline", FKernel::Baseline},
            {"AVX2", FKernel::Avx2},
            {"AVX-512", FKernel::Avx512},
        };
        for (const auto &[name, kernel] : kernels)
            for (const auto &[text, step] :
                 std::initializer_list<std::pair<const char *, double>>{{"1", 1.0},
                                                                        {"0.5", 0.5},
                                                                        {"0,37", 0.37},
                                                                        {"0,01", 0.01},
                                                                        {"0,001", 0.001},
                                                                        {"0,00001", 0.00001},
                                                                        {"0,000001", 0.000001}})
                QTest::addRow("%s, %s", text, name) << step << kernel;
    }
    void vectorisedGraphMatchesScalar()
    {
        QFETCH(double, step);
        QFETCH(FKernel, kernel);
        const FKernel chosen = currentFKernel();
        if (!useFKernel(kernel))
            QSKIP("this processor or system cannot run this kernel");
        const auto restore = qScopeGuard([chosen] { useFKernel(chosen); });
        Screen s;
        s.canvas->setScale(1, -0.05, 6, 0);
        const QSize size = s.canvas->interiorPixels();
        PlotCanvas scalar;
        scalar.resize(s.canvas->size());
        PlotCanvasTesting::setReduceRuns(scalar, false);
        scalar.clear();
        QCOMPARE(scalar.interiorPixels(), size);
        scalar.setScale(1, -0.05, 6, 0);
        long long segments = 0;
        for (double x = 1; x <= 6; x += step, ++segments)
            scalar.drawLine(x, -f(x), x + step, -f(x + step));
        const PlotCanvas::Colour red = PlotCanvas::rgb(255, 0, 0);
        for (int i = 0; i <= 6; ++i)
            scalar.drawLine(i, -0.05, i, 0, red);
        for (double y = -0.05; y <= 0; y += 0.01)
            scalar.drawLine(0, y, 6, y, red);

        const auto drawn = drawFunctionGraph(*s.canvas, step);
        QVERIFY(drawn.ok());
        QCOMPARE(*drawn, segments);
        const QImage expected = scalar.image();
        QVERIFY(pixels::count(expected, kBlack) > 0);
        const int differing = pixels::differing(s.canvas->image(), expected);
        qInfo("step %g: %lld segments, %d of %d pixels differ", step, segments, differing,
              size.width() * size.height());
        QCOMPARE(differing, 0);
    }

    // Against Qt's own aliased polyline through the same points. The canvas
    // takes each end to the pixel it falls in and fills, per column, the rows
    // the line crosses there; QPainter steps along the longer axis and joins
    // the exact points. They choose differently between neighbouring pixels,
    // so many single pixels differ, but none of either picture may lie more
    // than a pixel away from the other's line.
    void comparedWithQPainterPolyline_data()
    {
        QTest::addColumn<double>("step");
        QTest::newRow("0.5") << 0.5;
        QTest::newRow("0.01") << 0.01;
        QTest::newRow("0.001") << 0.001;
    }
    void comparedWithQPainterPolyline()
    {
        QFETCH(double, step);
        auto canvas = graphCanvas();
        canvas->clear();
        canvas->setScale(1, -0.05, 6, 0);
        const QSize size = canvas->interiorPixels();
        QPolygonF exact;
        QPolygon ends;
        const auto add = [&](double x) {
            const double c = (float(x) - 1.0) / 5.0 * size.width();
            const double r = (float(-fByHand(x)) - double(-0.05f)) / double(0.05f) * size.height();
            exact << QPointF(c, r);
            ends << QPoint(std::min(int(c), size.width() - 1), std::min(int(r), size.height() - 1));
        };
        for (double x = 1; x <= 6; x += step) {
            canvas->drawLine(x, -fByHand(x), x + step, -fByHand(x + step));
            if (exact.isEmpty())
                add(x);
            add(x + step);
        }
        const auto paint = [&](const auto &polyline) {
            QImage img(size, QImage::Format_RGB32);
            img.fill(canvas->image().pixel(0, 0));
            QPainter p(&img);
            p.setPen(QPen(Qt::black, 0));
            p.drawPolyline(polyline);
            return img;
        };
        const QImage ours = canvas->image();
        const QImage fromEnds = paint(ends), fromExact = paint(exact);
        const int curve = pixels::count(ours, kBlack);
        const int differing = pixels::differing(ours, fromEnds);
        const int farOff =
            pixels::unmatched(ours, fromExact, kBlack) + pixels::unmatched(fromExact, ours, kBlack);
        qInfo("step %g: %d curve pixels; QPainter through the same pixel ends: %d differ; "
              "through the exact points: %d differ, %d lie more than a pixel off",
              step, curve, differing, pixels::differing(ours, fromExact), farOff);
        QCOMPARE(farOff, 0);
    }
};

int main(int argc, char *argv[])
{
    return runAppTest<TestFunctionGraph>(argc, argv);
}

#include "functiongraphtest.moc"
