// SPDX-License-Identifier: GPL-3.0-or-later
// The convergence study against values known independently of it: integrals
// and derivative maxima from 40-digit arithmetic, the errors of both rules
// at n = 10..640 on [1;6] from exact arithmetic, and the rules' errors and the
// counts of n for a tolerance recomputed separately in plain double precision
// against those exact integrals.

#include "study/convergence.h"
#include "core/errorbound.h"
#include "core/integrand.h"
#include "core/quadrature.h"
#include "refusalprint.h"

#include <QElapsedTimer>
#include <QTest>

#include <cmath>
#include <limits>
#include <utility>

using namespace kvadrolab;

Q_DECLARE_METATYPE(long double)
Q_DECLARE_METATYPE(kvadrolab::Rule)

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The integral over [1;6] to 22 digits.
constexpr long double kExact16 = 0.1804790226002359445071L;

const StudyRow &row(const RuleStudy &r, int n)
{
    for (const StudyRow &x : r.table)
        if (x.n == n)
            return x;
    qFatal("no table row for n = %d", n);
}

const ErrorPoint &point(const RuleStudy &r, int n)
{
    for (const ErrorPoint &p : r.curve)
        if (p.n == n)
            return p;
    qFatal("no curve point for n = %d", n);
}

const RuleStudy &ofRule(const ConvergenceStudy &s, Rule rule)
{
    return rule == Rule::Trapezoid ? s.trapezoid : s.simpson;
}

bool near(double v, double expected, double relative)
{
    return std::fabs(v - expected) <= relative * std::fabs(expected);
}

} // namespace

class TestConvergence : public QObject
{
    Q_OBJECT

    ConvergenceStudy m_default;  // [1;6], tolerance 1e-6
    ConvergenceStudy m_reversed; // [6;1]
    ConvergenceStudy m_near2;    // [2;3]

    const ConvergenceStudy &studyOf(double a, double b) const
    {
        if (a == 1 && b == 6)
            return m_default;
        if (a == 6 && b == 1)
            return m_reversed;
        return m_near2;
    }

private slots:
    void initTestCase();

    void exactIntegral_data();
    void exactIntegral();
    void derivativeMaximum_data();
    void derivativeMaximum();
    void derivativeMaximumRefusals_data();
    void derivativeMaximumRefusals();

    void tableErrors_data();
    void tableErrors();
    void tableKeepsTheProgramsOwnRules();
    void simpsonFirstRowHasValueAndErrorOnly();
    void rungeEstimatesTheActualError_data();
    void rungeEstimatesTheActualError();
    void observedOrder_data();
    void observedOrder();
    void richardsonIsCloserThanTheRule_data();
    void richardsonIsCloserThanTheRule();

    void curvesCoverEveryCount();
    void boundsAreAboveTheActualError_data();
    void boundsAreAboveTheActualError();
    void boundsAgreeWithTheDesignedFormulas_data();
    void boundsAgreeWithTheDesignedFormulas();
    void curveShowsTheRoundingFloor_data();
    void curveShowsTheRoundingFloor();
    void curveStaysOnTheFloor();
    void trapezoidErrorChangesSign_data();
    void trapezoidErrorChangesSign();

    void countsForTolerance_data();
    void countsForTolerance();
    void tinyToleranceNeedsAHugeCount();
    void toleranceNotPositiveCountsNothing();
    void countsNearTheLimit_data();
    void countsNearTheLimit();
    void sweepAcrossTheLimits_data();
    void sweepAcrossTheLimits();

    void refusals_data();
    void refusals();

    void pictureNodes();
    void pictureArcsPassThroughNodes();
    void pictureArcsIntegrateToSimpson();
    void pictureRefusals_data();
    void pictureRefusals();
};

void TestConvergence::initTestCase()
{
    const auto d = studyConvergence(1, 6, 1e-6);
    const auto r = studyConvergence(6, 1, 1e-6);
    const auto n = studyConvergence(2, 3, 1e-6);
    QVERIFY(d.ok());
    QVERIFY(r.ok());
    QVERIFY(n.ok());
    m_default = d.value();
    m_reversed = r.value();
    m_near2 = n.value();
}

// ---- The exact integral and the derivatives ----

void TestConvergence::exactIntegral_data()
{
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<long double>("reference");

    QTest::newRow("[1;6] default") << 1.0 << 6.0 << kExact16;
    QTest::newRow("[6;1] reversed") << 6.0 << 1.0 << -kExact16;
    QTest::newRow("[2;3]") << 2.0 << 3.0 << 0.04796640494299398496882L;
    QTest::newRow("[0,5;2] across 1") << 0.5 << 2.0 << -0.1595599218663593112938L;
    QTest::newRow("[0,9;1,1] around 1") << 0.9 << 1.1 << -1.876454311021301161966e-5L;
    QTest::newRow("[0,99;1,02] around 1") << 0.99 << 1.02 << 3.465395928487992086054e-8L;
    QTest::newRow("[1;1,001] short from 1") << 1.0 << 1.001 << 2.491020379404125843469e-13L;
    QTest::newRow("[1;1+1e-9] very short from 1")
        << 1.0 << 1.000000001 << 2.500000818403808977544e-37L;
    QTest::newRow("[5;5,000001] short") << 5.0 << 5.000001 << 3.335128873025646990825e-8L;
    QTest::newRow("[3;2,9999999] short reversed")
        << 3.0 << 2.9999999 << -4.910996162684644291192e-9L;
    QTest::newRow("[1;1000] long") << 1.0 << 1000.0 << 0.3747938474053192626470L;
    QTest::newRow("[0,1;0,2] below 1") << 0.1 << 0.2 << -323.6096908521357366495L;
    QTest::newRow("[0,001;1] steep") << 0.001 << 1.0 << -133826970.5642789813137L;
    QTest::newRow("[1e-100;1] huge") << 1e-100 << 1.0 << -6.0644438599338149148e206L;
}

