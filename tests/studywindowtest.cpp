// SPDX-License-Identifier: GPL-3.0-or-later
// The study window worked as a student works it: typing f, a, b, ε, choosing
// the rules, pressing "Исследовать", moving n, reading the tables. Reference
// values are independent: 40-digit mpmath errors of (ln x/x)^3 on [1;6], the
// counts for ε worked by hand from M2 and M4, rules summed by hand.

#include "studywindow/studywindow.h"
#include "app/mainwindow.h"
#include "app/navigator.h"
#include "canvas/canvasmenu.h"
#include "canvas/plotcanvas.h"
#include "expression/constant.h"
#include "expression/parser.h"
#include "numbers/numbertext.h"
#include "studywindow/chartdrawing.h"
#include "studywindow/studentdialog.h"
#include "studywindow/studysheetparts.h"
#include "studywindow/studytablemodel.h"
#include "studywindow/studytables.h"
#include "studywindow/studytext.h"
#include "tests/apptest.h"
#include "tests/testsupport.h"
#include "tests/windowdriver.h"

#include <QAbstractItemModel>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>

using namespace kvadrolab;

namespace {

// The actual errors of the trapezoid rule and Simpson's on [1;6] for
// n = 10, 20, ..., 640 (mpmath, 40 digits).
const double kTrapezoidErrors[] = {1.78659e-5,  -7.57267e-6, -5.80108e-6, -1.79104e-6,
                                   -4.70934e-7, -1.19213e-7, -2.98963e-8};
const double kSimpsonErrors[] = {5.05878e-4,  -1.60522e-5, -5.21055e-6, -4.54355e-7,
                                 -3.09005e-8, -1.97284e-9, -1.23962e-10};
// ∫_1^6 (ln x / x)^3 dx (mpmath, 40 digits).
constexpr double kIntegral = 0.18047902260023594;

// Columns of the doubling table.
constexpr int kN = 1, kValue = 2, kError = 3, kRunge = 4, kOrder = 5, kOrderWithoutI = 6,
              kRichardson = 7, kTrust = 8;

} // namespace

class StudyWindowTest : public QObject, public WindowDriver
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsWithTheStudiedIntegral();
    void typoShowsUnderTheFieldWithoutABox();
    void provenIntegralAndMaxima();
    void doublingTableAgainstReferenceErrors();
    void rungeDistrustedWhereTheOrderIsFar();
    void countsForTolerance_data();
    void countsForTolerance();
    void countsTableRows();
    void errorApartFromRounding_data();
    void errorApartFromRounding();
    void orderWithoutIAndEndsThatCancel();
    void tooltipsGiveFormulasAndCriteria();
    void unprovenSumsAreMarked();
    void refusalsAsOneMessage_data();
    void refusalsAsOneMessage();
    void endTypoMarked_data();
    void endTypoMarked();
    void endsAreTheNumbersTyped();
    void refusedMaximumLeavesTheRestShown();
    void limitTakenIsSaid();
    void countStepFollowsAtOnce();
    void nodeTableAsWorkedByHand();
    void everyHeaderExplainsItself();
    void tabLeavesTheTables();
    void tabFollowsTheLayout();
    void helpOpensFromKeyAndButton();
    void cancelledStudyShowsNothing();
    void laterPressWins();
    void sheetHoldsTheStudy();
    void sheetNamesTheStudentAndTheStudy();
    void studentFieldsKeptForTheRun();
    void changedFieldsAskToStudyAgain_data();
    void changedFieldsAskToStudyAgain();
    void studentDialogNamesItsFields();
    void subjectAndFileName_data();
    void subjectAndFileName();
    void changedInputMarksTheResults_data();
    void changedInputMarksTheResults();
    void spacesAroundAreNoChange();
    void sheetColumnsAlignByTheirNumbers();
    void enterInAnyFieldStudies_data();
    void enterInAnyFieldStudies();
    void pictureRuleStays();
    void countStepsByTheRuleMultiple_data();
    void countStepsByTheRuleMultiple();
    void savedTableSaysWhatItIs();
    void chartsLeaveLargeAndTitled();
    void sheetChartsAreLinesNotPixels();

private:
    QWidget *driven() const override { return m_window; }
    // Presses "Исследовать" and waits for the study to end.
    void study();
    // Only the rules named (ruleInfo names) checked, f on [a; b] studied.
    void studyRules(const QStringList &rules, const QString &f, const QString &a, const QString &b);
    QAbstractItemModel *model(const char *table) const;
    QString note(const char *table, int row, int column) const;
    QString text(const char *table, int row, int column) const;
    double value(const char *table, int row, int column) const;
    // Answers the student's dialog the next save opens, as a student types:
    // what it was filled in with goes to `given` (when not null); OK, or
    // «Отмена» when `accept` is false.
    // Returns the timer that waits for the dialog.
    QTimer *answerStudent(const StudentFields &typed, StudentFields *given = nullptr,
                          bool accept = true);
    // Studies x*sin(x) on [0; pi] with ε = 0,001, the trapezoid rule and
    // Simpson's, at n = 4.
    void studyXSinX();
    // The darkest grey of what the window shows of `w`, as a screen shows it.
    int darkest(QWidget *w) const;

    MainWindow *m_main = nullptr;
    StudyWindow *m_window = nullptr;
    QStringList m_messages;
    testsupport::MessageCatcher m_catcher{&m_messages};
};

void StudyWindowTest::init()
{
    m_messages.clear();
    m_main = new MainWindow;
    m_main->show();
    QAction *item = m_main->findChild<QAction *>(QStringLiteral("mnuInt_conv"));
    QVERIFY(item);
    item->trigger();
    m_window = qobject_cast<StudyWindow *>(m_main->navigator()->existing(WindowId::Conv));
    QVERIFY(m_window && m_window->isVisible());
    QApplication::setActiveWindow(m_window);
    QVERIFY(QTest::qWaitForWindowActive(m_window));
}

void StudyWindowTest::cleanup()
{
    delete m_main;
    m_main = nullptr;
    m_window = nullptr;
}

void StudyWindowTest::study()
{
    QSignalSpy done(m_window, &StudyWindow::studied);
    press();
    if (m_window->studying())
        QVERIFY(done.wait(20000));
}

QAbstractItemModel *StudyWindowTest::model(const char *table) const
{
    auto *view = m_window->findChild<QTableView *>(QLatin1String(table));
    return view ? view->model() : nullptr;
}

QString StudyWindowTest::text(const char *table, int row, int column) const
{
    QAbstractItemModel *m = model(table);
    return m ? m->index(row, column).data().toString() : QString();
}

QString StudyWindowTest::note(const char *table, int row, int column) const
{
    const QAbstractItemModel *m = model(table);
    return m ? m->index(row, column).data(Qt::ToolTipRole).toString() : QString();
}

void StudyWindowTest::studyRules(const QStringList &rules, const QString &f, const QString &a,
                                 const QString &b)
{
    for (QCheckBox *box : m_window->findChildren<QCheckBox *>())
        box->setChecked(rules.contains(box->objectName().mid(5)));
    type(QStringLiteral("Formula"), f);
    type(QStringLiteral("Text1"), a);
    type(QStringLiteral("Text2"), b);
    study();
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(" | ")));
}

double StudyWindowTest::value(const char *table, int row, int column) const
{
    QAbstractItemModel *m = model(table);
    const QVariant v = m ? m->index(row, column).data(kCellNumberRole) : QVariant();
    return v.isValid() ? v.toDouble() : std::nan("");
}

void StudyWindowTest::startsWithTheStudiedIntegral()
{
    QCOMPARE(field(QStringLiteral("Formula"))->text(), QStringLiteral("(ln(x)/x)^3"));
    QCOMPARE(field(QStringLiteral("Formula"))->accessibleName(), QStringLiteral("f(x)"));
    const QStringList chosen = {"Rule_trapezoid", "Rule_simpson"};
    const QList<QCheckBox *> boxes = m_window->findChildren<QCheckBox *>();
    QCOMPARE(boxes.size(), 11); // nine composite rules, Romberg, adaptive Simpson
    for (const QCheckBox *box : boxes)
        QCOMPARE(box->isChecked(), chosen.contains(box->objectName()));
    QCOMPARE(model("Doubling")->rowCount(), 0);
}

void StudyWindowTest::typoShowsUnderTheFieldWithoutABox()
{
    auto *error = m_window->findChild<QLabel *>(QStringLiteral("FormulaError"));
    QVERIFY(error);
    QVERIFY(error->text().isEmpty());
    type(QStringLiteral("Formula"), QStringLiteral("sin x + 1"));
    QVERIFY2(error->text().contains(QStringLiteral("скобк")), qPrintable(error->text()));
    // The place is marked: the character after "sin" stands in its own span.
    QVERIFY2(error->text().contains(QStringLiteral("<span")), qPrintable(error->text()));
    QVERIFY(m_messages.isEmpty());
    type(QStringLiteral("Formula"), QStringLiteral("sin(x) + 1"));
    QVERIFY(error->text().isEmpty());
    QVERIFY(m_messages.isEmpty());
}

