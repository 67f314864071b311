// SPDX-License-Identifier: GPL-3.0-or-later
// The convergence study worked as a user works it: typing into its fields,
// pressing "Исследовать", reading the results, the table and the charts. The
// reference values were computed independently (40-digit arithmetic for the
// errors on [1;6], the counts in double precision against the exact value);
// the charts are read back from their pixels.

#include "app/mainwindow.h"
#include "app/navigator.h"
#include "canvas/plotcanvas.h"
#include "forms/readonlytable.h"
#include "screens/convergencecharts.h"
#include "screens/secondarywindow.h"
#include "tests/apptest.h"
#include "tests/pixels.h"
#include "tests/testsupport.h"
#include "tests/windowdriver.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <cmath>

using namespace kvadrolab;
using kvadrolab::ReadOnlyTable;

namespace {

const QStringList kFields = {"Text1", "Text2", "Text3", "Text4"};
const QStringList kCanvases = {"Picture1", "Picture2", "Picture3",
                               "Picture4", "Picture5", "Picture6"};

// The table's columns per rule, after the n column.
constexpr int kValue = 0, kError = 1, kRunge = 2, kOrder = 3, kRichardson = 4;
int column(int rule, int what)
{
    return 1 + 5 * rule + what;
}

// The actual errors on [1;6] for n = 10, 20, ..., 640.
const double kTrapezoidErrors[] = {1.78659e-5,  -7.57267e-6, -5.80108e-6, -1.79104e-6,
                                   -4.70934e-7, -1.19213e-7, -2.98963e-8};
const double kSimpsonErrors[] = {5.05878e-4,  -1.60522e-5, -5.21055e-6, -4.54355e-7,
                                 -3.09005e-8, -1.97284e-9, -1.23962e-10};

QRgb colour(unsigned c)
{
    return PlotCanvas::toQColor(c).rgb();
}

// Columns in which the colour runs unbroken over at least `length` rows.
int columnsWithRun(const QImage &img, QRgb c, int length)
{
    int found = 0;
    for (int x = 0; x < img.width(); ++x) {
        int run = 0, best = 0;
        for (int r = 0; r < img.height(); ++r) {
            run = pixels::is(img, x, r, c) ? run + 1 : 0;
            best = std::max(best, run);
        }
        found += best >= length;
    }
    return found;
}

} // namespace

class ConvergenceWindowTest : public QObject, public WindowDriver
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opensInItsDesignedState();
    void fitsAProjectorScreen();
    void exactValueAndMaxima();
    void tableAgainstReferenceErrors();
    void rungeAndOrderAsTheyShouldBe();
    void countsForTolerance_data();
    void countsForTolerance();
    void countBeyondTheLimitAnswers();
    void reversedIntervalIsSigned();
    void refusals_data();
    void refusals();
    void refusalLeavesNothingOfAnEarlierStudy();
    void errorChartByItsPixels_data();
    void errorChartByItsPixels();
    void ruleDrawnOnF_data();
    void ruleDrawnOnF();
    void secondPressShowsTheSame();
    void tableCopiesAsTabSeparatedText();
    void scatteredSelectionCopiesItsRectangle();
    void screenReadersHearWhatIsShown();

private:
    QWidget *driven() const override { return m_window; }
    QString cell(const char *table, int row, int col) const;
    double number(const QString &text) const;

    MainWindow *m_main = nullptr;
    SecondaryWindow *m_window = nullptr;
    QStringList m_messages;
    testsupport::MessageCatcher m_catcher{&m_messages};
};

void ConvergenceWindowTest::init()
{
    m_messages.clear();
    m_main = new MainWindow;
    m_main->show();
    // Opened as a user opens it: from the menu.
    QAction *item = m_main->findChild<QAction *>(QStringLiteral("mnuInt_conv"));
    QVERIFY(item);
    item->trigger();
    m_window = m_main->navigator()->existing(WindowId::Conv);
    QVERIFY(m_window && m_window->isVisible());
    QApplication::setActiveWindow(m_window);
    QVERIFY(QTest::qWaitForWindowActive(m_window));
}

