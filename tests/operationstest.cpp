// SPDX-License-Identifier: GPL-3.0-or-later
// Every operation of the integrand language in every real arithmetic: the
// double evaluator, the block evaluator and the ball arithmetic (the Taylor
// run at order 0 on a point) agree at 200 seeded points of the operation's
// domain. The list of operations is checked against kOpCount, so an
// operation added to the language without a row here fails the suite.

// Qt before Arb (proof/balls.h says why).
#include <QTest>

#include "expression/evaluator.h"
#include "expression/program.h"
#include "expression/vectormath.h"
#include "proof/balls.h"
#include "proof/taylor.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <random>
#include <set>
#include <vector>

using namespace kvadrolab;

namespace {

// One operation applied to x (or to x and a constant, or alone for a value),
// with the interval its points come from.
struct OpRow
{
    const char *name;
    Op op;
    double lo;
    double hi;
    const char *constant = nullptr; // Number's literal, or the right operand
    std::int32_t exponent = 0;      // PowInt
};

// The constants are binary fractions, exact as doubles and as balls, so that
// both arithmetics compute the same function at the same point.
const std::vector<OpRow> &rows()
{
    static const std::vector<OpRow> all{
        {"number 1.25", Op::Number, 0, 1, "1.25"},
        {"pi", Op::Pi, 0, 1},
        {"e", Op::E, 0, 1},
        {"x", Op::X, -1e6, 1e6},
        {"neg", Op::Neg, -10, 10},
        {"sin", Op::Sin, -10, 10},
        {"cos", Op::Cos, -10, 10},
        {"tg", Op::Tan, -1.5, 1.5},
        {"ctg", Op::Cot, 0.05, 3.1},
        {"arcsin", Op::Asin, -0.999, 0.999},
        {"arccos", Op::Acos, -0.999, 0.999},
        {"arctg", Op::Atan, -50, 50},
        {"arcctg", Op::Acot, -4, 4},
        {"arcctg far out", Op::Acot, -1e6, 1e6},
        {"sh", Op::Sinh, -20, 20},
        {"ch", Op::Cosh, -20, 20},
        {"th", Op::Tanh, -5, 5},
        {"cth", Op::Coth, -5, 5},
        {"exp", Op::Exp, -30, 30},
        {"ln", Op::Ln, 1e-3, 1e3},
        {"lg", Op::Lg, 1e-3, 1e3},
        {"sqrt", Op::Sqrt, 0, 100},
        {"cbrt", Op::Cbrt, -100, 100},
        {"abs", Op::Abs, -10, 10},
        {"x^3", Op::PowInt, -10, 10, nullptr, 3},
        {"x^-2", Op::PowInt, 0.1, 10, nullptr, -2},
        {"x + 1.5", Op::Add, -10, 10, "1.5"},
        {"x - 0.75", Op::Sub, -10, 10, "0.75"},
        {"x * 2.5", Op::Mul, -10, 10, "2.5"},
        {"x / 0.75", Op::Div, -10, 10, "0.75"},
        {"x ^ 2.5", Op::Pow, 0.1, 10, "2.5"},
    };
    return all;
}

Step step(Op op)
{
    Step s;
    s.op = op;
    return s;
}

Step numberStep(const char *literal)
{
    Step s = step(Op::Number);
    s.literal = literal;
    // from_chars: strtod would read the decimal comma of the test's locale.
    std::from_chars(literal, literal + std::strlen(literal), s.value);
    return s;
}

Program programOf(const OpRow &row)
{
    Program p;
    switch (operandCount(row.op)) {
    case 0:
        p.steps.push_back(row.op == Op::Number ? numberStep(row.constant) : step(row.op));
        p.stackDepth = 1;
        break;
    case 1: {
        p.steps.push_back(step(Op::X));
        Step s = step(row.op);
        s.exponent = row.exponent;
        p.steps.push_back(s);
        p.stackDepth = 1;
        break;
    }
    default:
        p.steps.push_back(step(Op::X));
        p.steps.push_back(numberStep(row.constant));
        p.steps.push_back(step(row.op));
        p.stackDepth = 2;
        break;
    }
    return p;
}

// 200 points of [lo; hi] from a fixed seed, mapped by hand: the standard
// distributions may differ between libraries, these do not.
std::vector<double> points(double lo, double hi)
{
    std::mt19937_64 random(20261211);
    std::vector<double> xs(200);
    for (double &x : xs) {
        const double u = static_cast<double>(random() >> 11) * 0x1.0p-53; // [0; 1)
        x = lo + (hi - lo) * u;
    }
    return xs;
}

double ulp(double v)
{
    const double a = std::fabs(v);
    return std::nextafter(a, INFINITY) - a;
}

// libm's functions are within 2 ulps in glibc; 1/tg, 1/th and the constant
// pi added to arctg round once or twice more.
constexpr double kUlps = 4;

} // namespace

class OperationsTest : public QObject
{
    Q_OBJECT

private slots:
    void everyOperationIsListed();
    void arithmeticsAgree_data();
    void arithmeticsAgree();
    void libraryValuesAnywhereInABlock_data();
    void libraryValuesAnywhereInABlock();
};

void OperationsTest::everyOperationIsListed()
{
    std::set<Op> listed;
    for (const OpRow &row : rows()) {
        QVERIFY2(operandCount(row.op) != kNotAnOperation, row.name);
        listed.insert(row.op);
    }
    QCOMPARE(listed.size(), kOpCount);
    // A value of Op past the named ones takes no operands anyone has.
    QCOMPARE(operandCount(static_cast<Op>(0xFF)), kNotAnOperation);
}

