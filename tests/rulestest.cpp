// SPDX-License-Identifier: GPL-3.0-or-later
// The composite rules: exact on the polynomials of their degree and not one
// degree higher (against hand integrals), their order seen when n doubles,
// their refusals, and on the course integrands within the a-priori bound
// built from the proven M_k; that bound rounded up against its exact value.

#include "expression/parser.h"
#include "proof/derivativemax.h"
#include "rules/compositerule.h"
#include "rules/extrapolated.h"

#include <QFile>
#include <QTest>

#include <arf.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>

using namespace kvadrolab;

Q_DECLARE_METATYPE(kvadrolab::RuleKind)

namespace {

Program parsed(const char *text)
{
    auto program = parseExpression(text);
    return *program;
}

struct SetRow
{
    QString name, f;
    double a, b, integral;
    QString reason;
};

// tests/data/integrands.tsv as benchmarksettest reads it.
QList<SetRow> loadSet()
{
    QFile file(QStringLiteral(KVADROLAB_BENCHMARK_SET));
    QList<SetRow> rows;
    if (!file.open(QIODevice::ReadOnly))
        return rows;
    file.readLine();
    while (!file.atEnd()) {
        const QStringList c =
            QString::fromUtf8(file.readLine()).chopped(1).split(QLatin1Char('\t'));
        if (c.size() < 15)
            continue;
        rows.append({c[0], c[1], c[2].toDouble(), c[3].toDouble(), c[4].toDouble(), c[13]});
    }
    return rows;
}

// A double in C's exact hexadecimal form (QString::asprintf has no %a).
QString hex(double x)
{
    char text[40];
    std::snprintf(text, sizeof text, "%a", x);
    return QString::fromLatin1(text);
}

// An arf_t that clears itself.
struct Exact
{
    arf_t x;
    Exact() { arf_init(x); }
    ~Exact() { arf_clear(x); }
    Exact(const Exact &) = delete;
    Exact &operator=(const Exact &) = delete;
};

// Empty when `bound` keeps ruleErrorBoundUp's promise for these inputs,
// checked without rounding: with E = (b - a)^(k+1) M / (C n^k), the
// numerator 2 |b - a|^(k+1) M and the denominator 2C n^k (2C is whole) are
// exact products of doubles, and bound >= E, bound <= E (1 + 2^-47) +
// 2^-1074 and (for +inf) E (1 + 2^-47) >= 2^1024 are compared crosswise.
QString missesTheExactBound(RuleKind kind, double a, double b, double n, double M, double bound)
{
    const int k = ruleInfo(kind).derivative;
    Exact length, numerator, denominator, count, left, right;
    arf_set_d(length.x, b);
    arf_set_d(left.x, a);
    arf_sub(length.x, length.x, left.x, ARF_PREC_EXACT, ARF_RND_DOWN);
    arf_abs(length.x, length.x);
    arf_set_d(numerator.x, M);
    arf_mul_2exp_si(numerator.x, numerator.x, 1);
    for (int i = 0; i <= k; ++i)
        arf_mul(numerator.x, numerator.x, length.x, ARF_PREC_EXACT, ARF_RND_DOWN);
    arf_set_d(denominator.x, 2 * ruleInfo(kind).boundDivisor);
    arf_set_d(count.x, n);
    for (int i = 0; i < k; ++i)
        arf_mul(denominator.x, denominator.x, count.x, ARF_PREC_EXACT, ARF_RND_DOWN);
    // left = E (1 + 2^-47) times the denominator.
    arf_mul_2exp_si(left.x, numerator.x, -47);
    arf_add(left.x, left.x, numerator.x, ARF_PREC_EXACT, ARF_RND_DOWN);
    if (std::isinf(bound)) {
        arf_mul_2exp_si(right.x, denominator.x, 1024);
        return arf_cmp(left.x, right.x) >= 0 ? QString() : QStringLiteral("+inf below 2^1024");
    }
    if (!(bound >= 0))
        return QStringLiteral("not a bound: %1").arg(bound);
    arf_set_d(right.x, bound);
    arf_mul(right.x, right.x, denominator.x, ARF_PREC_EXACT, ARF_RND_DOWN);
    if (arf_cmp(right.x, numerator.x) < 0)
        return QStringLiteral("below the exact bound");
    Exact slack;
    arf_mul_2exp_si(slack.x, denominator.x, -1074);
    arf_add(left.x, left.x, slack.x, ARF_PREC_EXACT, ARF_RND_DOWN);
    if (arf_cmp(right.x, left.x) > 0)
        return QStringLiteral("above the exact bound times 1 + 2^-47");
    return {};
}

// A double 1.f 2^e with the 52 bits of f and e in [low; high] drawn by
// hand from the generator: mt19937_64's output is the same in every
// library, its distributions' are not.
double drawn(std::mt19937_64 &random, int low, int high)
{
    const double fraction = 1 + std::ldexp(static_cast<double>(random() >> 12), -52);
    const auto span = static_cast<std::uint64_t>(high - low + 1);
    return std::ldexp(fraction, low + static_cast<int>(random() % span));
}

} // namespace