void StudyWindowTest::provenIntegralAndMaxima()
{
    study();
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(" | ")));
    const QString integral = m_window->findChild<QLabel *>(QStringLiteral("Integral"))->text();
    const QString sep = QLocale().decimalPoint();
    QVERIFY2(integral.contains(QStringLiteral("0") + sep + QStringLiteral("1804790226002")),
             qPrintable(integral));
    // M1, M2, M4, M6 rows; M2 = 0.243975030692984563 at x ≈ 1.1088452 (mpmath:
    // findroot of the third derivative), M4 = 108 at x = 1 (closed-form
    // derivatives, by hand).
    QCOMPARE(model("Maxima")->rowCount(), 4);
    QVERIFY(value("Maxima", 1, 1) <= 0.243975030692984563 * (1 + 1e-15) &&
            0.243975030692984563 * (1 - 1e-15) <= value("Maxima", 1, 2));
    QVERIFY(value("Maxima", 1, 2) - value("Maxima", 1, 1) < 1e-9);
    QVERIFY2(
        text("Maxima", 1, 3).startsWith(QStringLiteral("x ≈ 1") + sep + QStringLiteral("10884")),
        qPrintable(text("Maxima", 1, 3)));
    QVERIFY(value("Maxima", 2, 1) <= 108 && 108 <= value("Maxima", 2, 2));
    QCOMPARE(text("Maxima", 2, 3), QStringLiteral("x = 1"));
}

void StudyWindowTest::doublingTableAgainstReferenceErrors()
{
    study();
    QCOMPARE(model("Doubling")->rowCount(), 14);
    for (int rule = 0; rule < 2; ++rule)
        for (int r = 0; r < 7; ++r) {
            const int row = 7 * rule + r;
            QCOMPARE(value("Doubling", row, kN), double(10 << r));
            const double want = (rule ? kSimpsonErrors : kTrapezoidErrors)[r];
            const double error = value("Doubling", row, kError);
            QVERIFY2(
                std::abs(error - want) <= 1e-5 * std::abs(want),
                qPrintable(QStringLiteral("rule %1 n=%2: %3").arg(rule).arg(10 << r).arg(error)));
            QVERIFY(std::abs(value("Doubling", row, kValue) - (kIntegral + want)) <=
                    1e-5 * std::abs(want));
        }
    // Simpson's n = 10 has no estimate: n = 5 is odd.
    QVERIFY(text("Doubling", 7, kRunge).isEmpty());
    // Richardson's value lies nearer the integral than I(n) from n = 160 on.
    for (int row : {4, 5, 6, 11, 12, 13})
        QVERIFY(std::abs(value("Doubling", row, kRichardson) - kIntegral) <
                std::abs(value("Doubling", row, kValue) - kIntegral));
}

void StudyWindowTest::rungeDistrustedWhereTheOrderIsFar()
{
    study();
    // e(20) / e(40) = 1.305: the observed order 0.38 is far from 2, and the
    // estimate at n = 40 says 40 suffice for 1e-6 when 109 are needed.
    // (the reference errors have six digits: the order is good to about 1e-5).
    QVERIFY(std::abs(value("Doubling", 2, kOrder) - std::log2(7.57267e-6 / 5.80108e-6)) < 1e-5);
    QVERIFY2(text("Doubling", 2, kTrust).startsWith(QStringLiteral("нельзя")),
             qPrintable(text("Doubling", 2, kTrust)));
    // From n = 320 the order is within a quarter of 2, and the estimate within
    // 10 % of the actual error.
    for (int row : {5, 6}) {
        QVERIFY(text("Doubling", row, kTrust).startsWith(QStringLiteral("можно")));
        const double ratio = value("Doubling", row, kRunge) / value("Doubling", row, kError);
        QVERIFY2(ratio > 0.9 && ratio < 1.1, qPrintable(QString::number(ratio)));
    }
}

void StudyWindowTest::countsForTolerance_data()
{
    QTest::addColumn<QString>("tolerance");
    QTest::addColumn<QList<double>>("trapezoid"); // by bound, by Runge, by actual error
    QTest::addColumn<QList<double>>("simpson");
    // By the bound, by hand with M2 = 0.243975030693 and M4 = 108:
    // n >= sqrt(125 M2 / (12 eps)), n^4 >= 3125 M4 / (180 eps) with n even.
    // By Runge: tools/peer/runge_count_reference.py, the smallest n whose
    // pair (n/2; n) starts at n/2 = 10 or later.
    QTest::newRow("1e-6") << "0,000001" << QList<double>{1595, 36, 109}
                          << QList<double>{210, 36, 66};
}

void StudyWindowTest::countsForTolerance()
{
    QFETCH(QString, tolerance);
    QFETCH(QList<double>, trapezoid);
    QFETCH(QList<double>, simpson);
    type(QStringLiteral("Text3"), tolerance);
    study();
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(" | ")));
    // A count whose estimate is not to be trusted is words: "40 — не верить".
    const auto count = [this](int row, int column) {
        const double v = value("Counts", row, column);
        if (!std::isnan(v))
            return v;
        const QString shown = text("Counts", row, column);
        return shown.endsWith(QStringLiteral(" — не верить"))
                   ? shown.section(QStringLiteral(" — "), 0, 0).remove(QChar(0xa0)).toDouble()
                   : std::nan("");
    };
    for (int way = 0; way < 3; ++way) {
        QCOMPARE(count(0, way + 1), trapezoid[way]);
        QCOMPARE(count(1, way + 1), simpson[way]);
    }
    // Runge's 36 for the trapezoid rule is the trap: the error changes sign
    // near n = 16, the observed order there is far from 2, and 109
    // subintervals are needed.
    QVERIFY(text("Counts", 0, 2).endsWith(QStringLiteral("не верить")));
}

void StudyWindowTest::countsTableRows()
{
    const auto parsed = [](const char *f) { return *parseExpression(f); };
    const auto cell = [](const TableRows &rows, int row, int column) {
        return rows.cell(row, column);
    };
    // 1/x on [1; 2], the left rule, ε = 10^-6: M1 = 1 at x = 1 and the
    // bound 1 / (2n) meets ε at n = 500 000 exactly (by hand): one count.
    {
        StudyInput in{parsed("1/x"), 1, 2, 1e-6, {{RuleKind::Left}, false, false}};
        in.exactTolerance = *readExactNumber("1e-6");
        const auto s = std::make_shared<const Study>(*studyIntegral(in));
        const TableRows rows = countsRows(s);
        QCOMPARE(rows.rows, 1);
        QCOMPARE(cell(rows, 0, 1).text, formatCount(500000));
        QCOMPARE(cell(rows, 0, 1).number.value_or(0), 500000.0);
    }
    // x^3 on [0; 2]: Simpson's rule is exact on it, so Runge's estimate is 0
    // from the first pair (10; 20) on, with no order to check it by; the
    // left rule needs 4 * 12 / (2n) <= 10^-6, n = 24 000 000 (by hand), far
    // past the pairs up to 1000.
    {
        StudyInput in{
            parsed("x^3"), 0, 2, 1e-6, {{RuleKind::Left, RuleKind::Simpson}, false, false}};
        // The double 1e-6 lies below 10^-6: the number typed is 10^-6 itself.
        in.exactTolerance = *readExactNumber("1e-6");
        const auto s = std::make_shared<const Study>(*studyIntegral(in));
        const TableRows rows = countsRows(s);
        QCOMPARE(cell(rows, 0, 1).text, formatCount(24000000));
        QCOMPARE(cell(rows, 0, 2).text, QStringLiteral("больше %1").arg(countText(1000)));
        QVERIFY(cell(rows, 1, 2).text.startsWith(countText(20) + QStringLiteral(" — не верить")));
        QVERIFY(cell(rows, 1, 2).note.contains(QStringLiteral("округления")));
    }
    // x sin x on [0; 3]: M2 is proven between two doubles; with ε halfway
    // between the bounds they give at n = 3000, the trapezoid rule needs
    // 3000 at the lower end and 3001 at the upper (by hand: the bound falls
    // by (3000 / 3001)^2 from one to the next): both are shown.
    {
        StudyInput in{parsed("x*sin(x)"), 0, 3, 1e-6, {{RuleKind::Trapezoid}, false, false}};
        const Result<Study> first = studyIntegral(in);
        QVERIFY(first);
        const Result<DerivativeMax> &m = maximumOfOrder(*first, 2);
        QVERIFY(m && m->lower < m->upper);
        in.tolerance = static_cast<double>(27 * (static_cast<long double>(m->lower) + m->upper) /
                                           2 / (12.0L * 3000 * 3000));
        const auto s = std::make_shared<const Study>(*studyIntegral(in));
        const StudyCell shown = cell(countsRows(s), 0, 1);
        QCOMPARE(shown.text, QStringLiteral("%1 (при M2 = %2) … %3")
                                 .arg(formatCount(3000), boundText(m->lower, Rounding::Down),
                                      formatCount(3001)));
        // A spreadsheet gets the count proven to suffice.
        QCOMPARE(shown.number.value_or(0), 3001.0);
        QVERIFY(!shown.note.isEmpty());
    }
    // (ln x / x)^3 on [1; 6], ε = 10^-6, with Romberg and adaptive Simpson:
    // their rows follow the rules'. Romberg's estimate meets ε first in row
    // 7 (n = 128), its actual error from row 6 on
    // (tools/peer/romberg_rows_reference.py).
    {
        StudyInput in{parsed("(ln(x)/x)^3"), 1, 6, 1e-6, {{RuleKind::Trapezoid}, true, true}};
        const auto s = std::make_shared<const Study>(*studyIntegral(in));
        const TableRows rows = countsRows(s);
        QCOMPARE(rows.rows, 3);
        QCOMPARE(cell(rows, 1, 0).text, rombergName());
        QVERIFY(cell(rows, 1, 1).text.startsWith(QStringLiteral("нет")));
        QCOMPARE(cell(rows, 1, 2).text, QStringLiteral("128 (строка k = 7)"));
        QCOMPARE(cell(rows, 1, 2).number.value_or(0), 128.0);
        QCOMPARE(cell(rows, 1, 3).text, QStringLiteral("64 (строка k = 6)"));
        // The Romberg table marks the row.
        const TableRows table = rombergRows(s);
        QCOMPARE(cell(table, 7, 0).text, QStringLiteral("7 ← ε"));
        QCOMPARE(cell(table, 6, 0).text, QStringLiteral("6"));
        QCOMPARE(cell(rows, 2, 0).text, adaptiveName());
        const long evaluations = (*s->adaptive)->run.evaluations;
        QVERIFY(evaluations > 0);
        QCOMPARE(cell(rows, 2, 2).number.value_or(0), double(evaluations));
        QVERIFY(cell(rows, 2, 2).text.endsWith(QStringLiteral("значений f")));
    }
}