void OperationsTest::arithmeticsAgree_data()
{
    QTest::addColumn<int>("row");
    for (std::size_t i = 0; i < rows().size(); ++i)
        QTest::newRow(rows()[i].name) << static_cast<int>(i);
}

void OperationsTest::arithmeticsAgree()
{
    QFETCH(int, row);
    const OpRow &r = rows()[static_cast<std::size_t>(row)];
    const Program p = programOf(r);
    const std::vector<double> xs = points(r.lo, r.hi);
    std::vector<double> block(xs.size());
    evaluate(p, xs.data(), block.data(), xs.size());
    for (std::size_t i = 0; i < xs.size(); ++i) {
        const double x = xs[i];
        const double single = evaluate(p, x);
        QVERIFY2(std::isfinite(single), qPrintable(QString::number(x, 'g', 17)));
        QVERIFY2(std::memcmp(&single, &block[i], sizeof single) == 0,
                 qPrintable(QStringLiteral("block %1 != %2 at %3")
                                .arg(block[i], 0, 'g', 17)
                                .arg(single, 0, 'g', 17)
                                .arg(x, 0, 'g', 17)));
        Ball point, value;
        Series series;
        arb_set_d(point.get(), x);
        const auto proven = taylorSeries(series.get(), p, point.get(), 0);
        QVERIFY2(proven.ok(), qPrintable(QString::number(x, 'g', 17)));
        arb_poly_get_coeff_arb(value.get(), series.get(), 0);
        const double mid = arf_get_d(arb_midref(value.get()), ARF_RND_NEAR);
        const double radius = mag_get_d(arb_radref(value.get()));
        // The ball is narrow, so that the comparison below says something.
        QVERIFY2(radius <= ulp(mid), qPrintable(QString::number(radius, 'g', 17)));
        QVERIFY2(std::fabs(single - mid) <= radius + kUlps * ulp(mid),
                 qPrintable(QStringLiteral("double %1, ball %2 at %3")
                                .arg(single, 0, 'g', 17)
                                .arg(mid, 0, 'g', 17)
                                .arg(x, 0, 'g', 17)));
    }
}

// The edges of each function's domain and range, where a vector function
// takes its special path: the values must be the C library's (NaN for NaN,
// the same infinity, finite ones within kUlps), and a value the same alone,
// at every place of a block, and in a block's tail.
void OperationsTest::libraryValuesAnywhereInABlock_data()
{
    QTest::addColumn<int>("function");
    const char *names[] = {"sin",  "cos",  "tan", "asin", "acos",  "atan", "sinh",
                           "cosh", "tanh", "exp", "log",  "log10", "cbrt"};
    static_assert(std::size(names) == kLibraryFunctionCount);
    for (int f = 0; f < kLibraryFunctionCount; ++f)
        QTest::newRow(names[f]) << f;
}

void OperationsTest::libraryValuesAnywhereInABlock()
{
    QFETCH(int, function);
    const auto f = static_cast<LibraryFunction>(function);
    const double inf = std::numeric_limits<double>::infinity();
    const double edges[] = {0.0,    -0.0,      1e-310, -1e-310, 1e-300, 0.5,  -0.5,        1.0,
                            -1.0,   1.0000001, 2.0,    1e5,     -1e5,   1e22, 1e300,       -1e300,
                            709.78, -745.2,    711.0,  -750.0,  inf,    -inf, std::nan("")};
    const std::size_t n = std::size(edges);
    auto reference = [f](double v) {
        switch (f) {
        case LibraryFunction::Sin:
            return std::sin(v);
        case LibraryFunction::Cos:
            return std::cos(v);
        case LibraryFunction::Tan:
            return std::tan(v);
        case LibraryFunction::Asin:
            return std::asin(v);
        case LibraryFunction::Acos:
            return std::acos(v);
        case LibraryFunction::Atan:
            return std::atan(v);
        case LibraryFunction::Sinh:
            return std::sinh(v);
        case LibraryFunction::Cosh:
            return std::cosh(v);
        case LibraryFunction::Tanh:
            return std::tanh(v);
        case LibraryFunction::Exp:
            return std::exp(v);
        case LibraryFunction::Log:
            return std::log(v);
        case LibraryFunction::Log10:
            return std::log10(v);
        case LibraryFunction::Cbrt:
            return std::cbrt(v);
        }
        return std::nan("");
    };
    for (std::size_t shift = 0; shift < 4; ++shift) {
        // The edges at every lane: shifted along by one, then in a tail.
        std::vector<double> x(shift, 0.25);
        x.insert(x.end(), edges, edges + n);
        std::vector<double> y(x.size());
        applyLibrary(f, x.data(), y.data(), x.size());
        for (std::size_t i = shift; i < x.size(); ++i) {
            const double alone = applyLibrary(f, x[i]);
            const QString where = QStringLiteral("%1 at %2 (%3)")
                                      .arg(y[i], 0, 'g', 17)
                                      .arg(x[i], 0, 'g', 17)
                                      .arg(QLatin1String(libraryPath()));
            QVERIFY2(std::memcmp(&alone, &y[i], sizeof alone) == 0, qPrintable(where));
            const double want = reference(x[i]);
            if (std::isnan(want) || std::isinf(want) || want == 0) {
                QVERIFY2(std::memcmp(&want, &y[i], sizeof want) == 0 ||
                             (std::isnan(want) && std::isnan(y[i])),
                         qPrintable(where));
            } else {
                QVERIFY2(std::fabs(y[i] - want) <= kUlps * ulp(want), qPrintable(where));
            }
        }
    }
}

QTEST_GUILESS_MAIN(OperationsTest)
#include "operationstest.moc"