class RulesTest : public QObject
{
    Q_OBJECT

private slots:
    // Every rule at once shares its nodes and changes nothing: each result
    // is applyRule's to the bit, refusals and their places included, across
    // block and chunk boundaries (n = 65536 + 5 ends a block of 2^16
    // subintervals just past it).
    void everyRuleAtOnceIsEachRule_data()
    {
        QTest::addColumn<QString>("f");
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("b");
        QTest::addColumn<long>("n");
        QTest::newRow("sin x e^-x, n = 12") << "sin(x)*exp(-x)" << 0.0 << 1.0 << 12L;
        QTest::newRow("reversed, n = 4095") << "x^3-2x" << 2.0 << -1.0 << 4095L;
        QTest::newRow("ln x, n = 65541") << "ln(x)" << 1.0 << 6.0 << 65541L;
        QTest::newRow("three blocks, n = 196608") << "atan(x)/(1+x^2)" << -3.0 << 5.0 << 196608L;
        QTest::newRow("a node at the pole, n = 8") << "1/(x-0.5)" << 0.0 << 1.0 << 8L;
        QTest::newRow("a pole at b only, n = 6") << "1/(1-x)" << 0.0 << 1.0 << 6L;
        QTest::newRow("a pole at a only, n = 6") << "1/x" << 0.0 << 1.0 << 6L;
        QTest::newRow("a == b, n = 12") << "x" << 1.0 << 1.0 << 12L;
        QTest::newRow("a not finite") << "x" << qInf() << 1.0 << 12L;
        QTest::newRow("a not finite, odd n") << "x" << qInf() << 1.0 << 7L;
        QTest::newRow("n = 0") << "x" << 0.0 << 1.0 << 0L;
    }
    void everyRuleAtOnceIsEachRule()
    {
        QFETCH(QString, f);
        QFETCH(double, a);
        QFETCH(double, b);
        QFETCH(long, n);
        const Program program = parsed(f.toUtf8().constData());
        const auto every = applyEveryRule(program, a, b, n);
        for (std::size_t i = 0; i < allRules.size(); ++i) {
            const Result<double> one = applyRule(allRules[i], program, a, b, n);
            const char *name = ruleInfo(allRules[i]).name;
            QVERIFY2(every[i].ok() == one.ok(), name);
            if (one.ok())
                QVERIFY2(std::memcmp(&*every[i], &*one, sizeof(double)) == 0, name);
            else
                QVERIFY2(every[i].refusal() == one.refusal(), name);
        }
    }
    // Degree d = the highest the rule integrates exactly; on [0; 2] with
    // n = 12, x^d gives 2^(d+1)/(d+1) to rounding and x^(d+1) misses
    // 2^(d+2)/(d+2) by more than rounding.
    void exactUpToItsDegree_data()
    {
        QTest::addColumn<RuleKind>("kind");
        QTest::addColumn<int>("degree");
        QTest::newRow("left on constants") << RuleKind::Left << 0;
        QTest::newRow("right on constants") << RuleKind::Right << 0;
        QTest::newRow("midpoint on lines") << RuleKind::Midpoint << 1;
        QTest::newRow("trapezoid on lines") << RuleKind::Trapezoid << 1;
        QTest::newRow("simpson on cubics") << RuleKind::Simpson << 3;
        QTest::newRow("simpson38 on cubics") << RuleKind::Simpson38 << 3;
        QTest::newRow("boole on quintics") << RuleKind::Boole << 5;
        QTest::newRow("gauss2 on cubics") << RuleKind::Gauss2 << 3;
        QTest::newRow("gauss3 on quintics") << RuleKind::Gauss3 << 5;
    }
    void exactUpToItsDegree()
    {
        QFETCH(RuleKind, kind);
        QFETCH(int, degree);
        // 1 + x^d: the constant keeps the degree-0 case a real polynomial.
        const QByteArray exact = QByteArray("1 + 3x^") + QByteArray::number(degree);
        const QByteArray above = QByteArray("x^") + QByteArray::number(degree + 1);
        const double exactValue = 2 + 3 * std::pow(2.0, degree + 1) / (degree + 1);
        const double aboveValue = std::pow(2.0, degree + 2) / (degree + 2);
        const auto onExact = applyRule(kind, parsed(exact.constData()), 0, 2, 12);
        const auto onAbove = applyRule(kind, parsed(above.constData()), 0, 2, 12);
        QVERIFY(onExact.ok() && onAbove.ok());
        QVERIFY2(std::fabs(*onExact - exactValue) <= 1e-13 * exactValue,
                 qPrintable(QString::number(*onExact - exactValue, 'g', 17)));
        QVERIFY2(std::fabs(*onAbove - aboveValue) > 1e-11 * aboveValue,
                 qPrintable(QString::number(*onAbove - aboveValue, 'g', 17)));
    }

