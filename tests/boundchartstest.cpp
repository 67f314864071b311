// SPDX-License-Identifier: GPL-3.0-or-later
// The error-bound charts (Pogr_t, Pogr_s) and their comparison (Pogr_compare),
// pressed as a user presses them and read back from the canvas's pixels.

#include "canvas/plotcanvas.h"
#include "screens/boundwindow.h"
#include "screens/comparewindow.h"
#include "tests/apptest.h"
#include "tests/pixels.h"
#include "tests/testsupport.h"
#include "tests/windowdriver.h"

#include <QApplication>
#include <QTest>

#include <cmath>
#include <memory>

using namespace kvadrolab;

namespace {

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kWhite = qRgb(255, 255, 255);

enum Chart { Trapezoid, Simpson, Comparison };

// The chart's bounds, written out as the classical formulas.
double trapezoidByHand(double d, int n)
{
    return -0.244 * d * d * d / (12.0 * n * n);
}

struct Screen : WindowDriver
{
    std::unique_ptr<SecondaryWindow> window;
    PlotCanvas *picture = nullptr;

    explicit Screen(Chart chart)
    {
        if (chart == Comparison)
            window = std::make_unique<CompareWindow>();
        else
            window = std::make_unique<BoundWindow>(chart == Trapezoid ? BoundWindow::trapezoid()
                                                                      : BoundWindow::simpson());
        picture = canvas(QString::fromLatin1(chart == Comparison ? "Picture1" : "Picture4"));
        window->show();
    }

    QImage press(const QString &a = QStringLiteral("1"), const QString &b = QStringLiteral("6"))
    {
        type(QStringLiteral("Text1"), a);
        type(QStringLiteral("Text2"), b);
        WindowDriver::press();
        return picture->image();
    }

protected:
    QWidget *driven() const override { return window.get(); }
};

QRgb gridColour(Chart chart)
{
    return chart == Comparison ? kBlue : kRed;
}

} // namespace

Q_DECLARE_METATYPE(Chart)

class TestBoundCharts : public QObject
{
    Q_OBJECT

private:
    QStringList m_messages;
    testsupport::MessageCatcher m_catcher{&m_messages};

private slots:
    void init() { m_messages.clear(); }

    void charts_data()
    {
        QTest::addColumn<Chart>("chart");
        QTest::newRow("Pogr_t") << Trapezoid;
        QTest::newRow("Pogr_s") << Simpson;
        QTest::newRow("Pogr_compare") << Comparison;
    }

    // 13 horizontal lines, k = 0..12, at k / 13 of the height; Pogr_s adds a
    // 14th on the bottom edge. None of the others reaches y = 0.
    void horizontalGrid_data() { charts_data(); }
    void horizontalGrid()
    {
        QFETCH(Chart, chart);
        Screen s(chart);
        const QImage img = s.press();
        const int h = img.height();
        QList<int> expected;
        for (int k = 0; k < 13; ++k)
            expected << k * h / 13;
        if (chart == Simpson)
            expected << h - 1;
        QCOMPARE(pixels::fullRows(img, gridColour(chart)), expected);
        QVERIFY(m_messages.isEmpty());
    }

    // 21 vertical lines at n = 0, 10, ..., 200. On the 0..210 axis the first
    // lies on the left edge; on the comparison's 10..200 axis the one at 0 is
    // outside, the one at 10 on the left edge and the one at 200 on the right.
    void verticalGrid_data() { charts_data(); }
    void verticalGrid()
    {
        QFETCH(Chart, chart);
        Screen s(chart);
        const QImage img = s.press();
        const int w = img.width();
        QList<int> expected;
        for (int n = 0; n <= 200; n += 10) {
            if (chart == Comparison) {
                if (n >= 10)
                    expected << std::min(w - 1, (n - 10) * w / 190);
            } else {
                expected << n * w / 210;
            }
        }
        QCOMPARE(expected.size(), chart == Comparison ? 20 : 21);
        QCOMPARE(pixels::fullColumns(img, gridColour(chart)), expected);
    }