void ConvergenceWindowTest::cleanup()
{
    delete m_main;
    m_main = nullptr;
    m_window = nullptr;
}

QString ConvergenceWindowTest::cell(const char *table, int row, int col) const
{
    const auto *t = m_window->findChild<ReadOnlyTable *>(QLatin1String(table));
    const QTableWidgetItem *item = t ? t->item(row, col) : nullptr;
    return item ? item->text() : QString();
}

double ConvergenceWindowTest::number(const QString &text) const
{
    bool ok = false;
    const double v = QLocale().toDouble(text, &ok);
    return ok ? v : std::nan("");
}

void ConvergenceWindowTest::opensInItsDesignedState()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Исследование сходимости"));
    const QStringList starting = {"1", "6", "0,000001", "4"};
    for (int i = 0; i < kFields.size(); ++i)
        QCOMPARE(m_window->findChild<QLineEdit *>(kFields[i])->text(), starting[i]);
    QCOMPARE(m_window->findChild<QPushButton *>(QStringLiteral("Command1"))->text(),
             QStringLiteral("Исследовать"));
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Text1"));
    for (const QString &name : kCanvases) {
        QVERIFY(canvas(name));
        QVERIFY(canvas(name)->printedLines().isEmpty());
    }
    QCOMPARE(cell("Table1", 0, 0), QString());
    // Every text in the designed font, 8.25 pt, but the exact value.
    for (const QLabel *label : m_window->findChildren<QLabel *>())
        QCOMPARE(label->font().pointSizeF(), 8.25);
    QCOMPARE(canvas("Picture1")->font().pointSizeF(), 9.75);
}

void ConvergenceWindowTest::fitsAProjectorScreen()
{
    QVERIFY(m_window->width() <= 1000 && m_window->height() <= 720);
    // No control reaches out of its container.
    for (QWidget *w : m_window->findChildren<QWidget *>()) {
        QWidget *parent = w->parentWidget();
        if (!w->isVisibleTo(m_window) || w->isWindow() || !parent ||
            qobject_cast<QAbstractScrollArea *>(parent) || w->objectName().isEmpty())
            continue;
        QVERIFY2(parent->rect().contains(w->geometry()),
                 qPrintable(w->objectName() + " in " + parent->objectName()));
    }
}

void ConvergenceWindowTest::exactValueAndMaxima()
{
    press();
    QVERIFY(m_messages.isEmpty());
    const QString sep = QLocale().decimalPoint();
    QCOMPARE(canvas("Picture1")->printedLines(),
             QStringList{QStringLiteral("0") + sep + QStringLiteral("180479022600")});
    // 0.18047902260023594 - 0.1804790225 = 1.0e-10.
    QVERIFY2(canvas("Picture2")
                 ->printedLines()
                 .value(0)
                 .contains(QStringLiteral("1") + sep + QStringLiteral("0·10^-10 меньше")),
             qPrintable(canvas("Picture2")->printedLines().value(0)));
    // M2 = 0.243975030692985... at x = 1.10884523134 and M4 = 108 at x = 1
    // (from the closed-form derivatives): every shown digit is certain, the
    // value within one unit of the last, twelve digits of each; the proven
    // range is the areas' description.
    const auto holds = [&](const QString &line, double value, const QString &place) {
        static const QRegularExpression shape(QStringLiteral("^(\\S+) при x (.*)$"));
        const QRegularExpressionMatch m = shape.match(line);
        if (!m.hasMatch() || m.captured(2) != place)
            return false;
        const QString digits = m.captured(1);
        const qsizetype point = digits.indexOf(sep);
        const int decimals = point < 0 ? 0 : int(digits.size() - point - 1);
        const int significant = int(
            QString(digits).remove(sep).remove(QRegularExpression(QStringLiteral("^0+"))).size());
        return significant == 12 &&
               std::fabs(QLocale().toDouble(digits) - value) <= std::pow(10.0, -decimals);
    };
    const QString m2 = canvas("Picture3")->printedLines().value(0);
    QVERIFY2(holds(m2, 0.243975030692985, QStringLiteral("≈ 1") + sep + QStringLiteral("1088452")),
             qPrintable(m2));
    const QString m4 = canvas("Picture4")->printedLines().value(0);
    QVERIFY2(holds(m4, 108.0, QStringLiteral("= 1")), qPrintable(m4));
    QVERIFY(canvas("Picture4")
                ->accessibleDescription()
                .startsWith(QStringLiteral("доказано: от 108 до 108")));
}

