// SPDX-License-Identifier: GPL-3.0-or-later
// The proof engine on programs assembled by hand, against values worked by
// hand or by mpmath (30 digits, mpmath.diff and mpmath.quad), never against
// Arb's own answers to the same question.

// Qt before Arb (proof/balls.h says why).
#include <QFile>
#include <QTest>

#include "expression/constant.h"
#include "expression/parser.h"
#include "proof/balls.h"
#include "proof/derivativemax.h"
#include "proof/domain.h"
#include "proof/exactbound.h"
#include "proof/folding.h"
#include "proof/integral.h"
#include "proof/refusaltext.h"
#include "proof/removable.h"
#include "proof/taylor.h"
#include "tests/benchmarkset.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <string>
#include <utility>
#include <vector>

using namespace kvadrolab;

Q_DECLARE_METATYPE(kvadrolab::Program)
Q_DECLARE_METATYPE(kvadrolab::Reason)
Q_DECLARE_METATYPE(std::vector<double>)

namespace {

// Steps as a postfix text would compile to them; each step's position is its
// index, so a refusal's position names the step.
Step op(Op o)
{
    Step s;
    s.op = o;
    return s;
}
Step x()
{
    return op(Op::X);
}
Step number(const char *literal)
{
    Step s = op(Op::Number);
    s.value = std::atof(literal);
    s.literal = literal;
    return s;
}
Step powInt(std::int32_t e)
{
    Step s = op(Op::PowInt);
    s.exponent = e;
    return s;
}

Program program(std::initializer_list<Step> steps)
{
    Program p;
    std::size_t depth = 0;
    for (Step s : steps) {
        s.position = p.steps.size();
        if (operandCount(s.op) == 0)
            ++depth;
        else if (operandCount(s.op) == 2)
            --depth;
        p.stackDepth = std::max(p.stackDepth, depth);
        p.steps.push_back(s);
    }
    return p;
}

// (ln x / x)^3, the course's integrand.
Program courseIntegrand()
{
    return program({x(), op(Op::Ln), x(), op(Op::Div), powInt(3)});
}

// sqrt(1 - x^2): the upper half of the unit circle.
Program semicircle()
{
    return program({number("1"), x(), powInt(2), op(Op::Sub), op(Op::Sqrt)});
}

} // namespace

class ProofTest : public QObject
{
    Q_OBJECT

private slots:
    void literalIsTheTypedDecimal();
    void taylorCoefficients_data();
    void taylorCoefficients();
    void taylorRefusals_data();
    void taylorRefusals();
    void domain_data();
    void domain();
    void integral_data();
    void integral();
    void integralRefusals();
    void enclosureRoundsOutward();
    void derivativeMax_data();
    void derivativeMax();
    void derivativeMaxPlaceWithinTheGap();
    void placesStayWithinHugeIntervals_data();
    void placesStayWithinHugeIntervals();
    void placesOfTheCourseSetStayWithinTheInterval();
    void derivativeMaxRefusals_data();
    void derivativeMaxRefusals();
    void poleAtAnExactEnd_data();
    void poleAtAnExactEnd();
    void integralOnExactEnds_data();
    void integralOnExactEnds();
    void derivativeMaxOnExactEnds_data();
    void derivativeMaxOnExactEnds();
    void doubleAgainstAnExactNumber_data();
    void doubleAgainstAnExactNumber();
    void countForABound_data();
    void countForABound();
    void algebraicIntegral_data();
    void algebraicIntegral();
    void algebraicMaxima_data();
    void algebraicMaxima();
    void algebraicMaximaRefusals_data();
    void algebraicMaximaRefusals();
    void maximumBeyondTheDoubles();
    void foldedRootKeepsItsCondition();
    void foldRootPowers_data();
    void foldRootPowers();
    void courseProofsAnswer();
    void hostileProofsEndWithinTheirCount_data();
    void hostileProofsEndWithinTheirCount();
    void searchForLimitsEndsWithinOneBudget();
};

namespace {

Program parsed(const char *text)
{
    Result<Program> p = parseExpression(text);
    if (!p)
        qFatal("%s does not parse", text);
    return std::move(p).value();
}

ExactNumber exact(const char *text)
{
    Result<ExactNumber> n = readExactNumber(text);
    if (!n)
        qFatal("%s is no exact number", text);
    return std::move(n).value();
}

// Whether the decimal `reference` (mpmath, 30 digits: its own error is far
// below the enclosures' widths) lies within [lower; upper], compared exactly.
bool encloses(double lower, double upper, const char *reference)
{
    Ball r, lo, hi;
    arb_set_str(r.get(), reference, 256);
    arb_set_d(lo.get(), lower);
    arb_set_d(hi.get(), upper);
    return arb_le(lo.get(), r.get()) && arb_le(r.get(), hi.get());
}

// |mid + midTail - reference|, the midpoint to about 106 bits against the
// decimal, as a double.
double tailDistance(const Enclosure &e, const char *reference)
{
    Ball r, m;
    arb_set_str(r.get(), reference, 256);
    arb_set_d(m.get(), e.mid);
    arb_sub(r.get(), r.get(), m.get(), 256);
    arb_set_d(m.get(), e.midTail);
    arb_sub(r.get(), r.get(), m.get(), 256);
    return std::fabs(arf_get_d(arb_midref(r.get()), ARF_RND_NEAR));
}

} // namespace

void ProofTest::literalIsTheTypedDecimal()
{
    // 0.1 * 10 - 1 is 0 for the decimal; the double 0.1 leaves 5.55e-17.
    const Program p = program({number("0.1"), number("10"), op(Op::Mul), number("1"), op(Op::Sub)});
    Ball anywhere;
    arb_set_d(anywhere.get(), 3);
    Series s;
    QVERIFY(taylorSeries(s.get(), p, anywhere.get(), 0));
    Ball v;
    arb_poly_get_coeff_arb(v.get(), s.get(), 0);
    QVERIFY(arb_contains_zero(v.get()));
    QVERIFY(mag_cmp_2exp_si(arb_radref(v.get()), -100) < 0);
    // Arb would read these too; a typed number is none of them.
    for (const char *text : {"0,1", "[1 +/- 1]", "nan", "inf", ""})
        QVERIFY2(!literalBall(anywhere.get(), number(text), proofPrecision), text);
}

void ProofTest::taylorCoefficients_data()
{
    QTest::addColumn<Program>("f");
    QTest::addColumn<double>("at");
    QTest::addColumn<std::vector<double>>("expected");
    // mpmath.diff(f, x, j) / j!, j = 0..order.
    QTest::newRow("cot 0.7") << program({x(), op(Op::Cot)}) << 0.7
                             << std::vector<double>{1.1872418321266793537, -2.4095431679515142799,
                                                    2.860710445307078872, -4.1995361662541431661};
    QTest::newRow("lg 3") << program({x(), op(Op::Lg)}) << 3.0
                          << std::vector<double>{0.4771212547196624373, 0.14476482730108394255,
                                                 -0.024127471216847323758,
                                                 0.0053616602704105163908};
    QTest::newRow("cbrt -8") << program({x(), op(Op::Cbrt)}) << -8.0
                             << std::vector<double>{-2.0, 1.0 / 12, 0.0034722222222222222222,
                                                    0.00024112654320987654321};
    QTest::newRow("tanh 0.3") << program({x(), op(Op::Tanh)}) << 0.3
                              << std::vector<double>{0.29131261245159090582, 0.91513696182662920314,
                                                     -0.26659093910072717386,
                                                     -0.22738435101685392659};
    // By hand: x^-2 = 1/4 (1 + 2t)^-2 at x = 1/2 + t/2... the binomial series.
    QTest::newRow("x^-2 at 0.5") << program({x(), powInt(-2)}) << 0.5
                                 << std::vector<double>{4, -16, 48, -128};
    QTest::newRow("x^x at 2") << program({x(), x(), op(Op::Pow)}) << 2.0
                              << std::vector<double>{4.0, 6.7725887222397812377,
                                                     6.733494750076184087, 4.7623640041755250974};
    QTest::newRow("asin 0.5") << program({x(), op(Op::Asin)}) << 0.5
                              << std::vector<double>{0.52359877559829887308, 1.154700538379251529,
                                                     0.38490017945975050967,
                                                     0.51320023927966734623};
    // By hand: |x| = -x left of 0.
    QTest::newRow("abs -1.5") << program({x(), op(Op::Abs)}) << -1.5
                              << std::vector<double>{1.5, -1, 0};
    // (ln x/x)^3 = t^3 - 4.5 t^4 + ... at x = 1 + t: f''''(1) = -108.
    QTest::newRow("(ln x/x)^3 at 1")
        << courseIntegrand() << 1.0 << std::vector<double>{0, 0, 0, 1, -4.5};
    // arcctg = pi/2 - arctg: its derivative is -1/(1 + x^2), -0.9174... at 0.3.
    QTest::newRow("arcctg 0.3") << program({x(), op(Op::Acot)}) << 0.3
                                << std::vector<double>{
                                       1.2793395323170295272, -0.91743119266055045872,
                                       0.25250399797996801616, 0.1878979801481923056};
    QTest::newRow("cth 1") << program({x(), op(Op::Coth)}) << 1.0
                           << std::vector<double>{1.3130352854993313036, -0.72406166096631046641,
                                                  0.95071850972601949174, -1.0069730628588326326};
    QTest::newRow("sinh + cosh = exp at 0.25")
        << program({x(), op(Op::Sinh), x(), op(Op::Cosh), op(Op::Add)}) << 0.25
        << std::vector<double>{1.2840254166877414841, 1.2840254166877414841,
                               1.2840254166877414841 / 2, 1.2840254166877414841 / 6};
}