    // exp on [0; 1]: doubling n divides the error by about 2^order.
    void errorShrinksWithItsOrder_data()
    {
        QTest::addColumn<RuleKind>("kind");
        QTest::addColumn<int>("n");
        QTest::newRow("left") << RuleKind::Left << 24;
        QTest::newRow("right") << RuleKind::Right << 24;
        QTest::newRow("midpoint") << RuleKind::Midpoint << 24;
        QTest::newRow("trapezoid") << RuleKind::Trapezoid << 24;
        QTest::newRow("simpson") << RuleKind::Simpson << 12;
        QTest::newRow("simpson38") << RuleKind::Simpson38 << 12;
        QTest::newRow("boole") << RuleKind::Boole << 8;
        QTest::newRow("gauss2") << RuleKind::Gauss2 << 6;
        QTest::newRow("gauss3") << RuleKind::Gauss3 << 3;
    }
    void errorShrinksWithItsOrder()
    {
        QFETCH(RuleKind, kind);
        QFETCH(int, n);
        const Program f = parsed("exp(x)");
        const double exact = std::expm1(1.0);
        const auto coarse = applyRule(kind, f, 0, 1, n);
        const auto fine = applyRule(kind, f, 0, 1, 2 * n);
        QVERIFY(coarse.ok() && fine.ok());
        const double observed = std::log2(std::fabs(*coarse - exact) / std::fabs(*fine - exact));
        QVERIFY2(std::fabs(observed - ruleInfo(kind).order) < 0.1,
                 qPrintable(QString::number(observed)));
    }