    // At a = 1, b = 6 each curve starts at n = 10 just under the top edge:
    // its first pixels hide under the grid lines at n = 10 and at the top, so
    // the first column showing it is the next one, near the top.
    void curveStart_data()
    {
        QTest::addColumn<Chart>("chart");
        QTest::addColumn<QRgb>("colour");
        QTest::newRow("Pogr_t") << Trapezoid << kBlack;
        QTest::newRow("Pogr_s") << Simpson << kBlack;
        QTest::newRow("Pogr_compare trapezoid") << Comparison << kRed;
    }
    void curveStart()
    {
        QFETCH(Chart, chart);
        QFETCH(QRgb, colour);
        Screen s(chart);
        const QImage img = s.press();
        const int gridAt10 = chart == Comparison ? 0 : 10 * img.width() / 210;
        QCOMPARE(pixels::firstColumn(img, colour), gridAt10 + 1);
        const QList<int> rows = pixels::rowsIn(img, gridAt10 + 1, colour);
        QVERIFY(rows.first() >= 1);
        QVERIFY2(rows.first() <= img.height() / 20, qPrintable(QString::number(rows.first())));
    }

    // The Simpson curve of the comparison starts at -0.0114, at 0.0114 /
    // 0.0255 of the height from the bottom: a little below mid-height.
    void comparisonSimpsonStart()
    {
        Screen s(Comparison);
        const QImage img = s.press();
        QCOMPARE(pixels::firstColumn(img, kBlack), 1);
        const int top = pixels::rowsIn(img, 1, kBlack).first();
        const int expected = int((0.0255 - 0.0113932) / 0.0255 * img.height());
        QVERIFY2(std::abs(top - expected) <= 3, qPrintable(QString::number(top)));
    }

    // With b - a = 6 the trapezoid bound at n = 10 lies beyond the top; the
    // curve enters the chart where the segment 10..20 crosses the top value.
    void curveCutAtTop()
    {
        Screen s(Trapezoid);
        const QImage img = s.press(QStringLiteral("1"), QStringLiteral("7"));
        const double e10 = trapezoidByHand(6, 10), e20 = trapezoidByHand(6, 20);
        const double n = 10 + 10 * (e10 - -0.0255) / (e10 - e20);
        const int col = int(n / 210 * img.width());
        const int first = pixels::firstColumn(img, kBlack);
        QVERIFY2(std::abs(first - col) <= 1, qPrintable(QString::number(first)));
        QVERIFY(pixels::rowsIn(img, first, kBlack).first() <= 2);
    }

    // The curve reaches the right edge: on 0..210 the last point n = 210 lies
    // on it; on the comparison's 10..200 the segment 200..210 is cut there and
    // the curve shows up to the column before the grid line at 200. On Pogr_s
    // the curve's end lies on the bottom grid line, which covers it.
    void curveEndsAtRightEdge_data() { charts_data(); }
    void curveEndsAtRightEdge()
    {
        QFETCH(Chart, chart);
        Screen s(chart);
        const QImage img = s.press();
        const int w = img.width(), h = img.height();
        const int last = chart == Comparison ? w - 2 : w - 1;
        QCOMPARE(pixels::rowsIn(img, last, kBlack),
                 chart == Simpson ? QList<int>{} : QList<int>{h - 1});
        if (chart == Simpson)
            QCOMPARE(pixels::rowsIn(img, last, kRed).last(), h - 1);
    }

    // b < a: every bound is positive, below the bottom edge; the grid stays.
    void nothingVisibleForBBelowA_data() { charts_data(); }
    void nothingVisibleForBBelowA()
    {
        QFETCH(Chart, chart);
        Screen s(chart);
        const QImage img = s.press(QStringLiteral("6"), QStringLiteral("1"));
        QCOMPARE(pixels::count(img, kBlack), 0);
        if (chart == Comparison)
            QCOMPARE(pixels::count(img, kRed), 0);
        QCOMPARE(pixels::fullRows(img, gridColour(chart)).size(), chart == Simpson ? 14 : 13);
        QVERIFY(m_messages.isEmpty());
    }

    // a = b: every bound is -0, and the curve runs along the bottom edge,
    // except where a grid line covers it (all of it on Pogr_s, whose 14th
    // horizontal line lies there).
    void curveOnBottomEdgeForAEqualsB_data() { charts_data(); }
    void curveOnBottomEdgeForAEqualsB()
    {
        QFETCH(Chart, chart);
        Screen s(chart);
        const QImage img = s.press(QStringLiteral("3"), QStringLiteral("3"));
        const int w = img.width(), h = img.height();
        const int firstCol = chart == Comparison ? 0 : 10 * w / 210;
        int expected = 0;
        for (int c = firstCol; c < w; ++c)
            expected += !pixels::is(img, c, h - 1, gridColour(chart));
        if (chart == Simpson)
            QCOMPARE(expected, 0);
        QCOMPARE(pixels::count(img, kBlack), expected);
        for (int c = firstCol; c < w; ++c)
            QVERIFY(pixels::is(img, c, h - 1, kBlack) ||
                    pixels::is(img, c, h - 1, gridColour(chart)));
        if (chart == Comparison) // the black Simpson curve covers the red one
            QCOMPARE(pixels::count(img, kRed), 0);
    }