void ProofTest::taylorCoefficients()
{
    QFETCH(Program, f);
    QFETCH(double, at);
    QFETCH(std::vector<double>, expected);
    Ball point;
    arb_set_d(point.get(), at);
    Series s;
    const slong order = static_cast<slong>(expected.size()) - 1;
    const auto done = taylorSeries(s.get(), f, point.get(), order);
    QVERIFY(done);
    for (slong j = 0; j <= order; ++j) {
        Ball c;
        arb_poly_get_coeff_arb(c.get(), s.get(), j);
        const double mid = arf_get_d(arb_midref(c.get()), ARF_RND_NEAR);
        QVERIFY2(std::abs(mid - expected[j]) <= 1e-15 * std::max(1.0, std::abs(expected[j])),
                 qPrintable(QString("coefficient %1: %2").arg(j).arg(mid, 0, 'g', 17)));
        QVERIFY(mag_cmp_2exp_si(arb_radref(c.get()), -80) < 0);
    }
}

void ProofTest::taylorRefusals_data()
{
    QTest::addColumn<Program>("f");
    QTest::addColumn<double>("lo");
    QTest::addColumn<double>("hi");
    QTest::addColumn<int>("order");
    QTest::addColumn<Reason>("reason");
    QTest::addColumn<int>("position");
    const Program sqrtShifted = program({x(), number("1"), op(Op::Sub), op(Op::Sqrt)});
    QTest::newRow("sqrt(x-1) on [0.5; 1.5]")
        << sqrtShifted << 0.5 << 1.5 << 0 << Reason::NotDefined << 3;
    QTest::newRow("ln on [-1; 1]")
        << program({x(), op(Op::Ln)}) << -1.0 << 1.0 << 0 << Reason::NotDefined << 1;
    QTest::newRow("1/x on [-1; 1]")
        << program({number("1"), x(), op(Op::Div)}) << -1.0 << 1.0 << 0 << Reason::Pole << 2;
    QTest::newRow("asin on [0.5; 1.5]")
        << program({x(), op(Op::Asin)}) << 0.5 << 1.5 << 0 << Reason::NotDefined << 1;
    QTest::newRow("tan on [1; 2]")
        << program({x(), op(Op::Tan)}) << 1.0 << 2.0 << 0 << Reason::Pole << 1;
    QTest::newRow("sqrt' on [0; 1]")
        << program({x(), op(Op::Sqrt)}) << 0.0 << 1.0 << 1 << Reason::NotSmooth << 1;
    QTest::newRow("|x|' on [-1; 1]")
        << program({x(), op(Op::Abs)}) << -1.0 << 1.0 << 1 << Reason::NotSmooth << 1;
    QTest::newRow("cbrt' on [-1; 1]")
        << program({x(), op(Op::Cbrt)}) << -1.0 << 1.0 << 2 << Reason::NotSmooth << 1;
    QTest::newRow("x^-0.5 on [0; 1]")
        << program({x(), number("-0.5"), op(Op::Pow)}) << 0.0 << 1.0 << 0 << Reason::Pole << 2;
    QTest::newRow("x^x on [0; 1]")
        << program({x(), x(), op(Op::Pow)}) << 0.0 << 1.0 << 0 << Reason::NotDefined << 2;
    QTest::newRow("x^-3 on [-1; 1]")
        << program({x(), powInt(-3)}) << -1.0 << 1.0 << 0 << Reason::Pole << 1;
    QTest::newRow("cth on [-1; 1]")
        << program({x(), op(Op::Coth)}) << -1.0 << 1.0 << 0 << Reason::Pole << 1;
    QTest::newRow("cth at 0") << program({x(), op(Op::Coth)}) << 0.0 << 0.0 << 0 << Reason::Pole
                              << 1;
}

void ProofTest::taylorRefusals()
{
    QFETCH(Program, f);
    QFETCH(double, lo);
    QFETCH(double, hi);
    QFETCH(int, order);
    QFETCH(Reason, reason);
    QFETCH(int, position);
    Ball ball;
    intervalBall(ball.get(), lo, hi);
    Series s;
    const auto done = taylorSeries(s.get(), f, ball.get(), order);
    QVERIFY(!done);
    QCOMPARE(done.reason(), reason);
    QCOMPARE(done.refusal().position, std::optional<std::size_t>(position));
}

void ProofTest::domain_data()
{
    QTest::addColumn<Program>("f");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<bool>("defined");
    QTest::addColumn<Reason>("reason");
    QTest::addColumn<double>("place");
    const Program none;
    QTest::newRow("(ln x/x)^3 on [1; 6]")
        << courseIntegrand() << 1.0 << 6.0 << true << Reason::NotProven << 0.0;
    QTest::newRow("arcctg on [-1e300; 1e300]")
        << program({x(), op(Op::Acot)}) << -1e300 << 1e300 << true << Reason::NotProven << 0.0;
    // A pole at 0, found as 1/x's is.
    QTest::newRow("cth on [-1; 2]")
        << program({x(), op(Op::Coth)}) << -1.0 << 2.0 << false << Reason::Pole << 0.0;
    // Halving alone leaves [1; 5.8e289] after the deepest split, whose ball
    // reaches below 0; the pieces of one sign are split geometrically.
    QTest::newRow("(ln x/x)^3 on [1; 1e300]")
        << courseIntegrand() << 1.0 << 1e300 << true << Reason::NotProven << 0.0;
    QTest::newRow("ln(-x) on [-1e300; -1e-300]")
        << program({x(), op(Op::Neg), op(Op::Ln)}) << -1e300 << -1e-300 << true << Reason::NotProven
        << 0.0;
    QTest::newRow("|x-2| on [0; 3]") << program({x(), number("2"), op(Op::Sub), op(Op::Abs)}) << 0.0
                                     << 3.0 << true << Reason::NotProven << 0.0;
    QTest::newRow("sqrt on [0; 1], 0 included")
        << program({x(), op(Op::Sqrt)}) << 0.0 << 1.0 << true << Reason::NotProven << 0.0;
    QTest::newRow("asin on [-1; 1], ends included")
        << program({x(), op(Op::Asin)}) << -1.0 << 1.0 << true << Reason::NotProven << 0.0;
    // The ball of a piece next to x = 1 takes x^2 a rounding past 1; the
    // ends' values decide instead.
    QTest::newRow("sqrt(1-x^2) on [-1; 1]")
        << semicircle() << -1.0 << 1.0 << true << Reason::NotProven << 0.0;
    // Hand: sqrt(x-1) is defined only from 1, 1/x has its pole at 0, tan at pi/2.
    QTest::newRow("sqrt(x-1) on [0; 2]") << program({x(), number("1"), op(Op::Sub), op(Op::Sqrt)})
                                         << 0.0 << 2.0 << false << Reason::NotDefined << 1.0;
    QTest::newRow("sqrt(1-x) on [0; 2]") << program({number("1"), x(), op(Op::Sub), op(Op::Sqrt)})
                                         << 0.0 << 2.0 << false << Reason::NotDefined << 1.0;
    QTest::newRow("1/x on [-1; 1]")
        << program({number("1"), x(), op(Op::Div)}) << -1.0 << 1.0 << false << Reason::Pole << 0.0;
    QTest::newRow("tan on [0; 2]")
        << program({x(), op(Op::Tan)}) << 0.0 << 2.0 << false << Reason::Pole << 1.5707963267948966;
    QTest::newRow("ln x on [-1; 1]")
        << program({x(), op(Op::Ln)}) << -1.0 << 1.0 << false << Reason::NotDefined << 0.0;
    QTest::newRow("ln(x - 0.1) on [0.5; 0]: ends either way round")
        << program({x(), number("0.1"), op(Op::Sub), op(Op::Ln)}) << 0.5 << 0.0 << false
        << Reason::NotDefined << 0.1;
    QTest::newRow("sqrt(1-x^2) on [-1.0000001; 1]")
        << semicircle() << -1.0000001 << 1.0 << false << Reason::NotDefined << -1.0;
    QTest::newRow("sqrt(x^2-1) on [-1; 1]")
        << program({x(), powInt(2), number("1"), op(Op::Sub), op(Op::Sqrt)}) << -1.0 << 1.0 << false
        << Reason::NotDefined << -1.0;
    QTest::newRow("sqrt(sin x) on [0; 4]")
        << program({x(), op(Op::Sin), op(Op::Sqrt)}) << 0.0 << 4.0 << false << Reason::NotDefined
        << 3.1415926535897932;
    QTest::newRow("ln(1-x^2) on [0; 1]")
        << program({number("1"), x(), powInt(2), op(Op::Sub), op(Op::Ln)}) << 0.0 << 1.0 << false
        << Reason::Pole << 1.0;
    QTest::newRow("sqrt(-1-x^2): nowhere")
        << program({number("-1"), x(), powInt(2), op(Op::Sub), op(Op::Sqrt)}) << 0.0 << 1.0 << false
        << Reason::NotDefined << 0.0;
}

void ProofTest::domain()
{
    QFETCH(Program, f);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(bool, defined);
    QFETCH(Reason, reason);
    QFETCH(double, place);
    const auto proven = proveDefined(f, a, b);
    QCOMPARE(proven.ok(), defined);
    if (defined)
        return;
    QCOMPARE(proven.reason(), reason);
    QVERIFY(proven.refusal().x.has_value());
    QVERIFY2(std::abs(*proven.refusal().x - place) < 1e-8,
             qPrintable(QString::number(*proven.refusal().x, 'g', 17)));
}