void StudyWindowTest::errorApartFromRounding_data()
{
    QTest::addColumn<QString>("f");
    QTest::addColumn<QString>("b"); // a = 0
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QString>("shown"); // e(4) as shown where it is words
    QTest::addColumn<double>("error");  // e(4) where it is a number, else NaN
    QTest::addColumn<double>("ratio");  // bound / |e(4)|, NaN where a dash stands
    const double none = std::nan("");
    // x^3 on [0; 2] at n = 4, h = 1/2: Simpson's rule on, every rule is
    // exact (M4 = M6 = 0), and nothing of the sums' rounding is shown as
    // an error.
    for (const char *rule : {"simpson", "boole", "gauss2", "gauss3"})
        QTest::newRow(qPrintable(QStringLiteral("x^3 %1").arg(rule)))
            << "x^3"
            << "2" << rule << "0 (правило точно)" << 0.0 << none;
    // By Euler and Maclaurin, exact for a cubic: T - I = h²/12 (f'(2) -
    // f'(0)) = 1/4, M - I = -h²/24 (f'(2) - f'(0)) = -1/8, L = T - h/2 (f(2)
    // - f(0)) = I - 7/4; the bounds with M2 = 12, M1 = 12: 2·h²·12/12 = 1/2,
    // 2·h²·12/24 = 1/4, 2·h·12/2 = 6.
    QTest::newRow("x^3 trapezoid") << "x^3"
                                   << "2"
                                   << "trapezoid" << QString() << 0.25 << 2.0;
    QTest::newRow("x^3 midpoint") << "x^3"
                                  << "2"
                                  << "midpoint" << QString() << -0.125 << 2.0;
    QTest::newRow("x^3 left") << "x^3"
                              << "2"
                              << "left" << QString() << -1.75 << 6 / 1.75;
    // sin² x on [0; π]: T(4) = π/4·(1/2 + 1 + 1/2) = π/2, the integral
    // itself, though M2 = 2: only a bound on e(4) is proven.
    QTest::newRow("sin^2 trapezoid") << "sin(x)^2"
                                     << "pi"
                                     << "trapezoid"
                                     << "|e(n)| ≤ " << none << none;
}

void StudyWindowTest::errorApartFromRounding()
{
    QFETCH(QString, f);
    QFETCH(QString, b);
    QFETCH(QString, rule);
    QFETCH(QString, shown);
    QFETCH(double, error);
    QFETCH(double, ratio);
    studyRules({rule}, f, QStringLiteral("0"), b);
    m_window->findChild<QSpinBox *>(QStringLiteral("Count"))->setValue(4);
    constexpr int kAtError = 2, kAtRatio = 4;
    QVERIFY2(text("AtCount", 0, kAtError).startsWith(shown) &&
                 (!shown.isEmpty() || !text("AtCount", 0, kAtError).contains(QLatin1Char('|'))),
             qPrintable(text("AtCount", 0, kAtError)));
    const QVariant number = model("AtCount")->index(0, kAtError).data(kCellNumberRole);
    if (std::isnan(error))
        QVERIFY(!number.isValid());
    else
        QVERIFY2(std::abs(number.toDouble() - error) <= 1e-12 * std::abs(error),
                 qPrintable(number.toString()));
    if (std::isnan(ratio)) {
        QCOMPARE(text("AtCount", 0, kAtRatio), QStringLiteral("—"));
        QVERIFY(!note("AtCount", 0, kAtRatio).isEmpty());
    } else {
        QVERIFY2(std::abs(value("AtCount", 0, kAtRatio) - ratio) <= 1e-9 * ratio,
                 qPrintable(text("AtCount", 0, kAtRatio)));
    }
    // Down the doubling table, no error is a number below the integral's
    // radius: the rounding of a sum is never shown as the rule's error.
    const Enclosure &integral = m_window->shownStudy()->integral;
    const double radius = std::max(integral.upper - integral.mid, integral.mid - integral.lower);
    for (int row = 0; row < model("Doubling")->rowCount(); ++row) {
        const QVariant e = model("Doubling")->index(row, kError).data(kCellNumberRole);
        if (!e.isValid())
            continue;
        if (e.toDouble() == 0) {
            QCOMPARE(text("Doubling", row, kError), QStringLiteral("0 (правило точно)"));
            // An exact rule has no order: a dash with its reason, or nothing
            // where n/2 or n/4 is no count.
            for (int c : {kOrder, kOrderWithoutI})
                QVERIFY(text("Doubling", row, c).isEmpty() ||
                        (text("Doubling", row, c) == QStringLiteral("—") &&
                         !note("Doubling", row, c).isEmpty()));
        } else {
            QVERIFY2(std::abs(e.toDouble()) > radius, qPrintable(text("Doubling", row, kError)));
        }
    }
}

void StudyWindowTest::orderWithoutIAndEndsThatCancel()
{
    // x sin x on [0; π]: f(0) = f(π) = 0 cancels the h term of the left
    // rule, which is then the trapezoid rule (order 2, f'(0) = 0 ≠ f'(π)).
    // p* of n = 20 ... 640: tools/peer/order_without_i_reference.py.
    const double orders[] = {2.0089637828353844, 2.002228827157963,  2.0005564545577249,
                             2.0001390667052356, 2.0000347637441738, 2.0000086907528046};
    studyRules({"left", "trapezoid"}, QStringLiteral("x*sin(x)"), QStringLiteral("0"),
               QStringLiteral("pi"));
    QCOMPARE(model("Doubling")->rowCount(), 14);
    const QString sep = QLocale().decimalPoint();
    for (int rule = 0; rule < 2; ++rule) {
        // n = 10: n/4 is no count.
        QVERIFY(text("Doubling", 7 * rule, kOrderWithoutI).isEmpty());
        for (int r = 1; r < 7; ++r) {
            const int row = 7 * rule + r;
            QVERIFY2(std::abs(value("Doubling", row, kOrderWithoutI) - orders[r - 1]) < 1e-9,
                     qPrintable(text("Doubling", row, kOrderWithoutI)));
            if (rule == 0) {
                QCOMPARE(text("Doubling", row, kTrust),
                         QStringLiteral("нельзя: концы гасят главный член"));
                QVERIFY2(
                    note("Doubling", row, kTrust)
                        .contains(QStringLiteral("|p_набл − 1| ≤ 0") + sep + QStringLiteral("25")),
                    qPrintable(note("Doubling", row, kTrust)));
            } else {
                QVERIFY(text("Doubling", row, kTrust).startsWith(QStringLiteral("можно")));
                QVERIFY2(
                    note("Doubling", row, kTrust)
                        .contains(QStringLiteral("|p_набл − 2| ≤ 0") + sep + QStringLiteral("5")),
                    qPrintable(note("Doubling", row, kTrust)));
            }
        }
    }
    const QString criterion =
        model("Doubling")->headerData(kTrust, Qt::Horizontal, Qt::ToolTipRole).toString();
    for (const QString &p : {QStringLiteral("|p_набл − 1| ≤ 0") + sep + QStringLiteral("25"),
                             QStringLiteral("|p_набл − 4| ≤ 1"),
                             QStringLiteral("|p_набл − 6| ≤ 1") + sep + QStringLiteral("5")})
        QVERIFY2(criterion.contains(p), qPrintable(criterion));
}

void StudyWindowTest::tooltipsGiveFormulasAndCriteria()
{
    study();
    // The default study: the trapezoid rule and Simpson's, each with its
    // own bound (textbook constants 12 and 180).
    QVERIFY2(note("AtCount", 0, 3).contains(QStringLiteral("(b − a)·h²·M2/12")),
             qPrintable(note("AtCount", 0, 3)));
    QVERIFY2(note("AtCount", 1, 3).contains(QStringLiteral("(b − a)·h⁴·M4/180")),
             qPrintable(note("AtCount", 1, 3)));
    QVERIFY(model("Maxima")
                ->headerData(3, Qt::Horizontal, Qt::ToolTipRole)
                .toString()
                .contains(QStringLiteral("нижней границы")));
    QVERIFY(m_window->findChild<QLabel *>(QStringLiteral("Integral"))
                ->toolTip()
                .startsWith(QStringLiteral("Верные цифры")));
    // I(n)'s note gives the double sum beside the exact one.
    QVERIFY2(note("AtCount", 0, 1).contains(QStringLiteral("сумма в double")),
             qPrintable(note("AtCount", 0, 1)));
}

