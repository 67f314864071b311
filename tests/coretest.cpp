// SPDX-License-Identifier: GPL-3.0-or-later
// The numerical core against values known independently of it: the worked
// results of the trapezoid rule, the antiderivative, the classical properties
// of both rules, and the error bounds computed by hand.

#include "core/errorbound.h"
#include "core/integrand.h"
#include "core/integrandblock.h"
#include "core/integrandblock_testing.h"
#include "core/quadrature.h"
#include "refusalprint.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <limits>
#include <variant>
#include <vector>

using namespace kvadrolab;
using kvadrolab::useFKernel;

Q_DECLARE_METATYPE(std::optional<kvadrolab::Refusal>)

namespace {

// F(x) = -(1/2) L^3/x^2 - (3/4) L^2/x^2 - (3/4) L/x^2 - 3/(8 x^2), L = ln x:
// an antiderivative of f, differentiated by hand, in extended precision.
long double antiderivative(long double x)
{
    const long double L = std::log(x);
    const long double x2 = x * x;
    return -(L * L * L) / (2 * x2) - 3 * L * L / (4 * x2) - 3 * L / (4 * x2) - 3 / (8 * x2);
}

double exactIntegral(double a, double b)
{
    return static_cast<double>(antiderivative(b) - antiderivative(a));
}

QString tenDecimals(double v)
{
    return QString::number(v, 'f', 10);
}

SampleTable filled(double v)
{
    SampleTable t;
    t.fill(v);
    return t;
}

} // namespace

class TestCore : public QObject
{
    Q_OBJECT

private slots:
    void integrand();
    void nodeStepIsTheWidthOfOneSubinterval_data();
    void nodeStepIsTheWidthOfOneSubinterval();
    void exactValueMatchesAntiderivative();
    void integrandBlock_data();
    void integrandBlock();
    void trapezoidWorkedValues_data();
    void trapezoidWorkedValues();
    void simpsonAtDefaults();
    void deviationKeepsOrDropsSign_data();
    void deviationKeepsOrDropsSign();
    void trapezoidExactOnStraightLines();
    void simpsonExactOnCubics();
    void errorShrinksWithStep_data();
    void errorShrinksWithStep();
    void reversedIntervalGivesSignedIntegral();
    void deviationStaysAgainstFixedConstant();
    void smallerCountLeavesHigherSlots();
    void refusals_data();
    void refusals();
    void fewestSubintervalsCompute();

    void boundsByHand();
    void boundsAtLargeCounts_data();
    void boundsAtLargeCounts();
    void boundsOfEmptyAndReversedInterval();
    void boundCurveJoinsTwentyOnePoints_data();
    void boundCurveJoinsTwentyOnePoints();
    void boundCurveRefusals_data();
    void boundCurveRefusals();
};

void TestCore::integrand()
{
    QCOMPARE(f(1.0), 0.0);
    // The maximum on [1;6] lies at x = e, where f = e^-3.
    QVERIFY(std::fabs(f(std::exp(1.0)) - std::exp(-3.0)) < 1e-17);
    const double q6 = std::log(6.0) / 6.0;
    QVERIFY(std::fabs(f(6.0) - q6 * q6 * q6) < 1e-17);
    QVERIFY(f(0.5) < 0); // ln x < 0 below 1
}

// h = (b - a) / n, correctly rounded, worked by hand: 5 / 600 = 2^-7 * 16/15,
// and 16/15 = 1.000100010001...b is cut after 52 fraction bits just before a
// 0001 group, so it rounds down; 1/3 = 2^-2 * 1.010101...b likewise (mpmath
// agrees on both).
void TestCore::nodeStepIsTheWidthOfOneSubinterval_data()
{
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<int>("n");
    QTest::addColumn<double>("h");
    QTest::newRow("[1;6] n=600 default") << 1.0 << 6.0 << 600 << 0x1.1111111111111p-7;
    QTest::newRow("[1;6] n=10") << 1.0 << 6.0 << 10 << 0.5;
    QTest::newRow("[6;1] n=4 reversed") << 6.0 << 1.0 << 4 << -1.25;
    QTest::newRow("[0;1] n=3") << 0.0 << 1.0 << 3 << 0x1.5555555555555p-2;
}

void TestCore::nodeStepIsTheWidthOfOneSubinterval()
{
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(int, n);
    QFETCH(double, h);
    QCOMPARE(nodeStep(a, b, n), h);
}