void TestConvergence::exactIntegral()
{
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(long double, reference);
    const auto v = provenIntegral(a, b);
    QVERIFY(v.ok());
    // The enclosure holds the reference (the double nearest it may sit half
    // an ulp outside a tight one) and is a few ulps wide at most.
    const double r = static_cast<double>(reference);
    QVERIFY2(v->lower <= std::nextafter(r, INFINITY) && std::nextafter(r, -INFINITY) <= v->upper,
             qPrintable(QString("[%1; %2]").arg(v->lower, 0, 'g', 17).arg(v->upper, 0, 'g', 17)));
    QVERIFY2(v->upper - v->lower <= 1e-15 * std::fabs(r),
             qPrintable(QString::number((v->upper - v->lower) / std::fabs(r))));
    QVERIFY(v->lower <= v->mid && v->mid <= v->upper);
}

void TestConvergence::derivativeMaximum_data()
{
    QTest::addColumn<int>("order");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("at");

    QTest::newRow("M2 [1;6] inside") << 2 << 1.0 << 6.0 << 0.243975030692985 << 1.10884523134;
    QTest::newRow("M4 [1;6] at a") << 4 << 1.0 << 6.0 << 108.0 << 1.0;
    QTest::newRow("M2 [6;1] reversed") << 2 << 6.0 << 1.0 << 0.243975030692985 << 1.10884523134;
    QTest::newRow("M4 [6;1] reversed") << 4 << 6.0 << 1.0 << 108.0 << 1.0;
    QTest::newRow("M2 [2;3] at a") << 2 << 2.0 << 3.0 << 0.0604479495329814 << 2.0;
    QTest::newRow("M4 [2;3] at a") << 4 << 2.0 << 3.0 << 0.108212260591726 << 2.0;
    // Two roots of the next derivative lie close together here: a coarse
    // sampling misses the peak between them.
    QTest::newRow("M2 [1;1000] narrow peak")
        << 2 << 1.0 << 1000.0 << 0.243975030692985 << 1.10884523134;
    QTest::newRow("M2 [1,5;20] inside") << 2 << 1.5 << 20.0 << 0.0683979860512763 << 1.78801375838;
    QTest::newRow("M4 [1,3;3] inside") << 4 << 1.3 << 3.0 << 2.90791455841625 << 1.36518039346;
    QTest::newRow("M4 [7;9] inside") << 4 << 7.0 << 9.0 << 8.52350954894329e-5 << 7.81231738039;
    QTest::newRow("M2 [0,2;0,9] steep") << 2 << 0.2 << 0.9 << 356498.951623804 << 0.2;
    QTest::newRow("M4 [0,2;0,9] steep") << 4 << 0.2 << 0.9 << 423092560.690977 << 0.2;
}

// The proven M2 and M4 against maxima found from the closed-form derivatives
// (P_k(ln x) / x^(k+3), the roots of P_(k+1) in 30-digit arithmetic).
void TestConvergence::derivativeMaximum()
{
    QFETCH(int, order);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(double, value);
    QFETCH(double, at);
    const auto m = provenDerivativeMax(order, a, b);
    QVERIFY(m.ok());
    QVERIFY2(m->lower <= value * (1 + 1e-14) && value * (1 - 1e-14) <= m->upper,
             qPrintable(QString("[%1; %2]").arg(m->lower, 0, 'g', 17).arg(m->upper, 0, 'g', 17)));
    // Tight enough for a bound: the engine aims at a gap of about 1e-6.
    QVERIFY(m->upper - m->lower <= 1e-5 * value);
    // The lower bound is reached near the true maximum's place.
    QVERIFY2(std::fabs(m->at - at) <= 1e-3 * std::fabs(b - a),
             qPrintable(QString::number(m->at, 'g', 17)));
}

void TestConvergence::derivativeMaximumRefusals_data()
{
    QTest::addColumn<int>("order");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<Refusal>("why");
    QTest::newRow("a = 0") << 2 << 0.0 << 6.0
                           << Refusal{Reason::NodeNotPositive, Input::A, {}, 0.0};
    QTest::newRow("b = -2 below a")
        << 4 << 1.0 << -2.0 << Refusal{Reason::NodeNotPositive, Input::B, {}, -2.0};
    QTest::newRow("b NaN") << 2 << 1.0 << kNaN << Refusal{Reason::NonFiniteInput, Input::B};
    // The second derivative at 1e-200 is about 460^3 / 1e-1000: far beyond
    // every double, at a.
    QTest::newRow("a = 1e-200") << 2 << 1e-200 << 1.0
                                << Refusal{Reason::NonFiniteResult, Input::A, {}, 1e-200};
}

void TestConvergence::derivativeMaximumRefusals()
{
    QFETCH(int, order);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(Refusal, why);
    const auto m = provenDerivativeMax(order, a, b);
    QVERIFY(!m.ok());
    QCOMPARE(m.refusal(), why);
}

// ---- The table ----

