// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "expression/constant.h"
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
// errors are taken against the proven integral; at the exact part's counts
// each rule is also summed on the exact nodes in ball arithmetic, its
// error and the double sum's rounding enclosed (ExactRuleValue).
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
    // The doubles nearest the numbers typed: what the rules sum between and
    // what the study shows.
    double a = 0;
    double b = 0;
    double tolerance = 0; // ε: for "n для ε" and adaptive Simpson
    MethodChoice methods;
    // The numbers typed, exactly (pi/2, 0.1 as 1/10), each with its double
    // above as its value; absent, the double itself is the number. The
    // integral, the M_k and "n для ε" by the bound take these.
    std::optional<ExactNumber> exactA = std::nullopt;
    std::optional<ExactNumber> exactB = std::nullopt;
    std::optional<ExactNumber> exactTolerance = std::nullopt;
};

// The exact number of input A, B or Tolerance of a study: the one typed, or
// the double itself where none was given.
ExactNumber exactInput(const StudyInput &input, Input which);

// The orders of the derivatives the composite rules' bounds use (ruleInfo's
// derivative): M1 for the left and right rules, M2 for the midpoint and
// trapezoid rules, M4 for Simpson's, 3/8 and two-point Gauss, M6 for Boole
// and three-point Gauss.
inline constexpr std::array<int, 4> studyOrders = {1, 2, 4, 6};

// A rule's value at n summed on the exact nodes in ball arithmetic
// (proof/exactrule.h), beside the double sum; every part enclosed.
struct ExactRuleValue
{
    Enclosure value;    // I(n), the rule itself
    Enclosure error;    // e(n) = I(n) - I, the integral's radius included
    Enclosure rounding; // the double sum - I(n): what summing in doubles added
};

// The exact part of a study: every doubling row (and the first row's n / 2),
// and up to kStudyExactCurvePoints log-spaced counts of the error curve
// (exactCurveCounts), each rule within kStudyExactRuleWork steps of the
// program (nodes times its length; the rows first, then the curve from its
// least count up). A count beyond that, or refused by the ball arithmetic,
// has its double alone, its exact part absent with the reason.
inline constexpr int kStudyExactCurvePoints = 48;
inline constexpr long kStudyExactRuleWork = 200'000;

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
    // Where the exact part has both n and n / 2, the order and the trust
    // are taken from their exact errors: absent where either encloses 0.
    std::optional<double> order;
    RungeTrust trust = RungeTrust::NoOrder;
    Result<ExactRuleValue> exact = Refusal{Reason::NotProven}; // absent: not proven
    // The order a student finds without I, from three sums of the rule:
    // log2(|I(n/2) - I(n/4)| / |I(n) - I(n/2)|). Absent where n/4 is no
    // count of the rule, and where a difference is not told from 0 (its
    // enclosure holds 0, or in doubles it lies within the rounding floor).
    std::optional<double> orderWithoutI;
    // Whether order and orderWithoutI were taken from the exact part, every
    // sum they read enclosed; false where they are the double sums'.
    bool orderExact = false;
    bool orderWithoutIExact = false;
    // Runge's estimate from the exact sums at n and n / 2, enclosed: what
    // is left of it without the double sums' rounding. Absent where either
    // sum has no exact part.
    std::optional<Enclosure> exactRunge;
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
    // At the exact part's counts of the curve; absent elsewhere.
    Result<ExactRuleValue> exact = Refusal{Reason::NotProven};
};

// The counts of the error curve the exact part sums: up to
// kStudyExactCurvePoints counts of the rule, log-spaced from its least to
// its largest up to kStudyCurveLast, in increasing order.
std::vector<long> exactCurveCounts(RuleKind kind);

// The largest count "n для ε" by the bound is worked out to: every whole
// number up to it is exact in a double, and no one sums a rule at more.
inline constexpr double kStudyBoundCountLimit = 1e15;

// The most exact counts by the bound one "n для ε" works out: one from the
// upper M_k, one from the lower (proof/exactbound.h's
// smallestCountForBound, a fixed number of operations each).
inline constexpr int kStudyCountTrials = 2;

// Runge's estimate at a count n of the curve from the pair (n/2; n),
// (I(n/2) - I(n)) / (2^p - 1) of the double sums, with the trust of the
// observed order between them (as the doubling rows').
struct RungePair
{
    long n = 0;
    double estimate = 0;
    RungeTrust trust = RungeTrust::NoOrder;
};

