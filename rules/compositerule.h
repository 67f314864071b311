// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "expression/program.h"

#include <array>
#include <vector>

namespace kvadrolab {

// The composite rules of the course. n always counts subintervals of width
// h = (b - a) / n; a rule that groups them (Simpson by 2, 3/8 by 3, Boole by
// 4) refuses an n that does not fit rather than change it.
enum class RuleKind { Left, Right, Midpoint, Trapezoid, Simpson, Simpson38, Boole, Gauss2, Gauss3 };

inline constexpr std::array<RuleKind, 9> allRules = {
    RuleKind::Left,      RuleKind::Right,   RuleKind::Midpoint,
    RuleKind::Trapezoid, RuleKind::Simpson, RuleKind::Simpson38,
    RuleKind::Boole,     RuleKind::Gauss2,  RuleKind::Gauss3};

// What a rule is: its name, its order (the error shrinks like h^order), the
// derivative k its a-priori bound uses, the multiple n must be, and the
// bound's constant C in |error| <= (b - a)^(k+1) M_k / (C n^k).
struct RuleInfo
{
    const char *name;
    int order;
    int derivative;
    int countMultiple;
    double boundDivisor;
};

const RuleInfo &ruleInfo(RuleKind kind);

// The largest n a rule takes: beyond it the sum's rounding outgrows any
// error the rules teach about.
inline constexpr long ruleCountLimit = 10'000'000;
// The largest n whose node table is built (one row per node).
inline constexpr long ruleTableCountLimit = 100'000;

// The work of a double sum in operations: one step of the program at one
// node. A sum refuses at once with WorkLimit (no place: nothing was summed)
// when its nodes times the program's steps exceed this; in doubles a step
// takes some 3 ns, so the limit is about 3 s of a two-core x86-64 server of
// 2020, which every rule at ruleCountLimit needs for an f of 30 steps.
inline constexpr long long ruleWorkLimit = 1'000'000'000;

// The operations the rule's sum at n costs: nodes times steps.
long long ruleWork(RuleKind kind, const Program &program, long n);

// The nodes of the rule at n: n for the rectangles, 2n and 3n for the Gauss
// rules, n + 1 grid points for the rest (a shared end counted once).
long ruleNodeCount(RuleKind kind, long n);

// b - a, or NonFiniteInput for a or b, NonFiniteResult where b - a
// overflows: what every rule here asks of its ends.
Result<double> checkRuleInterval(double a, double b);

// n itself, or CountOutOfRange (n < 1 or above the limit), OddCount
// (Simpson), CountNotMultiple (3/8 needs a multiple of 3, Boole of 4).
Result<long> checkRuleCount(RuleKind kind, long n);

// The a-priori bound (b - a)^(k+1) M_k / (C n^k) in plain double arithmetic:
// a value to display, not a proven bound.
double ruleErrorBound(RuleKind kind, double a, double b, long n, double derivativeMax);

// The same bound rounded up: given a proven upper M_k (proof/), the result
// is >= the exact real (b - a)^(k+1) M_k / (C n^k) of the doubles given, for
// every finite input: each step rounds up on mantissas whose exponents are
// carried apart, so no intermediate underflows or overflows. It is within a
// factor 1 + 2^-47 of the exact value where that is a normal double; below
// it, the next subnormal up (2^-1074 for anything smaller, never 0); where
// it does not fit a double, +inf, as for non-finite input, n <= 0 or
// M_k < 0: no bound.
// This proves the bound formula only: it bounds the error of the exact rule,
// not of the rule summed in doubles. n is a double so that a count searched
// for a tolerance may exceed any long (up to 2^53, where every whole number
// is still a double); the rule itself never sums beyond ruleCountLimit.
double ruleErrorBoundUp(RuleKind kind, double a, double b, double n, double derivativeMaxUpper);

// The rule's value for f at n. Refused as checkRuleCount refuses,
// NonFiniteInput for a or b, NonFiniteResult where f or the sum is not finite
// (x the first node at fault), WorkLimit past ruleWorkLimit.
Result<double> applyRule(RuleKind kind, const Program &program, double a, double b, long n);

// Every rule of allRules at n, in that order, from one pass over the nodes
// they share: the grid a + j h (left, right, trapezoid, Simpson, 3/8,
// Boole) and the middles (midpoint, three-point Gauss), each valued once,
// 6n + 1 values of f in all where the rules one by one take 12n + 4, taken
// on up to four cores. Each result is bit for bit applyRule's, refusals
// included.
std::array<Result<double>, allRules.size()> applyEveryRule(const Program &program, double a,
                                                           double b, long n);

// One node of the weighted sum: the rule adds weight * fx.
struct RuleNode
{
    double x;
    double fx;
    double weight;
};

// The nodes in increasing x (the shared points of neighbouring subintervals
// once, with their joint weight) and the weighted sum, equal to applyRule.
struct RuleTable
{
    std::vector<RuleNode> nodes;
    double sum = 0;
};

// As applyRule, with CountOutOfRange above ruleTableCountLimit.
Result<RuleTable> ruleTable(RuleKind kind, const Program &program, double a, double b, long n);

} // namespace kvadrolab