void TestConvergence::tableErrors_data()
{
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<Rule>("rule");
    QTest::addColumn<int>("n");
    QTest::addColumn<double>("error");

    const int ns[] = {10, 20, 40, 80, 160, 320, 640};
    const double trapezoidErrors[] = {1.78659e-5,  -7.57267e-6, -5.80108e-6, -1.79104e-6,
                                      -4.70934e-7, -1.19213e-7, -2.98963e-8};
    const double simpsonErrors[] = {5.05878e-4,  -1.60522e-5, -5.21055e-6, -4.54355e-7,
                                    -3.09005e-8, -1.97284e-9, -1.23962e-10};
    for (int i = 0; i < 7; ++i) {
        QTest::addRow("trapezoid n=%d", ns[i])
            << 1.0 << 6.0 << Rule::Trapezoid << ns[i] << trapezoidErrors[i];
        QTest::addRow("simpson n=%d", ns[i])
            << 1.0 << 6.0 << Rule::Simpson << ns[i] << simpsonErrors[i];
        // Integrating backwards turns every signed error round.
        QTest::addRow("reversed trapezoid n=%d", ns[i])
            << 6.0 << 1.0 << Rule::Trapezoid << ns[i] << -trapezoidErrors[i];
        QTest::addRow("reversed simpson n=%d", ns[i])
            << 6.0 << 1.0 << Rule::Simpson << ns[i] << -simpsonErrors[i];
    }
}

void TestConvergence::tableErrors()
{
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(Rule, rule);
    QFETCH(int, n);
    QFETCH(double, error);
    const StudyRow &r = row(ofRule(studyOf(a, b), rule), n);
    QVERIFY2(near(r.error, error, 1e-5), qPrintable(QString::number(r.error, 'g', 8)));
    // The value and its error describe the same I_n.
    const double fromReference = static_cast<double>(kExact16) * (a < b ? 1 : -1) + error;
    QVERIFY(std::fabs(r.value - fromReference) <= 1e-5 * std::fabs(error));
}

void TestConvergence::tableKeepsTheProgramsOwnRules()
{
    // The designed windows' worked value at n = 10: 0,1804968885.
    QCOMPARE(QString::number(row(m_default.trapezoid, 10).value, 'f', 10), QString("0.1804968885"));
    // The integral mpmath gives, 0.18047902260023594450..., within a few ulps.
    QVERIFY(std::fabs(m_default.integral.mid - static_cast<double>(kExact16)) <= 1e-16);
    QCOMPARE(m_reversed.integral.mid, -m_default.integral.mid);
    QCOMPARE(m_reversed.integral.lower, -m_default.integral.upper);
    // On [1;6] the fixed 0.1804790225 lies 1.0e-10 below the exact value.
    QVERIFY(std::fabs(m_default.integral.mid - kExactValue - 1.0e-10) < 1e-12);
}

void TestConvergence::simpsonFirstRowHasValueAndErrorOnly()
{
    const StudyRow &s10 = row(m_default.simpson, 10);
    QVERIFY(!s10.runge && !s10.order && !s10.richardson);
    QVERIFY(s10.value != 0 && s10.error != 0);
    // The trapezoid rule has I_5, so its first row is complete.
    const StudyRow &t10 = row(m_default.trapezoid, 10);
    QVERIFY(t10.runge && t10.order && t10.richardson);
    // Every later row of both rules is complete.
    for (const RuleStudy *r : {&m_default.trapezoid, &m_default.simpson})
        for (const StudyRow &x : r->table)
            if (x.n > 10)
                QVERIFY(x.runge && x.order && x.richardson);
}

void TestConvergence::rungeEstimatesTheActualError_data()
{
    QTest::addColumn<Rule>("rule");
    QTest::addColumn<int>("n");
    QTest::addColumn<double>("ratio");

    // Runge's estimate over the actual error, from the reference errors.
    QTest::newRow("trapezoid n=160") << Rule::Trapezoid << 160 << 0.93;
    QTest::newRow("trapezoid n=320") << Rule::Trapezoid << 320 << 0.98;
    QTest::newRow("trapezoid n=640") << Rule::Trapezoid << 640 << 1.00;
    QTest::newRow("simpson n=160") << Rule::Simpson << 160 << 0.91;
    QTest::newRow("simpson n=320") << Rule::Simpson << 320 << 0.98;
    QTest::newRow("simpson n=640") << Rule::Simpson << 640 << 0.99;
}

void TestConvergence::rungeEstimatesTheActualError()
{
    QFETCH(Rule, rule);
    QFETCH(int, n);
    QFETCH(double, ratio);
    const StudyRow &r = row(ofRule(m_default, rule), n);
    QVERIFY(r.runge);
    const double q = *r.runge / r.error;
    QVERIFY2(std::fabs(q - 1) <= 0.10, qPrintable(QString::number(q)));
    QVERIFY2(std::fabs(q - ratio) <= 0.006, qPrintable(QString::number(q)));
}

void TestConvergence::observedOrder_data()
{
    QTest::addColumn<Rule>("rule");
    QTest::addColumn<int>("n");
    QTest::addColumn<double>("expected");
    QTest::addColumn<double>("tolerance");

    QTest::newRow("trapezoid n=80 not yet 2") << Rule::Trapezoid << 80 << 1.70 << 0.01;
    QTest::newRow("trapezoid n=320") << Rule::Trapezoid << 320 << 2.0 << 0.05;
    QTest::newRow("trapezoid n=640") << Rule::Trapezoid << 640 << 2.0 << 0.05;
    QTest::newRow("trapezoid n=320 reference") << Rule::Trapezoid << 320 << 1.98 << 0.01;
    QTest::newRow("trapezoid n=640 reference") << Rule::Trapezoid << 640 << 2.00 << 0.01;
    QTest::newRow("simpson n=80 not yet 4") << Rule::Simpson << 80 << 3.52 << 0.01;
    QTest::newRow("simpson n=320") << Rule::Simpson << 320 << 4.0 << 0.05;
    QTest::newRow("simpson n=640") << Rule::Simpson << 640 << 4.0 << 0.05;
    QTest::newRow("simpson n=320 reference") << Rule::Simpson << 320 << 3.97 << 0.01;
    QTest::newRow("simpson n=640 reference") << Rule::Simpson << 640 << 3.99 << 0.01;
}

