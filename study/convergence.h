// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "proof/derivativemax.h"
#include "proof/integral.h"

#include <array>
#include <optional>
#include <vector>

namespace kvadrolab {

// How the actual error of the two rules behaves as n grows, over an interval
// [a;b] with a, b > 0 and a != b; b < a is allowed and makes every integral,
// value and signed error that of the reversed direction (the bounds and |e|
// do not change). Everything here is computed afresh from a and b: the fixed
// exact value and M2, M4 of the designed windows are not used. The integral
// and M2, M4 are proven by the engine (proof/), the rules are the designed
// windows' own (core/quadrature.h).

// A study or a picture is never partial: a refused answer (base/result.h)
// carries no value at all, and names the input at fault where there is one.

enum class Rule { Trapezoid, Simpson };

// NonFiniteInput, NodeNotPositive (at the lower end) or EmptyInterval (at b)
// for a and b that no study accepts.
Result<void> checkInterval(double a, double b);

// The integral of f from a to b, signed, proven by ball arithmetic
// (proof/integral.h): the truth lies in [lower; upper], a few ulps wide.
// Refused as checkInterval(), and with NotProven where the proof does not
// close within its work limit (a value beyond double, at a tiny a).
Result<Enclosure> provenIntegral(double a, double b);

// max |f^(order)| over the interval between a and b (either order), proven
// from both sides (proof/derivativemax.h). Refused as checkInterval(), as
// the proof refuses, and with NonFiniteResult when the upper bound is beyond
// double (a tiny a).
Result<DerivativeMax> provenDerivativeMax(int order, double a, double b);

// The a-priori bound of the rule with n subintervals (for Simpson's too, not
// pairs), h = (b - a) / n: |b - a| h^2 M / 12 for the trapezoid rule (M = M2),
// |b - a| h^4 M / 180 for Simpson's (M = M4). Always >= 0; no check of n or M.
double aPrioriBoundOverSubintervals(Rule rule, double a, double b, double M, double subintervals);

// The rows of the table: n = 10, 20, ..., 640.
inline constexpr std::array<int, 7> kStudyCounts{10, 20, 40, 80, 160, 320, 640};

struct StudyRow
{
    int n = 0;
    double value = 0; // I_n, by the existing trapezoid() / simpson()
    double error = 0; // I_n - the integral's midpoint, signed, in long double before rounding
    // Runge's estimate of that same signed error, (I_(n/2) - I_n) / 3 for the
    // trapezoid rule and / 15 for Simpson's. Absent on Simpson's row n = 10
    // (it would need n = 5).
    std::optional<double> runge;
    // log2(|e_(n/2)| / |e_n|). Absent where Runge's estimate is, or when either
    // error is exactly zero.
    std::optional<double> order;
    // I_n - Runge's estimate. Absent where Runge's estimate is.
    std::optional<double> richardson;
};
using StudyTable = std::array<StudyRow, kStudyCounts.size()>;

// The error curves: n = 2..1000, even n only for Simpson's rule.
inline constexpr int kCurveFirstCount = 2;
inline constexpr int kCurveLastCount = 1000;

struct ErrorPoint
{
    int n = 0;
    // |I_n - the integral|; absent when it is exactly zero, which a log chart leaves out.
    // Where the rule meets the rounding floor of double, this is that floor
    // (a few ulps of the integral), never a further fall.
    std::optional<double> absError;
    double bound = 0; // aPrioriBoundOverSubintervals() with the upper end of the proven M2 or M4
};

// The largest count "n для ε" by the bound is worked out to: 10^15. Every
// whole number up to it is a double, so the count is exact, n - 1 and n + 1
// are distinct numbers, and all its digits can be shown. No one evaluates a
// rule at more subintervals (10^15 values of f take days), so a count beyond
// it says nothing a student can use beyond "more than 10^15".
inline constexpr double kBoundCountLimit = 1e15;

// "n для ε" of one rule.
struct ToleranceCounts
{
    // The smallest n (>= 1 for the trapezoid rule, even and >= 2 for Simpson's)
    // whose a-priori bound is <= the tolerance, when that n is at most
    // kBoundCountLimit: a whole number, held in a double because it can be
    // beyond any int. Above kBoundCountLimit it means "больше 10^15" and holds
    // only an estimate of that n from logarithms (about 1e-15 relative, or
    // +infinity where it overflows), never a count that was checked.
    double byBound = 0;
    // The first n of 10, 20, ..., 640 (Simpson's from 20) whose |Runge's
    // estimate| is <= the tolerance; absent when none is ("больше 640").
    std::optional<int> byRunge;
    // The smallest n of the curve from which |actual error| stays <= the
    // tolerance for every larger n up to 1000; absent when even n = 1000 is
    // above it ("больше 1000").
    std::optional<int> byActualError;

    // True when byBound is the "больше 10^15" answer rather than a count.
    bool byBoundBeyondLimit() const { return !(byBound <= kBoundCountLimit); }
};

struct RuleStudy
{
    StudyTable table;
    std::vector<ErrorPoint> curve; // in increasing n
    ToleranceCounts counts;        // for the study's tolerance
};

struct ConvergenceStudy
{
    double a = 0;
    double b = 0;
    double tolerance = 0;
    Enclosure integral; // provenIntegral(a, b)
    DerivativeMax m2;   // max |f''| on the interval; the bounds use its upper end
    DerivativeMax m4;   // max |f''''| on the interval, likewise
    RuleStudy trapezoid;
    RuleStudy simpson;
};

// The whole study of one press: about 750 000 evaluations of f. Refused as
// checkInterval(), with ToleranceNotPositive or NonFiniteInput for the
// tolerance, and with NonFiniteResult when any value overflows (f, M2 or M4 at
// a tiny a).
Result<ConvergenceStudy> studyConvergence(double a, double b, double tolerance);

// "n для ε" of one rule of a finished study for another tolerance, so that the
// window need not study again. A tolerance that is not > 0 answers the
// largest possible counts: byBound +infinity and both others absent. At most
// a few thousand evaluations of the bound, whatever the tolerance.
ToleranceCounts toleranceCounts(Rule rule, const ConvergenceStudy &study, double tolerance);

// The picture's n: 2..50, even.
inline constexpr int kPictureMinCount = 2;
inline constexpr int kPictureMaxCount = 50;

// What "the rule drawn on f" shows: the nodes and f at them (the trapezoid
// rule's chords join consecutive nodes), and Simpson's parabola over each pair
// of subintervals.
struct RulePicture
{
    double a = 0;
    double b = 0;
    int n = 0;
    std::vector<double> x; // the n + 1 nodes a + i (b - a) / n
    std::vector<double> y; // f at the nodes

    // Simpson's parabola through nodes 2k, 2k + 1, 2k + 2, for k = 0 .. n/2 - 1,
    // evaluated at any x (meant for x between nodes 2k and 2k + 2). NaN for a k
    // outside that range.
    double simpsonArc(int pair, double at) const;
};

// The picture for n subintervals. n arrives as the double typed into the
// field and must be a whole even number in 2..50. Refused as checkInterval(),
// with NonFiniteInput, NotWhole, CountOutOfRange or OddCount for n, and with
// NonFiniteResult, at that node, when f overflows there.
Result<RulePicture> rulePicture(double a, double b, double n);

} // namespace kvadrolab