// "n для ε" of one rule, three ways.
struct StudyCounts
{
    // The smallest count of the rule whose a-priori bound
    // |b - a|^(k+1) M_k / (C n^k), computed exactly from the exact a, b and
    // ε typed (0.1 is 1/10) and the proven upper M_k, is <= ε (a tie meets
    // it), up to kStudyBoundCountLimit (a whole number held in a double);
    // beyond it, a count above the limit. Refused where the rule's M_k is,
    // and as the study refuses ε.
    Result<double> byBound = Refusal{Reason::NotProven};
    // The count the proven lower M_k gives, where it is smaller than
    // byBound: M_k is proven only between the two, and the count of the
    // true M_k lies between this and byBound.
    std::optional<double> byBoundFromLower;
    // How many exact counts the bound took: at most kStudyCountTrials.
    int boundTrials = 0;
    // The smallest n of the rule's Runge pairs (StudyRule::runge) whose
    // |estimate| <= ε, with the trust of that pair; absent when none is
    // (more than rungeLast, the largest n the pairs reach).
    std::optional<long> byRunge;
    RungeTrust rungeTrust = RungeTrust::NoOrder;
    long rungeLast = 0;
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
    // f^(p-1) takes the same value at a and b (p the rule's order), their
    // balls' difference holding 0 to a radius far below either: the leading
    // term of the rule's error, c h^p (f^(p-1)(b) - f^(p-1)(a)) by Euler and
    // Maclaurin, is 0, so the error falls faster than h^p. False where f's
    // series at an end cannot be taken.
    bool endsCancelLeadingTerm = false;
    // Runge's pairs for "n для ε": every n of the curve whose n / 2 is a
    // count of the rule no less than the doubling table's first n, with
    // n / 2 on the curve too, in increasing n up to kStudyCurveLast. From the
    // double sums the curve has already summed: the exact sums at every
    // count would take hundreds of them per rule.
    std::vector<RungePair> runge;
};

// Romberg's table down to 2^(kStudyRombergRows - 1) subintervals, with
// each entry's error against the proven integral.
inline constexpr int kStudyRombergRows = 11;

struct StudyRomberg
{
    RombergTable table;
    std::vector<std::vector<double>> errors; // same shape as table.rows
};

// Romberg's rows for ε: the first row k >= 1 whose last value moved from
// the row above's by at most ε, |R(k, k) - R(k - 1, k - 1)| <= ε (the
// estimate the method stops by); and the first row from which the actual
// |R(k, k) - I| stays <= ε to the last row. Absent where no row is.
std::optional<int> rombergRowByEstimate(const StudyRomberg &romberg, double tolerance);
std::optional<int> rombergRowByError(const StudyRomberg &romberg, double tolerance);

struct StudyAdaptive
{
    AdaptiveSimpson run;
    double error = 0; // run.value - I
};

struct Study
{
    // As asked, except that input.program.limits holds the limits below, so
    // that a node at such a point sums the limit.
    StudyInput input;
    Enclosure integral; // from a to b, with the orientation
    // The removable 0/0 points of the interval (sin(x)/x at 0), in
    // increasing x, each with its proven limit (the enclosure's midpoint):
    // the integral, the M_k and the rules take f there as that limit.
    std::vector<PointLimit> limits;
    // M_k for k = studyOrders, each proven or refused with its reason and
    // place (NonFiniteResult at the place reached where the upper end is
    // beyond double: no bound in double can use it). Proven to a relative
    // gap of kStudyMaximumGap where the proof's work limit allows, and as
    // one exact number where settleDerivativeMax settles it (1/x's M1 = 1
    // at x = 1).
    std::array<Result<DerivativeMax>, studyOrders.size()> maxima{
        Refusal{Reason::NotProven}, Refusal{Reason::NotProven}, Refusal{Reason::NotProven},
        Refusal{Reason::NotProven}};
    // The same M_k as the proof gave them: where maxima refuses one whose
    // upper end is beyond double, it stays here with upper = +inf, its proven
    // lower end and its place (for a reader that prints those).
    std::array<Result<DerivativeMax>, studyOrders.size()> provenMaxima{
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
// would, and leaves the other two absent. The rounded-up bound is compared
// with the exact ε: the study's exact ε where `tolerance` is its double.
StudyCounts studyCounts(const Study &study, const StudyRule &rule, double tolerance);

// One rule at any n the rules take (up to ruleCountLimit): its value, its
// error against the proven integral (the midpoint and the tail its rounding
// dropped), +-inf where that lies past every double, and the rounded-up
// bound from the study's upper M_k, +inf where the bound lies past every
// double and refused where that M_k is. Refused as checkRuleCount refuses
// and as applyRule refuses (f's values overflow at a node). Beside it the
// rule on exact nodes, refused with WorkLimit above exactRuleWorkLimit.
struct RuleAtAnyCount
{
    RuleKind kind = RuleKind::Trapezoid;
    long n = 0;
    double value = 0;
    double error = 0;
    Result<double> bound = Refusal{Reason::NotProven};
    Result<ExactRuleValue> exact = Refusal{Reason::NotProven};
};
Result<RuleAtAnyCount> ruleAtAnyCount(const Study &study, RuleKind kind, long n);

// Every rule of allRules at n, as ruleAtAnyCount gives each, the nodes they
// share valued once (applyEveryRule).
std::array<Result<RuleAtAnyCount>, allRules.size()> everyRuleAtAnyCount(const Study &study, long n);

// One rule at the current n, quick enough for every step of a slider
// (n <= ruleTableCountLimit): its value, error against the proven integral,
// the rounded-up bound (refused where M_k is), and bound / |error| (absent
// where the error is zero or the bound refused), with the exact error where
// there is one (absent where it encloses 0); and the exact part at n, refused
// with WorkLimit above exactRuleWorkLimit. Refused as checkRuleCount
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
    Result<ExactRuleValue> exact = Refusal{Reason::NotProven};
};
Result<RuleAtCount> ruleAtCount(const Study &study, RuleKind kind, long n);

} // namespace kvadrolab