    void secondPressGivesSamePicture_data() { charts_data(); }
    void secondPressGivesSamePicture()
    {
        QFETCH(Chart, chart);
        Screen s(chart);
        const QImage first = s.press();
        s.press(QStringLiteral("2"), QStringLiteral("9"));
        const QImage again = s.press();
        QCOMPARE(pixels::differing(first, again), 0);
        QCOMPARE(first, s.press());
    }

    // Text that is not a number, or a bound beyond single precision: one
    // message, and the canvas cleared, with neither curve nor grid.
    void refusals_data()
    {
        QTest::addColumn<Chart>("chart");
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("refused");
        QTest::newRow("Pogr_t a is text") << Trapezoid << "x"
                                          << "6" << true;
        QTest::newRow("Pogr_t b empty") << Trapezoid << "1"
                                        << "" << true;
        QTest::newRow("Pogr_t b with two separators") << Trapezoid << "1"
                                                      << "6,0.1" << true;
        QTest::newRow("Pogr_t a infinite") << Trapezoid << "inf"
                                           << "6" << true;
        QTest::newRow("Pogr_t b - a = 1e20, bound beyond float") << Trapezoid << "1"
                                                                 << "1e20" << true;
        QTest::newRow("Pogr_t b - a = 1e10, bound fits") << Trapezoid << "1"
                                                         << "1e10" << false;
        QTest::newRow("Pogr_s b - a = 1e10, bound beyond float") << Simpson << "1"
                                                                 << "1e10" << true;
        QTest::newRow("Pogr_s b = 1e300") << Simpson << "1"
                                          << "1e300" << true;
        QTest::newRow("Pogr_compare a is text") << Comparison << "a"
                                                << "6" << true;
        QTest::newRow("Pogr_compare only Simpson beyond float") << Comparison << "1"
                                                                << "1e10" << true;
        QTest::newRow("Pogr_compare huge negative b") << Comparison << "1"
                                                      << "-1e200" << true;
    }
    void refusals()
    {
        QFETCH(Chart, chart);
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, refused);
        Screen s(chart);
        s.press(); // a chart is on the canvas before
        const QImage img = s.press(a, b);
        QCOMPARE(m_messages.size(), refused ? 1 : 0);
        if (!refused) {
            QCOMPARE(pixels::fullRows(img, gridColour(chart)).size(), 13);
            return;
        }
        QCOMPARE(pixels::count(img, kWhite), img.width() * img.height());
        QVERIFY(
            s.picture->accessibleDescription().startsWith(QStringLiteral("График не построен")));
    }

    // One line that says what the chart shows, for a screen reader.
    void description_data()
    {
        QTest::addColumn<Chart>("chart");
        QTest::addColumn<QStringList>("mentions");
        QTest::newRow("Pogr_t") << Trapezoid << QStringList{"метода трапеций", "a = 2", "b = 5"};
        QTest::newRow("Pogr_s") << Simpson << QStringList{"метода Симпсона", "a = 2", "b = 5"};
        QTest::newRow("Pogr_compare")
            << Comparison << QStringList{"трапеций (красная", "Симпсона (чёрная", "b = 5"};
    }
    void description()
    {
        QFETCH(Chart, chart);
        QFETCH(QStringList, mentions);
        Screen s(chart);
        QCOMPARE(s.picture->accessibleDescription(), QStringLiteral("График ещё не построен"));
        s.press(QStringLiteral("2"), QStringLiteral("5"));
        const QString text = s.picture->accessibleDescription();
        QVERIFY(!text.contains(QLatin1Char('\n')));
        for (const QString &m : mentions)
            QVERIFY2(text.contains(m), qPrintable(text));
    }
};

int main(int argc, char *argv[])
{
    return runAppTest<TestBoundCharts>(argc, argv);
}

#include "boundchartstest.moc"