void StudyWindowTest::unprovenSumsAreMarked()
{
    // A long f: three-point Gauss's later rows take more nodes times steps
    // than the exact part sums, and their errors are the double sums'.
    QString f = QStringLiteral("sin(x)");
    for (int k = 2; k <= 40; ++k)
        f += QStringLiteral("+sin(%1*x)/%1").arg(k);
    studyRules({"gauss3"}, f, QStringLiteral("0"), QStringLiteral("1"));
    const int last = model("Doubling")->rowCount() - 1;
    QCOMPARE(last, 6);
    QVERIFY2(text("Doubling", last, kError).startsWith(QStringLiteral("≈ ")),
             qPrintable(text("Doubling", last, kError)));
    QVERIFY(note("Doubling", last, kError).contains(QStringLiteral("не доказана")));
    QCOMPARE(text("Doubling", last, kOrder), QStringLiteral("—"));
    QVERIFY(note("Doubling", last, kOrder).contains(QStringLiteral("не доказана")));
    // The first row is summed exactly: its error is a plain number.
    QVERIFY2(!text("Doubling", 0, kError).startsWith(QStringLiteral("≈")),
             qPrintable(text("Doubling", 0, kError)));
}

void StudyWindowTest::refusalsAsOneMessage_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<QString>("says");
    QTest::addColumn<QString>("focus"); // where the student is sent to mend it
    // clang-format off
    QTest::newRow("a pole inside") << "1/x" << "-1" << "1" << "полюс вблизи x ≈ 0" << "Formula";
    QTest::newRow("undefined below 1") << "sqrt(x-1)" << "0" << "2" << "не определена при x ≈ 1"
                                       << "Formula";
    QTest::newRow("0/0 at no double") << "sin(x-0,1)/(x-0,1)" << "0" << "1"
                                      << "0/0 при x ≈ 0,1" << "Formula";
    QTest::newRow("ln x: improper") << "ln(x)" << "0" << "1"
                                    << "f не ограничена при x → 0: интеграл несобственный"
                                    << "Formula";
    QTest::newRow("a not a number") << "x" << "abc" << "1" << "В поле a" << "Text1";
    QTest::newRow("b not a number") << "x" << "0" << "" << "В поле b" << "Text2";
    QTest::newRow("empty interval") << "x" << "2" << "2" << "совпадают" << "Text2";
    QTest::newRow("a typo, pressed") << "x^" << "0" << "1" << "В записи f(x) ошибка" << "Formula";
    // Hand: the poles lie at the ends typed, which their doubles pass.
    QTest::newRow("a pole at a = 0,1") << "1/(x-0.1)" << "0,1" << "1"
                                       << "не исследовать: полюс на конце x = 0,1." << "Text1";
    QTest::newRow("a pole at b = pi/2") << "tg(x)" << "0" << "pi/2"
                                        << "полюс на конце x = 1,57079632679." << "Text2";
    QTest::newRow("x in a") << "x" << "2x" << "3" << "В поле a (начало отрезка) должно быть число"
                            << "Text1";
    QTest::newRow("a typo in b") << "x" << "0" << "pj"
                                 << "В поле b (конец отрезка) ошибка: Неизвестное имя „pj“"
                                 << "Text2";
    QTest::newRow("a Cyrillic х, pressed") << "2х" << "0" << "1"
                                           << "ошибка: Кириллическая „х“; переменная — латинская x."
                                           << "Formula";
    // clang-format on
}

void StudyWindowTest::refusalsAsOneMessage()
{
    QFETCH(QString, formula);
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(QString, says);
    QFETCH(QString, focus);
    // A study first, so that the refusal must also take it away.
    study();
    QVERIFY(model("Doubling")->rowCount() > 0);
    type(QStringLiteral("Formula"), formula);
    type(QStringLiteral("Text1"), a);
    type(QStringLiteral("Text2"), b);
    study();
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages.first().contains(says), qPrintable(m_messages.first()));
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    QCOMPARE(m_window->shownStudy(), nullptr);
    for (const char *table : {"Doubling", "Counts", "AtCount", "Maxima", "Nodes"})
        QCOMPARE(model(table)->rowCount(), 0);
    // No heading names the study taken away.
    for (const char *title : {"AtCountTitle", "CountsTitle", "MaximaTitle", "DoublingTitle"}) {
        const QString heading = m_window->findChild<QLabel *>(QLatin1String(title))->text();
        QVERIFY2(!heading.contains(QStringLiteral("f(x) =")), qPrintable(heading));
    }
    for (const char *chart : {"RulePicture", "ErrorChart", "DerivativeChart"})
        QVERIFY2(testsupport::isBlank(*canvas(QLatin1String(chart))), chart);
}

void StudyWindowTest::endTypoMarked_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("selected"); // where the one character marked starts
    QTest::newRow("x in a") << "1+x"
                            << "2"
                            << "Text1" << 2;
    QTest::newRow("spaces before a typo") << "  1+pj"
                                          << "2"
                                          << "Text1" << 4;
    QTest::newRow("an unknown name in b") << "0"
                                          << "pi/tw"
                                          << "Text2" << 3;
}

void StudyWindowTest::endTypoMarked()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(QString, field);
    QFETCH(int, selected);
    type(QStringLiteral("Formula"), QStringLiteral("x"));
    type(QStringLiteral("Text1"), a);
    type(QStringLiteral("Text2"), b);
    study();
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(QApplication::focusWidget()->objectName(), field);
    QCOMPARE(this->field(field)->selectionStart(), selected);
    QCOMPARE(this->field(field)->selectedText().size(), 1);
}

void StudyWindowTest::endsAreTheNumbersTyped()
{
    // ∫ sin over [0; pi] is 2, and ∫ x over [0,1; 0,3] is 0,04 exactly,
    // which the ends' doubles miss by 3.9e-18 (by hand); both shown as their
    // doubles.
    type(QStringLiteral("Formula"), QStringLiteral("sin(x)"));
    type(QStringLiteral("Text1"), QStringLiteral("0"));
    type(QStringLiteral("Text2"), QStringLiteral(" pi "));
    study();
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(" | ")));
    const Study *s = m_window->shownStudy();
    QVERIFY(s);
    QCOMPARE(s->input.b, M_PI);
    QVERIFY(s->integral.lower <= 2 && 2 <= s->integral.upper);
    type(QStringLiteral("Formula"), QStringLiteral("x"));
    type(QStringLiteral("Text1"), QStringLiteral("0,1"));
    type(QStringLiteral("Text2"), QStringLiteral("0.3"));
    study();
    s = m_window->shownStudy();
    QVERIFY(s);
    QCOMPARE(s->input.a, 0.1);
    // mid + midTail is the proven midpoint to about 106 bits; 0,04 lies
    // 8.3267e-19 below the double 0.04 (Python's Fraction).
    const double offDouble = (s->integral.mid - 0.04) + s->integral.midTail;
    QVERIFY2(std::fabs(offDouble + 8.326672684688674e-19) < 1e-20,
             qPrintable(QString::number(offDouble)));
}

void StudyWindowTest::limitTakenIsSaid()
{
    // sin(x)/x on [0; 1]: Si(1) = 0.9460830703671830149..., the limit 1 at 0.
    type(QStringLiteral("Formula"), QStringLiteral("sin(x)/x"));
    type(QStringLiteral("Text1"), QStringLiteral("0"));
    type(QStringLiteral("Text2"), QStringLiteral("1"));
    study();
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(" | ")));
    const QString integral = m_window->findChild<QLabel *>(QStringLiteral("Integral"))->text();
    const QString sep = QLocale().decimalPoint();
    QVERIFY2(integral.contains(QStringLiteral("0") + sep + QStringLiteral("94608307036718")),
             qPrintable(integral));
    QVERIFY2(integral.endsWith(QStringLiteral("\nв x = 0 взят предел f: 1")), qPrintable(integral));
    // Every row of the doubling table sums, the left rule's node at 0 too.
    QVERIFY(model("Doubling")->rowCount() > 0);
}

void StudyWindowTest::refusedMaximumLeavesTheRestShown()
{
    // √x on [0;1]: the integral 2/3 is proven, no derivative is bounded at 0.
    type(QStringLiteral("Formula"), QStringLiteral("sqrt(x)"));
    type(QStringLiteral("Text1"), QStringLiteral("0"));
    type(QStringLiteral("Text2"), QStringLiteral("1"));
    study();
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(" | ")));
    QVERIFY(m_window->shownStudy());
    for (int row = 0; row < 4; ++row) {
        QVERIFY(text("Maxima", row, 1).isEmpty());
        QVERIFY2(text("Maxima", row, 3).contains(QStringLiteral("x ≈ 0")),
                 qPrintable(text("Maxima", row, 3)));
    }
    // The bound says why it is missing; the value and error are there. The
    // trapezoid rule at n = 4 on √x, by hand: (0 + 2(√.25 + √.5 + √.75) + 1) / 8.
    const double byHand = (2 * (0.5 + std::sqrt(0.5) + std::sqrt(0.75)) + 1) / 8;
    QVERIFY(std::abs(value("AtCount", 0, 1) - byHand) < 1e-15);
    QVERIFY(std::abs(value("AtCount", 0, 2) - (byHand - 2.0 / 3)) < 1e-15);
    QVERIFY2(text("AtCount", 0, 3).startsWith(QStringLiteral("нет: M2 не доказана")),
             qPrintable(text("AtCount", 0, 3)));
    QVERIFY(!model("AtCount")->index(0, 3).data(Qt::ToolTipRole).toString().isEmpty());
    QVERIFY(text("Counts", 0, 1).startsWith(QStringLiteral("нет")));
    QCOMPARE(model("Doubling")->rowCount(), 14);
}

