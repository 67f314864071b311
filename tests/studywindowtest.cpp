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
#include "studywindow/studentdialog.h"
#include "studywindow/studytablemodel.h"
#include "studywindow/studytext.h"
#include "tests/apptest.h"
#include "tests/testsupport.h"
#include "tests/windowdriver.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
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
constexpr int kN = 1, kValue = 2, kError = 3, kRunge = 4, kOrder = 5, kRichardson = 6, kTrust = 7;

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

private:
    QWidget *driven() const override { return m_window; }
    // Presses "Исследовать" and waits for the study to end.
    void study();
    QAbstractItemModel *model(const char *table) const;
    QString text(const char *table, int row, int column) const;
    double value(const char *table, int row, int column) const;
    // Answers the student's dialog the next save opens, as a student types:
    // what it was filled in with goes to `given` (when not null); OK, or
    // «Отмена» when `accept` is false.
    // Returns the timer that waits for the dialog.
    QTimer *answerStudent(const StudentFields &typed, StudentFields *given = nullptr,
                          bool accept = true);

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
    QTest::newRow("1e-6") << "0,000001" << QList<double>{1595, 40, 109}
                          << QList<double>{210, 40, 66};
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
    // Runge's 40 for the trapezoid rule is the trap: the observed order at
    // n = 40 is 0.38, and 109 subintervals are needed.
    QVERIFY(text("Counts", 0, 2).endsWith(QStringLiteral("не верить")));
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

QTEST_MAIN(StudyWindowTest)
#include "studywindowtest.moc"