// Every kernel this processor can run, at values known by hand, and over
// the graph's interval against the scalar f, for every length of the tail
// that does not fill a whole vector. An ulp or two of the logarithm become
// up to about eight ulps of its cube.
void TestCore::integrandBlock_data()
{
    QTest::addColumn<FKernel>("kernel");
    QTest::newRow("baseline") << FKernel::Baseline;
    QTest::newRow("AVX2 + FMA") << FKernel::Avx2;
    QTest::newRow("AVX-512") << FKernel::Avx512;
}

void TestCore::integrandBlock()
{
    QFETCH(FKernel, kernel);
    const FKernel chosen = currentFKernel();
    if (!useFKernel(kernel))
        QSKIP("this processor or system cannot run this kernel");
    const double e = std::exp(1.0);
    const std::vector<double> x{1.0, e, e * e, 6.0, 11.0};
    // -(ln x / x)^3: 0, -e^-3, -(2 / e^2)^3, -(ln 6 / 6)^3, -(ln 11 / 11)^3
    const std::vector<double> known{0.0, -std::exp(-3.0), -8 * std::exp(-6.0),
                                    -std::pow(std::log(6.0) / 6, 3),
                                    -std::pow(std::log(11.0) / 11, 3)};
    std::vector<double> y(x.size());
    negatedFBlock(x.data(), y.data(), x.size());
    QCOMPARE(y[0], 0.0);
    for (std::size_t i = 1; i < x.size(); ++i)
        QVERIFY2(std::fabs(y[i] - known[i]) <= 1e-15 * std::fabs(known[i]),
                 qPrintable(QString::number(x[i], 'g', 17)));

    constexpr double kSentinel = 12345;
    for (std::size_t n = 1; n <= 17; ++n) {
        std::vector<double> xs(n), ys(n + 1, kSentinel);
        for (std::size_t i = 0; i < n; ++i)
            xs[i] = 1 + 5.0 * (i + 0.5) / n;
        negatedFBlock(xs.data(), ys.data(), n);
        for (std::size_t i = 0; i < n; ++i)
            QVERIFY(std::fabs(ys[i] + f(xs[i])) <= 2e-15 * f(xs[i]));
        QCOMPARE(ys[n], kSentinel);
    }
    std::vector<double> xs, ys(100'001);
    for (double v = 1.00001; v <= 6; v += 0.00005)
        xs.push_back(v);
    negatedFBlock(xs.data(), ys.data(), xs.size());
    double worst = 0;
    for (std::size_t i = 0; i < xs.size(); ++i)
        worst = std::max(worst, std::fabs(ys[i] + f(xs[i])) / f(xs[i]));
    qInfo("largest relative difference from the scalar f: %.2g", worst);
    QVERIFY(worst <= 2e-15);
    QVERIFY(useFKernel(chosen));
}

void TestCore::exactValueMatchesAntiderivative()
{
    // The program's constant is the integral cut after ten decimals
    // (0.18047902260...), one unit short in the tenth place.
    const double exact = exactIntegral(1, 6);
    QVERIFY(std::fabs(exact - 0.1804790226002359) < 1e-15);
    QVERIFY(exact - kExactValue > 0 && exact - kExactValue < 1.1e-10);
}

void TestCore::trapezoidWorkedValues_data()
{
    QTest::addColumn<double>("n");
    QTest::addColumn<QString>("integral");
    QTest::addColumn<QString>("deviation");
    QTest::newRow("n=600 default") << 600.0 << "0.1804789886"
                                   << "-0.0000000339";
    QTest::newRow("n=10") << 10.0 << "0.1804968885"
                          << "0.0000178660";
    QTest::newRow("n=100") << 100.0 << "0.1804778481"
                           << "-0.0000011744";
    QTest::newRow("n=1000 largest") << 1000.0 << "0.1804790103"
                                    << "-0.0000000122";
}

void TestCore::trapezoidWorkedValues()
{
    QFETCH(double, n);
    QFETCH(QString, integral);
    QFETCH(QString, deviation);
    SampleTable y{};
    const auto I = trapezoid(1, 6, n, y);
    QVERIFY(I.ok());
    QCOMPARE(tenDecimals(I.value()), integral);
    QCOMPARE(tenDecimals(deviationTrapezoid(I.value())), deviation);
    if (n == 600)
        QVERIFY(std::fabs(I.value() - 0.18047898858977604) < 1e-15);
}

void TestCore::simpsonAtDefaults()
{
    SampleTable y{};
    const auto I = simpson(1, 6, 600, y);
    QVERIFY(I.ok());
    QCOMPARE(tenDecimals(I.value()), QStringLiteral("0.1804790224"));
    QCOMPARE(tenDecimals(deviationSimpson(I.value())), QStringLiteral("0.0000000001"));
    // Simpson's rule is far closer to the integral than the trapezoid rule.
    SampleTable t{};
    const double exact = exactIntegral(1, 6);
    QVERIFY(std::fabs(I.value() - exact) * 100 <
            std::fabs(trapezoid(1, 6, 600, t).value() - exact));
}

// I - 0,1804790225 with both numbers as doubles. Within a factor of two of each
// other the difference of two doubles is exact (Sterbenz), so these are exact:
// the differences taken in mpmath at 300 bits, each itself a double.
void TestCore::deviationKeepsOrDropsSign_data()
{
    QTest::addColumn<double>("I");
    QTest::addColumn<double>("signedDeviation");
    QTest::addColumn<double>("absoluteDeviation");
    QTest::newRow("below") << 0.18 << -0.00047902250000000923 << 0.00047902250000000923;
    QTest::newRow("above") << 0.19 << 0.0095209775 << 0.0095209775;
    QTest::newRow("at the exact value") << 0.1804790225 << 0.0 << 0.0;
}

void TestCore::deviationKeepsOrDropsSign()
{
    QFETCH(double, I);
    QFETCH(double, signedDeviation);
    QFETCH(double, absoluteDeviation);
    QCOMPARE(deviationTrapezoid(I), signedDeviation);
    QCOMPARE(deviationSimpson(I), absoluteDeviation);
}

void TestCore::trapezoidExactOnStraightLines()
{
    // y = 3x - 2 on [-1; 4]: integral 3(16 - 1)/2 - 2 * 5 = 12.5
    for (int n : {1, 2, 7, 1000}) {
        std::vector<double> y(n + 1);
        const double h = 5.0 / n;
        for (int i = 0; i <= n; ++i)
            y[i] = 3 * (-1 + i * h) - 2;
        QVERIFY2(std::fabs(compositeTrapezoid(y, h) - 12.5) < 1e-12,
                 qPrintable(QString::number(n)));
    }
}

void TestCore::simpsonExactOnCubics()
{
    // y = x^3 - 2x^2 + 1 on [0; 3]: 81/4 - 18 + 3 = 5.25
    for (int n : {2, 4, 10, 1000}) {
        std::vector<double> y(n + 1);
        for (int i = 0; i <= n; ++i) {
            const double x = 3.0 * i / n;
            y[i] = x * x * x - 2 * x * x + 1;
        }
        QVERIFY2(std::fabs(compositeSimpson(y, 0, 3) - 5.25) < 1e-12,
                 qPrintable(QString::number(n)));
    }
}

void TestCore::errorShrinksWithStep_data()
{
    QTest::addColumn<bool>("simpsonRule");
    QTest::addColumn<double>("expectedRatio");
    QTest::newRow("trapezoid, second order") << false << 4.0;
    QTest::newRow("simpson, fourth order") << true << 16.0;
}

void TestCore::errorShrinksWithStep()
{
    QFETCH(bool, simpsonRule);
    QFETCH(double, expectedRatio);
    const double exact = exactIntegral(1, 6);
    const auto error = [&](int n) {
        SampleTable y{};
        const auto I = simpsonRule ? simpson(1, 6, n, y) : trapezoid(1, 6, n, y);
        return std::fabs(I.value() - exact);
    };
    // Once the step is small enough for the asymptotic term to dominate.
    for (int n : {200, 250, 400, 500}) {
        const double ratio = error(n) / error(2 * n);
        QVERIFY2(std::fabs(ratio / expectedRatio - 1) < 0.05,
                 qPrintable(QStringLiteral("n=%1 ratio %2").arg(n).arg(ratio)));
    }
}

void TestCore::reversedIntervalGivesSignedIntegral()
{
    SampleTable y{};
    const auto forward = trapezoid(1, 6, 600, y);
    const auto backward = trapezoid(6, 1, 600, y);
    QVERIFY(backward.ok());
    QVERIFY(std::fabs(backward.value() + forward.value()) < 1e-15);
    QVERIFY(deviationTrapezoid(backward.value()) < -0.36);
}

void TestCore::deviationStaysAgainstFixedConstant()
{
    SampleTable y{};
    const auto I = trapezoid(1, 5, 600, y);
    QVERIFY(I.ok());
    // E is the integral over [1;5] less the integral over [1;6].
    QVERIFY(std::fabs(deviationTrapezoid(I.value()) - (exactIntegral(1, 5) - exactIntegral(1, 6))) <
            1e-6);
}

void TestCore::smallerCountLeavesHigherSlots()
{
    SampleTable y = filled(-7.0);
    QVERIFY(trapezoid(1, 6, 1000, y).ok());
    const SampleTable afterThousand = y;
    QCOMPARE(y[1000], f(6.0));
    QVERIFY(simpson(1, 6, 10, y).ok());
    for (int i = 0; i <= 10; ++i)
        QCOMPARE(y[i], f(1 + i * 0.5));
    for (int i = 11; i <= 1000; ++i)
        QCOMPARE(y[i], afterThousand[i]);
    // And the slots a computation does not reach stay as they were from the start.
    SampleTable fresh = filled(-7.0);
    QVERIFY(trapezoid(1, 6, 10, fresh).ok());
    QCOMPARE(fresh[11], -7.0);
    QCOMPARE(fresh[1000], -7.0);
}

void TestCore::refusals_data()
{
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<double>("n");
    QTest::addColumn<bool>("simpsonRule");
    // The reason, and the input to move: a count, the first non-finite
    // input, or the lower end for a node below 0 and for an overflow.
    QTest::addColumn<kvadrolab::Refusal>("why");
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("n=0") << 1.0 << 6.0 << 0.0 << false
                         << Refusal{Reason::CountOutOfRange, Input::Count};
    QTest::newRow("n=1001") << 1.0 << 6.0 << 1001.0 << false
                            << Refusal{Reason::CountOutOfRange, Input::Count};
    QTest::newRow("n=-4") << 1.0 << 6.0 << -4.0 << true
                          << Refusal{Reason::CountOutOfRange, Input::Count};
    QTest::newRow("n=1e300") << 1.0 << 6.0 << 1e300 << false
                             << Refusal{Reason::CountOutOfRange, Input::Count};
    QTest::newRow("n=600.5") << 1.0 << 6.0 << 600.5 << false
                             << Refusal{Reason::NotWhole, Input::Count};
    // The doubles next to 600: a count that is whole only after rounding.
    QTest::newRow("n just below 600") << 1.0 << 6.0 << std::nextafter(600.0, 0.0) << false
                                      << Refusal{Reason::NotWhole, Input::Count};
    QTest::newRow("n just above 600") << 1.0 << 6.0 << std::nextafter(600.0, 1000.0) << true
                                      << Refusal{Reason::NotWhole, Input::Count};
    QTest::newRow("n=0.5") << 1.0 << 6.0 << 0.5 << true << Refusal{Reason::NotWhole, Input::Count};
    QTest::newRow("n=nan") << 1.0 << 6.0 << nan << false
                           << Refusal{Reason::NonFiniteInput, Input::Count};
    QTest::newRow("simpson odd n")
        << 1.0 << 6.0 << 601.0 << true << Refusal{Reason::OddCount, Input::Count};
    QTest::newRow("simpson n=1") << 1.0 << 6.0 << 1.0 << true
                                 << Refusal{Reason::OddCount, Input::Count};
    QTest::newRow("a=0") << 0.0 << 6.0 << 600.0 << false
                         << Refusal{Reason::NodeNotPositive, Input::A, {}, 0.0};
    QTest::newRow("a=-1") << -1.0 << 6.0 << 10.0 << true
                          << Refusal{Reason::NodeNotPositive, Input::A, {}, -1.0};
    QTest::newRow("b=0, last node")
        << 1.0 << 0.0 << 10.0 << false << Refusal{Reason::NodeNotPositive, Input::B, {}, 0.0};
    QTest::newRow("b=-5") << 6.0 << -5.0 << 1000.0 << true
                          << Refusal{Reason::NodeNotPositive, Input::B, {}, -5.0};
    QTest::newRow("a=nan") << nan << 6.0 << 10.0 << false
                           << Refusal{Reason::NonFiniteInput, Input::A};
    QTest::newRow("b=inf") << 1.0 << inf << 10.0 << true
                           << Refusal{Reason::NonFiniteInput, Input::B};
    QTest::newRow("a tiny, f overflows")
        << 1e-300 << 6.0 << 600.0 << false << Refusal{Reason::NonFiniteResult, Input::A};
    QTest::newRow("a tiny, simpson")
        << 1e-300 << 6.0 << 600.0 << true << Refusal{Reason::NonFiniteResult, Input::A};
    QTest::newRow("interval overflows")
        << 1e-10 << 1.7e308 << 2.0 << false << Refusal{Reason::NonFiniteResult, Input::A};
}

void TestCore::refusals()
{
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(double, n);
    QFETCH(bool, simpsonRule);
    QFETCH(kvadrolab::Refusal, why);
    SampleTable y = filled(42.0);
    const auto I = simpsonRule ? simpson(a, b, n, y) : trapezoid(a, b, n, y);
    QVERIFY(!I.ok());
    QCOMPARE(I.refusal(), why);
    // A refused result has no value to read.
    QVERIFY_THROWS_EXCEPTION(std::bad_variant_access, I.value());
    for (double v : y)
        QCOMPARE(v, 42.0);
}

void TestCore::fewestSubintervalsCompute()
{
    // The advice "(10-1000)" is no limit. By hand: one trapezoid is
    // 2.5 (f(1) + f(6)) = 2.5 (ln 6 / 6)^3; one Simpson pair is
    // 2.5 / 3 (f(1) + 4 f(3.5) + f(6)).
    SampleTable y{};
    const auto one = trapezoid(1, 6, 1, y);
    QVERIFY(one.ok());
    QCOMPARE(tenDecimals(one.value()), QStringLiteral("0.0665771780"));
    const auto two = simpson(1, 6, 2, y);
    QVERIFY(two.ok());
    QCOMPARE(tenDecimals(two.value()), QStringLiteral("0.1750479855"));
}

void TestCore::boundsByHand()
{
    // -0.244 * 5^3 / (12 * 10^2), just inside the chart top -0.0255
    const double t10 = trapezoidBound(1, 6, 10);
    QCOMPARE(t10, -30.5 / 1200);
    QVERIFY(t10 > -0.0255 && t10 < -0.025);
    QCOMPARE(trapezoidBound(1, 6, 20), t10 / 4);
    QVERIFY(std::fabs(trapezoidBound(1, 5, 10) - (-0.244 * 64 / 1200)) < 1e-17);
    QVERIFY(std::fabs(trapezoidBound(1, 5, 10) + 0.013) < 1e-4);

    // -105 * 5^5 / (180 * 20^4), just inside the chart top -0.01145
    const double s10 = simpsonBoundOverPairs(1, 6, 10);
    QVERIFY(std::fabs(s10 - (-328125.0 / 28800000.0)) < 1e-17);
    QVERIFY(s10 > -0.01145 && s10 < -0.0113);
    QCOMPARE(simpsonBoundOverPairs(1, 6, 20), s10 / 16);
    // 12 n^2 needs more than 16 bits at the curve's last point.
    QVERIFY(std::fabs(trapezoidBound(1, 6, 210) - (-30.5 / 529200)) < 1e-19);
}

// Far beyond the windows' counts, where 12 n^2 and 2n no longer fit an int:
// -0.244 * 125 / (12 n^2) and -105 * 3125 / (180 (2n)^4) in mpmath at 200 bits,
// to 17 digits. M2 = 0.244 as a double and the code's four roundings keep the
// result within 3 ulps (7e-16 relative) of them; the check allows 1e-15.
void TestCore::boundsAtLargeCounts_data()
{
    QTest::addColumn<bool>("simpsonRule");
    QTest::addColumn<int>("n");
    QTest::addColumn<double>("bound");
    const int most = std::numeric_limits<int>::max(), least = std::numeric_limits<int>::min();
    QTest::newRow("trapezoid n=13377") << false << 13377 << -1.4203688496908813e-8;
    QTest::newRow("trapezoid n=13378") << false << 13378 << -1.4201565136520568e-8;
    QTest::newRow("trapezoid n=100000") << false << 100000 << -2.5416666666666667e-10;
    QTest::newRow("trapezoid n=INT_MAX") << false << most << -5.5113610486008358e-19;
    QTest::newRow("trapezoid n=INT_MIN") << false << least << -5.5113610434679809e-19;
    QTest::newRow("simpson n=2^30 pairs") << true << (1 << 30) << -8.5713129747458464e-35;
    QTest::newRow("simpson n=INT_MAX pairs") << true << most << -5.3570706191944756e-36;
}

void TestCore::boundsAtLargeCounts()
{
    QFETCH(bool, simpsonRule);
    QFETCH(int, n);
    QFETCH(double, bound);
    const double got = simpsonRule ? simpsonBoundOverPairs(1, 6, n) : trapezoidBound(1, 6, n);
    QVERIFY2(std::fabs(got - bound) <= 1e-15 * std::fabs(bound),
             qPrintable(QString::number(got, 'g', 17)));
}

void TestCore::boundsOfEmptyAndReversedInterval()
{
    for (int n : {10, 100, 210}) {
        const double t = trapezoidBound(3, 3, n);
        const double s = simpsonBoundOverPairs(3, 3, n);
        QCOMPARE(t, 0.0);
        QCOMPARE(s, 0.0);
        QVERIFY(std::signbit(t));
        QVERIFY(std::signbit(s));
        QVERIFY(trapezoidBound(6, 1, n) > 0);
        QVERIFY(simpsonBoundOverPairs(6, 1, n) > 0);
    }
}

// The curves' ends on [1;6]: the exact bounds at n = 10 and 210 (see
// boundsByHand) rounded to float by mpmath. Each lies at least 0.08 of a float
// ulp from a rounding midpoint, far beyond the double's few ulps, so the float
// of the double bound is this one.
void TestCore::boundCurveJoinsTwentyOnePoints_data()
{
    QTest::addColumn<bool>("simpsonRule");
    QTest::addColumn<float>("first");
    QTest::addColumn<float>("last");
    QTest::newRow("trapezoid") << false << -0.0254166666f << -5.76341663e-05f;
    QTest::newRow("simpson") << true << -0.0113932295f << -5.85827351e-08f;
}

void TestCore::boundCurveJoinsTwentyOnePoints()
{
    QFETCH(bool, simpsonRule);
    QFETCH(float, first);
    QFETCH(float, last);
    const auto curve = boundCurve(simpsonRule ? &simpsonBoundOverPairs : &trapezoidBound, 1, 6);
    QVERIFY(curve.ok());
    const Curve &c = curve.value();
    QCOMPARE(c.size(), std::size_t(20));
    QCOMPARE(c.front().x1, 10.0f);
    QCOMPARE(c.front().y1, first);
    QCOMPARE(c.back().x2, 210.0f);
    QCOMPARE(c.back().y2, last);
    for (std::size_t k = 1; k < c.size(); ++k) {
        QCOMPARE(c[k].x1, c[k - 1].x2);
        QCOMPARE(c[k].y1, c[k - 1].y2);
        QCOMPARE(c[k].x2 - c[k].x1, 10.0f);
        QVERIFY(c[k].y1 < c[k].y2); // falling magnitude: rising towards 0
    }
}

void TestCore::boundCurveRefusals_data()
{
    QTest::addColumn<bool>("simpsonRule");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<std::optional<kvadrolab::Refusal>>("why");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("a=nan") << false << nan << 6.0
                           << std::optional(Refusal{Reason::NonFiniteInput, Input::A});
    QTest::newRow("b=-inf") << true << 1.0 << -std::numeric_limits<double>::infinity()
                            << std::optional(Refusal{Reason::NonFiniteInput, Input::B});
    QTest::newRow("trapezoid, b-a=2e14")
        << false << 0.0 << 2e14 << std::optional(Refusal{Reason::BeyondSinglePrecision});
    QTest::newRow("trapezoid, b-a=-2e14")
        << false << 2e14 << 0.0 << std::optional(Refusal{Reason::BeyondSinglePrecision});
    QTest::newRow("simpson, b-a=1e9")
        << true << 0.0 << 1e9 << std::optional(Refusal{Reason::BeyondSinglePrecision});
    QTest::newRow("difference overflows")
        << false << -1e308 << 1e308 << std::optional(Refusal{Reason::BeyondSinglePrecision});
    QTest::newRow("fits: trapezoid, b-a=1e14") << false << 0.0 << 1e14 << std::optional<Refusal>();
    QTest::newRow("fits: simpson, b-a=1e8") << true << 0.0 << 1e8 << std::optional<Refusal>();
}

void TestCore::boundCurveRefusals()
{
    QFETCH(bool, simpsonRule);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(std::optional<kvadrolab::Refusal>, why);
    const auto curve = boundCurve(simpsonRule ? &simpsonBoundOverPairs : &trapezoidBound, a, b);
    QCOMPARE(curve.ok(), !why);
    if (why)
        QCOMPARE(curve.refusal(), *why);
}

QTEST_GUILESS_MAIN(TestCore)
#include "coretest.moc"