void ConvergenceWindowTest::tableAgainstReferenceErrors()
{
    press();
    for (int r = 0; r < 7; ++r) {
        QCOMPARE(cell("Table1", r, 0), QString::number(10 << r));
        for (int rule = 0; rule < 2; ++rule) {
            const double want = (rule ? kSimpsonErrors : kTrapezoidErrors)[r];
            const double error = number(cell("Table1", r, column(rule, kError)));
            QVERIFY2(
                std::abs(error - want) <= 1e-5 * std::abs(want),
                qPrintable(QStringLiteral("rule %1 n=%2: %3").arg(rule).arg(10 << r).arg(error)));
            // The value is the exact integral plus that error.
            const double value = number(cell("Table1", r, column(rule, kValue)));
            // (printed to twelve decimals).
            QVERIFY(std::abs(value - (0.18047902260023594 + want)) <=
                    std::max(1e-5 * std::abs(want), 5e-13));
        }
    }
    // Simpson's row n = 10 has no Runge's estimate, order or extrapolation: it
    // would need n = 5.
    for (int what : {kRunge, kOrder, kRichardson})
        QCOMPARE(cell("Table1", 0, column(1, what)), QString());
}

void ConvergenceWindowTest::rungeAndOrderAsTheyShouldBe()
{
    press();
    // Runge's estimate within 10 % of the actual error for n = 160, 320, 640.
    for (int r = 4; r < 7; ++r)
        for (int rule = 0; rule < 2; ++rule) {
            const double ratio = number(cell("Table1", r, column(rule, kRunge))) /
                                 number(cell("Table1", r, column(rule, kError)));
            QVERIFY2(ratio > 0.9 && ratio < 1.1, qPrintable(QString::number(ratio)));
        }
    // The observed orders: still 1.70 and 3.52 at n = 80, then within 0.05 of 2 and 4.
    QCOMPARE(cell("Table1", 3, column(0, kOrder)), QLocale().toString(1.70, 'f', 2));
    QCOMPARE(cell("Table1", 3, column(1, kOrder)), QLocale().toString(3.52, 'f', 2));
    for (int r = 5; r < 7; ++r) {
        QVERIFY(std::abs(number(cell("Table1", r, column(0, kOrder))) - 2) <= 0.05);
        QVERIFY(std::abs(number(cell("Table1", r, column(1, kOrder))) - 4) <= 0.05);
    }
    // Richardson's value lies nearer the exact integral than I(n) itself.
    for (int r = 4; r < 7; ++r)
        for (int rule = 0; rule < 2; ++rule) {
            const double exact = 0.18047902260023594;
            QVERIFY(std::abs(number(cell("Table1", r, column(rule, kRichardson))) - exact) <
                    std::abs(number(cell("Table1", r, column(rule, kValue))) - exact));
        }
}