void ProofTest::integral_data()
{
    QTest::addColumn<Program>("f");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<double>("truth");
    QTest::addColumn<double>("radius");
    // Hand: 2 + 1/2 by the two triangles.
    QTest::newRow("|x-2| on [0; 3]")
        << program({x(), number("2"), op(Op::Sub), op(Op::Abs)}) << 0.0 << 3.0 << 2.5 << 1e-10;
    QTest::newRow("sqrt on [0; 1]")
        << program({x(), op(Op::Sqrt)}) << 0.0 << 1.0 << 2.0 / 3 << 1e-10;
    QTest::newRow("x^0.5 on [0; 1]")
        << program({x(), number("0.5"), op(Op::Pow)}) << 0.0 << 1.0 << 2.0 / 3 << 1e-10;
    // mpmath.quad at 30 digits: 0.180479022600235944507077858.
    QTest::newRow("(ln x/x)^3 on [1; 6]")
        << courseIntegrand() << 1.0 << 6.0 << 0.18047902260023594451 << 1e-10;
    // Hand: 3/4 (8^(4/3) - 1) across the root's vertical tangent at 0.
    QTest::newRow("cbrt on [-1; 8]")
        << program({x(), op(Op::Cbrt)}) << -1.0 << 8.0 << 11.25 << 1e-10;
    // Hand: x arcctg x + ln(1 + x^2)/2 from 0 to 1 is pi/4 + ln(2)/2.
    QTest::newRow("arcctg on [0; 1]")
        << program({x(), op(Op::Acot)}) << 0.0 << 1.0 << 1.1319717536774209643 << 1e-10;
    // Hand: ln sh x from 1 to 2 is ln(sh 2 / sh 1).
    QTest::newRow("cth on [1; 2]")
        << program({x(), op(Op::Coth)}) << 1.0 << 2.0 << 1.1269280110429724964 << 1e-10;
    // Across 0 arcctg's value does not jump, with the range (0; pi):
    // pi/2 * 2 over [-1; 1] since arcctg(-x) = pi - arcctg(x).
    QTest::newRow("arcctg on [-1; 1]")
        << program({x(), op(Op::Acot)}) << -1.0 << 1.0 << 3.1415926535897932385 << 1e-10;
    // Hand: x asin x + sqrt(1 - x^2) from 0 to 1 is pi/2 - 1.
    QTest::newRow("asin on [0; 1]")
        << program({x(), op(Op::Asin)}) << 0.0 << 1.0 << 0.57079632679489661923 << 1e-10;
    // Hand: half the unit disc.
    QTest::newRow("sqrt(1-x^2) on [-1; 1]")
        << semicircle() << -1.0 << 1.0 << 1.5707963267948966 << 1e-10;
    // Hand: atan is odd.
    QTest::newRow("atan on [-1; 1]") << program({x(), op(Op::Atan)}) << -1.0 << 1.0 << 0.0 << 1e-10;
    // Hand: 0.1 * (1/2) exactly; the ends swapped negate it.
    QTest::newRow("0.1 x on [1; 0]")
        << program({number("0.1"), x(), op(Op::Mul)}) << 1.0 << 0.0 << -0.05 << 1e-15;
    // Hand: (1e-9)^2 / 2 = 5e-19; an absolute goal of 2^-64 alone would let
    // the radius be as large as the integral.
    QTest::newRow("x on [0; 1e-9]") << program({x()}) << 0.0 << 1e-9 << 5e-19 << 1e-33;
    // mpmath at 30 digits: 2.50000081840380897754e-37, near f's zero at 1.
    QTest::newRow("(ln x/x)^3 on [1; 1+1e-9]")
        << courseIntegrand() << 1.0 << 1.000000001 << 2.50000081840380897754e-37 << 1e-50;
}

void ProofTest::integral()
{
    QFETCH(Program, f);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(double, truth);
    QFETCH(double, radius);
    const auto e = certifiedIntegral(f, a, b);
    QVERIFY(e);
    QVERIFY2(e->lower <= truth && truth <= e->upper,
             qPrintable(QString("[%1; %2]").arg(e->lower, 0, 'g', 17).arg(e->upper, 0, 'g', 17)));
    QVERIFY(e->mid - e->rad <= e->lower && e->upper <= e->mid + e->rad);
    QVERIFY2(e->rad <= radius, qPrintable(QString::number(e->rad)));
}

void ProofTest::integralRefusals()
{
    // Hand: the integral of x^-3 from 1e-200 is about 5e399, past double.
    const auto beyond = certifiedIntegral(program({x(), powInt(-3)}), 1e-200, 1);
    QVERIFY(!beyond);
    QCOMPARE(beyond.reason(), Reason::NonFiniteResult);
    // The midpoint's tail: 0.1 x on [0; 1] is 1/20, which mid alone misses
    // by 2.8e-18 (the double 0.05 is 0.05000000000000000277...).
    const auto twentieth = certifiedIntegral(program({number("0.1"), x(), op(Op::Mul)}), 0, 1);
    QVERIFY(twentieth);
    QCOMPARE(twentieth->mid, 0.05);
    QVERIFY2(std::fabs(twentieth->midTail + 2.7755575615628914e-18) < 1e-30,
             qPrintable(QString::number(twentieth->midTail, 'g', 17)));

    const Program reciprocal = program({number("1"), x(), op(Op::Div)});
    // The domain proof finds the pole.
    const auto certified = certifiedIntegral(reciprocal, -1, 1);
    QVERIFY(!certified);
    QCOMPARE(certified.reason(), Reason::Pole);
    // Arb alone does not converge: it spends its counted work on the
    // pieces around the pole and names the point of the path it reached.
    const auto alone = integrateDefined(reciprocal, -1, 1);
    QVERIFY(!alone);
    QCOMPARE(alone.reason(), Reason::WorkLimit);
    QVERIFY(alone.refusal().x && std::fabs(*alone.refusal().x) <= 1);
}

void ProofTest::enclosureRoundsOutward()
{
    // The integral of a constant c over [0; 1] is the decimal c itself. The
    // double 0.1 lies above 1/10 and the double 0.3 below 3/10 (their exact
    // binary expansions), so ends rounded to the nearest double would leave
    // the truth outside on one side each.
    const auto tenth = certifiedIntegral(program({number("0.1")}), 0, 1);
    QVERIFY(tenth);
    QVERIFY(tenth->lower < 0.1 && 0.1 <= tenth->upper);
    QVERIFY(tenth->mid - tenth->rad < 0.1);
    const auto threeTenths = certifiedIntegral(program({number("0.3")}), 0, 1);
    QVERIFY(threeTenths);
    QVERIFY(threeTenths->lower <= 0.3 && 0.3 < threeTenths->upper);
    QVERIFY(0.3 < threeTenths->mid + threeTenths->rad);
}

void ProofTest::derivativeMax_data()
{
    QTest::addColumn<Program>("f");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<int>("order");
    QTest::addColumn<double>("truth");
    QTest::addColumn<double>("place");
    // How far the place may be from `place`: 0 where it is found exactly (an
    // end, or the left end where f^(k) is 0 throughout), infinity where
    // every point of the interval is one.
    QTest::addColumn<double>("within");
    const double anywhere = std::numeric_limits<double>::infinity();
    // A flat maximum is found to about the square root of the gap.
    const double flat = 1e-2;
    // mpmath: max of |mpmath.diff(f, x, k)| on a grid of [1; 6], refined by
    // findroot on the next derivative; M4 and M6 at the end x = 1.
    QTest::newRow("(ln x/x)^3, M1")
        << courseIntegrand() << 1.0 << 6.0 << 1 << 0.0589552875382971 << 1.43277309948 << flat;
    QTest::newRow("(ln x/x)^3, M2")
        << courseIntegrand() << 1.0 << 6.0 << 2 << 0.243975030692985 << 1.10884523134 << flat;
    QTest::newRow("(ln x/x)^3, M4") << courseIntegrand() << 1.0 << 6.0 << 4 << 108.0 << 1.0 << flat;
    QTest::newRow("(ln x/x)^3, M6")
        << courseIntegrand() << 1.0 << 6.0 << 6 << 18810.0 << 1.0 << flat;
    // Hand: |sin''| = |sin| peaks at pi/2; (x^3)' = 3x^2 at the far end;
    // exp^(6) = exp at 1.
    QTest::newRow("sin, M2 on [0; 3]")
        << program({x(), op(Op::Sin)}) << 0.0 << 3.0 << 2 << 1.0 << 1.5707963267948966 << flat;
    QTest::newRow("x^3, M1 on [-1; 2]")
        << program({x(), powInt(3)}) << -1.0 << 2.0 << 1 << 12.0 << 2.0 << flat;
    // Hand: sqrt rises to 1; its slope has no bound at 0, so only the plain
    // enclosure bounds the piece there.
    QTest::newRow("sqrt, M0 on [0; 1]")
        << program({x(), op(Op::Sqrt)}) << 0.0 << 1.0 << 0 << 1.0 << 1.0 << flat;
    QTest::newRow("exp, M6 on [0; 1]")
        << program({x(), op(Op::Exp)}) << 0.0 << 1.0 << 6 << 2.718281828459045 << 1.0 << flat;
    // Hand: every derivative of exp is exp, largest at the right end.
    for (int k : {1, 2, 4})
        QTest::addRow("exp, M%d on [0; 1]", k)
            << program({x(), op(Op::Exp)}) << 0.0 << 1.0 << k << 2.718281828459045 << 1.0 << 0.0;
    // Hand: x'' = 0 and (x^3)'''' = 0 everywhere, so their maxima are 0,
    // reached first at the left end, never at 0 outside the interval;
    // (x^3)' = 3x^2 and (x^3)'' = 6x are largest in size at the end farther
    // from 0 (12 at 2, 27 at -3); (x^3)''' = 6 everywhere.
    const Program line = program({x()});
    const Program cube = program({x(), powInt(3)});
    QTest::newRow("x, M2 on [1; 2]") << line << 1.0 << 2.0 << 2 << 0.0 << 1.0 << 0.0;
    QTest::newRow("x, M4 on [1; 2]") << line << 1.0 << 2.0 << 4 << 0.0 << 1.0 << 0.0;
    QTest::newRow("x^3, M1 on [1; 2]") << cube << 1.0 << 2.0 << 1 << 12.0 << 2.0 << 0.0;
    QTest::newRow("x^3, M2 on [1; 2]") << cube << 1.0 << 2.0 << 2 << 12.0 << 2.0 << 0.0;
    QTest::newRow("x^3, M3 on [1; 2]") << cube << 1.0 << 2.0 << 3 << 6.0 << 1.5 << anywhere;
    QTest::newRow("x^3, M4 on [1; 2]") << cube << 1.0 << 2.0 << 4 << 0.0 << 1.0 << 0.0;
    QTest::newRow("x^3, M6 on [1; 2]") << cube << 1.0 << 2.0 << 6 << 0.0 << 1.0 << 0.0;
    QTest::newRow("x^3, M1 on [-3; -2]") << cube << -3.0 << -2.0 << 1 << 27.0 << -3.0 << 0.0;
    QTest::newRow("x^3, M4 on [-3; -2]") << cube << -3.0 << -2.0 << 4 << 0.0 << -3.0 << 0.0;
    // The ends handed in the other order: the same interval, the same places.
    QTest::newRow("x^3, M1 on [2; 1]") << cube << 2.0 << 1.0 << 1 << 12.0 << 2.0 << 0.0;
    QTest::newRow("x^3, M4 on [2; 1]") << cube << 2.0 << 1.0 << 4 << 0.0 << 1.0 << 0.0;
    QTest::newRow("x^3, M4 on [-2; -3]") << cube << -2.0 << -3.0 << 4 << 0.0 << -3.0 << 0.0;
}