void StudyWindowTest::countStepFollowsAtOnce()
{
    study();
    auto *count = m_window->findChild<QSpinBox *>(QStringLiteral("Count"));
    QVERIFY(count);
    count->setValue(5);
    // The trapezoid rule takes 5; Simpson's says why it does not.
    QVERIFY2(text("AtCount", 1, 1).contains(QStringLiteral("n должно быть чётным")),
             qPrintable(text("AtCount", 1, 1)));
    const auto f = [](double x) { return std::pow(std::log(x) / x, 3); };
    double sum = (f(1) + f(6)) / 2;
    for (int i = 1; i < 5; ++i)
        sum += f(1 + i);
    QVERIFY(std::abs(value("AtCount", 0, 1) - sum) < 1e-15);

    // Every step of the slider answers, with the picture and the node
    // table (its time is bench_study's).
    constexpr int kSteps = 100;
    for (int n = 1; n <= kSteps; ++n) {
        count->setValue(n);
        QCoreApplication::processEvents();
    }
}

void StudyWindowTest::nodeTableAsWorkedByHand()
{
    // The trapezoid rule for x² on [0;1] at n = 4: weights h/2, h, h, h, h/2
    // with h = 1/4, and the sum 11/32.
    type(QStringLiteral("Formula"), QStringLiteral("x^2"));
    type(QStringLiteral("Text1"), QStringLiteral("0"));
    type(QStringLiteral("Text2"), QStringLiteral("1"));
    study();
    m_window->findChild<QSpinBox *>(QStringLiteral("Count"))->setValue(4);
    QCOMPARE(model("Nodes")->rowCount(), 5);
    const double weights[] = {0.125, 0.25, 0.25, 0.25, 0.125};
    double running = 0;
    for (int i = 0; i < 5; ++i) {
        const double x = i / 4.0;
        QCOMPARE(value("Nodes", i, 0), double(i));
        QCOMPARE(value("Nodes", i, 1), x);
        QCOMPARE(value("Nodes", i, 2), x * x);
        QCOMPARE(value("Nodes", i, 3), weights[i]);
        QCOMPARE(value("Nodes", i, 4), weights[i] * x * x);
        running += weights[i] * x * x;
        QCOMPARE(value("Nodes", i, 5), running);
    }
    QCOMPARE(value("Nodes", 4, 5), 11.0 / 32);
}

void StudyWindowTest::everyHeaderExplainsItself()
{
    study();
    for (const char *table : {"Maxima", "AtCount", "Counts", "Doubling", "Nodes"}) {
        QAbstractItemModel *m = model(table);
        QVERIFY(m->columnCount() > 0);
        for (int c = 0; c < m->columnCount(); ++c)
            QVERIFY2(!m->headerData(c, Qt::Horizontal, Qt::ToolTipRole).toString().isEmpty(),
                     qPrintable(QStringLiteral("%1 column %2").arg(table).arg(c)));
    }
}

void StudyWindowTest::tabLeavesTheTables()
{
    study();
    for (const char *name : {"Maxima", "AtCount", "Counts"}) {
        auto *view = m_window->findChild<QTableView *>(QLatin1String(name));
        view->setFocus();
        QVERIFY(view->hasFocus());
        QTest::keyClick(view, Qt::Key_Tab);
        QVERIFY2(!view->hasFocus(), name);
    }
}

void StudyWindowTest::tabFollowsTheLayout()
{
    // Left to right, top to bottom, as the inputs stand on the screen.
    const QStringList order = {"Formula",     "Help",       "Text1",         "Text2",
                               "Text3",       "Count",      "CountSlider",   "Command1",
                               "Rule_left",   "Rule_right", "Rule_midpoint", "Rule_trapezoid",
                               "Rule_simpson"};
    field(QStringLiteral("Formula"))->setFocus();
    QStringList seen{QApplication::focusWidget()->objectName()};
    while (seen.size() < order.size()) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        seen << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(seen, order);
}

void StudyWindowTest::helpOpensFromKeyAndButton()
{
    QTest::keyClick(field(QStringLiteral("Formula")), Qt::Key_F1);
    auto *help = m_window->findChild<QWidget *>(QStringLiteral("StudyHelp"));
    QVERIFY(help && help->isVisible());
    help->close();
    QVERIFY(!help->isVisible());
    press(QStringLiteral("Help"));
    QVERIFY(help->isVisible());
}

void StudyWindowTest::cancelledStudyShowsNothing()
{
    for (QCheckBox *box : m_window->findChildren<QCheckBox *>())
        box->setChecked(true);
    press();
    QVERIFY(m_window->studying());
    // The button shows after 200 ms; a student may be quicker.
    m_window->findChild<QPushButton *>(QStringLiteral("Cancel"))->click();
    QVERIFY(!m_window->studying());
    QTest::qWait(500); // the stopped thread's answer, if it comes, is dropped
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(m_window->shownStudy(), nullptr);
    QCOMPARE(model("Doubling")->rowCount(), 0);
}

void StudyWindowTest::laterPressWins()
{
    type(QStringLiteral("Formula"), QStringLiteral("x"));
    type(QStringLiteral("Text1"), QStringLiteral("0"));
    type(QStringLiteral("Text2"), QStringLiteral("1"));
    press();
    type(QStringLiteral("Formula"), QStringLiteral("x^2"));
    study();
    QTest::qWait(300); // long enough for the first study's answer to arrive
    QVERIFY(m_window->shownStudy());
    // ∫_0^1 x² dx = 1/3, not the 1/2 of the first press.
    QVERIFY(m_window->shownStudy()->integral.lower <= 1.0 / 3);
    QVERIFY(1.0 / 3 <= m_window->shownStudy()->integral.upper);
}

QTimer *StudyWindowTest::answerStudent(const StudentFields &typed, StudentFields *given,
                                       bool accept)
{
    // The dialog runs its own event loop: it is answered from there.
    auto *poll = new QTimer(m_window);
    poll->setInterval(10);
    connect(poll, &QTimer::timeout, m_window, [=] {
        auto *dialog = qobject_cast<StudentDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll->stop();
        poll->deleteLater();
        if (given)
            *given = dialog->fields();
        const auto typeInto = [&](const char *name, const QString &text) {
            auto *edit = dialog->findChild<QLineEdit *>(QLatin1String(name));
            QVERIFY(edit);
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Delete);
            // Key by key, as an input method delivers Cyrillic.
            for (const QChar c : text)
                QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c),
                                    Qt::NoModifier);
            QCOMPARE(edit->text(), text);
        };
        typeInto("StudentName", typed.name);
        typeInto("StudentGroup", typed.group);
        typeInto("StudentVariant", typed.variant);
        auto *button = dialog->findChild<QPushButton *>(accept ? QStringLiteral("StudentOk")
                                                               : QStringLiteral("StudentCancel"));
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
    });
    poll->start();
    return poll;
}

void StudyWindowTest::sheetHoldsTheStudy()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("лист.pdf"));
    setSaveDialog([path](QWidget *, const QString &) { return path; });
    const auto restore = qScopeGuard([] { setSaveDialog({}); });
    // Before a study there is nothing to hand in, and the window says so.
    press(QStringLiteral("SaveSheet"));
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(!QFileInfo::exists(path));
    m_messages.clear();
    study();
    answerStudent({});
    press(QStringLiteral("SaveSheet"));
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(" | ")));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!text.waitForStarted())
        QSKIP("pdftotext is not installed");
    QVERIFY(text.waitForFinished());
    const QString sheet = QString::fromUtf8(text.readAllStandardOutput());
    const QString sep = QLocale().decimalPoint();
    for (const QString &want :
         {QStringLiteral("Исследование сходимости"), QStringLiteral("(ln(x)/x)^3"),
          QStringLiteral("0") + sep + QStringLiteral("1804790226002"),
          QStringLiteral("Сходимость при удвоении n"), QStringLiteral("n для ε")})
        QVERIFY2(sheet.contains(want), qPrintable(want));
}

namespace {

QString popplerText(const QStringList &arguments)
{
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"), arguments);
    if (!tool.waitForStarted() || !tool.waitForFinished(60000))
        return QString();
    return QString::fromUtf8(tool.readAllStandardOutput());
}

} // namespace