void ConvergenceWindowTest::countsForTolerance_data()
{
    QTest::addColumn<QString>("tolerance");
    QTest::addColumn<QStringList>("trapezoid"); // by bound, by Runge, by the actual error
    QTest::addColumn<QStringList>("simpson");
    // By the bound, worked by hand with M2 = 0.243975030693 and M4 = 108:
    // n >= sqrt(125 M2 / (12 eps)) and n^4 >= 3125 M4 / (180 eps), n even.
    QTest::newRow("1e-6") << "0,000001" << QStringList{"1595", "40", "109"}
                          << QStringList{"210", "40", "66"};
    // A tolerance no n up to 1000 reaches.
    QTest::newRow("1e-14") << "1e-14" << QStringList{"15 941 790", "больше 640", "больше 1000"}
                           << QStringList{"20 810", "больше 640", "больше 1000"};
}

void ConvergenceWindowTest::countsForTolerance()
{
    QFETCH(QString, tolerance);
    QFETCH(QStringList, trapezoid);
    QFETCH(QStringList, simpson);
    type(QStringLiteral("Text3"), tolerance);
    press();
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(" | ")));
    for (int r = 0; r < 3; ++r) {
        // Digit grouping is the locale's, and not part of what is checked.
        const auto plain = [](QString s) {
            return s.remove(QRegularExpression(QStringLiteral("\\s")));
        };
        QCOMPARE(plain(cell("Table2", r, 0)), plain(trapezoid[r]));
        QCOMPARE(plain(cell("Table2", r, 1)), plain(simpson[r]));
    }
}

void ConvergenceWindowTest::countBeyondTheLimitAnswers()
{
    // This input once froze the window for good: the trapezoid rule's count by
    // the bound is 2^53 - 0.013. Simpson's 161 036 646 is from mpmath.
    type(QStringLiteral("Text1"), QStringLiteral("2,6"));
    type(QStringLiteral("Text2"), QStringLiteral("9,78"));
    type(QStringLiteral("Text3"), QStringLiteral("9,5082867898431387e-33"));
    QElapsedTimer clock;
    clock.start();
    press();
    QVERIFY(clock.elapsed() < 5000);
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(" | ")));
    QCOMPARE(cell("Table2", 0, 0), QStringLiteral("больше 10^15"));
    QCOMPARE(cell("Table2", 0, 1).remove(QRegularExpression(QStringLiteral("\\s"))),
             QStringLiteral("161036646"));
    QCOMPARE(cell("Table2", 1, 0), QStringLiteral("больше 640"));
    QCOMPARE(cell("Table2", 2, 1), QStringLiteral("больше 1000"));
}

void ConvergenceWindowTest::reversedIntervalIsSigned()
{
    type(QStringLiteral("Text1"), QStringLiteral("6"));
    type(QStringLiteral("Text2"), QStringLiteral("1"));
    press();
    QVERIFY(m_messages.isEmpty());
    const QString sep = QLocale().decimalPoint();
    QCOMPARE(canvas("Picture1")->printedLines(),
             QStringList{QStringLiteral("-0") + sep + QStringLiteral("180479022600")});
    for (int r = 0; r < 7; ++r)
        QVERIFY(std::abs(number(cell("Table1", r, column(0, kError))) + kTrapezoidErrors[r]) <=
                1e-5 * std::abs(kTrapezoidErrors[r]));
    QCOMPARE(cell("Table2", 2, 0), QStringLiteral("109"));
    QCOMPARE(cell("Table2", 2, 1), QStringLiteral("66"));
}