void TestConvergence::observedOrder()
{
    QFETCH(Rule, rule);
    QFETCH(int, n);
    QFETCH(double, expected);
    QFETCH(double, tolerance);
    const StudyRow &r = row(ofRule(m_default, rule), n);
    QVERIFY(r.order);
    QVERIFY2(std::fabs(*r.order - expected) <= tolerance, qPrintable(QString::number(*r.order)));
}

void TestConvergence::richardsonIsCloserThanTheRule_data()
{
    QTest::addColumn<Rule>("rule");
    QTest::addColumn<int>("n");
    for (int n : {80, 160, 320, 640}) {
        QTest::addRow("trapezoid n=%d", n) << Rule::Trapezoid << n;
        QTest::addRow("simpson n=%d", n) << Rule::Simpson << n;
    }
}

void TestConvergence::richardsonIsCloserThanTheRule()
{
    QFETCH(Rule, rule);
    QFETCH(int, n);
    const StudyRow &r = row(ofRule(m_default, rule), n);
    QVERIFY(r.richardson);
    const double extrapolatedError = std::fabs(*r.richardson - static_cast<double>(kExact16));
    QVERIFY(extrapolatedError < std::fabs(r.error) / 3);
}

// ---- The error curves ----

void TestConvergence::curvesCoverEveryCount()
{
    for (const ConvergenceStudy *s : {&m_default, &m_reversed, &m_near2}) {
        QCOMPARE(s->trapezoid.curve.size(), std::size_t(999));
        QCOMPARE(s->simpson.curve.size(), std::size_t(500));
        for (std::size_t i = 0; i < s->trapezoid.curve.size(); ++i)
            QCOMPARE(s->trapezoid.curve[i].n, int(i) + 2);
        for (std::size_t i = 0; i < s->simpson.curve.size(); ++i)
            QCOMPARE(s->simpson.curve[i].n, 2 * int(i) + 2);
    }
    // The curve and the table describe the same I_n.
    for (int n : kStudyCounts) {
        QCOMPARE(*point(m_default.trapezoid, n).absError,
                 std::fabs(row(m_default.trapezoid, n).error));
        QCOMPARE(*point(m_default.simpson, n).absError, std::fabs(row(m_default.simpson, n).error));
    }
}

void TestConvergence::boundsAreAboveTheActualError_data()
{
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::newRow("[1;6]") << 1.0 << 6.0;
    QTest::newRow("[6;1]") << 6.0 << 1.0;
    QTest::newRow("[2;3]") << 2.0 << 3.0;
    QTest::newRow("[1,3;3]") << 1.3 << 3.0;
    QTest::newRow("[0,5;2]") << 0.5 << 2.0;
    QTest::newRow("[1;100]") << 1.0 << 100.0;
}

void TestConvergence::boundsAreAboveTheActualError()
{
    QFETCH(double, a);
    QFETCH(double, b);
    const auto s = studyConvergence(a, b, 1e-6);
    QVERIFY(s.ok());
    for (const RuleStudy *r : {&s.value().trapezoid, &s.value().simpson})
        for (const ErrorPoint &p : r->curve)
            QVERIFY2(p.absError.value_or(0) <= p.bound,
                     qPrintable(
                         QString("n=%1 error %2 bound %3").arg(p.n).arg(*p.absError).arg(p.bound)));
}

void TestConvergence::boundsAgreeWithTheDesignedFormulas_data()
{
    QTest::addColumn<int>("n");
    for (int n : {10, 50, 200})
        QTest::addRow("n=%d", n) << n;
}

void TestConvergence::boundsAgreeWithTheDesignedFormulas()
{
    QFETCH(int, n);
    // With the designed constants the bounds are those of the bound windows, which
    // carry a minus sign and count Simpson's n in pairs of subintervals.
    QVERIFY(near(aPrioriBoundOverSubintervals(Rule::Trapezoid, 1, 6, kM2, n),
                 -trapezoidBound(1, 6, n), 1e-14));
    QVERIFY(near(aPrioriBoundOverSubintervals(Rule::Simpson, 1, 6, kM4, 2 * n),
                 -simpsonBoundOverPairs(1, 6, n), 1e-14));
    // b < a: the same size.
    QCOMPARE(aPrioriBoundOverSubintervals(Rule::Trapezoid, 6, 1, kM2, n),
             aPrioriBoundOverSubintervals(Rule::Trapezoid, 1, 6, kM2, n));
    // The curve carries the bound with the computed M2 and M4.
    QVERIFY(
        near(point(m_default.trapezoid, n).bound, 125 * 0.243975030692985 / (12.0 * n * n), 1e-12));
    QVERIFY(near(point(m_default.simpson, 2 * n).bound, 3125 * 108 / (180.0 * std::pow(2.0 * n, 4)),
                 1e-12));
}

void TestConvergence::curveShowsTheRoundingFloor_data()
{
    QTest::addColumn<Rule>("rule");
    QTest::addColumn<int>("n");
    QTest::addColumn<double>("error");
    QTest::addColumn<double>("tolerance");

    // I_n in double precision, summed as the program sums, minus the 40-digit
    // integral: beyond n = 800 Simpson's error on [2;3] is mostly rounding. The
    // long double integral is good to about 1e-20 there, so those errors agree
    // to four digits, not six.
    QTest::newRow("simpson n=500") << Rule::Simpson << 500 << 3.2258938992978784e-15 << 1e-5;
    QTest::newRow("simpson n=800") << Rule::Simpson << 800 << 5.05847488966245e-16 << 1e-3;
    QTest::newRow("simpson n=900") << Rule::Simpson << 900 << 3.393140352724715e-16 << 1e-3;
    QTest::newRow("simpson n=960") << Rule::Simpson << 960 << 2.62986202329492e-16 << 1e-3;
    QTest::newRow("simpson n=1000") << Rule::Simpson << 1000 << 1.380861120591619e-16 << 1e-3;
    QTest::newRow("trapezoid n=500") << Rule::Trapezoid << 500 << 1.0683654474293772e-08 << 1e-5;
    QTest::newRow("trapezoid n=1000") << Rule::Trapezoid << 1000 << 2.6709138366297762e-09 << 1e-5;
}