void ProofTest::derivativeMax()
{
    QFETCH(Program, f);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(int, order);
    QFETCH(double, truth);
    QFETCH(double, place);
    QFETCH(double, within);
    const auto m = proveDerivativeMax(f, a, b, order);
    QVERIFY(m);
    QCOMPARE(m->order, order);
    QVERIFY2(m->lower <= truth * (1 + 1e-15) && truth * (1 - 1e-15) <= m->upper,
             qPrintable(QString("[%1; %2]").arg(m->lower, 0, 'g', 17).arg(m->upper, 0, 'g', 17)));
    QVERIFY2(m->upper - m->lower <= 2e-6 * truth,
             qPrintable(QString("gap %1").arg(m->upper - m->lower)));
    QVERIFY2(std::min(a, b) <= m->at && m->at <= std::max(a, b),
             qPrintable(QString::number(m->at, 'g', 17)));
    QVERIFY2(std::abs(m->at - place) <= within, qPrintable(QString::number(m->at, 'g', 17)));
}

void ProofTest::derivativeMaxPlaceWithinTheGap()
{
    // Hand: |sin''| = sin on [0; pi] peaks at pi/2 with 1, and
    // sin(pi/2 + d) = cos d <= 1 - d^2/2 + d^4/24 <= 1 - 0.45 d^2 for
    // |d| <= 1. The place holds sin >= lower, so 0.45 d^2 <= 1 - lower.
    const double pi = 3.14159265358979323846;
    const auto m = proveDerivativeMax(program({x(), op(Op::Sin)}), 0, pi, 2);
    QVERIFY(m);
    QVERIFY(m->lower <= 1 && 1 <= m->upper);
    const double d = m->at - pi / 2;
    QVERIFY2(
        std::abs(d) <= 1 && 0.45 * d * d <= 1 - m->lower,
        qPrintable(QString("at %1, lower %2").arg(m->at, 0, 'g', 17).arg(m->lower, 0, 'g', 17)));
}

void ProofTest::derivativeMaxRefusals_data()
{
    QTest::addColumn<Program>("f");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<int>("order");
    QTest::addColumn<Reason>("reason");
    QTest::addColumn<double>("place");
    // Hand: sqrt' = 1/(2 sqrt x) has no bound at 0; |x-2| has a kink at 2;
    // 1/x a pole at 0.
    QTest::newRow("sqrt, M1 on [0; 1]")
        << program({x(), op(Op::Sqrt)}) << 0.0 << 1.0 << 1 << Reason::NotSmooth << 0.0;
    QTest::newRow("|x-2|, M2 on [0; 3]") << program({x(), number("2"), op(Op::Sub), op(Op::Abs)})
                                         << 0.0 << 3.0 << 2 << Reason::NotSmooth << 2.0;
    QTest::newRow("1/x, M1 on [-1; 1]")
        << program({number("1"), x(), op(Op::Div)}) << -1.0 << 1.0 << 1 << Reason::Pole << 0.0;
    QTest::newRow("|x-2|, M2 on [3; 0]") << program({x(), number("2"), op(Op::Sub), op(Op::Abs)})
                                         << 3.0 << 0.0 << 2 << Reason::NotSmooth << 2.0;
}

void ProofTest::derivativeMaxRefusals()
{
    QFETCH(Program, f);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(int, order);
    QFETCH(Reason, reason);
    QFETCH(double, place);
    const auto m = proveDerivativeMax(f, a, b, order);
    QVERIFY(!m);
    QCOMPARE(m.reason(), reason);
    QVERIFY(m.refusal().x);
    QVERIFY(std::min(a, b) <= *m.refusal().x && *m.refusal().x <= std::max(a, b));
    QVERIFY2(std::abs(*m.refusal().x - place) < 1e-8,
             qPrintable(QString::number(*m.refusal().x, 'g', 17)));
    const auto tooHigh = proveDerivativeMax(f, a, b, derivativeOrderLimit + 1);
    QVERIFY(!tooHigh);
    QCOMPARE(tooHigh.reason(), Reason::CountOutOfRange);
}

void ProofTest::placesStayWithinHugeIntervals_data()
{
    QTest::addColumn<Program>("f");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<int>("order");
    QTest::addColumn<bool>("proven");
    QTest::addColumn<Reason>("reason");
    QTest::addColumn<double>("place");
    // How far from `place` the place may be, as a fraction of b - a.
    QTest::addColumn<double>("within");
    // Ends of opposite signs beyond DBL_MAX / 2: b - a is no double, and the
    // middle of the interval must still be a point of it. Hand: |x| has its
    // kink at 0, |x - 1e307| at 1e307, sqrt and 1/x end and blow up at 0;
    // x itself is largest in size at both ends, the left one first, and its
    // second derivative is 0 throughout.
    const Program absolute = program({x(), op(Op::Abs)});
    const Program line = program({x()});
    QTest::newRow("|x|, M1") << absolute << -1e308 << 1e308 << 1 << false << Reason::NotSmooth
                             << 0.0 << 1e-10;
    QTest::newRow("|x|, M2, ends swapped")
        << absolute << 1e308 << -1e308 << 2 << false << Reason::NotSmooth << 0.0 << 1e-10;
    QTest::newRow("|x - 1e307|, M2")
        << program({x(), number("1e307"), op(Op::Sub), op(Op::Abs)}) << -1e308 << 1e308 << 2
        << false << Reason::NotSmooth << 1e307 << 1e-10;
    QTest::newRow("sqrt, M0") << program({x(), op(Op::Sqrt)}) << -1e308 << 1e308 << 0 << false
                              << Reason::NotDefined << 0.0 << 1e-10;
    QTest::newRow("1/x, M1") << program({number("1"), x(), op(Op::Div)}) << -1e308 << 1e308 << 1
                             << false << Reason::Pole << 0.0 << 1e-10;
    QTest::newRow("x, M0") << line << -1.7e308 << 1.7e308 << 0 << true << Reason::NotProven
                           << -1.7e308 << 0.0;
    QTest::newRow("x, M1") << line << -1.7e308 << 1.7e308 << 1 << true << Reason::NotProven << 0.0
                           << 1.0;
    QTest::newRow("x, M2") << line << -1.7e308 << 1.7e308 << 2 << true << Reason::NotProven
                           << -1.7e308 << 0.0;
}

void ProofTest::placesStayWithinHugeIntervals()
{
    QFETCH(Program, f);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(int, order);
    QFETCH(bool, proven);
    QFETCH(Reason, reason);
    QFETCH(double, place);
    QFETCH(double, within);
    const double lo = std::min(a, b), hi = std::max(a, b);
    const auto m = proveDerivativeMax(f, a, b, order);
    QCOMPARE(m.ok(), proven);
    double at = 0;
    if (proven) {
        at = m->at;
    } else {
        QCOMPARE(m.reason(), reason);
        QVERIFY(m.refusal().x);
        at = *m.refusal().x;
    }
    QVERIFY2(lo <= at && at <= hi, qPrintable(QString::number(at, 'g', 17)));
    // hi - lo is beyond double; half of it is not.
    QVERIFY2(std::abs(at - place) <= within * 2 * (hi / 2 - lo / 2),
             qPrintable(QString::number(at, 'g', 17)));
}