void ConvergenceWindowTest::refusals_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("atFault");
    QTest::newRow("a not a number") << "Text1"
                                    << "abc"
                                    << "Text1";
    QTest::newRow("a empty") << "Text1"
                             << ""
                             << "Text1";
    QTest::newRow("a zero") << "Text1"
                            << "0"
                            << "Text1";
    QTest::newRow("b negative") << "Text2"
                                << "-1"
                                << "Text2";
    QTest::newRow("b not a number") << "Text2"
                                    << "6;"
                                    << "Text2";
    QTest::newRow("a = b") << "Text2"
                           << "1"
                           << "Text2";
    QTest::newRow("eps zero") << "Text3"
                              << "0"
                              << "Text3";
    QTest::newRow("eps negative") << "Text3"
                                  << "-0,001"
                                  << "Text3";
    QTest::newRow("eps not a number") << "Text3"
                                      << "1e"
                                      << "Text3";
    QTest::newRow("n odd") << "Text4"
                           << "5"
                           << "Text4";
    QTest::newRow("n too small") << "Text4"
                                 << "0"
                                 << "Text4";
    QTest::newRow("n too large") << "Text4"
                                 << "52"
                                 << "Text4";
    QTest::newRow("n not whole") << "Text4"
                                 << "4,5"
                                 << "Text4";
    QTest::newRow("n not a number") << "Text4"
                                    << "x4"
                                    << "Text4";
}

void ConvergenceWindowTest::refusals()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, atFault);
    type(field, text);
    press();
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(!m_messages.first().isEmpty());
    QCOMPARE(QApplication::focusWidget()->objectName(), atFault);
    for (const QString &name : kCanvases) {
        QVERIFY2(canvas(name)->printedLines().isEmpty(), qPrintable(name));
        const QImage img = canvas(name)->image();
        QCOMPARE(pixels::count(img, PlotCanvas::toQColor(canvas(name)->backColor()).rgb()),
                 img.width() * img.height());
    }
    QCOMPARE(cell("Table1", 0, 0), QString());
    QCOMPARE(cell("Table2", 0, 0), QString());
    // The text stays for the user to correct.
    QCOMPARE(m_window->findChild<QLineEdit *>(field)->text(), text);
}

void ConvergenceWindowTest::refusalLeavesNothingOfAnEarlierStudy()
{
    press();
    QVERIFY(!canvas("Picture1")->printedLines().isEmpty());
    QVERIFY(!cell("Table1", 6, 0).isEmpty());
    type(QStringLiteral("Text4"), QStringLiteral("7"));
    press();
    QCOMPARE(m_messages.size(), 1);
    for (const QString &name : kCanvases)
        QVERIFY(canvas(name)->printedLines().isEmpty());
    QCOMPARE(pixels::count(canvas("Picture5")->image(), 0xffffffff),
             canvas("Picture5")->image().width() * canvas("Picture5")->image().height());
    for (int r = 0; r < 7; ++r)
        for (int c = 0; c < 11; ++c)
            QCOMPARE(cell("Table1", r, c), QString());
    QVERIFY(!m_window->findChild<QWidget *>(QStringLiteral("Picture5"))
                 ->accessibleDescription()
                 .contains(QStringLiteral("порядок")));
}

void ConvergenceWindowTest::errorChartByItsPixels_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("topDecade");
    QTest::addColumn<double>("lowestSimpson"); // log10 of the least |e| of n = 500..1000, about
    QTest::addColumn<double>("tolerance");     // in decades
    // Simpson's bound at n = 2, 5 * 2.5^4 * 108 / 180 = 117, sets the top; the
    // error at n = 1000 is the one at 640 shrunk by (640 / 1000)^4, 2.1e-11.
    QTest::newRow("[1;6]") << "1"
                           << "6" << 3 << std::log10(1.23962e-10 * std::pow(0.64, 4)) << 0.2;
    // The trapezoid bound at n = 2, 0.25 * 0.0604 / 12 = 1.3e-3, sets the top;
    // Simpson's error meets the rounding floor, about 1.7e-16 by n = 1000.
    QTest::newRow("[2;3]") << "2"
                           << "3" << -2 << std::log10(1.7e-16) << 0.5;
}