void TestConvergence::curveShowsTheRoundingFloor()
{
    QFETCH(Rule, rule);
    QFETCH(int, n);
    QFETCH(double, error);
    QFETCH(double, tolerance);
    const ErrorPoint &p = point(ofRule(m_near2, rule), n);
    QVERIFY(p.absError);
    QVERIFY2(near(*p.absError, error, tolerance),
             qPrintable(QString::number(*p.absError, 'g', 17)));
}

void TestConvergence::curveStaysOnTheFloor()
{
    // Nothing near n = 1000 falls below a few ulps of the integral on [2;3].
    for (const ErrorPoint &q : m_near2.simpson.curve)
        if (q.n >= 900)
            QVERIFY2(q.absError.value_or(0) >= 5e-17, qPrintable(QString("n=%1").arg(q.n)));
}

void TestConvergence::trapezoidErrorChangesSign_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<double>("error");
    // |e_16| <= 1e-6, while n = 17 ... 108 are above it again.
    QTest::newRow("n=16 dips below") << 16 << 9.513169417886827e-07;
    QTest::newRow("n=17 above again") << 17 << 3.4149033621812543e-06;
    QTest::newRow("n=108 last above") << 108 << 1.0131350213328786e-06;
    QTest::newRow("n=109 below for good") << 109 << 9.953003552000687e-07;
}

void TestConvergence::trapezoidErrorChangesSign()
{
    QFETCH(int, n);
    QFETCH(double, error);
    const ErrorPoint &p = point(m_default.trapezoid, n);
    QVERIFY(p.absError);
    QVERIFY2(near(*p.absError, error, 1e-5), qPrintable(QString::number(*p.absError, 'g', 17)));
}

// ---- n for a tolerance ----

void TestConvergence::countsForTolerance_data()
{
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<double>("tolerance");
    QTest::addColumn<double>("trapezoidByBound");
    QTest::addColumn<double>("simpsonByBound");
    QTest::addColumn<int>("trapezoidRunge"); // 0: "больше 640"
    QTest::addColumn<int>("simpsonRunge");
    QTest::addColumn<int>("trapezoidActual"); // 0: "больше 1000"
    QTest::addColumn<int>("simpsonActual");

    QTest::newRow("[1;6] 1e-6 default")
        << 1.0 << 6.0 << 1e-6 << 1595.0 << 210.0 << 40 << 40 << 109 << 66;
    QTest::newRow("[6;1] 1e-6 reversed")
        << 6.0 << 1.0 << 1e-6 << 1595.0 << 210.0 << 40 << 40 << 109 << 66;
    QTest::newRow("[1;6] 1e-4") << 1.0 << 6.0 << 1e-4 << 160.0 << 66.0 << 20 << 20 << 8 << 14;
    QTest::newRow("[1;6] 1e-8") << 1.0 << 6.0 << 1e-8 << 15942.0 << 660.0 << 0 << 320 << 0 << 214;
    QTest::newRow("[1;6] 1e-12 none reached")
        << 1.0 << 6.0 << 1e-12 << 1594179.0 << 6582.0 << 0 << 0 << 0 << 0;
    QTest::newRow("[2;3] 1e-6") << 2.0 << 3.0 << 1e-6 << 71.0 << 6.0 << 80 << 20 << 52 << 4;
    QTest::newRow("[2;3] 1e-10") << 2.0 << 3.0 << 1e-10 << 7098.0 << 50.0 << 0 << 40 << 0 << 38;
}

void TestConvergence::countsForTolerance()
{
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(double, tolerance);
    QFETCH(double, trapezoidByBound);
    QFETCH(double, simpsonByBound);
    QFETCH(int, trapezoidRunge);
    QFETCH(int, simpsonRunge);
    QFETCH(int, trapezoidActual);
    QFETCH(int, simpsonActual);

    // The study's own counts, and those a study made for another tolerance gives
    // when asked for this one: both are the known counts.
    const auto s = studyConvergence(a, b, tolerance);
    const auto other = studyConvergence(a, b, tolerance * 100);
    QVERIFY(s.ok() && other.ok());
    const std::pair<ToleranceCounts, ToleranceCounts> counts[] = {
        {s.value().trapezoid.counts, s.value().simpson.counts},
        {toleranceCounts(Rule::Trapezoid, other.value(), tolerance),
         toleranceCounts(Rule::Simpson, other.value(), tolerance)}};
    for (const auto &[t, p] : counts) {
        QCOMPARE(t.byBound, trapezoidByBound);
        QCOMPARE(p.byBound, simpsonByBound);
        QCOMPARE(t.byRunge.value_or(0), trapezoidRunge);
        QCOMPARE(p.byRunge.value_or(0), simpsonRunge);
        QCOMPARE(t.byActualError.value_or(0), trapezoidActual);
        QCOMPARE(p.byActualError.value_or(0), simpsonActual);
    }
}

void TestConvergence::tinyToleranceNeedsAHugeCount()
{
    const ToleranceCounts t = toleranceCounts(Rule::Trapezoid, m_default, 1e-300);
    const ToleranceCounts s = toleranceCounts(Rule::Simpson, m_default, 1e-300);
    QVERIFY(near(t.byBound, 1.594178964143798281e150, 1e-12));
    QVERIFY(near(s.byBound, 6.580370064762462263e75, 1e-12));
    QVERIFY(!t.byRunge && !t.byActualError && !s.byRunge && !s.byActualError);
}