void ProofTest::placesOfTheCourseSetStayWithinTheInterval()
{
    // Every integrand of the course set, with its ends in both orders: a
    // proven maximum's place and a refusal's place are points of the
    // interval.
    const QList<QStringList> set = testsupport::benchmarkSetRows();
    QVERIFY(!set.isEmpty());
    int proven = 0, refused = 0;
    for (const QStringList &c : set) {
        QVERIFY(c.size() >= 4);
        const auto f = parseExpression(c[1].toStdString());
        QVERIFY2(f, qPrintable(c[1]));
        const double a = c[2].toDouble(), b = c[3].toDouble();
        for (const auto &[from, to] : {std::pair{a, b}, std::pair{b, a}}) {
            for (int k : {1, 2, 4, 6}) {
                const auto m = proveDerivativeMax(*f, from, to, k);
                const QString what =
                    QString("M%1 of %2 on [%3; %4]").arg(k).arg(c[1]).arg(from).arg(to);
                if (m) {
                    ++proven;
                    QVERIFY2(a <= m->at && m->at <= b,
                             qPrintable(what + ": " + QString::number(m->at, 'g', 17)));
                } else if (m.refusal().x) {
                    ++refused;
                    const double x = *m.refusal().x;
                    QVERIFY2(a <= x && x <= b,
                             qPrintable(what + ": " + QString::number(x, 'g', 17)));
                }
            }
        }
    }
    // The set's ends come in order a < b; it has smooth and rough rows.
    QVERIFY(proven > 0);
    QVERIFY(refused > 0);
}

void ProofTest::poleAtAnExactEnd_data()
{
    QTest::addColumn<QString>("f");
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("input"); // 0: a, 1: b
    QTest::addColumn<double>("place");
    QTest::addColumn<QString>("words");
    // Hand: each f has its pole at the exact end typed; the end's double lies
    // past the pole (0.1 and pi/2 round up, 0.3 and 1/3 round down).
    QTest::newRow("1/(x-0.1) on [0.1; 1]") << "1/(x-0.1)"
                                           << "0.1"
                                           << "1" << 0 << 0.1 << "полюс на конце x = 0,1";
    QTest::newRow("tg x on [0; pi/2]")
        << "tg(x)"
        << "0"
        << "pi/2" << 1 << 1.5707963267948966 << "полюс на конце x = 1,57079632679";
    QTest::newRow("1/(x-0.3) on [0.3; 1]") << "1/(x-0.3)"
                                           << "0,3"
                                           << "1" << 0 << 0.3 << "полюс на конце x = 0,3";
    QTest::newRow("1/(x-1/3) on [1/3; 1]")
        << "1/(x-1/3)"
        << "1/3"
        << "1" << 0 << 1.0 / 3 << "полюс на конце x = 0,333333333333";
    QTest::newRow("1/(x-0.1) on [1; 0.1]: the end is b")
        << "1/(x-0.1)"
        << "1"
        << "0.1" << 1 << 0.1 << "полюс на конце x = 0,1";
    QTest::newRow("1/x on [0; 1]: an end that is a double")
        << "1/x"
        << "0"
        << "1" << 0 << 0.0 << "полюс на конце x = 0";
}

void ProofTest::poleAtAnExactEnd()
{
    QFETCH(QString, f);
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, input);
    QFETCH(double, place);
    QFETCH(QString, words);
    const Program p = parsed(f.toUtf8().constData());
    const ExactNumber ea = exact(a.toUtf8().constData()), eb = exact(b.toUtf8().constData());
    const Input end = input == 0 ? Input::A : Input::B;
    for (const Result<void> &why :
         {proveDefined(p, ea, eb), Result<void>(certifiedIntegral(p, ea, eb).refusal()),
          Result<void>(proveDerivativeMax(p, ea, eb, 2).refusal())}) {
        QVERIFY(!why);
        QCOMPARE(why.reason(), Reason::Pole);
        QCOMPARE(why.refusal().input, std::optional(end));
        QCOMPARE(why.refusal().x, std::optional(place));
        QCOMPARE(QString::fromStdString(describeProofRefusal(why.refusal(), 0, 1)), words);
    }
}

void ProofTest::integralOnExactEnds_data()
{
    QTest::addColumn<QString>("f");
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<QString>("reference");
    QTest::addColumn<bool>("doubleEndsMiss"); // the ends' doubles give another integral
    // Closed forms, and mpmath.log(10), mpmath.log(3), 2*mpmath.sqrt(2)/3 to 30 digits.
    QTest::newRow("sin x on [0; pi] is 2") << "sin(x)"
                                           << "0"
                                           << "pi"
                                           << "2" << false;
    QTest::newRow("sin x on [pi; 0] is -2") << "sin(x)"
                                            << "pi"
                                            << "0"
                                            << "-2" << false;
    // (0.3^2 - 0.1^2) / 2: the doubles 0.1 and 0.3 give 0.04 - 3.9e-18.
    QTest::newRow("x on [0.1; 0.3] is 0.04") << "x"
                                             << "0.1"
                                             << "0.3"
                                             << "0.04" << true;
    QTest::newRow("ln x on [1; e] is 1") << "ln(x)"
                                         << "1"
                                         << "e"
                                         << "1" << false;
    QTest::newRow("1/x on [0.1; 1] is ln 10") << "1/x"
                                              << "0.1"
                                              << "1"
                                              << "2.30258509299404568401799145468" << true;
    QTest::newRow("1/x on [1/3; 1] is ln 3") << "1/x"
                                             << "1/3"
                                             << "1"
                                             << "1.09861228866810969139524523692" << true;
    QTest::newRow("x^2 on [0; sqrt(2)]") << "x^2"
                                         << "0"
                                         << "sqrt(2)"
                                         << "0.942809041582063365867792482806" << true;
}

void ProofTest::integralOnExactEnds()
{
    QFETCH(QString, f);
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(QString, reference);
    QFETCH(bool, doubleEndsMiss);
    const Program p = parsed(f.toUtf8().constData());
    const ExactNumber ea = exact(a.toUtf8().constData()), eb = exact(b.toUtf8().constData());
    const QByteArray ref = reference.toUtf8();
    const Result<Enclosure> e = certifiedIntegral(p, ea, eb);
    QVERIFY(e);
    QVERIFY2(encloses(e->lower, e->upper, ref.constData()),
             qPrintable(QString("[%1; %2]").arg(e->lower, 0, 'g', 17).arg(e->upper, 0, 'g', 17)));
    // Narrow enough for the containment to say something.
    QVERIFY(e->upper - e->lower <= 1e-15 * std::max(1.0, std::fabs(e->mid)));
    // The integrator's goal is 2^-64 relative: the midpoint is within it.
    const double scale = std::fabs(e->mid);
    QVERIFY(tailDistance(*e, ref.constData()) <= 0x1p-62 * scale);
    // The same integral between the ends' doubles is another number, which
    // the midpoint and its tail tell apart (the doubles lower and upper may
    // hold both): the test tells the exact ends from their doubles.
    if (doubleEndsMiss) {
        const Result<Enclosure> d = certifiedIntegral(p, ea.value, eb.value);
        QVERIFY(d);
        QVERIFY(tailDistance(*d, ref.constData()) > 0x1p-58 * scale);
    }
}

void ProofTest::derivativeMaxOnExactEnds_data()
{
    QTest::addColumn<QString>("f");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("order");
    QTest::addColumn<QString>("reference");
    // On [0; b]. Hand: (x^3)'' = 6x is 2 at 1/3, whose double is below 1/3;
    // mpmath.exp(mpmath.mpf(1)/3) and 1/(1 - 0.1)^2 = 100/81.
    QTest::newRow("x^3, M2 on [0; 1/3] is 2") << "x^3"
                                              << "1/3" << 2 << "2";
    QTest::newRow("e^x, M1 on [0; 1/3]") << "exp(x)"
                                         << "1/3" << 1 << "1.39561242508608952862812531960";
    QTest::newRow("1/(1-x), M1 on [0; 0.1]") << "1/(1-x)"
                                             << "0.1" << 1 << "1.23456790123456790123456790123";
}

void ProofTest::derivativeMaxOnExactEnds()
{
    QFETCH(QString, f);
    QFETCH(QString, b);
    QFETCH(int, order);
    QFETCH(QString, reference);
    const Program p = parsed(f.toUtf8().constData());
    const Result<DerivativeMax> m =
        proveDerivativeMax(p, exact("0"), exact(b.toUtf8().constData()), order, 0x1p-40);
    QVERIFY(m);
    QVERIFY2(encloses(m->lower, m->upper, reference.toUtf8().constData()),
             qPrintable(QString("[%1; %2]").arg(m->lower, 0, 'g', 17).arg(m->upper, 0, 'g', 17)));
    QVERIFY(m->upper - m->lower <= 1e-9 * m->upper);
    QVERIFY(0 <= m->at && m->at <= exact(b.toUtf8().constData()).value);
}

void ProofTest::doubleAgainstAnExactNumber_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("limit");
    QTest::addColumn<bool>("atMost");
    // By Python's Fraction and mpmath at 40 digits: the double 0.1 lies above
    // 1/10; those of 0.3, 1e-6, 1/3 and pi/2 below the numbers.
    QTest::newRow("0.1 above 1/10") << 0.1 << "0.1" << false;
    QTest::newRow("0.3 below 3/10") << 0.3 << "0,3" << true;
    QTest::newRow("1e-6 below 10^-6") << 1e-6 << "1e-6" << true;
    QTest::newRow("the next double above 10^-6") << std::nextafter(1e-6, 1.0) << "1e-6" << false;
    QTest::newRow("1/3 below") << 1.0 / 3 << "1/3" << true;
    QTest::newRow("the next double above 1/3") << std::nextafter(1.0 / 3, 1.0) << "1/3" << false;
    QTest::newRow("pi/2 below, in balls") << M_PI / 2 << "pi/2" << true;
    QTest::newRow("the next double above pi/2, in balls")
        << std::nextafter(M_PI / 2, 2.0) << "pi/2" << false;
    QTest::newRow("equal: 2^-20") << 0x1p-20 << "2^-20" << true;
    QTest::newRow("equal: a quarter") << 0.25 << "1/4" << true;
    QTest::newRow("minus infinity") << -std::numeric_limits<double>::infinity() << "0" << true;
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << "1" << false;
}

