// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/compositerule.h"

#include "expression/evaluator.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

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

long nodeCount(RuleKind kind, long n)
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
    default:
        return n + 1;
    }
}

// The grid point a + j h; the last one is b itself, so that rounding in
// j * h never moves the end of the interval.
double gridPoint(double a, double b, long j, long n)
{
    return j == n ? b : a + (b - a) * (static_cast<double>(j) / static_cast<double>(n));
}

// Node i of the rule (0 <= i < nodeCount) and its weight.
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
// node in `table` when one is given. The loop runs nodeCount <= 3 * limit
// times.
Result<double> weightedSum(RuleKind kind, const Program &program, double a, double b, long n,
                           std::vector<RuleNode> *table)
{
    if (auto count = checkRuleCount(kind, n); !count.ok())
        return count.refusal();
    if (auto length = checkRuleInterval(a, b); !length.ok())
        return length.refusal();
    const long total = nodeCount(kind, n);
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
    const double length = std::fabs(b - a);
    if (!(derivativeMaxUpper >= 0) || !std::isfinite(length))
        return inf;
    if (length == 0 || derivativeMaxUpper == 0)
        return 0; // the rule is exact on an empty interval and on f^(k) = 0
    // h^k by repeated multiplication: k roundings, each bounded; pow gives
    // no such promise.
    const double h = length / n;
    double power = 1;
    for (int i = 0; i < info.derivative; ++i)
        power *= h;
    // Twice the divisor (945 for Boole) is an integer, exact in a double.
    const double value = length * power * derivativeMaxUpper * 2.0 / (2.0 * info.boundDivisor);
    if (power < DBL_MIN || value < DBL_MIN)
        return inf; // subnormal: the relative bound on the roundings is lost
    // At most 2k + 4 roundings of 2^-53 each: (1 + 2^-53)^16 < 1 + 2^-48.
    return std::nextafter(value * (1 + 0x1p-47), inf);
}

Result<double> applyRule(RuleKind kind, const Program &program, double a, double b, long n)
{
    return weightedSum(kind, program, a, b, n, nullptr);
}

Result<RuleTable> ruleTable(RuleKind kind, const Program &program, double a, double b, long n)
{
    if (n > ruleTableCountLimit)
        return Refusal{Reason::CountOutOfRange, Input::Count};
    RuleTable table;
    table.nodes.reserve(static_cast<std::size_t>(std::max(0L, nodeCount(kind, std::max(n, 0L)))));
    auto sum = weightedSum(kind, program, a, b, n, &table.nodes);
    if (!sum.ok())
        return sum.refusal();
    table.sum = *sum;
    return table;
}

} // namespace kvadrolab