void StudyWindowTest::sheetNamesTheStudentAndTheStudy()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        QSKIP("pdftotext and pdftoppm (poppler-utils) read the sheet back");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("лист.pdf"));
    QString suggested;
    setSaveDialog([&](QWidget *, const QString &offered) {
        suggested = offered;
        return path;
    });
    const auto restore = qScopeGuard([] { setSaveDialog({}); });
    // The course's variant with every method: the widest tables.
    type(QStringLiteral("Formula"), QStringLiteral("x*sin(x)"));
    type(QStringLiteral("Text1"), QStringLiteral("0"));
    type(QStringLiteral("Text2"), QStringLiteral("pi"));
    for (QCheckBox *box : m_window->findChildren<QCheckBox *>())
        box->setChecked(true);
    study();
    QVERIFY(m_window->shownStudy());
    answerStudent({QStringLiteral("Иванова Анна"), QString(), QStringLiteral("17")});
    press(QStringLiteral("SaveSheet"));
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(" | ")));
    // Named after f and [a; b] as typed, in the home folder.
    QCOMPARE(suggested, QDir::home().filePath(QStringLiteral("x·sin(x) на [0; pi].pdf")));

    QStringList pages = popplerText({QStringLiteral("-layout"), path, QStringLiteral("-")})
                            .split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    QVERIFY(pages.size() >= 3);
    // The student on the first page, the group left to fill in by hand.
    QVERIFY(pages[0].contains(QStringLiteral("Иванова Анна")));
    for (const QString &field :
         {QStringLiteral("Студент"), QStringLiteral("Группа"), QStringLiteral("Вариант")})
        QVERIFY2(pages[0].contains(field), qPrintable(field));
    QVERIFY(QRegularExpression(QStringLiteral("Вариант\\s+17")).match(pages[0]).hasMatch());
    // Every page names f, [a; b], ε and n, and is numbered.
    for (int p = 0; p < pages.size(); ++p) {
        for (const QString &want :
             {QStringLiteral("f(x) = x*sin(x), [0; pi], ε = "),
              QStringLiteral(", n = ") +
                  countText(m_window->findChild<QSpinBox *>(QStringLiteral("Count"))->value()),
              QStringLiteral("стр. %1 из %2").arg(p + 1).arg(pages.size())})
            QVERIFY2(pages[p].contains(want),
                     qPrintable(QStringLiteral("page %1: %2").arg(p + 1).arg(want)));
    }

    // No word smaller than 8 pt. pdftotext's word boxes are the font's
    // ascent and descent tall, about 1.15 em in Liberation Sans: the value
    // "x*sin(x)" of the task, set in 10 pt, is the measure.
    const QString boxes = popplerText({QStringLiteral("-bbox"), path, QStringLiteral("-")});
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"[0-9.]+\" yMin=\"([0-9.]+)\" xMax=\"[0-9.]+\" "
                       "yMax=\"([0-9.]+)\">([^<]*)<"));
    QList<std::pair<double, QString>> heights;
    double tenPoints = 0;
    for (auto it = word.globalMatch(boxes); it.hasNext();) {
        const auto m = it.next();
        const double height = m.captured(2).toDouble() - m.captured(1).toDouble();
        if (m.captured(3) == QStringLiteral("x*sin(x)") && tenPoints == 0)
            tenPoints = height;
        heights.append({height, m.captured(3)});
    }
    QVERIFY(tenPoints > 0 && heights.size() > 200);
    for (const auto &[height, text] : heights)
        QVERIFY2(10 * height / tenPoints >= 7.9,
                 qPrintable(QStringLiteral("%1: %2 pt").arg(text).arg(10 * height / tenPoints)));

    // No page but the last less than 30 % filled: the lowest ink of each
    // page, rendered at 20 dpi, under the running header (12 mm + 26 pt)
    // and above the page number (12 mm + 748 pt).
    QProcess render;
    render.start(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-r"), QStringLiteral("20"), QStringLiteral("-gray"), path,
                  dir.filePath(QStringLiteral("page"))});
    QVERIFY(render.waitForFinished(60000));
    const double top = (12 / 25.4 * 72 + 26.2) * 20 / 72;
    const double bottom = (12 / 25.4 * 72 + 747.6) * 20 / 72;
    for (int p = 1; p < pages.size(); ++p) {
        QImage image(dir.filePath(QStringLiteral("page-%1.pgm").arg(p)));
        if (image.isNull())
            image.load(dir.filePath(QStringLiteral("page-%1.pgm").arg(p, 2, 10, QLatin1Char('0'))));
        QVERIFY(!image.isNull());
        int lowest = 0;
        for (int y = int(top) + 1; y < int(bottom); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) < 200)
                    lowest = y;
        const double filled = (lowest - top) / (bottom - top);
        QVERIFY2(filled >= 0.3, qPrintable(QStringLiteral("page %1: %2").arg(p).arg(filled)));
    }
}

void StudyWindowTest::studentFieldsKeptForTheRun()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("лист.pdf"));
    setSaveDialog([path](QWidget *, const QString &) { return path; });
    const auto restore = qScopeGuard([] { setSaveDialog({}); });
    study();
    const StudentFields petrov{QStringLiteral("Петров П."), QStringLiteral("ИВТ-21"),
                               QStringLiteral("3")};
    answerStudent(petrov);
    press(QStringLiteral("SaveSheet"));
    QVERIFY(QFileInfo::exists(path));
    QVERIFY(QFile::remove(path));
    // The next save offers what was typed; «Отмена» there saves nothing and
    // says nothing.
    StudentFields given;
    answerStudent({}, &given, false);
    press(QStringLiteral("SaveSheet"));
    QCOMPARE(given.name, petrov.name);
    QCOMPARE(given.group, petrov.group);
    QCOMPARE(given.variant, petrov.variant);
    QVERIFY(!QFileInfo::exists(path));
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(" | ")));
}

void StudyWindowTest::changedFieldsAskToStudyAgain_data()
{
    QTest::addColumn<QString>("field"); // a line edit, or a rule's box to click
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("saves");
    QTest::newRow("f changed") << "Formula"
                               << "(ln(x)/x)^2" << false;
    QTest::newRow("a changed") << "Text1"
                               << "2" << false;
    QTest::newRow("b changed") << "Text2"
                               << "5" << false;
    QTest::newRow("ε changed") << "Text3"
                               << "0,001" << false;
    QTest::newRow("a method added") << "Rule_romberg" << QString() << false;
    QTest::newRow("spaces around b") << "Text2"
                                     << " 6 " << true;
    QTest::newRow("nothing changed") << QString() << QString() << true;
}

void StudyWindowTest::changedFieldsAskToStudyAgain()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(bool, saves);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("лист.pdf"));
    setSaveDialog([path](QWidget *, const QString &) { return path; });
    const auto restore = qScopeGuard([] { setSaveDialog({}); });
    study();
    QVERIFY(m_window->shownStudy());
    if (field.startsWith(QLatin1String("Rule_"))) {
        auto *box = m_window->findChild<QCheckBox *>(field);
        QVERIFY(box);
        const bool was = box->isChecked();
        box->click();
        QCOMPARE(box->isChecked(), !was);
    } else if (!field.isEmpty()) {
        type(field, text);
    }
    const QString notAsked = QStringLiteral("не спрошен");
    StudentFields asked{notAsked, {}, {}};
    QTimer *answering = answerStudent({}, &asked, saves);
    press(QStringLiteral("SaveSheet"));
    QCOMPARE(QFileInfo::exists(path), saves);
    if (saves) {
        QVERIFY(asked.name != notAsked);
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(" | ")));
        return;
    }
    // Told to study first, before anything else is asked.
    delete answering;
    QCOMPARE(asked.name, notAsked);
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(m_messages[0].contains(QStringLiteral("«Исследовать»")));
    // Studied again, the sheet is saved.
    study();
    answerStudent({});
    press(QStringLiteral("SaveSheet"));
    QVERIFY(QFileInfo::exists(path));
}

void StudyWindowTest::studentDialogNamesItsFields()
{
    StudentDialog dialog({QStringLiteral("Сидоров"), QString(), QStringLiteral("5")});
    for (const char *name : {"StudentName", "StudentGroup", "StudentVariant"}) {
        auto *edit = dialog.findChild<QLineEdit *>(QLatin1String(name));
        QVERIFY2(edit, name);
        // Russian words for a screen reader.
        QVERIFY2(edit->accessibleName().contains(QRegularExpression(QStringLiteral("[а-яА-Я]"))),
                 name);
    }
    QCOMPARE(dialog.findChild<QPushButton *>(QStringLiteral("StudentOk"))->text(),
             QStringLiteral("OK"));
    QCOMPARE(dialog.findChild<QPushButton *>(QStringLiteral("StudentCancel"))->text(),
             QStringLiteral("Отмена"));
    // Filled in as given; what is typed comes back without spaces around it.
    QCOMPARE(dialog.findChild<QLineEdit *>(QStringLiteral("StudentName"))->text(),
             QStringLiteral("Сидоров"));
    QTest::keyClicks(dialog.findChild<QLineEdit *>(QStringLiteral("StudentGroup")),
                     QStringLiteral("  IVT-12 "));
    QCOMPARE(dialog.fields().group, QStringLiteral("IVT-12"));
    QCOMPARE(dialog.fields().variant, QStringLiteral("5"));
}

// What headings and file names make of f and [a; b], worked by hand: a long
// f cut to 59 characters and an ellipsis, never through a surrogate pair;
// the characters a file system refuses replaced.
void StudyWindowTest::subjectAndFileName_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("stem");
    QTest::newRow("course variant") << "x*sin(x)"
                                    << "0"
                                    << "pi" << QStringLiteral("f(x) = x*sin(x), [0; pi]")
                                    << QStringLiteral("x·sin(x) на [0; pi]");
    QTest::newRow("spaces as typed")
        << "  1 /  x "
        << " 1 "
        << "2" << QStringLiteral("f(x) = 1 / x, [1; 2]") << QStringLiteral("1 ∕ x на [1; 2]");
    QTest::newRow("what Windows refuses") << "x|\"<>?:\\"
                                          << "0"
                                          << "1." << QStringLiteral("f(x) = x|\"<>?:\\, [0; 1.]")
                                          << QStringLiteral("x_______ на [0; 1.]");
    const QString cut =
        QStringLiteral("sin(x)+sin(x)+sin(x)+sin(x)+sin(x)+sin(x)+sin(x)+sin(x)+sin") +
        QChar(0x2026);
    QTest::newRow("ten thousand characters")
        << QStringLiteral("sin(x)+").repeated(1430) << "0"
        << "1" << QStringLiteral("f(x) = ") + cut + QStringLiteral(", [0; 1]")
        << cut + QStringLiteral(" на [0; 1]");
    const QString x58 = QStringLiteral("x").repeated(58);
    QTest::newRow("no half of a pair")
        << x58 + QStringLiteral("\U0001D465x") << "0"
        << "1" << QStringLiteral("f(x) = ") + x58 + QChar(0x2026) + QStringLiteral(", [0; 1]")
        << x58 + QChar(0x2026) + QStringLiteral(" на [0; 1]");
}

