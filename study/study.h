// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "expression/program.h"
#include "proof/derivativemax.h"
#include "proof/integral.h"
#include "rules/compositerule.h"
#include "rules/extrapolated.h"

#include <array>
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kvadrolab {

// The study of a student's own integral: any f the language reads, any
// interval, every rule of the course side by side. The integral and the M_k
// are proven (proof/); the rules are summed in doubles (rules/), and their
// errors are taken against the proven integral.
//
// Orientation: b < a is the integral from a to b, that is minus the one from
// b to a; the rules then sum with a negative h (as rules/ does), and the M_k
// are those of the interval between a and b. a == b is refused.

// The methods a study covers: any of the composite rules, Romberg's table
// and adaptive Simpson.
struct MethodChoice
{
    std::vector<RuleKind> composite; // each at most once, in allRules order
    bool romberg = false;
    bool adaptive = false;

    friend bool operator==(const MethodChoice &, const MethodChoice &) = default;
};

struct StudyInput
{
    Program program;
    double a = 0;
    double b = 0;
    double tolerance = 0; // ε: for "n для ε" and adaptive Simpson
    MethodChoice methods;
};

// The orders of the derivatives the composite rules' bounds use (ruleInfo's
// derivative): M1 for the left and right rules, M2 for the midpoint and
// trapezoid rules, M4 for Simpson's, 3/8 and two-point Gauss, M6 for Boole
// and three-point Gauss.
inline constexpr std::array<int, 4> studyOrders = {1, 2, 4, 6};

// The doubling table: from the smallest n >= 10 the rule accepts (12 for 3/8
// and Boole), doubled kDoublingRows - 1 times.
inline constexpr int kDoublingRows = 7;
inline constexpr long kDoublingFirstAtLeast = 10;

// Whether Runge's estimate of a row can be believed: it assumes the error
// falls like h^p with the rule's order p, so it is trusted only where the
// observed order is within a quarter of p of it.
enum class RungeTrust {
    Trusted,
    OrderFar, // the observed order differs from the rule's by more than p/4
    NoOrder,  // an error is exactly zero (or the rounding floor hides it)
};
inline constexpr double kRungeOrderTolerance = 0.25; // as a share of p

struct DoublingRow
{
    long n = 0;
    double value = 0; // I(n)
    double error = 0; // I(n) - I, against the proven integral's midpoint and tail
    // Runge's estimate of that same error, (I(n/2) - I(n)) / (2^p - 1), and
    // what it leaves, I(n) - runge (Richardson's value); absent on the first
    // row when n/2 is no count of the rule.
    std::optional<double> runge;
    std::optional<double> richardson;
    // log2(|e(n/2)| / |e(n)|), absent where an error is exactly zero or n/2
    // is no count of the rule.
    std::optional<double> order;
    RungeTrust trust = RungeTrust::NoOrder;
};

// The error curve runs over the rule's counts up to this n.
inline constexpr long kStudyCurveLast = 1000;
// The operations (rules/: nodes times the program's steps) one rule's curve
// may take, about 0.1 s: a long f takes every second, third... count of the
// rule instead of every one (always keeping the doubling table's counts).
inline constexpr long long kStudyCurveWork = 30'000'000;

struct StudyPoint
{
    long n = 0;
    std::optional<double> absError; // |I(n) - I|; absent when exactly zero
    // The rounded-up a-priori bound; absent when M_k is refused or the bound
    // has no double (ruleErrorBoundUp's +inf).
    std::optional<double> bound;
};

// The largest count "n для ε" by the bound is worked out to: every whole
// number up to it is exact in a double, and no one sums a rule at more.
inline constexpr double kStudyBoundCountLimit = 1e15;

// The most counts the search by the bound tries: two walks of 1000 steps
// from its estimate, then about 50 halvings each way.
inline constexpr int kStudyCountTrials = 2 * 1000 + 2 * 64 + 3;

// "n для ε" of one rule, three ways.
struct StudyCounts
{
    // The smallest count of the rule whose rounded-up a-priori bound is <= ε,
    // up to kStudyBoundCountLimit (a whole number held in a double);
    // beyond it, an estimate above the limit (also where the rounded bound
    // has no double at the limit: ruleErrorBoundUp's +inf). Refused where
    // the rule's M_k is, and as the study refuses ε.
    Result<double> byBound = Refusal{Reason::NotProven};
    // How many counts the search by the bound tried: at most
    // kStudyCountTrials, whatever ε is.
    int boundTrials = 0;
    // The first row of the doubling table whose |Runge's estimate| <= ε;
    // absent when none is (more than the last row's n).
    std::optional<long> byRunge;
    // The smallest count on the curve from which |I(n) - I| stays <= ε up
    // to kStudyCurveLast; absent when even the last is above ε.
    std::optional<long> byActualError;
};

struct StudyRule
{
    RuleKind kind = RuleKind::Trapezoid;
    std::vector<DoublingRow> doubling; // kDoublingRows rows
    // Every count of the rule from its least to kStudyCurveLast, or for a
    // long f every stride-th of them and the doubling table's.
    std::vector<StudyPoint> curve;
    StudyCounts counts; // for the study's ε
};

// Romberg's table down to 2^(kStudyRombergRows - 1) subintervals, with
// each entry's error against the proven integral.
inline constexpr int kStudyRombergRows = 11;

struct StudyRomberg
{
    RombergTable table;
    std::vector<std::vector<double>> errors; // same shape as table.rows
};

struct StudyAdaptive
{
    AdaptiveSimpson run;
    double error = 0; // run.value - I
};

struct Study
{
    StudyInput input;
    Enclosure integral; // from a to b, with the orientation
    // M_k for k = studyOrders, each proven or refused with its reason and
    // place (NonFiniteResult at the place reached where the upper end is
    // beyond double: no bound in double can use it). Proven to a relative
    // gap of kStudyMaximumGap where the proof's work limit allows.
    std::array<Result<DerivativeMax>, studyOrders.size()> maxima{
        Refusal{Reason::NotProven}, Refusal{Reason::NotProven}, Refusal{Reason::NotProven},
        Refusal{Reason::NotProven}};
    // As input.methods.composite; a rule whose values or errors leave double
    // (f overflows at a node where the proof holds it finite) is refused,
    // with x the node, in its own place.
    std::vector<Result<StudyRule>> rules;
    std::optional<Result<StudyRomberg>> romberg;   // when chosen
    std::optional<Result<StudyAdaptive>> adaptive; // when chosen
};

// The gap the M_k are proven to: twelve digits, as the study shows them and
// counts n from them.
inline constexpr double kStudyMaximumGap = 0x1p-40;

// The proven M_k of a finished study, by order (1, 2, 4 or 6; any other
// order is refused with CountOutOfRange).
const Result<DerivativeMax> &maximumOfOrder(const Study &study, int order);

// Progress through the stages of a study (0..total) and the way to stop it:
// a cancelled study ends within one stage's work limit, refused with
// Reason::Cancelled.
struct StudyControl
{
    const std::atomic<bool> *cancelled = nullptr;
    std::function<void(int done, int total)> progress;
};

// The whole study. Refused as a whole, with the reason and its place, for a
// or b not finite (NonFiniteResult where b - a is beyond double), a == b
// (EmptyInterval), ε not finite or not > 0, f not defined on the interval,
// an integral that cannot be proven, or a cancellation. Anything less (an
// M_k, a rule's values beyond double, Romberg or adaptive Simpson refused)
// is refused in its own place.
Result<Study> studyIntegral(const StudyInput &input, const StudyControl &control = {});

// "n для ε" of one rule of a finished study for another ε, without studying
// again. An ε that is not finite or not > 0 refuses byBound as the study
// would, and leaves the other two absent.
StudyCounts studyCounts(const Study &study, const StudyRule &rule, double tolerance);

// One rule at the current n, quick enough for every step of a slider
// (n <= ruleTableCountLimit): its value, error against the proven integral,
// the rounded-up bound (refused where M_k is), and bound / |error| (absent
// where the error is zero or the bound refused). Refused as checkRuleCount
// refuses (the rule does not take n), CountOutOfRange above
// ruleTableCountLimit, and where f's values overflow.
struct RuleAtCount
{
    RuleKind kind = RuleKind::Trapezoid;
    long n = 0;
    double value = 0;
    double error = 0;
    Result<double> bound = Refusal{Reason::NotProven};
    std::optional<double> ratio;
};
Result<RuleAtCount> ruleAtCount(const Study &study, RuleKind kind, long n);

} // namespace kvadrolab
