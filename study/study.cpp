// SPDX-License-Identifier: GPL-3.0-or-later
#include "study/study.h"

#include "base/sidebyside.h"
#include "expression/evaluator.h"
#include "proof/caches.h"
#include "proof/exactbound.h"
#include "proof/removable.h"
#include "study/exactpart.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <utility>
#include <vector>

namespace kvadrolab {

namespace {

// Every doubling row's n and n / 2 lie on the curve, so the table reads its
// values from there instead of summing the rule again.
static_assert((kDoublingFirstAtLeast + 3) << (kDoublingRows - 1) <= kStudyCurveLast);

// An error within this share of |b - a| max|f| (about 64 ulps) is mostly
// what summing in doubles leaves over up to n = 1000, where the rounding of
// a sum is typically some tens of ulps: its fall from one row to the next
// says little about the rule's order.
constexpr double kRoundingFloor = 0x1p-46;
// The points max|f| is sampled at for that floor.
constexpr int kScaleSamples = 1001;

bool stopped(const StudyControl &control)
{
    return control.cancelled && control.cancelled->load(std::memory_order_relaxed);
}

// The signed error I(n) - I against the proven midpoint and the tail that
// rounding it to a double dropped, in long double: I(n) is exact as a
// double, so the error keeps its digits down to the rounding floor.
double errorOf(double value, const Enclosure &integral)
{
    return static_cast<double>(static_cast<long double>(value) -
                               static_cast<long double>(integral.mid) -
                               static_cast<long double>(integral.midTail));
}

// The rule's rounded-up bound at n from the study's proven M_k.
Result<double> boundAt(const Study &study, RuleKind kind, double n)
{
    const Result<DerivativeMax> &m = maximumOfOrder(study, ruleInfo(kind).derivative);
    if (!m)
        return m.refusal();
    const double bound = ruleErrorBoundUp(kind, study.input.a, study.input.b, n, m->upper);
    if (!std::isfinite(bound))
        return Refusal{Reason::NonFiniteResult};
    return bound;
}

// "n для ε" by the bound, exactly (proof/exactbound.h): from the proven
// upper M_k, and from the lower one where M_k is proven only between them
// and that count is smaller. A count past every double is past the limit.
Result<double> countByBound(const Study &study, RuleKind kind, double tolerance, int &trials,
                            std::optional<double> &fromLower)
{
    const Result<DerivativeMax> &m = maximumOfOrder(study, ruleInfo(kind).derivative);
    if (!m)
        return m.refusal();
    const RuleInfo &info = ruleInfo(kind);
    // The exact ε typed: 0.1 is 1/10, not the double next to it, which
    // lies above it.
    const ExactNumber eps = tolerance == study.input.tolerance
                                ? exactInput(study.input, Input::Tolerance)
                                : ExactNumber::fromDouble(tolerance);
    const ExactNumber a = exactInput(study.input, Input::A);
    const ExactNumber b = exactInput(study.input, Input::B);
    const auto count = [&](double maximum) {
        ++trials;
        return smallestCountForBound(a, b, info.derivative, maximum, info.boundDivisor,
                                     info.countMultiple, eps);
    };
    const std::optional<double> n = count(m->upper);
    if (!n)
        return kStudyBoundCountLimit + info.countMultiple;
    if (m->lower < m->upper)
        if (const std::optional<double> least = count(m->lower); least && *least < *n)
            fromLower = *least;
    return *n;
}

// The counts of a rule up to the curve's last: its multiples.
long firstCount(RuleKind kind, long atLeast)
{
    const long m = ruleInfo(kind).countMultiple;
    return (atLeast + m - 1) / m * m;
}

bool finite(const std::optional<double> &v)
{
    return !v || std::isfinite(*v);
}

// |b - a| max|f| over evenly spaced points: the size the rounding of a
// rule's sum is measured against.
double roundingScale(const Program &program, double a, double b)
{
    std::vector<double> x(kScaleSamples), y(kScaleSamples);
    for (int i = 0; i < kScaleSamples; ++i)
        x[static_cast<std::size_t>(i)] = a + (b - a) * (i / double(kScaleSamples - 1));
    evaluate(program, x.data(), y.data(), y.size());
    double largest = 0;
    for (const double v : y)
        if (std::isfinite(v))
            largest = std::max(largest, std::fabs(v));
    return std::fabs(b - a) * largest;
}

RungeTrust trustOf(const DoublingRow &row, double halfError, int order, double floor)
{
    if (!row.order || std::fabs(row.error) <= floor || std::fabs(halfError) <= floor)
        return RungeTrust::NoOrder;
    return std::fabs(*row.order - order) <= kRungeOrderTolerance * order ? RungeTrust::Trusted
                                                                         : RungeTrust::OrderFar;
}

// The counts the curve of a rule takes: every one up to kStudyCurveLast,
// or where that would take more than kStudyCurveWork, every stride-th, the
// stride the least that fits, with the doubling table's n and n / 2 kept.
std::vector<long> curveCounts(RuleKind kind, const Program &program)
{
    const long m = ruleInfo(kind).countMultiple;
    std::vector<bool> doubling(static_cast<std::size_t>(kStudyCurveLast + 1), false);
    long n = firstCount(kind, kDoublingFirstAtLeast);
    for (int r = 0; r < kDoublingRows; ++r, n *= 2) {
        doubling[static_cast<std::size_t>(n)] = true;
        if (n % 2 == 0 && (n / 2) % m == 0)
            doubling[static_cast<std::size_t>(n / 2)] = true;
    }
    std::vector<long> counts;
    for (long stride = 1;; ++stride) {
        counts.clear();
        long long work = 0;
        for (long k = 1; k * m <= kStudyCurveLast; ++k) {
            const long c = k * m;
            if (k % stride == 0 || doubling[static_cast<std::size_t>(c)]) {
                counts.push_back(c);
                work += ruleWork(kind, program, c);
            }
        }
        if (work <= kStudyCurveWork || stride > kStudyCurveLast)
            return counts;
    }
}

// Whether Runge's estimate from (n/2; n) can be believed, as trustOf
// decides it for a doubling row.
RungeTrust pairTrust(double error, double halfError, int order, double floor)
{
    if (error == 0 || halfError == 0 || std::fabs(error) <= floor || std::fabs(halfError) <= floor)
        return RungeTrust::NoOrder;
    const double observed = std::log2(std::fabs(halfError)) - std::log2(std::fabs(error));
    return std::fabs(observed - order) <= kRungeOrderTolerance * order ? RungeTrust::Trusted
                                                                       : RungeTrust::OrderFar;
}

// Runge's pairs (n/2; n) of the curve's counts, n / 2 from the doubling
// table's first n on: at most kStudyCurveLast / 2 of them, each from two
// sums the curve has made.
std::vector<RungePair> rungePairs(RuleKind kind, const std::vector<long> &counts,
                                  const std::vector<double> &values,
                                  const std::vector<double> &errors, double floor)
{
    const RuleInfo &info = ruleInfo(kind);
    const double divisor = std::ldexp(1.0, info.order) - 1;
    const long first = firstCount(kind, kDoublingFirstAtLeast);
    std::vector<bool> summed(values.size(), false);
    for (const long n : counts)
        summed[static_cast<std::size_t>(n)] = true;
    std::vector<RungePair> pairs;
    for (const long n : counts) {
        const long half = n / 2;
        if (n % 2 != 0 || half < first || half % info.countMultiple != 0 ||
            !summed[static_cast<std::size_t>(half)])
            continue;
        const auto i = static_cast<std::size_t>(n), j = static_cast<std::size_t>(half);
        const double estimate = (values[j] - values[i]) / divisor;
        if (!std::isfinite(estimate))
            continue;
        pairs.push_back({n, estimate, pairTrust(errors[i], errors[j], info.order, floor)});
    }
    return pairs;
}

// One composite rule: every count on the curve, summed once; the doubling
// table reads its rows from them. Cancelled between any two sums.
Result<StudyRule> studyRule(const Study &study, RuleKind kind, double floor,
                            const StudyControl &control)
{
    const RuleInfo &info = ruleInfo(kind);
    const StudyInput &in = study.input;
    const auto size = static_cast<std::size_t>(kStudyCurveLast + 1);
    std::vector<double> values(size), errors(size);
    std::vector<bool> summed(size, false);
    StudyRule rule;
    rule.kind = kind;
    const std::vector<long> counts = curveCounts(kind, in.program);
    for (const long n : counts) {
        if (stopped(control))
            return Refusal{Reason::Cancelled};
        const Result<double> value = applyRule(kind, in.program, in.a, in.b, n);
        if (!value)
            return value.refusal();
        const double error = errorOf(*value, study.integral);
        if (!std::isfinite(error))
            return Refusal{Reason::NonFiniteResult};
        values[static_cast<std::size_t>(n)] = *value;
        errors[static_cast<std::size_t>(n)] = error;
        summed[static_cast<std::size_t>(n)] = true;
        StudyPoint point;
        point.n = n;
        if (error != 0)
            point.absError = std::fabs(error);
        if (const Result<double> bound = boundAt(study, kind, static_cast<double>(n)))
            point.bound = *bound;
        rule.curve.push_back(point);
    }

    const double divisor = std::ldexp(1.0, info.order) - 1;
    long n = firstCount(kind, kDoublingFirstAtLeast);
    for (int r = 0; r < kDoublingRows; ++r, n *= 2) {
        DoublingRow row;
        row.n = n;
        row.value = values[static_cast<std::size_t>(n)];
        row.error = errors[static_cast<std::size_t>(n)];
        const long half = n / 2;
        double halfError = 0;
        if (n % 2 == 0 && half % info.countMultiple == 0) {
            const double halfValue = values[static_cast<std::size_t>(half)];
            halfError = errors[static_cast<std::size_t>(half)];
            row.runge = (halfValue - row.value) / divisor;
            row.richardson = row.value - *row.runge;
            // A difference of logarithms: the ratio itself can overflow.
            if (halfError != 0 && row.error != 0)
                row.order = std::log2(std::fabs(halfError)) - std::log2(std::fabs(row.error));
        }
        if (!finite(row.runge) || !finite(row.richardson))
            return Refusal{Reason::NonFiniteResult};
        row.trust = trustOf(row, halfError, info.order, floor);
        // The order without I: n / 4 of the later rows is an earlier row's
        // n, and only the first row of 3/8 (n = 12, n / 4 = 3) may need a
        // sum the curve has skipped.
        const long quarter = n / 4;
        if (row.runge && n % 4 == 0 && quarter % info.countMultiple == 0) {
            Result<double> quarterValue = values[static_cast<std::size_t>(quarter)];
            if (!summed[static_cast<std::size_t>(quarter)])
                quarterValue = applyRule(kind, in.program, in.a, in.b, quarter);
            const double halfValue = values[static_cast<std::size_t>(half)];
            // A difference within the rounding floor may be all rounding.
            if (quarterValue) {
                const double last = row.value - halfValue;
                const double before = halfValue - *quarterValue;
                if (std::fabs(last) > floor && std::fabs(before) > floor)
                    row.orderWithoutI = std::log2(std::fabs(before)) - std::log2(std::fabs(last));
            }
        }
        rule.doubling.push_back(row);
    }
    rule.runge = rungePairs(kind, counts, values, errors, floor);
    rule.counts = studyCounts(study, rule, in.tolerance);
    return rule;
}

Result<StudyRomberg> studyRomberg(const Study &study)
{
    const StudyInput &in = study.input;
    Result<RombergTable> table = romberg(in.program, in.a, in.b, kStudyRombergRows);
    if (!table)
        return table.refusal();
    StudyRomberg r;
    r.table = std::move(table).value();
    for (const std::vector<double> &row : r.table.rows) {
        std::vector<double> errors;
        for (const double v : row) {
            const double e = errorOf(v, study.integral);
            if (!std::isfinite(e))
                return Refusal{Reason::NonFiniteResult};
            errors.push_back(e);
        }
        r.errors.push_back(std::move(errors));
    }
    return r;
}

Result<StudyAdaptive> studyAdaptive(const Study &study)
{
    const StudyInput &in = study.input;
    // Its pieces are halved between ordered ends; the reversed integral is
    // the forward one negated, as with the proven integral.
    const bool reversed = in.b < in.a;
    Result<AdaptiveSimpson> run =
        adaptiveSimpson(in.program, std::min(in.a, in.b), std::max(in.a, in.b), in.tolerance);
    if (!run)
        return run.refusal();
    StudyAdaptive w;
    w.run = *run;
    if (reversed)
        w.run.value = -w.run.value;
    w.error = errorOf(w.run.value, study.integral);
    if (!std::isfinite(w.error))
        return Refusal{Reason::NonFiniteResult};
    return w;
}

} // namespace

const Result<DerivativeMax> &maximumOfOrder(const Study &study, int order)
{
    for (std::size_t i = 0; i < studyOrders.size(); ++i)
        if (studyOrders[i] == order)
            return study.maxima[i];
    static const Result<DerivativeMax> none = Refusal{Reason::CountOutOfRange};
    return none;
}

std::optional<int> rombergRowByEstimate(const StudyRomberg &romberg, double tolerance)
{
    const auto &rows = romberg.table.rows;
    for (std::size_t k = 1; k < rows.size(); ++k)
        if (std::fabs(rows[k].back() - rows[k - 1].back()) <= tolerance)
            return static_cast<int>(k);
    return std::nullopt;
}

std::optional<int> rombergRowByError(const StudyRomberg &romberg, double tolerance)
{
    std::optional<int> row;
    for (std::size_t k = romberg.errors.size(); k-- > 0;) {
        if (!(std::fabs(romberg.errors[k].back()) <= tolerance))
            break;
        row = static_cast<int>(k);
    }
    return row;
}

ExactNumber exactInput(const StudyInput &input, Input which)
{
    const std::optional<ExactNumber> &typed = which == Input::A   ? input.exactA
                                              : which == Input::B ? input.exactB
                                                                  : input.exactTolerance;
    const double value = which == Input::A   ? input.a
                         : which == Input::B ? input.b
                                             : input.tolerance;
    return typed ? *typed : ExactNumber::fromDouble(value);
}

Result<Study> studyIntegral(const StudyInput &input, const StudyControl &control)
{
    if (stopped(control))
        return Refusal{Reason::Cancelled};
    if (const Result<double> length = checkRuleInterval(input.a, input.b); !length)
        return length.refusal();
    if (input.a == input.b)
        return Refusal{Reason::EmptyInterval, Input::B};
    if (!std::isfinite(input.tolerance))
        return Refusal{Reason::NonFiniteInput, Input::Tolerance};
    if (!(input.tolerance > 0))
        return Refusal{Reason::ToleranceNotPositive, Input::Tolerance};

    const MethodChoice &methods = input.methods;
    // The exact part of each rule comes last, a stage of its own: the
    // double results are all there before it.
    const int total = 1 + static_cast<int>(studyOrders.size()) +
                      2 * static_cast<int>(methods.composite.size()) + (methods.romberg ? 1 : 0) +
                      (methods.adaptive ? 1 : 0);
    int done = 0;
    // One stage ended: reported, then the last chance to stop before the next.
    const auto stage = [&] {
        ++done;
        if (control.progress)
            control.progress(done, total);
        return !stopped(control);
    };

    Study study;
    study.input = input;
    Result<Enclosure> integral =
        certifiedIntegral(input.program, exactInput(input, Input::A), exactInput(input, Input::B));
    if (!integral)
        return integral.refusal();
    study.integral = *integral;
    // The integral has passed the same domain proof: it cannot refuse here.
    if (const auto points = proveDefinedWithLimits(input.program, exactInput(input, Input::A),
                                                   exactInput(input, Input::B))) {
        for (const RemovablePoint &p : *points)
            if (p.substitution == 0) // an improper point has no limit
                study.limits.push_back({p.x, p.limit.mid});
        study.input.program.limits = study.limits;
    }
    if (!stage())
        return Refusal{Reason::Cancelled};

    // The maxima are four proofs that share nothing: side by side, so that
    // on two cores a hard f's four take the time of two. Each result is
    // taken, and its stage reported, in order, once all have ended: a proof
    // cannot be stopped midway.
    std::array<Result<DerivativeMax>, studyOrders.size()> proofs{
        Refusal{Reason::NotProven}, Refusal{Reason::NotProven}, Refusal{Reason::NotProven},
        Refusal{Reason::NotProven}};
    const ExactNumber a = exactInput(input, Input::A), b = exactInput(input, Input::B);
    std::vector<std::function<void()>> tasks;
    for (std::size_t i = 0; i < studyOrders.size(); ++i)
        tasks.push_back([&input, &a, &b, &m = proofs[i], k = studyOrders[i]] {
            m = proveDerivativeMax(input.program, a, b, k, kStudyMaximumGap);
            // Where the maximum sits at a point f^(k) is exactly known at (1/x
            // at 1), M_k is that number itself, and a count by the bound that
            // ties with ε is the one a hand computation finds.
            if (m)
                m = settleDerivativeMax(input.program, a, b, *m);
            releaseProofCaches();
        });
    runSideBySide(tasks);
    for (std::size_t i = 0; i < studyOrders.size(); ++i) {
        Result<DerivativeMax> m = std::move(proofs[i]);
        study.provenMaxima[i] = m;
        // A bound beyond double holds, but no bound in double can use it.
        if (m && !std::isfinite(m->upper))
            m = Refusal{Reason::NonFiniteResult, {}, {}, m->at};
        study.maxima[i] = std::move(m);
        if (!stage())
            return Refusal{Reason::Cancelled};
    }

    const double floor = kRoundingFloor * roundingScale(input.program, input.a, input.b);
    for (const RuleKind kind : methods.composite) {
        Result<StudyRule> rule = studyRule(study, kind, floor, control);
        if (!rule && rule.reason() == Reason::Cancelled)
            return rule.refusal();
        study.rules.push_back(std::move(rule));
        if (!stage())
            return Refusal{Reason::Cancelled};
    }
    if (methods.romberg) {
        study.romberg = studyRomberg(study);
        if (!stage())
            return Refusal{Reason::Cancelled};
    }
    if (methods.adaptive) {
        study.adaptive = studyAdaptive(study);
        if (!stage())
            return Refusal{Reason::Cancelled};
    }
    for (Result<StudyRule> &rule : study.rules) {
        if (rule) {
            StudyRule exact = *rule;
            if (!addExactPart(study, exact, control))
                return Refusal{Reason::Cancelled};
            rule = std::move(exact);
        }
        if (!stage())
            return Refusal{Reason::Cancelled};
    }
    return study;
}

StudyCounts studyCounts(const Study &study, const StudyRule &rule, double tolerance)
{
    StudyCounts c;
    if (!std::isfinite(tolerance)) {
        c.byBound = Refusal{Reason::NonFiniteInput, Input::Tolerance};
        return c;
    }
    if (!(tolerance > 0)) {
        c.byBound = Refusal{Reason::ToleranceNotPositive, Input::Tolerance};
        return c;
    }
    c.byBound = countByBound(study, rule.kind, tolerance, c.boundTrials, c.byBoundFromLower);
    // Runge's estimate need not fall as n grows (the trapezoid rule's error
    // changes sign): every pair is looked at, in increasing n.
    for (const RungePair &p : rule.runge)
        if (std::fabs(p.estimate) <= tolerance) {
            c.byRunge = p.n;
            c.rungeTrust = p.trust;
            break;
        }
    c.rungeLast = rule.runge.empty() ? 0 : rule.runge.back().n;
    // Down from the curve's last count while the error stays within ε.
    for (auto it = rule.curve.rbegin(); it != rule.curve.rend(); ++it) {
        if (it->absError.value_or(0.0) > tolerance)
            break;
        c.byActualError = it->n;
    }
    return c;
}

namespace {

Result<RuleAtAnyCount> ruleAtValue(const Study &study, RuleKind kind, long n,
                                   const Result<double> &value)
{
    const StudyInput &in = study.input;
    if (!value)
        return value.refusal();
    RuleAtAnyCount r;
    r.kind = kind;
    r.n = n;
    r.value = *value;
    r.error = errorOf(*value, study.integral);
    const Result<DerivativeMax> &m = maximumOfOrder(study, ruleInfo(kind).derivative);
    // The study holds every M_k it keeps within the doubles, so a bound
    // past them is the formula's own size, not an M_k's.
    if (m)
        r.bound = ruleErrorBoundUp(kind, in.a, in.b, static_cast<double>(n), m->upper);
    else
        r.bound = m.refusal();
    r.exact = exactRuleValue(study, kind, n, r.value);
    return r;
}

} // namespace

Result<RuleAtAnyCount> ruleAtAnyCount(const Study &study, RuleKind kind, long n)
{
    const StudyInput &in = study.input;
    return ruleAtValue(study, kind, n, applyRule(kind, in.program, in.a, in.b, n));
}

std::array<Result<RuleAtAnyCount>, allRules.size()> everyRuleAtAnyCount(const Study &study, long n)
{
    const StudyInput &in = study.input;
    const auto values = applyEveryRule(in.program, in.a, in.b, n);
    std::array<Result<RuleAtAnyCount>, allRules.size()> rules{
        Refusal{Reason::NotProven}, Refusal{Reason::NotProven}, Refusal{Reason::NotProven},
        Refusal{Reason::NotProven}, Refusal{Reason::NotProven}, Refusal{Reason::NotProven},
        Refusal{Reason::NotProven}, Refusal{Reason::NotProven}, Refusal{Reason::NotProven}};
    for (std::size_t i = 0; i < allRules.size(); ++i)
        rules[i] = ruleAtValue(study, allRules[i], n, values[i]);
    return rules;
}

Result<RuleAtCount> ruleAtCount(const Study &study, RuleKind kind, long n)
{
    if (const Result<long> count = checkRuleCount(kind, n); !count)
        return count.refusal();
    if (n > ruleTableCountLimit)
        return Refusal{Reason::CountOutOfRange, Input::Count};
    const Result<RuleAtAnyCount> at = ruleAtAnyCount(study, kind, n);
    if (!at)
        return at.refusal();
    if (!std::isfinite(at->error))
        return Refusal{Reason::NonFiniteResult};
    RuleAtCount r;
    r.kind = kind;
    r.n = n;
    r.value = at->value;
    r.error = at->error;
    r.bound = at->bound;
    // The window's bound is a double it can show.
    if (r.bound && !std::isfinite(*r.bound))
        r.bound = Refusal{Reason::NonFiniteResult};
    r.exact = at->exact;
    // The exact error where there is one: the double's may be all rounding.
    const std::optional<double> error =
        r.exact ? (r.exact->error.lower > 0 || r.exact->error.upper < 0
                       ? std::optional<double>(r.exact->error.mid)
                       : std::nullopt)
                : (r.error != 0 ? std::optional<double>(r.error) : std::nullopt);
    if (r.bound && error) {
        const double ratio = *r.bound / std::fabs(*error);
        if (std::isfinite(ratio))
            r.ratio = ratio;
    }
    return r;
}

} // namespace kvadrolab