    void refusesCountsThatDoNotFit_data()
    {
        QTest::addColumn<RuleKind>("kind");
        QTest::addColumn<long>("n");
        QTest::addColumn<int>("reason");
        const int range = int(Reason::CountOutOfRange);
        const int multiple = int(Reason::CountNotMultiple);
        QTest::newRow("left n=0") << RuleKind::Left << 0L << range;
        QTest::newRow("gauss3 n=-4") << RuleKind::Gauss3 << -4L << range;
        QTest::newRow("trapezoid above the limit")
            << RuleKind::Trapezoid << ruleCountLimit + 1 << range;
        QTest::newRow("simpson n=7") << RuleKind::Simpson << 7L << int(Reason::OddCount);
        QTest::newRow("simpson38 n=8") << RuleKind::Simpson38 << 8L << multiple;
        QTest::newRow("boole n=6") << RuleKind::Boole << 6L << multiple;
        QTest::newRow("boole n=2") << RuleKind::Boole << 2L << multiple;
    }
    void refusesCountsThatDoNotFit()
    {
        QFETCH(RuleKind, kind);
        QFETCH(long, n);
        QFETCH(int, reason);
        const auto value = applyRule(kind, parsed("x"), 0, 1, n);
        QVERIFY(!value.ok());
        QCOMPARE(int(value.reason()), reason);
        QCOMPARE(value.refusal().input, std::optional<Input>(Input::Count));
    }

    // The table holds the nodes of the textbook rule: Simpson at n = 2 on
    // [0; 1] is 1/6 (f(0) + 4 f(1/2) + f(1)); Gauss 2 at n = 1 has nodes
    // 1/2 -+ sqrt(3)/6 with weights 1/2.
    void tableShowsTheTextbookNodes()
    {
        const auto simpson = ruleTable(RuleKind::Simpson, parsed("x^4"), 0, 1, 2);
        QVERIFY(simpson.ok());
        QCOMPARE(simpson->nodes.size(), std::size_t(3));
        QCOMPARE(simpson->nodes[1].x, 0.5);
        QCOMPARE(simpson->nodes[1].weight, 4.0 / 6.0);
        QCOMPARE(simpson->sum, (0 + 4 * 0.0625 + 1) / 6.0);
        const auto gauss = ruleTable(RuleKind::Gauss2, parsed("x"), 0, 1, 1);
        QVERIFY(gauss.ok());
        QCOMPARE(gauss->nodes.size(), std::size_t(2));
        QCOMPARE(gauss->nodes[0].x, 0.5 - std::sqrt(3.0) / 6);
        QCOMPARE(gauss->nodes[1].weight, 0.5);
    }