void TestConvergence::toleranceNotPositiveCountsNothing()
{
    for (double tolerance : {0.0, -1e-6, kNaN}) {
        const ToleranceCounts t = toleranceCounts(Rule::Trapezoid, m_default, tolerance);
        QCOMPARE(t.byBound, kInf);
        QVERIFY(!t.byRunge && !t.byActualError);
    }
}

// ---- n for a tolerance near the limit ----

namespace {

// Each answer must come back within this; the freeze never did.
constexpr qint64 kCallMs = 1000;

// The bound's formula in long double, apart from aPrioriBoundOverSubintervals()'s doubles.
long double boundFormula(Rule rule, const ConvergenceStudy &s, long double n)
{
    const long double d = std::fabs(static_cast<long double>(s.b) - s.a);
    if (rule == Rule::Trapezoid)
        return d * d * d * s.m2.upper / (12 * n * n);
    return d * d * d * d * d * s.m4.upper / (180 * n * n * n * n);
}

// Empty when the answer keeps its promise: either a count whose bound meets
// the tolerance while the count one step below does not, or "more than the
// limit" where the bound at the limit itself does not meet it. Both by
// aPrioriBoundOverSubintervals() exactly, and by the long double formula up to its rounding.
QString broken(Rule rule, const ConvergenceStudy &s, double tolerance, const ToleranceCounts &c)
{
    const double M = rule == Rule::Trapezoid ? s.m2.upper : s.m4.upper;
    const double step = rule == Rule::Trapezoid ? 1 : 2;
    const auto bound = [&](double n) { return aPrioriBoundOverSubintervals(rule, s.a, s.b, M, n); };
    constexpr long double slack = 1e-14L;
    const long double above = tolerance * (1 + slack), below = tolerance * (1 - slack);
    const QString at = QStringLiteral(" (tolerance %1, answer %2)")
                           .arg(tolerance, 0, 'g', 17)
                           .arg(c.byBound, 0, 'g', 17);
    if (c.byBoundBeyondLimit()) {
        if (!(c.byBound > kBoundCountLimit))
            return QStringLiteral("beyond the limit yet not above it") + at;
        if (!(bound(kBoundCountLimit) > tolerance) ||
            !(boundFormula(rule, s, kBoundCountLimit) > below))
            return QStringLiteral("the limit itself meets the tolerance") + at;
        return {};
    }
    const double n = c.byBound;
    if (n != std::floor(n) || n < step || std::fmod(n, step) != 0)
        return QStringLiteral("not a count of the rule") + at;
    if (!(bound(n) <= tolerance) || !(boundFormula(rule, s, n) <= above))
        return QStringLiteral("the count does not meet the tolerance") + at;
    if (n > step && (!(bound(n - step) > tolerance) || !(boundFormula(rule, s, n - step) > below)))
        return QStringLiteral("a smaller count meets the tolerance too") + at;
    return {};
}

} // namespace

void TestConvergence::countsNearTheLimit_data()
{
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<double>("tolerance");
    QTest::addColumn<double>("trapezoid"); // 0: "больше 10^15"
    QTest::addColumn<double>("simpson");

    // By mpmath from the bound's formula, with M2 and M4 found at 50 digits
    // and a, b, the tolerance taken as the doubles they are.
    // The trapezoid count is 2^53 - 0.013: the estimate fell just under 2^53
    // and the search stepped n += 1 at 2^53 for ever.
    QTest::newRow("[2,6;9,78] 9,5082867898431387e-33 froze")
        << 2.6 << 9.78 << 9.5082867898431387e-33 << 0.0 << 161036646.0;
    QTest::newRow("[9,78;2,6] froze reversed")
        << 9.78 << 2.6 << 9.5082867898431387e-33 << 0.0 << 161036646.0;
    QTest::newRow("[2,6;9,78] 1e-24") << 2.6 << 9.78 << 1e-24 << 878296003181.0 << 1590196.0;
    QTest::newRow("[2,6;9,78] 1e-30 near the limit")
        << 2.6 << 9.78 << 1e-30 << 878296003180224.0 << 50286370.0;
    QTest::newRow("[2,6;9,78] 1e-50") << 2.6 << 9.78 << 1e-50 << 0.0 << 5028636978502.0;
    QTest::newRow("[2,6;9,78] 1e-60 both beyond") << 2.6 << 9.78 << 1e-60 << 0.0 << 0.0;
    QTest::newRow("[1;6] 1e-29") << 1.0 << 6.0 << 1e-29 << 504123652462230.0 << 117017366.0;
    QTest::newRow("[1;6] 1e-59 both beyond") << 1.0 << 6.0 << 1e-59 << 0.0 << 0.0;
}

void TestConvergence::countsNearTheLimit()
{
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(double, tolerance);
    QFETCH(double, trapezoid);
    QFETCH(double, simpson);

    QElapsedTimer clock;
    clock.start();
    const auto s = studyConvergence(a, b, tolerance);
    QVERIFY(clock.elapsed() < kCallMs);
    QVERIFY(s.ok());
    // The counts come from the proven upper M2 and M4, at most 2^-40 above
    // the true maxima: never below the count from the true M, and above it
    // by no more than that share (n grows as M^(1/2) or M^(1/4)), a step.
    const auto expect = [](const ToleranceCounts &c, double count) {
        return count == 0 ? c.byBoundBeyondLimit()
                          : !c.byBoundBeyondLimit() && c.byBound >= count &&
                                c.byBound <= count * (1 + 0x1p-41) + 2;
    };
    const ToleranceCounts &t = s.value().trapezoid.counts;
    const ToleranceCounts &p = s.value().simpson.counts;
    QVERIFY2(expect(t, trapezoid), qPrintable(QString::number(t.byBound, 'g', 17)));
    QVERIFY2(expect(p, simpson), qPrintable(QString::number(p.byBound, 'g', 17)));
    QCOMPARE(broken(Rule::Trapezoid, s.value(), tolerance, t), QString());
    QCOMPARE(broken(Rule::Simpson, s.value(), tolerance, p), QString());
}