void ProofTest::doubleAgainstAnExactNumber()
{
    QFETCH(double, value);
    QFETCH(QString, limit);
    QFETCH(bool, atMost);
    QCOMPARE(atMostExact(value, exact(limit.toUtf8().constData())), atMost);
}

void ProofTest::countForABound_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("k");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<double>("divisor");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("eps");
    QTest::addColumn<double>("count");
    // The least multiple n of step with |b - a|^(k+1) M / (C n^k) <= eps.
    // By hand: 1 / (2n) <= 1/1000 at n = 500 exactly, a tie; just below
    // 1/1000 the next; 180 / (180 n^4) <= 10^-4 at n = 10, a tie, which a
    // group of 4 rounds up to 12; 2^5 24 / (180 n^4) <= 10^-6 from n = 45.45,
    // even 46; M = 0 needs the least count.
    QTest::newRow("a tie in rationals") << "0"
                                        << "1" << 1 << 1.0 << 2.0 << 1 << "1/1000" << 500.0;
    QTest::newRow("just below the tie")
        << "0"
        << "1" << 1 << 1.0 << 2.0 << 1 << "0.0009999999999999999999" << 501.0;
    QTest::newRow("a tie of n^4") << "0"
                                  << "1" << 4 << 180.0 << 180.0 << 2 << "1e-4" << 10.0;
    QTest::newRow("a tie past a group") << "0"
                                        << "1" << 4 << 180.0 << 180.0 << 4 << "1e-4" << 12.0;
    QTest::newRow("even n^4") << "0"
                              << "2" << 4 << 24.0 << 180.0 << 2 << "1e-6" << 46.0;
    QTest::newRow("M = 0") << "0"
                           << "1" << 2 << 0.0 << 12.0 << 3 << "1e-9" << 3.0;
    QTest::newRow("reversed ends") << "1"
                                   << "0" << 1 << 1.0 << 2.0 << 1 << "1/1000" << 500.0;
    // In balls, by mpmath at 40 digits: pi^2 / (2n) <= 10^-6 from
    // n = 4934802.2; pi^3 / (12 n^2) from 1607.44; pi^5 / (180 n^4) <= 10^-8
    // from 114.19, even 116; 1 / (2n) <= pi 10^-7 from 1591549.43.
    QTest::newRow("pi, left") << "0"
                              << "pi" << 1 << 1.0 << 2.0 << 1 << "1e-6" << 4934803.0;
    QTest::newRow("pi, trapezoid") << "0"
                                   << "pi" << 2 << 1.0 << 12.0 << 1 << "1e-6" << 1608.0;
    QTest::newRow("pi, simpson") << "0"
                                 << "pi" << 4 << 1.0 << 180.0 << 2 << "1e-8" << 116.0;
    QTest::newRow("eps pi 10^-7") << "0"
                                  << "1" << 1 << 1.0 << 2.0 << 1 << "pi*1e-7" << 1591550.0;
}

void ProofTest::countForABound()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, k);
    QFETCH(double, maximum);
    QFETCH(double, divisor);
    QFETCH(int, step);
    QFETCH(QString, eps);
    QFETCH(double, count);
    const std::optional<double> n =
        smallestCountForBound(exact(a.toUtf8().constData()), exact(b.toUtf8().constData()), k,
                              maximum, divisor, step, exact(eps.toUtf8().constData()));
    QVERIFY(n);
    QCOMPARE(*n, count);
    // No count for an ε that is not positive.
    QVERIFY(!smallestCountForBound(exact(a.toUtf8().constData()), exact(b.toUtf8().constData()), k,
                                   1.0, divisor, step, exact("0")));
}

void ProofTest::algebraicIntegral_data()
{
    QTest::addColumn<Program>("f");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<double>("truth");
    QTest::addColumn<double>("radius");
    // Closed forms, each checked against mpmath.quad at 50 digits by
    // tools/peer/algebraic_reference.py: the integral of x^p over [0; 1] is
    // 1/(p + 1), with p = 1/3, 0.3, 0.25, pi, 4/3 and 3/2.
    QTest::newRow("cbrt(x) on [0; 1]") << parsed("cbrt(x)") << 0.0 << 1.0 << 0.75 << 1e-12;
    QTest::newRow("x^(1/3) on [0; 1]") << parsed("x^(1/3)") << 0.0 << 1.0 << 0.75 << 1e-12;
    QTest::newRow("x^0.3 on [0; 1]")
        << parsed("x^0.3") << 0.0 << 1.0 << 0.76923076923076923077 << 1e-12;
    QTest::newRow("x^0.25 on [0; 1]") << parsed("x^0.25") << 0.0 << 1.0 << 0.8 << 1e-12;
    QTest::newRow("x^pi on [0; 1]")
        << parsed("x^pi") << 0.0 << 1.0 << 0.24145300700522385466 << 1e-12;
    QTest::newRow("(1-x)^0.3 on [0; 1]")
        << parsed("(1-x)^0.3") << 0.0 << 1.0 << 0.76923076923076923077 << 1e-12;
    QTest::newRow("x*cbrt(x) on [0; 1]")
        << parsed("x*cbrt(x)") << 0.0 << 1.0 << 0.42857142857142857143 << 1e-12;
    // 3/7 (1 + 2^(7/3)): |x|^(4/3) from 0 to 1 and from 0 to 2.
    QTest::newRow("x*cbrt(x) on [-1; 2]")
        << parsed("x*cbrt(x)") << -1.0 << 2.0 << 2.5884360855340683 << 1e-12;
    QTest::newRow("sqrt(x^3) on [0; 1]") << parsed("sqrt(x^3)") << 0.0 << 1.0 << 0.4 << 1e-12;
    // Squares under a root: |x| and |x - 1|, two triangles each.
    QTest::newRow("sqrt(x^2) on [0; 1]") << parsed("sqrt(x^2)") << 0.0 << 1.0 << 0.5 << 1e-12;
    QTest::newRow("sqrt((x-1)^2) on [0; 2]")
        << parsed("sqrt((x-1)^2)") << 0.0 << 2.0 << 1.0 << 1e-12;
    // 2/3 (1 + 2 sqrt 2): the root of |x| from 0 to 1 and from 0 to 2.
    QTest::newRow("sqrt(abs(x)) on [-1; 2]")
        << parsed("sqrt(abs(x))") << -1.0 << 2.0 << 2.5522847498307933984 << 1e-12;
    QTest::newRow("sqrt(abs(x)) on [-1; 1]")
        << parsed("sqrt(abs(x))") << -1.0 << 1.0 << 1.3333333333333333333 << 1e-12;
    // mpmath.quad split at pi: 2.912591033669619687378761.
    QTest::newRow("sqrt(abs(sin(x))) on [0; 4]")
        << parsed("sqrt(abs(sin(x)))") << 0.0 << 4.0 << 2.9125910336696196874 << 1e-12;
    // Analytic, with a square beside a tiny or a huge term: closed forms in
    // the script, (sqrt(1+c) + c ln((1 + sqrt(1+c))/sqrt c))/2,
    // ln(1+c) - 2 + 2 sqrt(c) atan(1/sqrt c), atan(1/sqrt c)/sqrt c with
    // c = 1e-30; (x sqrt(1+x^2) + asinh x)/2 at 1e11; 2 atan(3e10).
    QTest::newRow("sqrt(x^2+1e-30) on [0; 1]")
        << parsed("sqrt(x^2+1e-30)") << 0.0 << 1.0 << 0.5 << 1e-12;
    QTest::newRow("ln(x^2+1e-30) on [0; 1]")
        << parsed("ln(x^2+1e-30)") << 0.0 << 1.0 << -1.9999999999999968584 << 1e-12;
    QTest::newRow("sqrt(1+x^2) on [0; 1e11]")
        << parsed("sqrt(1+x^2)") << 0.0 << 1e11 << 5.000000000000000000013261e21 << 1e10;
    QTest::newRow("1/(x^2+1e-30) on [0; 1]")
        << parsed("1/(x^2+1e-30)") << 0.0 << 1.0 << 1570796326794895.6192 << 1.0;
    QTest::newRow("1/(1+x^2) on [-3e10; 3e10]")
        << parsed("1/(1+x^2)") << -3e10 << 3e10 << 3.1415926535231265718 << 1e-12;
    // ln((1 + 1e-400)/1e-400): the literal is the decimal, not the double 0.
    QTest::newRow("1/(x+1e-400) on [0; 1]")
        << parsed("1/(x+1e-400)") << 0.0 << 1.0 << 921.03403719761827361 << 1e-10;
    // Folded: x and x^3/... the roots cancel; x|x| and x are odd.
    QTest::newRow("sqrt(x)^2 on [0; 1]") << parsed("sqrt(x)^2") << 0.0 << 1.0 << 0.5 << 1e-12;
    QTest::newRow("cbrt(x)^3 on [-1; 2]") << parsed("cbrt(x)^3") << -1.0 << 2.0 << 1.5 << 1e-12;
    QTest::newRow("x*abs(x) on [-1; 2]")
        << parsed("x*abs(x)") << -1.0 << 2.0 << 2.3333333333333333333 << 1e-12;
}