    // Every smooth course integrand at n = 12: the rule's error is within
    // the a-priori bound from the proven upper M_k, plus the rounding of the
    // sum. Allowance: at most 3n nodes with positive weights summing to b - a;
    // each f(x_i) is within a few tens of ulps of f at the double node, and
    // the sum adds (number of nodes) roundings of at most eps times the
    // running total, so 64 * (3n) * eps * (b - a) * max|f(x_i)| covers
    // evaluation and summation both; the reference is a 17-digit decimal,
    // one more eps * |I|.
    void withinTheBoundOnTheCourseSet_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<RuleKind>("kind");
        const QList<SetRow> rows = loadSet();
        for (int i = 0; i < rows.size(); ++i)
            if (rows[i].reason.isEmpty())
                for (RuleKind kind : allRules)
                    QTest::newRow(qPrintable(rows[i].name + QLatin1Char(' ') + ruleInfo(kind).name))
                        << i << kind;
    }
    void withinTheBoundOnTheCourseSet()
    {
        QFETCH(int, row);
        QFETCH(RuleKind, kind);
        const SetRow r = loadSet().at(row);
        const auto program = parseExpression(r.f.toStdString());
        QVERIFY(program.ok());
        constexpr long n = 12;
        const auto table = ruleTable(kind, *program, r.a, r.b, n);
        QVERIFY(table.ok());
        const auto m = proveDerivativeMax(*program, r.a, r.b, ruleInfo(kind).derivative);
        QVERIFY(m.ok());
        double maxF = 0;
        for (const RuleNode &node : table->nodes)
            maxF = std::max(maxF, std::fabs(node.fx));
        const double eps = std::numeric_limits<double>::epsilon();
        const double allowance =
            64 * 3 * n * eps * std::fabs(r.b - r.a) * maxF + eps * std::fabs(r.integral);
        const double bound = ruleErrorBoundUp(kind, r.a, r.b, n, m->upper);
        const double error = std::fabs(table->sum - r.integral);
        QVERIFY2(error <= bound + allowance,
                 qPrintable(QStringLiteral("error %1, bound %2, allowance %3")
                                .arg(error, 0, 'g', 6)
                                .arg(bound, 0, 'g', 6)
                                .arg(allowance, 0, 'g', 6)));
        QCOMPARE(*applyRule(kind, *program, r.a, r.b, n), table->sum);
    }

    // The rounded-up bound is never below the display bound and is its
    // textbook value: Simpson, exp on [0; 1], n = 10, M4 = e: e / 1800000.
    void boundHasTheTextbookValue()
    {
        const double display = ruleErrorBound(RuleKind::Simpson, 0, 1, 10, std::exp(1.0));
        const double up = ruleErrorBoundUp(RuleKind::Simpson, 0, 1, 10, std::exp(1.0));
        QCOMPARE(display, std::exp(1.0) / 1800000);
        QVERIFY(up >= display && up <= display * (1 + 1e-13));
        QCOMPARE(ruleErrorBound(RuleKind::Gauss3, 0, 2, 1, 1.0), 128.0 / 2016000);
        QCOMPARE(ruleErrorBound(RuleKind::Boole, 0, 1, 4, 945.0), 2.0 / 4096);
    }

    // The rounded-up bound against the exact rational (b - a)^(k+1) M /
    // (C n^k) of the doubles, rounded up to a double by
    // tools/peer/bound_reference.py: never below it, and above it by at most
    // 2^-46 relative or one subnormal step. The left rule's bound on a
    // linear f is its error, so no smaller bound would hold. Below every
    // subnormal the bound is 2^-1074, never 0; past DBL_MAX it is +inf.
    void boundRoundsUpTheExactValue_data()
    {
        QTest::addColumn<RuleKind>("kind");
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("b");
        QTest::addColumn<double>("n");
        QTest::addColumn<double>("M");
        QTest::addColumn<double>("expected");
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("left, b - a times h subnormal")
            << RuleKind::Left << 0.0 << 1e-160 << 1000.0 << 1e30 << 0x1.98bf832dfdfb0p-975;
        QTest::newRow("left, subnormal result")
            << RuleKind::Left << 0.0 << 1e-160 << 1e6 << 1e10 << 0x0.00000009a6bb1p-1022;
        QTest::newRow("trapezoid, h = 1/3")
            << RuleKind::Trapezoid << 0.0 << 1.0 << 3.0 << 1.0 << 0x1.2f684bda12f69p-7;
        QTest::newRow("3/8, h = 1/3")
            << RuleKind::Simpson38 << 0.0 << 1.0 << 3.0 << 1.0 << 0x1.43a2730abee4ep-13;
        QTest::newRow("gauss3, h = 1/3")
            << RuleKind::Gauss3 << 0.0 << 1.0 << 3.0 << 1.0 << 0x1.7611ad273d436p-31;
        QTest::newRow("left, b - a rounds down")
            << RuleKind::Left << -0x1p-60 << 1.0 << 1.0 << 2.0 << 0x1.0000000000001p+0;
        QTest::newRow("midpoint, h = 1/7")
            << RuleKind::Midpoint << 0.0 << 1.0 << 7.0 << 3.0 << 0x1.4e5e0a72f053ap-9;
        QTest::newRow("trapezoid, subnormal M")
            << RuleKind::Trapezoid << -1e200 << 1e200 << 10.0 << 5e-324 << 0x1.e7167e8fe9ccbp+911;
        QTest::newRow("left, b - a overflows")
            << RuleKind::Left << -1.5e308 << 1.5e308 << 1e300 << 1e-300 << 0x1.3fbe85edc9000p+55;
        QTest::newRow("left, huge M overflows")
            << RuleKind::Left << -1e300 << 1e300 << 1.0 << 1e300 << inf;
        QTest::newRow("boole, below every subnormal")
            << RuleKind::Boole << 0.0 << 1e-300 << 1e6 << 1.0 << 0x0.0000000000001p-1022;
        QTest::newRow("gauss3, below every subnormal")
            << RuleKind::Gauss3 << 0.0 << 1e-300 << 1e6 << 1.0 << 0x0.0000000000001p-1022;
    }
    void boundRoundsUpTheExactValue()
    {
        QFETCH(RuleKind, kind);
        QFETCH(double, a);
        QFETCH(double, b);
        QFETCH(double, n);
        QFETCH(double, M);
        QFETCH(double, expected);
        const double bound = ruleErrorBoundUp(kind, a, b, n, M);
        QCOMPARE(ruleErrorBoundUp(kind, b, a, n, M), bound);
        if (std::isinf(expected)) {
            QCOMPARE(bound, expected);
            return;
        }
        const double denormMin = std::numeric_limits<double>::denorm_min();
        QVERIFY2(bound >= expected &&
                     bound <= std::max(expected * (1 + 0x1p-46), expected + denormMin),
                 qPrintable(hex(bound) + QStringLiteral(" against ") + hex(expected)));
    }

    // 2000 draws of (kind, a, b, n, M) over the whole double range, each
    // against the exact bound worked out in Arb without rounding; the draws
    // reach normal, subnormal and overflowing bounds alike.
    void boundNeverBelowTheExactValue()
    {
        std::mt19937_64 random(20250611);
        int normal = 0, subnormal = 0, overflow = 0;
        for (int i = 0; i < 2000; ++i) {
            const RuleKind kind = allRules[random() % allRules.size()];
            const bool wide = random() % 2 == 0;
            const int low = wide ? -1080 : -40, high = wide ? 1023 : 40;
            const double a = (random() % 2 == 0 ? -1 : 1) * drawn(random, low, high);
            // b far from a, or a relative 2^-60 to 2 away (where it may round to a).
            const double b = random() % 4 == 0
                                 ? a + std::fabs(a) * drawn(random, -60, -1)
                                 : (random() % 2 == 0 ? -1 : 1) * drawn(random, low, high);
            const double n = std::floor(drawn(random, 0, 52));
            const double M = drawn(random, wide ? -1080 : -40, wide ? 1023 : 40);
            const double bound = ruleErrorBoundUp(kind, a, b, n, M);
            const QString fault = missesTheExactBound(kind, a, b, n, M, bound);
            QVERIFY2(fault.isEmpty(),
                     qPrintable(QString::fromLatin1(ruleInfo(kind).name) +
                                QStringLiteral(" a %1 b %2 n %3 M %4 bound %5: ")
                                    .arg(hex(a), hex(b), hex(n), hex(M), hex(bound)) +
                                fault));
            if (std::isinf(bound))
                ++overflow;
            else if (bound >= std::numeric_limits<double>::min())
                ++normal;
            else if (bound > 0)
                ++subnormal;
        }
        qDebug("normal %d, subnormal %d, overflow %d", normal, subnormal, overflow);
        QVERIFY(normal >= 100 && subnormal >= 100 && overflow >= 100);
    }

    // Romberg's column j is exact on polynomials of degree 2j + 1 (hand
    // integrals on [0; 2]: x^3 -> 4, x^5 -> 32/3, x^7 -> 32), not beyond;
    // on exp over [0; 1] the corner of five rows is within 1e-12 of e - 1.
    void rombergColumnsGainTwoDegrees()
    {
        const auto cubic = romberg(parsed("x^3"), 0, 2, 3);
        QVERIFY(cubic);
        QCOMPARE(cubic->rows.size(), std::size_t(3));
        QCOMPARE(cubic->rows[1][1], 4.0);
        QVERIFY(cubic->rows[1][0] != 4.0);
        const auto quintic = romberg(parsed("x^5"), 0, 2, 4);
        QVERIFY(std::fabs(quintic->rows[2][2] - 32.0 / 3) <= 1e-14);
        QVERIFY(std::fabs(quintic->rows[2][1] - 32.0 / 3) > 1e-6);
        const auto seventh = romberg(parsed("x^7"), 0, 2, 4);
        QVERIFY(std::fabs(seventh->rows[3][3] - 32.0) <= 1e-13);
        const auto e = romberg(parsed("exp(x)"), 0, 1, 5);
        QVERIFY(std::fabs(e->rows[4][4] - 1.71828182845904524) <= 1e-12);
        QCOMPARE(e->evaluations, 17L);
        QCOMPARE(romberg(parsed("x"), 0, 1, 0).reason(), Reason::CountOutOfRange);
        QCOMPARE(romberg(parsed("x"), 0, 1, rombergRowLimit + 1).reason(), Reason::CountOutOfRange);
        const auto pole = romberg(parsed("1/x"), -1, 1, 3);
        QCOMPARE(pole.reason(), Reason::NonFiniteResult);
        QCOMPARE(*pole.refusal().x, 0.0);
    }

    // Adaptive Simpson: a cubic is exact at once (five values of f); sqrt
    // on [0; 1] (2/3 by hand) meets 1e-9 with its work near 0; the estimate
    // stays near the true error; sin(1/x) at a tolerance beyond double's
    // reach ends at the work limit rather than running on.
    void adaptiveSimpsonMeetsItsTolerance()
    {
        const auto cubic = adaptiveSimpson(parsed("x^3-2x"), 0, 2, 1e-12);
        QVERIFY(cubic);
        QVERIFY(std::fabs(cubic->value - 0.0) <= 1e-15);
        QCOMPARE(cubic->evaluations, 5L);
        const auto root = adaptiveSimpson(parsed("sqrt(x)"), 0, 1, 1e-9);
        QVERIFY(root);
        QVERIFY2(std::fabs(root->value - 2.0 / 3) <= 1e-9,
                 qPrintable(QString::number(root->value - 2.0 / 3)));
        QVERIFY(root->estimatedError <= 1e-9);
        QVERIFY(root->evaluations < 2000 && root->deepest > 20);
        const auto hostile = adaptiveSimpson(parsed("sin(1/x)"), 1e-6, 1, 1e-300);
        QCOMPARE(hostile.reason(), Reason::WorkLimit);
        QVERIFY(hostile.refusal().x.has_value());
        QCOMPARE(adaptiveSimpson(parsed("x"), 0, 1, 0).reason(), Reason::ToleranceNotPositive);
        // 1/x: the first middle is 0 on [-1; 1]; on [-1; 2] no node meets 0
        // and the halvings pile up beside it until the limit.
        const auto atZero = adaptiveSimpson(parsed("1/x"), -1, 1, 1e-6);
        QCOMPARE(atZero.reason(), Reason::NonFiniteResult);
        QCOMPARE(*atZero.refusal().x, 0.0);
        const auto beside = adaptiveSimpson(parsed("1/x"), -1, 2, 1e-6);
        QCOMPARE(beside.reason(), Reason::WorkLimit);
        QVERIFY(std::fabs(*beside.refusal().x) < 1e-6);
    }
};

QTEST_GUILESS_MAIN(RulesTest)
#include "rulestest.moc"
