// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/compositerule.h"

#include "expression/evaluator.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <optional>
#include <thread>
#include <vector>

namespace kvadrolab {

namespace {

// The bound constants, each from the rule's error on one panel times the
// number of panels n / (panel width in h), with h = (b - a) / n:
//  left, right: (b-a) h f'/2                 -> C = 2      (k = 1)
//  midpoint:    (b-a) h^2 f''/24              -> C = 24     (k = 2)
//  trapezoid:   (b-a) h^2 f''/12              -> C = 12     (k = 2)
//  Simpson:     h^5 f''''/90 per 2h panel     -> C = 180    (k = 4)
//  3/8:         3 h^5 f''''/80 per 3h panel   -> C = 80     (k = 4)
//  Boole:       8 h^7 f^(6)/945 per 4h panel  -> C = 945/2  (k = 6)
//  Gauss m-node on width h: h^(2m+1) (m!)^4 / ((2m+1) ((2m)!)^3) f^(2m):
//   m = 2: 16 / (5 * 24^3) = 1/4320;  m = 3: 1296 / (7 * 720^3) = 1/2016000.
// (Newton-Cotes remainders as in Burden & Faires, Numerical Analysis, 4.1-4.4;
// the Gauss-Legendre remainder as in Abramowitz & Stegun 25.4.30.)
constexpr RuleInfo kInfos[] = {
    {"left", 1, 1, 1, 2.0},       {"right", 1, 1, 1, 2.0},     {"midpoint", 2, 2, 1, 24.0},
    {"trapezoid", 2, 2, 1, 12.0}, {"simpson", 4, 4, 2, 180.0}, {"simpson38", 4, 4, 3, 80.0},
    {"boole", 6, 6, 4, 472.5},    {"gauss2", 4, 4, 1, 4320.0}, {"gauss3", 6, 6, 1, 2016000.0},
};

// Nodes are produced and evaluated this many at a time, so that a rule at the
// largest n needs no array of n values.
constexpr long kChunk = 4096;

// The grid point a + j h; the last one is b itself, so that rounding in
// j * h never moves the end of the interval.
double gridPoint(double a, double b, long j, long n)
{
    return j == n ? b : a + (b - a) * (static_cast<double>(j) / static_cast<double>(n));
}

// Node i of the rule (0 <= i < ruleNodeCount) and its weight.
RuleNode node(RuleKind kind, double a, double b, long n, long i)
{
    const double h = (b - a) / static_cast<double>(n);
    switch (kind) {
    case RuleKind::Left:
        return {gridPoint(a, b, i, n), 0, h};
    case RuleKind::Right:
        return {gridPoint(a, b, i + 1, n), 0, h};
    case RuleKind::Midpoint:
        return {a + (b - a) * ((static_cast<double>(i) + 0.5) / static_cast<double>(n)), 0, h};
    case RuleKind::Gauss2: {
        // Nodes c -+ h / (2 sqrt 3), weights h / 2.
        const double c =
            a + (b - a) * ((static_cast<double>(i / 2) + 0.5) / static_cast<double>(n));
        const double d = h * 0.28867513459481288225; // 1 / (2 sqrt 3)
        return {i % 2 == 0 ? c - d : c + d, 0, h / 2};
    }
    case RuleKind::Gauss3: {
        // Nodes c - h/2 sqrt(3/5), c, c + h/2 sqrt(3/5); weights h/2 (5/9, 8/9, 5/9).
        const double c =
            a + (b - a) * ((static_cast<double>(i / 3) + 0.5) / static_cast<double>(n));
        const double d = h * 0.38729833462074168852; // sqrt(3/5) / 2
        const long r = i % 3;
        return {r == 0 ? c - d : (r == 1 ? c : c + d), 0, h * (r == 1 ? 8.0 / 18.0 : 5.0 / 18.0)};
    }
    case RuleKind::Trapezoid:
        return {gridPoint(a, b, i, n), 0, (i == 0 || i == n) ? h / 2 : h};
    case RuleKind::Simpson: {
        const double w = (i == 0 || i == n) ? 1.0 : (i % 2 == 1 ? 4.0 : 2.0);
        return {gridPoint(a, b, i, n), 0, h * w / 3.0};
    }
    case RuleKind::Simpson38: {
        const double w = (i == 0 || i == n) ? 1.0 : (i % 3 == 0 ? 2.0 : 3.0);
        return {gridPoint(a, b, i, n), 0, h * w * 3.0 / 8.0};
    }
    case RuleKind::Boole: {
        const double w =
            (i == 0 || i == n) ? 7.0 : (i % 2 == 1 ? 32.0 : (i % 4 == 2 ? 12.0 : 14.0));
        return {gridPoint(a, b, i, n), 0, h * w * 2.0 / 45.0};
    }
    }
    return {a, 0, 0};
}

// Walks the nodes chunk by chunk through the block evaluator; keeps every
// node in `table` when one is given. The loop runs ruleNodeCount <= 3 * limit
// times.
Result<double> weightedSum(RuleKind kind, const Program &program, double a, double b, long n,
                           std::vector<RuleNode> *table)
{
    if (auto count = checkRuleCount(kind, n); !count.ok())
        return count.refusal();
    if (auto length = checkRuleInterval(a, b); !length.ok())
        return length.refusal();
    if (ruleWork(kind, program, n) > ruleWorkLimit)
        return Refusal{Reason::WorkLimit};
    const long total = ruleNodeCount(kind, n);
    double xs[kChunk], ys[kChunk], ws[kChunk];
    double sum = 0;
    for (long start = 0; start < total; start += kChunk) {
        const long count = std::min(kChunk, total - start);
        for (long i = 0; i < count; ++i) {
            const RuleNode nd = node(kind, a, b, n, start + i);
            xs[i] = nd.x;
            ws[i] = nd.weight;
        }
        evaluate(program, xs, ys, static_cast<std::size_t>(count));
        // Each chunk is summed on its own first: the partial sums stay
        // small beside the total, which keeps the rounding near
        // (kChunk + n / kChunk) ulps rather than n.
        double part = 0;
        for (long i = 0; i < count; ++i) {
            if (!std::isfinite(ys[i]))
                return Refusal{Reason::NonFiniteResult, {}, {}, xs[i]};
            part += ws[i] * ys[i];
            if (table)
                table->push_back({xs[i], ys[i], ws[i]});
        }
        sum += part;
    }
    if (!std::isfinite(sum))
        return Refusal{Reason::NonFiniteResult};
    return sum;
}

// A positive finite number as m 2^e with m in [0.5; 1) and the exponent
// kept apart: the a-priori bound multiplies and divides numbers from the
// whole double range (b - a = 1e-160 times h = 1e-163 is subnormal, a huge
// M_k times a long interval overflows), and only the mantissas, which stay
// in [0.25; 2), are ever rounded; the exponents add exactly in a long.
struct Scaled
{
    double m;
    long e;
};

Scaled scaled(double x)
{
    int e = 0;
    const double m = std::frexp(x, &e);
    return {m, e};
}

Scaled normalised(double m, long e)
{
    int shift = 0;
    const double mantissa = std::frexp(m, &shift);
    return {mantissa, e + shift};
}

// x y rounded up. The product of two mantissas is normal, so the fma gives
// the exact residual x y - p, and its sign says whether p fell short.
Scaled productUp(Scaled x, Scaled y)
{
    const double p = x.m * y.m;
    const double up = std::fma(x.m, y.m, -p) > 0 ? std::nextafter(p, 2.0) : p;
    return normalised(up, x.e + y.e);
}

// x / y rounded up: the remainder x - q y of a quotient rounded to nearest
// is a double, so the fma gives it exactly (Boldo and Daumas), and it is
// positive exactly when q fell short.
Scaled quotientUp(Scaled x, Scaled y)
{
    const double q = x.m / y.m;
    const double up = std::fma(-q, y.m, x.m) > 0 ? std::nextafter(q, 4.0) : q;
    return normalised(up, x.e - y.e);
}

// |b - a| rounded up, a != b finite: the difference to nearest and its exact
// error by Knuth's two-sum. Where the difference overflows, both ends are
// above 2^970 in magnitude (each is at most DBL_MAX), so their halves are
// exact and the half difference is taken instead.
Scaled lengthUp(double a, double b)
{
    const bool halve = !std::isfinite(b - a);
    const double x = std::max(a, b) * (halve ? 0.5 : 1.0);
    const double y = -std::min(a, b) * (halve ? 0.5 : 1.0);
    const double s = x + y;
    const double yPart = s - x;
    const double xPart = s - yPart;
    const double error = (x - xPart) + (y - yPart);
    const Scaled length =
        scaled(error > 0 ? std::nextafter(s, std::numeric_limits<double>::infinity()) : s);
    return {length.m, length.e + (halve ? 1 : 0)};
}

// m 2^e rounded up to a double: exact in the normal range, +inf above it,
// and below it up to the next multiple of the smallest subnormal 2^-1074
// (that subnormal itself for anything smaller, never 0).
double doubleUp(Scaled v)
{
    if (v.e > DBL_MAX_EXP)
        return std::numeric_limits<double>::infinity();
    if (v.e >= DBL_MIN_EXP)
        return std::ldexp(v.m, static_cast<int>(v.e));
    if (v.e < -1074)
        return std::numeric_limits<double>::denorm_min();
    // m 2^(e + 1074) < 2^52 is exact, and so is its ceiling times 2^-1074.
    return std::ldexp(std::ceil(std::ldexp(v.m, static_cast<int>(v.e + 1074))), -1074);
}

} // namespace

Result<double> checkRuleInterval(double a, double b)
{
    if (!std::isfinite(a))
        return Refusal{Reason::NonFiniteInput, Input::A};
    if (!std::isfinite(b))
        return Refusal{Reason::NonFiniteInput, Input::B};
    if (!std::isfinite(b - a))
        return Refusal{Reason::NonFiniteResult};
    return b - a;
}

const RuleInfo &ruleInfo(RuleKind kind)
{
    return kInfos[static_cast<int>(kind)];
}

Result<long> checkRuleCount(RuleKind kind, long n)
{
    if (n < 1 || n > ruleCountLimit)
        return Refusal{Reason::CountOutOfRange, Input::Count};
    const int multiple = ruleInfo(kind).countMultiple;
    if (n % multiple != 0)
        return Refusal{multiple == 2 ? Reason::OddCount : Reason::CountNotMultiple, Input::Count};
    return n;
}

double ruleErrorBound(RuleKind kind, double a, double b, long n, double derivativeMax)
{
    const RuleInfo &info = ruleInfo(kind);
    const double length = std::fabs(b - a);
    const double h = length / static_cast<double>(n);
    return length * std::pow(h, info.derivative) * derivativeMax / info.boundDivisor;
}

double ruleErrorBoundUp(RuleKind kind, double a, double b, double n, double derivativeMaxUpper)
{
    const RuleInfo &info = ruleInfo(kind);
    const double inf = std::numeric_limits<double>::infinity();
    if (!std::isfinite(a) || !std::isfinite(b) || !(n > 0) || !std::isfinite(n) ||
        !(derivativeMaxUpper >= 0) || !std::isfinite(derivativeMaxUpper))
        return inf;
    if (a == b || derivativeMaxUpper == 0)
        return 0; // the rule is exact on an empty interval and on f^(k) = 0
    const Scaled length = lengthUp(a, b);
    const Scaled h = quotientUp(length, scaled(n));
    // h^k by squaring (k <= 6: at most three roundings); each factor is an
    // upper bound of a positive number, so every product stays one.
    std::optional<Scaled> power;
    Scaled square = h;
    for (int k = info.derivative; k > 0; k /= 2) {
        if (k % 2 == 1)
            power = power ? productUp(*power, square) : square;
        if (k > 1)
            square = productUp(square, square);
    }
    const Scaled value =
        quotientUp(productUp(productUp(*power, length), scaled(derivativeMaxUpper)),
                   scaled(info.boundDivisor));
    return doubleUp(value);
}

long long ruleWork(RuleKind kind, const Program &program, long n)
{
    const auto steps = static_cast<long long>(std::max<std::size_t>(program.steps.size(), 1));
    return static_cast<long long>(ruleNodeCount(kind, std::max(n, 0L))) * steps;
}

Result<double> applyRule(RuleKind kind, const Program &program, double a, double b, long n)
{
    return weightedSum(kind, program, a, b, n, nullptr);
}

namespace {

// One rule's weighted sum fed node by node, in its own order, with its
// partial sums closed where weightedSum closes its chunks: the same
// additions in the same order give the same double.
class RuleSum
{
public:
    RuleSum(RuleKind kind, const Program &program, double a, double b, long n)
        : m_kind(kind), m_a(a), m_b(b), m_n(n), m_total(ruleNodeCount(kind, n)),
          m_state(checkRuleCount(kind, n).ok() ? Result<double>(0.0)
                                               : Result<double>(checkRuleCount(kind, n).refusal()))
    {
        if (m_state && ruleWork(kind, program, n) > ruleWorkLimit)
            m_state = Refusal{Reason::WorkLimit};
    }