void StudyWindowTest::subjectAndFileName()
{
    QFETCH(QString, formula);
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(QString, subject);
    QFETCH(QString, stem);
    QCOMPARE(studySubject(formula, a, b), subject);
    QCOMPARE(studyFileStem(formula, a, b), stem);
}

void StudyWindowTest::studyXSinX()
{
    type(QStringLiteral("Formula"), QStringLiteral("x*sin(x)"));
    type(QStringLiteral("Text1"), QStringLiteral("0"));
    type(QStringLiteral("Text2"), QStringLiteral("pi"));
    type(QStringLiteral("Text3"), QStringLiteral("0,001"));
    m_window->findChild<QSpinBox *>(QStringLiteral("Count"))->setValue(4);
    study();
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(" | ")));
    QVERIFY(m_window->shownStudy());
}

int StudyWindowTest::darkest(QWidget *w) const
{
    // The page the widget stands on, grabbed as the screen shows it, cut to
    // the widget.
    const QImage page = w->parentWidget()->grab().toImage();
    const QImage shown = page.copy(w->geometry().intersected(page.rect()));
    int dark = 255;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            dark = std::min(dark, qGray(shown.pixel(x, y)));
    return dark;
}

// x*sin(x) on [0; pi] studied, then one input changed: the results say they
// are not for the fields, fade, and steps of n still show x*sin(x) on
// [0; pi]; typing the studied text back takes the mark away.
void StudyWindowTest::changedInputMarksTheResults_data()
{
    QTest::addColumn<QString>("input"); // a field, or a rule's box to click
    QTest::addColumn<QString>("changed");
    QTest::addColumn<QString>("studied");
    const QString line = QStringLiteral(
        "Показаны результаты для f(x) = x*sin(x), [0; pi], ε = 0,001; нажмите «Исследовать»");
    QTest::addColumn<QString>("note");
    QTest::newRow("f") << "Formula"
                       << "x*cos(x)"
                       << "x*sin(x)" << line;
    QTest::newRow("a") << "Text1"
                       << "0,5"
                       << "0" << line;
    QTest::newRow("b") << "Text2"
                       << "pi/2"
                       << "pi" << line;
    QTest::newRow("ε") << "Text3"
                       << "0,01"
                       << "0,001" << line;
    QTest::newRow("one character more") << "Formula"
                                        << "x*sin(x)+1"
                                        << "x*sin(x)" << line;
    QTest::newRow("rules") << "Rule_boole" << QString() << QString()
                           << QStringLiteral("Показаны результаты для f(x) = x*sin(x), [0; pi], "
                                             "ε = 0,001 и прежних методов; нажмите «Исследовать»");
}

void StudyWindowTest::changedInputMarksTheResults()
{
    QFETCH(QString, input);
    QFETCH(QString, changed);
    QFETCH(QString, studied);
    QFETCH(QString, note);
    studyXSinX();
    auto *stale = m_window->findChild<QLabel *>(QStringLiteral("StaleNote"));
    QVERIFY(stale);
    auto *tabs = m_window->findChild<QTabWidget *>(QStringLiteral("Tabs"));
    auto *atCount = m_window->findChild<QTableView *>(QStringLiteral("AtCount"));
    auto *errorChart = canvas(QStringLiteral("ErrorChart"));
    tabs->setCurrentIndex(0);
    QVERIFY(!stale->isVisible());
    // Black digits on a fresh table.
    QVERIFY2(darkest(atCount) < 80, qPrintable(QString::number(darkest(atCount))));

    const auto change = [&](const QString &text) {
        if (input.startsWith(QLatin1String("Rule_")))
            m_window->findChild<QCheckBox *>(input)->click();
        else
            type(input, text);
    };
    change(changed);
    QVERIFY(stale->isVisible());
    QCOMPARE(stale->text(), note);
    // Every heading still names the study shown.
    for (const char *title : {"MaximaTitle", "CountsTitle", "AtCountTitle", "DoublingTitle",
                              "RombergTitle", "AdaptiveTitle"}) {
        const QString heading = m_window->findChild<QLabel *>(QLatin1String(title))->text();
        QVERIFY2(heading.endsWith(QStringLiteral(" — f(x) = x*sin(x), [0; pi]")),
                 qPrintable(heading));
    }
    QCOMPARE(tabs->tabBar()->accessibleDescription(), note);
    // What a screen reader hears on each tab of the results.
    QAccessibleInterface *tabList = QAccessible::queryAccessibleInterface(tabs->tabBar());
    // Its first children are the tabs, then its scroll buttons.
    QVERIFY(tabList->childCount() >= tabs->count());
    for (int i = 0; i < tabs->count(); ++i)
        QCOMPARE(tabList->child(i)->text(QAccessible::Description), note);
    // Greyed: nothing on the tables or the charts is darker than mid-grey.
    QVERIFY2(darkest(atCount) > 120, qPrintable(QString::number(darkest(atCount))));
    tabs->setCurrentWidget(errorChart->parentWidget());
    QVERIFY2(darkest(errorChart) > 120, qPrintable(QString::number(darkest(errorChart))));
    tabs->setCurrentIndex(0);

    // Steps of n show the studied f on the studied [a; b], under the line.
    // By hand, with h = pi/2 and f(0) = f(pi) = 0, f(pi/2) = pi/2: the
    // trapezoid rule h·f(pi/2) = pi²/4, Simpson's (h/3)·4·f(pi/2) = pi²/3.
    auto *count = m_window->findChild<QSpinBox *>(QStringLiteral("Count"));
    count->setValue(2);
    QVERIFY(std::abs(value("AtCount", 0, 1) - M_PI * M_PI / 4) < 1e-14);
    QVERIFY(std::abs(value("AtCount", 1, 1) - M_PI * M_PI / 3) < 1e-14);
    QCOMPARE(m_window->findChild<QLabel *>(QStringLiteral("AtCountTitle"))->text(),
             QStringLiteral("Методы при n = 2 — f(x) = x*sin(x), [0; pi]"));
    // n = 4: h = pi/4, and f(pi/4) + f(pi/2) + f(3pi/4) = pi(1 + √2)/2.
    count->setValue(4);
    QVERIFY(std::abs(value("AtCount", 0, 1) - M_PI * M_PI * (1 + std::sqrt(2.0)) / 8) < 1e-14);
    QVERIFY(stale->isVisible());

    change(studied);
    QVERIFY(!stale->isVisible());
    QVERIFY(tabs->tabBar()->accessibleDescription().isEmpty());
    QVERIFY(tabList->child(0)->text(QAccessible::Description).isEmpty());
    QVERIFY2(darkest(atCount) < 80, qPrintable(QString::number(darkest(atCount))));
    QVERIFY(m_messages.isEmpty());
}

void StudyWindowTest::enterInAnyFieldStudies_data()
{
    QTest::addColumn<QString>("field");
    for (const char *name : {"Formula", "Text1", "Text2", "Text3", "Count"})
        QTest::newRow(name) << name;
}

void StudyWindowTest::enterInAnyFieldStudies()
{
    QFETCH(QString, field);
    type(QStringLiteral("Formula"), QStringLiteral("x^2"));
    type(QStringLiteral("Text1"), QStringLiteral("0"));
    type(QStringLiteral("Text2"), QStringLiteral("1"));
    auto *count = m_window->findChild<QSpinBox *>(QStringLiteral("Count"));
    // n typed and not yet taken: Enter takes it before it studies.
    count->setFocus();
    QTest::keyClick(count, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(count, QStringLiteral("6"));
    QWidget *at = m_window->findChild<QWidget *>(field);
    at->setFocus();
    QSignalSpy done(m_window, &StudyWindow::studied);
    QTest::keyClick(at, Qt::Key_Return);
    QVERIFY(m_window->studying() || done.size() == 1);
    if (done.isEmpty())
        QVERIFY(done.wait(20000));
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(" | ")));
    QVERIFY(m_window->shownStudy());
    QCOMPARE(count->value(), 6);
    // The trapezoid rule on x² over [0; 1]: 1/3 + h²/6 with h = 1/6.
    QVERIFY(std::abs(value("AtCount", 0, 1) - (1.0 / 3 + 1.0 / 216)) < 1e-15);
}

void StudyWindowTest::pictureRuleStays()
{
    study();
    auto *rule = m_window->findChild<QComboBox *>(QStringLiteral("PictureRule"));
    const QString simpson = m_window->findChild<QCheckBox *>("Rule_simpson")->accessibleName();
    const QString trapezoid = m_window->findChild<QCheckBox *>("Rule_trapezoid")->accessibleName();
    QCOMPARE(rule->currentText(), trapezoid);
    rule->setCurrentIndex(rule->findText(simpson));
    QCOMPARE(rule->currentText(), simpson);
    study();
    QCOMPARE(rule->currentText(), simpson);
    m_window->findChild<QSpinBox *>(QStringLiteral("Count"))->setValue(8);
    QCOMPARE(rule->currentText(), simpson);
    QVERIFY2(
        m_window->findChild<QLabel *>(QStringLiteral("PictureNote"))->text().startsWith(simpson),
        qPrintable(m_window->findChild<QLabel *>(QStringLiteral("PictureNote"))->text()));
    // Not studied any more: the first rule studied.
    m_window->findChild<QCheckBox *>("Rule_simpson")->click();
    study();
    QCOMPARE(rule->currentText(), trapezoid);
}