void TestConvergence::sweepAcrossTheLimits_data()
{
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<Rule>("rule");
    QTest::addColumn<double>("count"); // where the count for the middle tolerance lies

    // Random tolerances almost never land within a few ulps of these: the
    // tolerance is swept there ulp by ulp, for both rules and several intervals.
    const struct
    {
        const char *name;
        double a, b;
    } intervals[] = {{"[2,6;9,78]", 2.6, 9.78},
                     {"[9,78;2,6]", 9.78, 2.6},
                     {"[1;6]", 1, 6},
                     {"[0,5;2]", 0.5, 2},
                     {"[3;1e6]", 3, 1e6}};
    for (const auto &i : intervals)
        for (const Rule rule : {Rule::Trapezoid, Rule::Simpson}) {
            const char *r = rule == Rule::Trapezoid ? "trapezoid" : "simpson";
            QTest::addRow("%s %s 2^53", i.name, r) << i.a << i.b << rule << 0x1p53;
            QTest::addRow("%s %s the limit", i.name, r) << i.a << i.b << rule << kBoundCountLimit;
        }
}

void TestConvergence::sweepAcrossTheLimits()
{
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(Rule, rule);
    QFETCH(double, count);

    const auto study = studyConvergence(a, b, 1e-6);
    QVERIFY(study.ok());
    const ConvergenceStudy &s = study.value();
    const double middle = static_cast<double>(boundFormula(rule, s, count));
    QVERIFY(middle > 0 && std::isfinite(middle));

    // 1 ulp of the tolerance moves the count by about 1.1e-16 count / p (p = 2
    // or 4): 200 ulps either side reach 5 to 100 counts past the middle one.
    constexpr int kUlps = 200;
    double tolerance = middle;
    for (int k = 0; k < kUlps; ++k)
        tolerance = std::nextafter(tolerance, 0.0);
    int counts = 0, beyond = 0;
    for (int k = -kUlps; k <= kUlps; ++k, tolerance = std::nextafter(tolerance, kInf)) {
        QElapsedTimer clock;
        clock.start();
        const ToleranceCounts c = toleranceCounts(rule, s, tolerance);
        QVERIFY2(clock.elapsed() < kCallMs, qPrintable(QString::number(tolerance, 'g', 17)));
        const QString why = broken(rule, s, tolerance, c);
        QVERIFY2(why.isEmpty(), qPrintable(why));
        (c.byBoundBeyondLimit() ? beyond : counts) += 1;
    }
    // At the limit the sweep sees both answers; 2^53 lies beyond it.
    if (count == kBoundCountLimit)
        QVERIFY(counts > 0 && beyond > 0);
    else
        QCOMPARE(beyond, 2 * kUlps + 1);
}

// ---- Refusals ----

void TestConvergence::refusals_data()
{
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<double>("tolerance");
    QTest::addColumn<Refusal>("why");

    QTest::newRow("a = 0") << 0.0 << 6.0 << 1e-6
                           << Refusal{Reason::NodeNotPositive, Input::A, {}, 0.0};
    QTest::newRow("a < 0") << -1.0 << 6.0 << 1e-6
                           << Refusal{Reason::NodeNotPositive, Input::A, {}, -1.0};
    QTest::newRow("b = 0") << 1.0 << 0.0 << 1e-6
                           << Refusal{Reason::NodeNotPositive, Input::B, {}, 0.0};
    QTest::newRow("b < 0 reversed")
        << 1.0 << -6.0 << 1e-6 << Refusal{Reason::NodeNotPositive, Input::B, {}, -6.0};
    QTest::newRow("a = b") << 2.0 << 2.0 << 1e-6 << Refusal{Reason::EmptyInterval, Input::B};
    QTest::newRow("a NaN") << kNaN << 6.0 << 1e-6 << Refusal{Reason::NonFiniteInput, Input::A};
    QTest::newRow("b infinite") << 1.0 << kInf << 1e-6 << Refusal{Reason::NonFiniteInput, Input::B};
    QTest::newRow("tolerance 0") << 1.0 << 6.0 << 0.0
                                 << Refusal{Reason::ToleranceNotPositive, Input::Tolerance};
    QTest::newRow("tolerance negative")
        << 1.0 << 6.0 << -1e-6 << Refusal{Reason::ToleranceNotPositive, Input::Tolerance};
    QTest::newRow("tolerance NaN")
        << 1.0 << 6.0 << kNaN << Refusal{Reason::NonFiniteInput, Input::Tolerance};
    QTest::newRow("tolerance infinite")
        << 1.0 << 6.0 << kInf << Refusal{Reason::NonFiniteInput, Input::Tolerance};
    // f, M2 and M4 overflow double near 0.
    QTest::newRow("a = 1e-200") << 1e-200 << 1.0 << 1e-6
                                << Refusal{Reason::NonFiniteResult, Input::A};
    QTest::newRow("a = 1e-100") << 1e-100 << 1.0 << 1e-6
                                << Refusal{Reason::NonFiniteResult, Input::A};
    // (b - a)^3 M2 overflows the bound.
    QTest::newRow("b = 1e300") << 1.0 << 1e300 << 1e-6
                               << Refusal{Reason::NonFiniteResult, Input::A};
}

