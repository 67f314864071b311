// SPDX-License-Identifier: GPL-3.0-or-later
// The composite rules on exact nodes in ball arithmetic: their errors against
// mpmath at 50 digits (tools/peer/exact_rule_reference.py) and hand values,
// every a-priori bound holding against them over the course set and the
// integrands whose double sums are all rounding, the orders they give the
// doubling table, and the refusals of the exact sum.

// Qt before Arb (proof/balls.h says why).
#include <QFile>
#include <QTest>

#include "expression/parser.h"
#include "proof/exactrule.h"
#include "study/study.h"
#include "tests/benchmarkset.h"
#include "tests/refusalprint.h"

#include <cmath>

using namespace kvadrolab;

namespace {

Program parsed(const QString &text)
{
    auto program = parseExpression(text.toStdString());
    if (!program)
        qFatal("no expression: %s", qPrintable(text));
    return *program;
}

// The integral and the M_k alone: the rules are asked one count at a time.
Result<Study> bare(const QString &f, double a, double b)
{
    return studyIntegral({parsed(f), a, b, 1e-6, MethodChoice{}});
}

struct Case
{
    QString name, f;
    double a, b;
};

// Integrands whose double sums are mostly or wholly rounding.
const Case kCancelling[] = {
    {"(1-cos x)/x² [1e-8;2e-8]", "(1-cos(x))/x^2", 1e-8, 2e-8},
    {"(x+1e16)-1e16 [0;1]", "(x+1e16)-1e16", 0, 1},
    {"(√(1+x)-1)/x [1e-9;1e-6]", "(sqrt(1+x)-1)/x", 1e-9, 1e-6},
    {"ln(1+x)/x [1e-9;1e-6]", "ln(1+x)/x", 1e-9, 1e-6},
    {"(e^x-1)/x [1e-9;1e-6]", "(exp(x)-1)/x", 1e-9, 1e-6},
    {"√(x+1)-√x [1e8;1e8+1]", "sqrt(x+1)-sqrt(x)", 1e8, 1e8 + 1},
    {"sin x - x [0;1e-4]", "sin(x)-x", 0, 1e-4},
    {"x³ [0;2]", "x^3", 0, 2},
    {"x·sin x [0;π]", "x*sin(x)", 0, 3.141592653589793},
};

QList<Case> courseSet()
{
    QList<Case> rows;
    for (const QStringList &c : testsupport::benchmarkSetRows()) {
        if (c.size() < 15 || !c[13].isEmpty()) // refused somewhere on the interval
            continue;
        rows.append({c[0], c[1], c[2].toDouble(), c[3].toDouble()});
    }
    return rows;
}

} // namespace

class TestExactRule : public QObject
{
    Q_OBJECT

private slots:
    void errorsAgainstReferences_data();
    void errorsAgainstReferences();
    void boundsHold_data();
    void boundsHold();
    void ordersFromExactErrors();
    void curvePoints();
    void refusals();
};

void TestExactRule::errorsAgainstReferences_data()
{
    QTest::addColumn<QString>("f");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<RuleKind>("kind");
    QTest::addColumn<long>("n");
    QTest::addColumn<long double>("error");    // I(n) - I
    QTest::addColumn<long double>("rounding"); // the double sum - I(n); NaN: not checked
    const long double unchecked = NAN;
    // mpmath at 50 digits (tools/peer/exact_rule_reference.py), 20 shown.
    QTest::newRow("(1-cos x)/x² midpoint n=1")
        << "(1-cos(x))/x^2" << 1e-8 << 2e-8 << RuleKind::Midpoint << 1L
        << 3.4722222222222222774e-27L << unchecked;
    QTest::newRow("x·sin x Boole n=600")
        << "x*sin(x)" << 0.0 << 3.141592653589793 << RuleKind::Boole << 600L
        << -1.3700803720631027577e-16L << unchecked;
    QTest::newRow("x·sin x Gauss-3 n=600")
        << "x*sin(x)" << 0.0 << 3.141592653589793 << RuleKind::Gauss3 << 600L
        << 3.2110826494427429806e-20L << unchecked;
    QTest::newRow("(√(1+x)-1)/x midpoint n=1")
        << "(sqrt(1+x)-1)/x" << 1e-6 << 2e-6 << RuleKind::Midpoint << 1L
        << -5.2083186849269360823e-21L << unchecked;
    // By hand: Simpson is exact on cubics; on [0; 1] the sum of f = x is
    // 0.375 at the left nodes and 0.5 at the middles, while the doubles
    // lose x against 1e16 at every node and sum 0.
    QTest::newRow("x³ Simpson n=4")
        << "x^3" << 0.0 << 2.0 << RuleKind::Simpson << 4L << 0.0L << 0.0L;
    QTest::newRow("x³ left n=4") << "x^3" << 0.0 << 2.0 << RuleKind::Left << 4L << -1.75L << 0.0L;
    QTest::newRow("(x+1e16)-1e16 left n=4")
        << "(x+1e16)-1e16" << 0.0 << 1.0 << RuleKind::Left << 4L << -0.125L << -0.375L;
    QTest::newRow("(x+1e16)-1e16 midpoint n=4")
        << "(x+1e16)-1e16" << 0.0 << 1.0 << RuleKind::Midpoint << 4L << 0.0L << -0.5L;
}