void StudyWindowTest::countStepsByTheRuleMultiple_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("multiple"); // the n a rule takes, by its nodes
    QTest::newRow("trapezoid") << "Rule_trapezoid" << 1;
    QTest::newRow("Simpson") << "Rule_simpson" << 2;
    QTest::newRow("3/8") << "Rule_simpson38" << 3;
    QTest::newRow("Boole") << "Rule_boole" << 4;
}

void StudyWindowTest::countStepsByTheRuleMultiple()
{
    QFETCH(QString, box);
    QFETCH(int, multiple);
    auto *chosen = m_window->findChild<QCheckBox *>(box);
    if (!chosen->isChecked())
        chosen->click();
    study();
    auto *rule = m_window->findChild<QComboBox *>(QStringLiteral("PictureRule"));
    rule->setCurrentIndex(rule->findText(chosen->accessibleName()));
    QCOMPARE(rule->currentText(), chosen->accessibleName());
    auto *count = m_window->findChild<QSpinBox *>(QStringLiteral("Count"));
    auto *slider = m_window->findChild<QSlider *>(QStringLiteral("CountSlider"));
    auto *note = m_window->findChild<QLabel *>(QStringLiteral("PictureNote"));
    const auto takes = [&] {
        return count->value() % multiple == 0 && !note->text().contains(QStringLiteral("не берёт"));
    };
    // n typed by hand goes through, one that the rule does not take too.
    count->setValue(13);
    QCOMPARE(count->value(), 13);
    QCOMPARE(note->text().contains(QStringLiteral("не берёт")), multiple > 1);
    // The arrows of the spin box go to the next multiple up, then down.
    count->setFocus();
    QTest::keyClick(count, Qt::Key_Up);
    QCOMPARE(count->value(), (13 / multiple + 1) * multiple);
    QVERIFY(takes());
    QTest::keyClick(count, Qt::Key_Down);
    QTest::keyClick(count, Qt::Key_Down);
    QCOMPARE(count->value(), (13 / multiple - 1) * multiple);
    // The slider, by its keys and at every place a drag passes.
    slider->setFocus();
    for (int i = 0; i < 5; ++i) {
        const int before = count->value();
        QTest::keyClick(slider, Qt::Key_Right);
        QCOMPARE(count->value(), before + multiple);
        QVERIFY(takes());
    }
    for (int place = slider->minimum(); place <= slider->maximum(); ++place) {
        slider->setSliderPosition(place);
        QVERIFY2(takes(),
                 qPrintable(QStringLiteral("%1 -> n = %2").arg(place).arg(count->value())));
    }
}

// The CSV of the rules at n, saved from its table's menu: f, a, b, ε and n
// before the table, the numbers the study took beside the texts typed that
// are not those numbers (pi's double is 3.141592653589793, Python's repr).
void StudyWindowTest::savedTableSaysWhatItIs()
{
    studyXSinX();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.csv"));
    QStringList suggested;
    setSaveDialog([&](QWidget *, const QString &where) {
        suggested << where;
        return path;
    });
    const auto restore = qScopeGuard([] { setSaveDialog({}); });
    auto *view = m_window->findChild<QTableView *>(QStringLiteral("AtCount"));
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Menu);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QAction *save = menu->findChild<QAction *>(QStringLiteral("saveCsv"));
    menu->close();
    QVERIFY(save);
    save->trigger();
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(" | ")));
    QCOMPARE(suggested, QStringList{QDir::home().filePath(
                            QStringLiteral("x·sin(x) на [0; pi] — методы при n = 4.csv"))});
    const QByteArray csv = testsupport::readAll(path);
    const QByteArray head = "\xEF\xBB\xBF"
                            "f(x);x*sin(x)\r\n"
                            "a;0\r\n"
                            "b;pi;3,141592653589793\r\n"
                            "\xCE\xB5;0,001\r\n"
                            "n;4\r\n"
                            "\r\n";
    QVERIFY2(csv.startsWith(head), csv.left(200).constData());
    // Then the table: its first header, and a row per rule.
    const QByteArray table = csv.mid(head.size());
    QVERIFY(table.startsWith(model("AtCount")->headerData(0, Qt::Horizontal).toString().toUtf8()));
    QCOMPARE(table.count("\r\n"), 1 + 2);
}

// A chart saved from its menu is drawn anew: at least 1600 pixels
// wide, at the screen's ratio or more, titled with f and [a; b] and named
// after them.
void StudyWindowTest::chartsLeaveLargeAndTitled()
{
    type(QStringLiteral("Formula"), QStringLiteral("x*sin(x)"));
    type(QStringLiteral("Text1"), QStringLiteral("0"));
    type(QStringLiteral("Text2"), QStringLiteral("pi"));
    QSignalSpy done(m_window, &StudyWindow::studied);
    press();
    // Typed while the study runs: its pictures name what was studied.
    type(QStringLiteral("Text2"), QStringLiteral("2"));
    if (m_window->studying())
        QVERIFY(done.wait(20000));
    const QString subject = QStringLiteral("f(x) = x*sin(x), [0; pi]");
    for (const char *name : {"RulePicture", "ErrorChart", "DerivativeChart"}) {
        auto *canvas = m_window->findChild<PlotCanvas *>(QLatin1String(name));
        QVERIFY2(canvas, name);
        const QImage picture = savedPicture(*canvas);
        QVERIFY2(picture.width() >= 1600, name);
        QVERIFY2(picture.devicePixelRatio() >= canvas->devicePixelRatioF(), name);
        // Laid out as the canvas shows it: the same shape.
        QVERIFY(std::abs(picture.width() * canvas->contentsRect().height() -
                         picture.height() * canvas->contentsRect().width()) <=
                picture.width() + picture.height());
        QStringList printed;
        QVERIFY(!chartPicture(*canvas, &printed).isNull());
        QVERIFY2(printed.contains(subject), qPrintable(printed.join(QLatin1String(" | "))));
        // On screen the window says what was studied: the canvas does not.
        QVERIFY(!canvas->printedLines().contains(subject));
        QVERIFY2(suggestedPath(*canvas).contains(QStringLiteral("x·sin(x) на [0; pi]")),
                 qPrintable(suggestedPath(*canvas)));
    }
}

// pdfimages lists the pixel pictures of a PDF: the sheet's charts are drawn
// as lines and text, and it has none.
void StudyWindowTest::sheetChartsAreLinesNotPixels()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("лист.pdf"));
    setSaveDialog([path](QWidget *, const QString &) { return path; });
    const auto restore = qScopeGuard([] { setSaveDialog({}); });
    study();
    answerStudent({});
    press(QStringLiteral("SaveSheet"));
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(" | ")));
    QProcess images;
    images.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), path});
    if (!images.waitForStarted())
        QSKIP("pdfimages is not installed");
    QVERIFY(images.waitForFinished());
    QCOMPARE(images.exitCode(), 0);
    // The header and its rule, and no row under them.
    const QStringList lines = QString::fromUtf8(images.readAllStandardOutput())
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    QVERIFY(text.waitForStarted() && text.waitForFinished());
    // The charts' own text is on the page as text.
    const QString sheet = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY(sheet.contains(QStringLiteral("Фактическая ошибка и априорная оценка методов")));
    QVERIFY(sheet.contains(QStringLiteral("округление double")));
}

// Spaces around a text are no part of it (the readers take them so): the
// results still answer the fields, and the sheet is saved without a word.
void StudyWindowTest::spacesAroundAreNoChange()
{
    studyXSinX();
    auto *stale = m_window->findChild<QLabel *>(QStringLiteral("StaleNote"));
    type(QStringLiteral("Formula"), QStringLiteral(" x*sin(x) "));
    type(QStringLiteral("Text2"), QStringLiteral("pi "));
    QVERIFY(!stale->isVisible());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("лист.pdf"));
    setSaveDialog([path](QWidget *, const QString &) { return path; });
    const auto restore = qScopeGuard([] { setSaveDialog({}); });
    answerStudent({});
    press(QStringLiteral("SaveSheet"));
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(" | ")));
    QVERIFY(QFileInfo::exists(path));
}

// On paper a column of numbers stands right-aligned even where its first
// rows are empty (the order without I starts at the third row), and a column
// of words left.
void StudyWindowTest::sheetColumnsAlignByTheirNumbers()
{
    QStandardItemModel model(3, 2);
    model.setItem(1, 0, new QStandardItem(QStringLiteral("2,01")));
    model.item(1, 0)->setData(2.01, kCellNumberRole);
    model.setItem(2, 0, new QStandardItem(QStringLiteral("2,00")));
    model.item(2, 0)->setData(2.0, kCellNumberRole);
    model.setItem(0, 1, new QStandardItem(QStringLiteral("—")));
    model.setItem(1, 1, new QStandardItem(QStringLiteral("1,5")));
    model.item(1, 1)->setData(1.5, kCellNumberRole);
    const SheetTable table = sheetTable(model, QStringLiteral("порядки"));
    QCOMPARE(table.alignment, (QList<ColumnAlign>{ColumnAlign::Right, ColumnAlign::Left}));
}

QTEST_MAIN(StudyWindowTest)
#include "studywindowtest.moc"