void TestConvergence::refusals()
{
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(double, tolerance);
    QFETCH(Refusal, why);
    const auto s = studyConvergence(a, b, tolerance);
    QCOMPARE(s.refusal(), why);
    QVERIFY(!s.ok());
    // Nothing half-made comes with a refusal: there is no study to read at all.
    QVERIFY_THROWS_EXCEPTION(std::bad_variant_access, s.value());
    if (why.reason != Reason::ToleranceNotPositive && why.reason != Reason::NonFiniteResult &&
        std::isfinite(tolerance)) {
        QCOMPARE(provenIntegral(a, b).refusal(), why);
        QCOMPARE(checkInterval(a, b).refusal(), why);
    }
}

// ---- The rule drawn on f ----

void TestConvergence::pictureNodes()
{
    const auto p = rulePicture(1, 6, 4);
    QVERIFY(p.ok());
    const std::vector<double> x{1, 2.25, 3.5, 4.75, 6};
    // (ln x / x)^3 at the nodes, in 20-digit arithmetic.
    const std::vector<double> y{0, 0.046816926030651190525, 0.045856677863450119773,
                                0.035297379388731139412, 0.026630871183279293663};
    QCOMPARE(p.value().n, 4);
    QCOMPARE(p.value().x, x);
    QCOMPARE(p.value().y.size(), y.size());
    QCOMPARE(p.value().y[0], 0.0);
    for (std::size_t i = 1; i < y.size(); ++i)
        QVERIFY(near(p.value().y[i], y[i], 1e-15));

    // Backwards, the nodes run from a down to b.
    const auto r = rulePicture(6, 1, 2);
    QVERIFY(r.ok());
    QCOMPARE(r.value().x, (std::vector<double>{6, 3.5, 1}));
}

void TestConvergence::pictureArcsPassThroughNodes()
{
    for (double n : {2.0, 4.0, 10.0, 50.0}) {
        const auto p = rulePicture(1, 6, n);
        QVERIFY(p.ok());
        const RulePicture &pic = p.value();
        QCOMPARE(pic.x.size(), std::size_t(n + 1));
        for (int k = 0; k < pic.n / 2; ++k)
            for (int j = 0; j < 3; ++j) {
                const int i = 2 * k + j;
                QVERIFY(std::fabs(pic.simpsonArc(k, pic.x[i]) - pic.y[i]) <= 1e-15);
            }
        QVERIFY(std::isnan(pic.simpsonArc(-1, 2)));
        QVERIFY(std::isnan(pic.simpsonArc(pic.n / 2, 2)));
    }
}

void TestConvergence::pictureArcsIntegrateToSimpson()
{
    // The area under the arcs is what Simpson's rule computes. Two Gauss points
    // per arc integrate a parabola exactly.
    for (double n : {2.0, 4.0, 8.0, 50.0}) {
        const auto p = rulePicture(1, 6, n);
        QVERIFY(p.ok());
        const RulePicture &pic = p.value();
        double area = 0;
        for (int k = 0; k < pic.n / 2; ++k) {
            const double mid = pic.x[2 * k + 1];
            const double half = (pic.x[2 * k + 2] - pic.x[2 * k]) / 2;
            const double g = half / std::sqrt(3.0);
            area += half * (pic.simpsonArc(k, mid - g) + pic.simpsonArc(k, mid + g));
        }
        SampleTable y;
        const auto I = simpson(1, 6, n, y);
        QVERIFY(I.ok());
        QVERIFY2(std::fabs(area - I.value()) <= 1e-14,
                 qPrintable(QString::number(area - I.value())));
    }
}

void TestConvergence::pictureRefusals_data()
{
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<double>("n");
    QTest::addColumn<Refusal>("why");

    QTest::newRow("n = 3 odd") << 1.0 << 6.0 << 3.0 << Refusal{Reason::OddCount, Input::Count};
    QTest::newRow("n = 49 odd") << 1.0 << 6.0 << 49.0 << Refusal{Reason::OddCount, Input::Count};
    QTest::newRow("n = 1") << 1.0 << 6.0 << 1.0 << Refusal{Reason::CountOutOfRange, Input::Count};
    QTest::newRow("n = 0") << 1.0 << 6.0 << 0.0 << Refusal{Reason::CountOutOfRange, Input::Count};
    QTest::newRow("n = 52") << 1.0 << 6.0 << 52.0 << Refusal{Reason::CountOutOfRange, Input::Count};
    QTest::newRow("n = -4") << 1.0 << 6.0 << -4.0 << Refusal{Reason::CountOutOfRange, Input::Count};
    QTest::newRow("n = 1e300") << 1.0 << 6.0 << 1e300
                               << Refusal{Reason::CountOutOfRange, Input::Count};
    QTest::newRow("n = 2,5") << 1.0 << 6.0 << 2.5 << Refusal{Reason::NotWhole, Input::Count};
    QTest::newRow("n NaN") << 1.0 << 6.0 << kNaN << Refusal{Reason::NonFiniteInput, Input::Count};
    QTest::newRow("n infinite") << 1.0 << 6.0 << kInf
                                << Refusal{Reason::NonFiniteInput, Input::Count};
    QTest::newRow("a = 0") << 0.0 << 6.0 << 4.0
                           << Refusal{Reason::NodeNotPositive, Input::A, {}, 0.0};
    QTest::newRow("a = b") << 3.0 << 3.0 << 4.0 << Refusal{Reason::EmptyInterval, Input::B};
    QTest::newRow("a = 1e-200") << 1e-200 << 1.0 << 4.0
                                << Refusal{Reason::NonFiniteResult, Input::A, {}, 1e-200};
}

void TestConvergence::pictureRefusals()
{
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(double, n);
    QFETCH(Refusal, why);
    const auto p = rulePicture(a, b, n);
    QCOMPARE(p.refusal(), why);
    QVERIFY(!p.ok());
    QVERIFY_THROWS_EXCEPTION(std::bad_variant_access, p.value());
}

QTEST_GUILESS_MAIN(TestConvergence)
#include "convergencetest.moc"