void ConvergenceWindowTest::errorChartByItsPixels()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, topDecade);
    QFETCH(double, lowestSimpson);
    QFETCH(double, tolerance);
    type(QStringLiteral("Text1"), a);
    type(QStringLiteral("Text2"), b);
    press();
    QVERIFY(m_messages.isEmpty());
    const QImage img = canvas("Picture5")->image();
    // The plot area's frame and the decade grid: grid rows between the top
    // and bottom frame rows, equally spaced. A line is a row whose colour
    // covers at least half the width, or a column where it covers at least a
    // third of the height: the lines span the plot area, some nine tenths of
    // the canvas either way, less where a curve crosses them.
    const QList<int> frameRows = pixels::fullRows(img, colour(kStudyFrameColour), 2);
    QCOMPARE(frameRows.size(), 2);
    const QList<int> rows = pixels::fullRows(img, colour(kStudyGridColour), 2);
    QVERIFY(rows.size() >= 5);
    const double decade = double(frameRows[1] - frameRows[0]) / (rows.size() + 1);
    for (int i = 0; i < rows.size(); ++i)
        QVERIFY(std::abs(rows[i] - (frameRows[0] + (i + 1) * decade)) <= 1.0);
    // The columns of n = 10 and n = 100.
    const QList<int> cols = pixels::fullColumns(img, colour(kStudyGridColour), 3);
    QCOMPARE(cols.size(), 2);
    const auto columnOf = [&](double n) {
        return int(std::lround(cols[0] + (std::log10(n) - 1) * (cols[1] - cols[0])));
    };
    const auto decadeOf = [&](int row) { return topDecade - (row - frameRows[0]) / decade; };

    // Every curve has pixels; a bound lies above its error (smaller rows) in
    // every column where both show.
    const QRgb trapezoid = colour(kTrapezoidErrorColour);
    const QRgb simpson = colour(kSimpsonErrorColour);
    for (auto [error, bound] : {std::pair{trapezoid, colour(kTrapezoidBoundColour)},
                                std::pair{simpson, colour(kSimpsonBoundColour)}}) {
        QVERIFY(pixels::count(img, error) > 100);
        QVERIFY(pixels::count(img, bound) > 100);
        int compared = 0;
        for (int x = columnOf(3); x <= columnOf(1000); ++x) {
            const QList<int> e = pixels::rowsIn(img, x, error), bd = pixels::rowsIn(img, x, bound);
            if (e.isEmpty() || bd.isEmpty())
                continue;
            ++compared;
            QVERIFY2(bd.first() <= e.last() + 1, qPrintable(QString::number(x)));
        }
        QVERIFY(compared > 50);
    }
    // Where Simpson's error ends up between n = 500 and 1000: on [1;6] still
    // falling like n^-4, on [2;3] held at the rounding floor.
    // Inside the plot frame only: the axis captions below it are black too,
    // and where a platform draws text without antialiasing they are exactly
    // Simpson's colour.
    int lowest = -1;
    for (int x = columnOf(500); x <= columnOf(1000); ++x)
        for (int r : pixels::rowsIn(img, x, simpson))
            if (r < frameRows[1])
                lowest = std::max(lowest, r);
    QVERIFY(lowest > 0);
    QVERIFY2(std::abs(decadeOf(lowest) - lowestSimpson) <= tolerance,
             qPrintable(QString::number(decadeOf(lowest))));
}

void ConvergenceWindowTest::ruleDrawnOnF_data()
{
    QTest::addColumn<QString>("n");
    QTest::newRow("n = 4") << "4";
    QTest::newRow("n = 10") << "10";
    QTest::newRow("n = 2") << "2";
}

void ConvergenceWindowTest::ruleDrawnOnF()
{
    QFETCH(QString, n);
    type(QStringLiteral("Text4"), n);
    press();
    QVERIFY(m_messages.isEmpty());
    const QImage img = canvas("Picture6")->image();
    // n + 1 node verticals, from the axis up to f; f(1) = 0, so the first one
    // has no length and cannot be seen.
    const double dpr = img.devicePixelRatio();
    QCOMPARE(columnsWithRun(img, qRgb(255, 0, 0), int(20 * dpr)), n.toInt());
    QVERIFY(pixels::count(img, qRgb(0, 0, 0)) > 100);           // the arcs
    QVERIFY(pixels::count(img, colour(kFunctionColour)) > 100); // f itself
    QVERIFY(canvas("Picture6")->accessibleDescription().contains(QStringLiteral("%1 хорд").arg(n)));
}