void TestExactRule::errorsAgainstReferences()
{
    QFETCH(QString, f);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(RuleKind, kind);
    QFETCH(long, n);
    QFETCH(long double, error);
    QFETCH(long double, rounding);
    const Result<Study> s = bare(f, a, b);
    QVERIFY(s.ok());
    // The integral to 1e-30 of itself.
    QVERIFY(s->integral.fineRad <= 1e-30 * std::fabs(s->integral.mid));
    const Result<RuleAtCount> r = ruleAtCount(*s, kind, n);
    QVERIFY(r.ok());
    QVERIFY(r->exact.ok());
    const Enclosure &e = r->exact->error;
    // The 20 digits of the reference lie in the enclosure, which is narrow:
    // a millionth of the error, or 1e-30 where it is 0.
    const long double slack = std::fabs(error) * 1e-19L;
    QVERIFY2(
        e.lower <= error + slack && error - slack <= e.upper,
        qPrintable(QStringLiteral("[%1; %2]").arg(e.lower, 0, 'g', 17).arg(e.upper, 0, 'g', 17)));
    QVERIFY2(e.upper - e.lower <= std::max(1e-6 * std::fabs(double(error)), 1e-30),
             qPrintable(QString::number(e.upper - e.lower)));
    if (!std::isnan(rounding)) {
        const Enclosure &d = r->exact->rounding;
        QVERIFY(d.lower <= rounding && rounding <= d.upper);
    }
    // Where the exact error is not 0, the bound is set against it; a zero
    // enclosed has no ratio.
    QCOMPARE(r->ratio.has_value(), r->bound.ok() && error != 0);
    if (r->bound)
        QVERIFY(*r->bound >= std::fabs(double(error)) * (1 - 1e-15));
}

void TestExactRule::boundsHold_data()
{
    QTest::addColumn<QString>("f");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    // How many bounds must be there to check: the course's smooth integrands
    // have M1 and M2 at least; near 0 a cancelling quotient may have its
    // M_k refused (within the work limit its balls do not narrow), and then
    // it has no bound to break.
    QTest::addColumn<int>("leastChecked");
    const QList<Case> set = courseSet();
    QVERIFY(set.size() >= 30);
    for (const Case &c : set)
        QTest::newRow(qPrintable(QStringLiteral("set: ") + c.name)) << c.f << c.a << c.b << 2 * 65;
    for (const Case &c : kCancelling)
        QTest::newRow(qPrintable(c.name)) << c.f << c.a << c.b << 0;
}

// bound >= |e(n)| - rad(e(n)) for every rule at n = 1..64 and 600, with no
// allowance for rounding: the least |e| the enclosure allows is no more
// than the rounded-up bound.
void TestExactRule::boundsHold()
{
    QFETCH(QString, f);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(int, leastChecked);
    const Result<Study> s = bare(f, a, b);
    QVERIFY(s.ok());
    int checked = 0;
    for (const RuleKind kind : allRules) {
        const long step = ruleInfo(kind).countMultiple;
        std::vector<long> counts;
        for (long n = step; n <= 64; n += step)
            counts.push_back(n);
        counts.push_back(600);
        for (const long n : counts) {
            const Result<RuleAtCount> r = ruleAtCount(*s, kind, n);
            QVERIFY(r.ok());
            if (!r->exact)
                QFAIL(qPrintable(QStringLiteral("%1 n=%2 refused %3")
                                     .arg(ruleInfo(kind).name)
                                     .arg(n)
                                     .arg(int(r->exact.reason()))));
            if (!r->bound)
                continue; // M_k not proven: no bound to hold
            const Enclosure &e = r->exact->error;
            const double least = e.lower > 0 ? e.lower : (e.upper < 0 ? -e.upper : 0.0);
            QVERIFY2(least <= *r->bound, qPrintable(QStringLiteral("%1 n=%2: |e| >= %3 > bound %4")
                                                        .arg(ruleInfo(kind).name)
                                                        .arg(n)
                                                        .arg(least, 0, 'g', 17)
                                                        .arg(*r->bound, 0, 'g', 17)));
            ++checked;
        }
    }
    QVERIFY(checked >= leastChecked);
}