void ProofTest::algebraicIntegral()
{
    QFETCH(Program, f);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(double, truth);
    QFETCH(double, radius);
    const auto e = certifiedIntegral(f, a, b);
    QVERIFY2(e, e ? "" : qPrintable(QString::number(static_cast<int>(e.reason()))));
    QVERIFY2(e->lower <= truth && truth <= e->upper,
             qPrintable(QString("[%1; %2]").arg(e->lower, 0, 'g', 17).arg(e->upper, 0, 'g', 17)));
    QVERIFY2(e->rad <= radius, qPrintable(QString::number(e->rad)));
}

void ProofTest::algebraicMaxima_data()
{
    QTest::addColumn<Program>("f");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<int>("order");
    QTest::addColumn<double>("truth");
    // Hand: (x|x|)' = 2|x|, 2 at the ends; sqrt(x)^2 and cbrt(x)^3 are x,
    // with f' = 1 and f'' = 0; (|x|^3)'' = 6|x|, 6 at the ends.
    QTest::newRow("x*abs(x), M1 on [-1; 1]") << parsed("x*abs(x)") << -1.0 << 1.0 << 1 << 2.0;
    QTest::newRow("x*abs(x), M1 on [-1; 3]") << parsed("x*abs(x)") << -1.0 << 3.0 << 1 << 6.0;
    QTest::newRow("sqrt(x)^2, M1 on [0; 1]") << parsed("sqrt(x)^2") << 0.0 << 1.0 << 1 << 1.0;
    QTest::newRow("sqrt(x)^2, M2 on [0; 1]") << parsed("sqrt(x)^2") << 0.0 << 1.0 << 2 << 0.0;
    QTest::newRow("cbrt(x)^3, M1 on [-1; 1]") << parsed("cbrt(x)^3") << -1.0 << 1.0 << 1 << 1.0;
    QTest::newRow("abs(x)^3, M2 on [-1; 1]") << parsed("abs(x)^3") << -1.0 << 1.0 << 2 << 6.0;
    // Hand: (x^p)^(k) = p (p-1) ... (p-k+1) x^(p-k), bounded from 0 while
    // k < p and largest at 1: pi, pi (pi-1), pi (pi-1)(pi-2); sqrt(x^3) is
    // x^1.5 with f' = 1.5 x^0.5; (1 - x)^2.5 has f'' = 3.75 (1 - x)^0.5.
    QTest::newRow("x^pi, M1 on [0; 1]") << parsed("x^pi") << 0.0 << 1.0 << 1 << 3.1415926535897932;
    QTest::newRow("x^pi, M2 on [0; 1]") << parsed("x^pi") << 0.0 << 1.0 << 2 << 6.7280117474995651;
    QTest::newRow("x^pi, M3 on [0; 1]") << parsed("x^pi") << 0.0 << 1.0 << 3 << 7.6806487842113301;
    QTest::newRow("sqrt(x^3), M1 on [0; 1]") << parsed("sqrt(x^3)") << 0.0 << 1.0 << 1 << 1.5;
    QTest::newRow("(1-x)^2.5, M2 on [0; 1]") << parsed("(1-x)^2.5") << 0.0 << 1.0 << 2 << 3.75;
    // Hand: x cbrt(x) = |x|^(4/3) has f' = 4/3 cbrt(x), 4/3 cbrt(2) at 2;
    // x sqrt(x) = x^1.5 has f' = 1.5 sqrt(x).
    QTest::newRow("x*cbrt(x), M1 on [0; 1]")
        << parsed("x*cbrt(x)") << 0.0 << 1.0 << 1 << 1.3333333333333333;
    QTest::newRow("x*cbrt(x), M1 on [-1; 2]")
        << parsed("x*cbrt(x)") << -1.0 << 2.0 << 1 << 1.6798947331931644;
    QTest::newRow("sqrt(x)*x, M1 on [0; 1]") << parsed("sqrt(x)*x") << 0.0 << 1.0 << 1 << 1.5;
    QTest::newRow("sqrt(x^2)^3, M2 on [-1; 2]")
        << parsed("sqrt(x^2)^3") << -1.0 << 2.0 << 2 << 12.0;
}

void ProofTest::algebraicMaxima()
{
    QFETCH(Program, f);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(int, order);
    QFETCH(double, truth);
    const auto m = proveDerivativeMax(f, a, b, order);
    QVERIFY2(m, m ? "" : qPrintable(QString::number(static_cast<int>(m.reason()))));
    QVERIFY2(m->lower <= truth && truth <= m->upper,
             qPrintable(QString("[%1; %2]").arg(m->lower, 0, 'g', 17).arg(m->upper, 0, 'g', 17)));
    QVERIFY2(m->upper - m->lower <= 2e-6 * std::max(truth, 1.0),
             qPrintable(QString("gap %1").arg(m->upper - m->lower)));
}

void ProofTest::algebraicMaximaRefusals_data()
{
    QTest::addColumn<Program>("f");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<int>("order");
    QTest::addColumn<Reason>("reason");
    QTest::addColumn<double>("place");
    // Hand: f is defined and finite at every point of each, so no refusal
    // is a pole or a point outside the domain. (x|x|)'' = 2 sign x has no
    // value at 0; (sqrt(1 - x^2))' = -x/sqrt(1 - x^2) no bound at -1;
    // (|x|^3)''' = 6 sign x; |x - 1| no f' at 1; sqrt|x| an infinite slope
    // at 0; x^0.3 likewise.
    QTest::newRow("x*abs(x), M2 on [-1; 1]")
        << parsed("x*abs(x)") << -1.0 << 1.0 << 2 << Reason::NotSmooth << 0.0;
    QTest::newRow("sqrt(1-x^2), M1 on [-1; 1]")
        << semicircle() << -1.0 << 1.0 << 1 << Reason::NotSmooth << -1.0;
    QTest::newRow("sqrt(1-x^2), M2 on [-1; 1]")
        << semicircle() << -1.0 << 1.0 << 2 << Reason::NotSmooth << -1.0;
    QTest::newRow("sqrt(1-x^2), M4 on [0; 1]")
        << semicircle() << 0.0 << 1.0 << 4 << Reason::NotSmooth << 1.0;
    QTest::newRow("abs(x)^3, M3 on [-1; 1]")
        << parsed("abs(x)^3") << -1.0 << 1.0 << 3 << Reason::NotSmooth << 0.0;
    QTest::newRow("sqrt((x-1)^2), M1 on [0; 2]")
        << parsed("sqrt((x-1)^2)") << 0.0 << 2.0 << 1 << Reason::NotSmooth << 1.0;
    QTest::newRow("abs(x)*abs(x-1), M1 on [-1; 2]")
        << parsed("abs(x)*abs(x-1)") << -1.0 << 2.0 << 1 << Reason::NotSmooth << 0.0;
    QTest::newRow("sqrt(abs(x)), M1 on [-1; 2]")
        << parsed("sqrt(abs(x))") << -1.0 << 2.0 << 1 << Reason::NotSmooth << 0.0;
    QTest::newRow("x^pi, M4 on [0; 1]")
        << parsed("x^pi") << 0.0 << 1.0 << 4 << Reason::NotSmooth << 0.0;
    QTest::newRow("sqrt(x^3), M2 on [0; 1]")
        << parsed("sqrt(x^3)") << 0.0 << 1.0 << 2 << Reason::NotSmooth << 0.0;
    QTest::newRow("(1-x)^2.5, M3 on [0; 1]")
        << parsed("(1-x)^2.5") << 0.0 << 1.0 << 3 << Reason::NotSmooth << 1.0;
    QTest::newRow("x*cbrt(x), M2 on [-1; 2]")
        << parsed("x*cbrt(x)") << -1.0 << 2.0 << 2 << Reason::NotSmooth << 0.0;
    QTest::newRow("x^0.3, M1 on [0; 1]")
        << parsed("x^0.3") << 0.0 << 1.0 << 1 << Reason::NotSmooth << 0.0;
}

void ProofTest::algebraicMaximaRefusals()
{
    QFETCH(Program, f);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(int, order);
    QFETCH(Reason, reason);
    QFETCH(double, place);
    const auto m = proveDerivativeMax(f, a, b, order);
    QVERIFY2(!m, m ? qPrintable(QString("[%1; %2]").arg(m->lower).arg(m->upper)) : "");
    QCOMPARE(m.reason(), reason);
    QVERIFY(m.refusal().x);
    QVERIFY2(std::abs(*m.refusal().x - place) < 1e-8,
             qPrintable(QString::number(*m.refusal().x, 'g', 17)));
}

void ProofTest::maximumBeyondTheDoubles()
{
    // Hand: 1/(x + 1e-400) is 1e400 at 0 and its k-th derivative
    // k! 1e400^(k+1) in size: defined everywhere on [0; 1], no pole, but
    // past the doubles. M_k is proven at least the largest double there.
    const Program f = parsed("1/(x+1e-400)");
    QVERIFY(proveDefined(f, 0, 1));
    for (int k : {0, 1, 2, 4}) {
        const auto m = proveDerivativeMax(f, 0, 1, k);
        QVERIFY2(m, qPrintable(QString("M%1").arg(k)));
        QCOMPARE(m->lower, std::numeric_limits<double>::max());
        QVERIFY(std::isinf(m->upper));
        QCOMPARE(m->at, 0.0);
    }
}