void ConvergenceWindowTest::secondPressShowsTheSame()
{
    type(QStringLiteral("Text4"), QStringLiteral("6"));
    press();
    QList<QImage> first;
    QList<QStringList> printed;
    for (const QString &name : kCanvases) {
        first << canvas(name)->image();
        printed << canvas(name)->printedLines();
    }
    const QString lastRow = cell("Table1", 6, column(1, kRichardson));
    press();
    for (int i = 0; i < kCanvases.size(); ++i) {
        QCOMPARE(pixels::differing(canvas(kCanvases[i])->image(), first[i]), 0);
        QCOMPARE(canvas(kCanvases[i])->printedLines(), printed[i]);
    }
    QCOMPARE(cell("Table1", 6, column(1, kRichardson)), lastRow);
    QVERIFY(m_messages.isEmpty());
}

void ConvergenceWindowTest::tableCopiesAsTabSeparatedText()
{
    press();
    auto *table = m_window->findChild<ReadOnlyTable *>(QStringLiteral("Table1"));
    table->setFocus();
    QTest::keyClick(table, Qt::Key_A, Qt::ControlModifier);
    QApplication::clipboard()->clear();
    QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
    const QStringList lines =
        QApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 7);
    for (int r = 0; r < 7; ++r) {
        const QStringList cells = lines[r].split(QLatin1Char('\t'));
        QCOMPARE(cells.size(), 11);
        QCOMPARE(cells[0], QString::number(10 << r));
        QCOMPARE(cells[column(1, kError)], cell("Table1", r, column(1, kError)));
    }
    // Nothing can be typed into it.
    QTest::keyClicks(table, QStringLiteral("123"));
    QCOMPARE(cell("Table1", 0, 0), QStringLiteral("10"));
}

void ConvergenceWindowTest::scatteredSelectionCopiesItsRectangle()
{
    press();
    auto *table = m_window->findChild<ReadOnlyTable *>(QStringLiteral("Table1"));
    table->clearSelection();
    table->item(0, 1)->setSelected(true);
    table->item(2, 3)->setSelected(true);
    table->setFocus();
    QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
    // Rows 0..2, columns 1..3; what was not selected stays empty.
    const QString want = cell("Table1", 0, 1) + QStringLiteral("\t\t\n\t\t\n\t\t") +
                         cell("Table1", 2, 3) + QStringLiteral("\n");
    QCOMPARE(QApplication::clipboard()->text(), want);
}

void ConvergenceWindowTest::screenReadersHearWhatIsShown()
{
    for (const QString &f : kFields)
        QVERIFY(!m_window->findChild<QLineEdit *>(f)->accessibleName().isEmpty());
    for (const char *t : {"Table1", "Table2"})
        QVERIFY(!m_window->findChild<QWidget *>(QLatin1String(t))->accessibleName().isEmpty());
    press();
    const QString sep = QLocale().decimalPoint();
    const QString chart = canvas("Picture5")->accessibleDescription();
    QVERIFY2(chart.contains(QStringLiteral("2") + sep + QStringLiteral("00")) &&
                 chart.contains(QStringLiteral("3") + sep + QStringLiteral("99")),
             qPrintable(chart));
    QVERIFY(!canvas("Picture5")->accessibleName().isEmpty());
    QVERIFY(!canvas("Picture6")->accessibleDescription().isEmpty());
    // A result area says its number.
    QCOMPARE(canvas("Picture1")->accessibleName(),
             QStringLiteral("0") + sep + QStringLiteral("180479022600"));
}

int main(int argc, char *argv[])
{
    return runAppTest<ConvergenceWindowTest>(argc, argv);
}

#include "convergencewindowtest.moc"