void TestExactRule::ordersFromExactErrors()
{
    // x³ on [0; 2]: Simpson and Gauss-2 are exact on cubics, so every
    // error encloses 0 and no row has an order; the trapezoid's errors are
    // h² (by hand, Euler-Maclaurin: h²/12 (f'(b) - f'(a)), the h⁴ term
    // vanishing with f''' constant), falling exactly 4 times per row.
    const Result<Study> cubic = studyIntegral(
        {parsed("x^3"), 0, 2, 1e-6, {{RuleKind::Trapezoid, RuleKind::Simpson, RuleKind::Gauss2}}});
    QVERIFY(cubic.ok());
    for (const Result<StudyRule> &rule : cubic->rules) {
        QVERIFY(rule.ok());
        for (const DoublingRow &row : rule->doubling) {
            QVERIFY(row.exact.ok());
            const Enclosure &e = row.exact->error;
            if (rule->kind == RuleKind::Trapezoid) {
                const double h = 2.0 / row.n;
                QVERIFY(std::fabs(e.mid / (h * h) - 1) < 1e-14); // h itself is rounded
                if (row.n != rule->doubling.front().n) {
                    QVERIFY(row.order.has_value());
                    QVERIFY(std::fabs(*row.order - 2) < 1e-12);
                    QCOMPARE(row.trust, RungeTrust::Trusted);
                }
            } else {
                QVERIFY(e.lower <= 0 && 0 <= e.upper);
                QVERIFY(!row.order.has_value());
                QCOMPARE(row.trust, RungeTrust::NoOrder);
            }
        }
    }
}

void TestExactRule::curvePoints()
{
    for (const RuleKind kind : allRules) {
        const std::vector<long> counts = exactCurveCounts(kind);
        const long m = ruleInfo(kind).countMultiple;
        QVERIFY(counts.size() <= std::size_t(kStudyExactCurvePoints) && counts.size() >= 30);
        QCOMPARE(counts.front(), m);
        QCOMPARE(counts.back(), kStudyCurveLast / m * m);
        for (std::size_t i = 0; i < counts.size(); ++i) {
            QCOMPARE(counts[i] % m, 0L);
            if (i > 0)
                QVERIFY(counts[i] > counts[i - 1]);
        }
    }
    // The study has the exact part at those counts of the curve and nowhere
    // else; each agrees with the double error to its rounding.
    const Result<Study> s =
        studyIntegral({parsed("exp(-x^2)"), 0, 1, 1e-6, {{RuleKind::Simpson38}}});
    QVERIFY(s.ok());
    const StudyRule &rule = *s->rules.front();
    const std::vector<long> counts = exactCurveCounts(RuleKind::Simpson38);
    int proven = 0;
    for (const StudyPoint &p : rule.curve) {
        const bool listed = std::find(counts.begin(), counts.end(), p.n) != counts.end();
        QCOMPARE(p.exact.ok(), listed);
        if (!p.exact)
            continue;
        ++proven;
        QVERIFY(std::fabs(p.exact->error.mid) - p.absError.value_or(0) <=
                std::fabs(p.exact->rounding.mid) + 1e-15);
    }
    QCOMPARE(proven, int(counts.size()));
}

void TestExactRule::refusals()
{
    // A pole at the middle node 0.5 of [0; 1] at n = 1; the left rule at
    // n = 2 meets it as its second node.
    const Program pole = parsed("1/(x-0.5)");
    QCOMPARE(exactRule(RuleKind::Midpoint, pole, 0.0, 1.0, 1).refusal(),
             (Refusal{Reason::Pole, {}, 1, 0.5}));
    QCOMPARE(exactRule(RuleKind::Left, pole, 0.0, 1.0, 2).refusal(),
             (Refusal{Reason::Pole, {}, 1, 0.5}));
    // Counts as the rules refuse them, and the work limit: Gauss-3 at
    // n = 30000 has 90000 nodes of f = x.
    const Program x = parsed("x");
    QCOMPARE(exactRule(RuleKind::Simpson, x, 0.0, 1.0, 3).refusal(),
             (Refusal{Reason::OddCount, Input::Count}));
    QCOMPARE(exactRule(RuleKind::Gauss3, x, 0.0, 1.0, 30000).refusal(),
             (Refusal{Reason::WorkLimit, Input::Count}));
    QVERIFY(exactRule(RuleKind::Gauss3, x, 0.0, 1.0, 20000).ok());
    QCOMPARE(exactRule(RuleKind::Left, x, NAN, 1.0, 2).refusal(),
             (Refusal{Reason::NonFiniteInput, Input::A}));
    // The reversed interval sums with a negative h: minus the forward one.
    const Result<Enclosure> forward = exactRule(RuleKind::Boole, parsed("exp(x)"), 0.0, 1.0, 8);
    const Result<Enclosure> backward = exactRule(RuleKind::Boole, parsed("exp(x)"), 1.0, 0.0, 8);
    QVERIFY(forward.ok() && backward.ok());
    QCOMPARE(forward->mid, -backward->mid);
}

QTEST_GUILESS_MAIN(TestExactRule)
#include "exactruletest.moc"