void ProofTest::foldedRootKeepsItsCondition()
{
    // sqrt(x)^2 is x only where sqrt(x) is defined: left of 0 it is not.
    for (const char *text : {"sqrt(x)^2", "sqrt(x)^4", "sqrt(x^3)"}) {
        const auto e = certifiedIntegral(parsed(text), -1, 1);
        QVERIFY2(!e, text);
        QCOMPARE(e.reason(), Reason::NotDefined);
        QVERIFY(e.refusal().x && *e.refusal().x <= 0);
        const auto m = proveDerivativeMax(parsed(text), -1, 1, 1);
        QVERIFY2(!m, text);
        QCOMPARE(m.reason(), Reason::NotDefined);
    }
    // A cube root has no condition: cbrt(x)^3 = x over [-2; 1], -3/2.
    const auto odd = certifiedIntegral(parsed("cbrt(x)^3"), -2, 1);
    QVERIFY(odd);
    QVERIFY(odd->lower <= -1.5 && -1.5 <= odd->upper);
}

void ProofTest::foldRootPowers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("same");
    QTest::newRow("sqrt(x)^2") << "sqrt(x)^2"
                               << "x";
    QTest::newRow("cbrt(x)^3") << "cbrt(x)^3"
                               << "x";
    QTest::newRow("sqrt(x)^4") << "sqrt(x)^4"
                               << "x^2";
    QTest::newRow("cbrt(x+1)^6") << "cbrt(x+1)^6"
                                 << "(x+1)^2";
    QTest::newRow("sqrt((x-1)^2)") << "sqrt((x-1)^2)"
                                   << "abs(x-1)";
    QTest::newRow("sqrt(x^6)") << "sqrt(x^6)"
                               << "abs(x)^3";
    QTest::newRow("sqrt(sqrt(x)^2)^2") << "sqrt(sqrt(x)^2)^2"
                                       << "x";
    QTest::newRow("2*sqrt(x)^2+1") << "2*sqrt(x)^2+1"
                                   << "2*x+1";
    QTest::newRow("sqrt(x^3)") << "sqrt(x^3)"
                               << "x^1.5";
    QTest::newRow("sqrt((1-x)^5)") << "sqrt((1-x)^5)"
                                   << "(1-x)^2.5";
    QTest::newRow("x*cbrt(x)") << "x*cbrt(x)"
                               << "abs(x)^(4/3)";
    QTest::newRow("cbrt(x+1)*(x+1)") << "cbrt(x+1)*(x+1)"
                                     << "abs(x+1)^(4/3)";
    QTest::newRow("sqrt(x)*x") << "sqrt(x)*x"
                               << "x^1.5";
    QTest::newRow("2*x*sqrt(x)") << "2*x*sqrt(x)"
                                 << "2*x*sqrt(x)";
    // Nothing to fold: an odd power of a square root, a cube root squared,
    // a root of a cube, a product of two roots.
    QTest::newRow("sqrt(x)^3") << "sqrt(x)^3"
                               << "sqrt(x)^3";
    QTest::newRow("cbrt(x)^2") << "cbrt(x)^2"
                               << "cbrt(x)^2";
    QTest::newRow("cbrt(x^3)") << "cbrt(x^3)"
                               << "x";
    QTest::newRow("cbrt(x^6)") << "cbrt(x^6)"
                               << "x^2";
    QTest::newRow("cbrt(x^2)") << "cbrt(x^2)"
                               << "cbrt(x^2)";
    QTest::newRow("sqrt(x)*sqrt(x)") << "sqrt(x)*sqrt(x)"
                                     << "sqrt(x)*sqrt(x)";
}

void ProofTest::foldRootPowers()
{
    QFETCH(QString, text);
    QFETCH(QString, same);
    const Program folded = kvadrolab::foldRootPowers(parsed(text.toUtf8().constData()));
    const Program expected = parsed(same.toUtf8().constData());
    QCOMPARE(folded.steps.size(), expected.steps.size());
    for (std::size_t i = 0; i < folded.steps.size(); ++i) {
        QCOMPARE(folded.steps[i].op, expected.steps[i].op);
        QCOMPARE(folded.steps[i].exponent, expected.steps[i].exponent);
        QCOMPARE(folded.steps[i].literal, expected.steps[i].literal);
    }
    QVERIFY(folded.stackDepth >= expected.stackDepth);
}

// The course's proofs answer, and a refusal ends at its counted work: Arb's
// integrator alone, through the pole of 1/x, spends the work limit and says
// so. Their times are bench_proof's.
void ProofTest::courseProofsAnswer()
{
    struct Case
    {
        const char *name;
        Program f;
        double a, b;
    };
    const Case cases[] = {
        {"(ln x/x)^3 on [1; 6]", courseIntegrand(), 1, 6},
        {"|x-2| on [0; 3]", program({x(), number("2"), op(Op::Sub), op(Op::Abs)}), 0, 3},
        {"sqrt on [0; 1]", program({x(), op(Op::Sqrt)}), 0, 1},
        {"sin(x)/x on [1; 100]", program({x(), op(Op::Sin), x(), op(Op::Div)}), 1, 100},
        {"exp(-x^2) on [-5; 5]", program({x(), powInt(2), op(Op::Neg), op(Op::Exp)}), -5, 5},
    };
    for (const Case &c : cases)
        QVERIFY2(certifiedIntegral(c.f, c.a, c.b).ok(), c.name);
    for (int k : {1, 2, 4, 6})
        QVERIFY(proveDerivativeMax(courseIntegrand(), 1, 6, k).ok());
    const Program reciprocal = program({number("1"), x(), op(Op::Div)});
    QCOMPARE(integrateDefined(reciprocal, -1, 1).reason(), Reason::WorkLimit);
}

namespace {

std::string sineFactors(int factors)
{
    std::string f = "sin(x)";
    for (int i = 1; i < factors; ++i)
        f += "*sin(x)";
    return f;
}

} // namespace

void ProofTest::hostileProofsEndWithinTheirCount_data()
{
    QTest::addColumn<QString>("f");
    QTest::addColumn<double>("b");
    QTest::addColumn<QString>("integral"); // empty where it is refused by its count
    QTest::addColumn<QString>("m1");       // empty where M1 is not checked
    // sin^60 on [0; 100]: 31 periods of pi C(60, 30) / 2^60 each and
    // mpmath's quad over [0; 100 - 31 pi] in 40 pieces at 45 digits. M1:
    // 60 sin^59 x cos x is largest where tan^2 x = 59, sqrt(60) (59/60)^29.5.
    QTest::newRow("60 factors sin(x) on [0; 100]")
        << QString::fromStdString(sineFactors(60)) << 100.0
        << "10.3122827117563138121083472461348764581"
        << "4.7178929488146802148926717013846";
    // A whole study of these takes a second at most: the integral of 100
    // factors, and of 300, each call on a complex box costing three times
    // one of the 100's, are refused by their count.
    QTest::newRow("100 factors sin(x) on [0; 100]")
        << QString::fromStdString(sineFactors(100)) << 100.0 << "" << "";
    QTest::newRow("300 factors sin(x) on [0; 100]")
        << QString::fromStdString(sineFactors(300)) << 100.0 << ""
        << "";
    std::string sines = "sin(1x)";
    for (int k = 2; k <= 899; ++k)
        sines += "+sin(" + std::to_string(k) + "x)";
    QTest::newRow("899 sines sin(kx) on [0; 10]") << QString::fromStdString(sines) << 10.0 << ""
                                                  << "";
}

// Long integrands typed by hand: each proof is counted by what its steps
// cost, so the integral is proven with its true value or refused with
// WorkLimit at a place on the path, and M1 where it is proven encloses the
// true maximum.
void ProofTest::hostileProofsEndWithinTheirCount()
{
    QFETCH(QString, f);
    QFETCH(double, b);
    QFETCH(QString, integral);
    QFETCH(QString, m1);
    const Program program = parsed(f.toStdString().c_str());
    const Result<Enclosure> proven = certifiedIntegral(program, 0, b);
    if (integral.isEmpty()) {
        QVERIFY(!proven);
        QCOMPARE(proven.reason(), Reason::WorkLimit);
        QVERIFY(proven.refusal().x && 0 <= *proven.refusal().x && *proven.refusal().x <= b);
    } else {
        QVERIFY(proven);
        QVERIFY(encloses(proven->lower, proven->upper, integral.toStdString().c_str()));
    }
    if (m1.isEmpty())
        return;
    const Result<DerivativeMax> m = proveDerivativeMax(program, 0, b, 1);
    QVERIFY(m);
    QVERIFY(encloses(m->lower, m->upper, m1.toStdString().c_str()));
}

// sin^2 + cos^2 - 1 + 1e-30 is 1e-30 everywhere, but a ball of x wider
// than 1e-30 cannot tell it from 0: every piece stays in doubt. The search
// for removable points proves piece after piece and substitution after
// substitution; it took minutes when each proof had a limit of its own, and
// now ends within one shared budget, refused, whatever its reason.
void ProofTest::searchForLimitsEndsWithinOneBudget()
{
    const Program f = parsed("1/(sin(x)^2+cos(x)^2-1+1e-30)");
    SharedDomainWork work(2 * domainWorkLimit);
    const auto points = proveDefinedWithLimits(f, 0.0, 100.0);
    QVERIFY(!points.ok());
    QVERIFY2(work.spent <= work.limit,
             qPrintable(QStringLiteral("%1 of %2").arg(work.spent).arg(work.limit)));
    QVERIFY(work.spent > 0);
}

QTEST_GUILESS_MAIN(ProofTest)
#include "prooftest.moc"