    bool wanted() const { return m_state.ok(); }

    // Node i of the rule (in increasing order), at x, with f(x) = y.
    void add(long i, double x, double y)
    {
        if (!m_state)
            return;
        if (!std::isfinite(y)) {
            m_state = Refusal{Reason::NonFiniteResult, {}, {}, x};
            return;
        }
        m_part += weight(i) * y;
        if ((i + 1) % kChunk == 0 || i + 1 == m_total) {
            m_sum += m_part;
            m_part = 0;
        }
    }

    // node()'s weight of node i, which depends on i only through whether it
    // is the first or the grid's last node and on i mod 12 (every rule's
    // pattern repeats within 12 nodes): each is worked out once.
    double weight(long i)
    {
        const int key = i == 0 ? 0 : (i == m_n ? 1 : 2 + static_cast<int>(i % 12));
        if (!m_known[key]) {
            m_weights[key] = node(m_kind, m_a, m_b, m_n, i).weight;
            m_known[key] = true;
        }
        return m_weights[key];
    }

    Result<double> result() const
    {
        if (m_state && !std::isfinite(m_sum))
            return Refusal{Reason::NonFiniteResult};
        return m_state ? Result<double>(m_sum) : m_state;
    }

private:
    RuleKind m_kind;
    double m_a, m_b;
    long m_n;
    long m_total;
    Result<double> m_state;
    double m_sum = 0, m_part = 0;
    double m_weights[14] = {};
    bool m_known[14] = {};
};

} // namespace

std::array<Result<double>, allRules.size()> applyEveryRule(const Program &program, double a,
                                                           double b, long n)
{
    std::array<Result<double>, allRules.size()> out{
        Refusal{Reason::NotProven}, Refusal{Reason::NotProven}, Refusal{Reason::NotProven},
        Refusal{Reason::NotProven}, Refusal{Reason::NotProven}, Refusal{Reason::NotProven},
        Refusal{Reason::NotProven}, Refusal{Reason::NotProven}, Refusal{Reason::NotProven}};
    if (auto length = checkRuleInterval(a, b); !length.ok()) {
        // As applyRule: the count is checked first.
        for (std::size_t i = 0; i < allRules.size(); ++i) {
            const Result<long> count = checkRuleCount(allRules[i], n);
            out[i] = count ? length.refusal() : count.refusal();
        }
        return out;
    }
    const auto sumOf = [&](RuleKind kind) { return RuleSum(kind, program, a, b, n); };
    RuleSum left = sumOf(RuleKind::Left), right = sumOf(RuleKind::Right),
            midpoint = sumOf(RuleKind::Midpoint), trapezoid = sumOf(RuleKind::Trapezoid),
            simpson = sumOf(RuleKind::Simpson), simpson38 = sumOf(RuleKind::Simpson38),
            boole = sumOf(RuleKind::Boole), gauss2 = sumOf(RuleKind::Gauss2),
            gauss3 = sumOf(RuleKind::Gauss3);
    RuleSum *const grid[] = {&left, &right, &trapezoid, &simpson, &simpson38, &boole};
    const bool wantGrid =
        std::any_of(std::begin(grid), std::end(grid), [](RuleSum *r) { return r->wanted(); });
    const bool wantMiddles = midpoint.wanted() || gauss2.wanted() || gauss3.wanted();

    // Block by block of subintervals: the grid a + j h as node() places it
    // for each of its rules, then per subinterval its middle (the midpoint
    // rule's node and three-point Gauss's centre) and Gauss's two- and
    // three-point outer nodes. The values of f are taken on every core (each
    // is bit for bit evaluate's wherever it is taken); the sums then run
    // node by node in each rule's own order.
    constexpr long kPieces = 1L << 16;
    const long pieces = std::min(n, kPieces);
    std::vector<double> xs(static_cast<std::size_t>(6 * pieces + 1)),
        ys(static_cast<std::size_t>(6 * pieces + 1));
    const unsigned cores = std::clamp(std::thread::hardware_concurrency(), 1U, 4U);
    for (long start = 0; start < n; start += kPieces) {
        const long count = std::min(kPieces, n - start);
        const long gridCount = wantGrid ? count + (start + count == n ? 1 : 0) : 0;
        const long middleCount = wantMiddles ? 5 * count : 0;
        const long total = gridCount + middleCount;
        const auto place = [&](long from, long to) {
            for (long i = from; i < to; ++i) {
                if (i < gridCount) {
                    xs[static_cast<std::size_t>(i)] = gridPoint(a, b, start + i, n);
                    continue;
                }
                const long m = i - gridCount, k = start + m / 5;
                RuleNode at{};
                switch (m % 5) {
                case 0:
                    at = node(RuleKind::Midpoint, a, b, n, k);
                    break;
                case 1:
                case 2:
                    at = node(RuleKind::Gauss2, a, b, n, 2 * k + (m % 5 - 1));
                    break;
                case 3:
                    at = node(RuleKind::Gauss3, a, b, n, 3 * k);
                    break;
                default:
                    at = node(RuleKind::Gauss3, a, b, n, 3 * k + 2);
                    break;
                }
                xs[static_cast<std::size_t>(i)] = at.x;
            }
            evaluate(program, xs.data() + from, ys.data() + from,
                     static_cast<std::size_t>(to - from));
        };
        std::vector<std::thread> helpers;
        // In long throughout: unsigned with a 32-bit long (Windows) would
        // make the shares unsigned.
        const long workers = static_cast<long>(cores);
        const long share = (total + workers - 1) / workers;
        for (long c = 1; c < workers && c * share < total; ++c)
            helpers.emplace_back(place, c * share, std::min(total, (c + 1) * share));
        place(0, std::min(total, share));
        for (std::thread &t : helpers)
            t.join();

        // Each rule's sum runs node by node in its own order, so the rules
        // can be summed side by side: three groups, on as many cores.
        const auto sumGrid = [&](std::initializer_list<RuleSum *> rules) {
            for (long i = 0; i < gridCount; ++i) {
                const long j = start + i;
                const double x = xs[static_cast<std::size_t>(i)],
                             y = ys[static_cast<std::size_t>(i)];
                for (RuleSum *r : rules) {
                    if (r == &left) {
                        if (j < n)
                            left.add(j, x, y);
                    } else if (r == &right) {
                        if (j > 0)
                            right.add(j - 1, x, y);
                    } else {
                        r->add(j, x, y);
                    }
                }
            }
        };
        const auto sumMiddles = [&] {
            for (long i = 0; i < middleCount / 5; ++i) {
                const long k = start + i;
                const double *x = xs.data() + gridCount + 5 * i, *y = ys.data() + gridCount + 5 * i;
                midpoint.add(k, x[0], y[0]);
                gauss2.add(2 * k, x[1], y[1]);
                gauss2.add(2 * k + 1, x[2], y[2]);
                gauss3.add(3 * k, x[3], y[3]);
                gauss3.add(3 * k + 1, x[0], y[0]);
                gauss3.add(3 * k + 2, x[4], y[4]);
            }
        };
        // A thread costs tens of microseconds: worth it for long blocks only.
        constexpr long kSideBySide = 4096;
        if (cores > 1 && total >= kSideBySide) {
            std::thread higher([&] { sumGrid({&simpson, &simpson38, &boole}); });
            std::thread middles(sumMiddles);
            sumGrid({&left, &right, &trapezoid});
            higher.join();
            middles.join();
        } else {
            sumGrid({&left, &right, &trapezoid, &simpson, &simpson38, &boole});
            sumMiddles();
        }
    }
    const RuleSum *const every[] = {&left,      &right, &midpoint, &trapezoid, &simpson,
                                    &simpson38, &boole, &gauss2,   &gauss3};
    for (std::size_t i = 0; i < allRules.size(); ++i)
        out[i] = every[i]->result();
    return out;
}

Result<RuleTable> ruleTable(RuleKind kind, const Program &program, double a, double b, long n)
{
    if (n > ruleTableCountLimit)
        return Refusal{Reason::CountOutOfRange, Input::Count};
    RuleTable table;
    table.nodes.reserve(
        static_cast<std::size_t>(std::max(0L, ruleNodeCount(kind, std::max(n, 0L)))));
    auto sum = weightedSum(kind, program, a, b, n, &table.nodes);
    if (!sum.ok())
        return sum.refusal();
    table.sum = *sum;
    return table;
}

long ruleNodeCount(RuleKind kind, long n)
{
    switch (kind) {
    case RuleKind::Left:
    case RuleKind::Right:
    case RuleKind::Midpoint:
        return n;
    case RuleKind::Gauss2:
        return 2 * n;
    case RuleKind::Gauss3:
        return 3 * n;
    case RuleKind::Trapezoid:
    case RuleKind::Simpson:
    case RuleKind::Simpson38:
    case RuleKind::Boole:
        return n + 1;
    }
    return 0;
}

} // namespace kvadrolab
