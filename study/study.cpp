// SPDX-License-Identifier: GPL-3.0-or-later
#include "study/study.h"

#include "expression/evaluator.h"
#include "proof/caches.h"
#include "proof/exactbound.h"
#include "proof/removable.h"
#include "study/exactpart.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <future>
#include <limits>
#include <utility>

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
// The walks of the count search from its estimate take a step or two when
// the logarithms are a few ulps off; far more means the bound's rounding has
// parted from the formula, and bisection finishes in about 50 evaluations.
constexpr int kWalkSteps = 1000;
static_assert(kStudyCountTrials >= 2 * kWalkSteps + 2 * 64 + 3);

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

// The smallest multiple of `step` for which `fits` holds, where fits holds
// from some count on (a bound that falls as n grows), searched up to the
// largest multiple of step within kStudyBoundCountLimit; beyond that,
// the larger of the limit and `estimate` (where the formula puts it).
// At most about 2 kWalkSteps + 100 calls of fits.
template <typename Fits> double smallestCount(Fits fits, double step, long double estimate)
{
    if (fits(step))
        return step;
    // Counts in units of step: every whole number up to the limit is a
    // double, so k +- 1 always moves.
    const double top = std::floor(kStudyBoundCountLimit / step);
    const auto at = [&](double k) { return fits(k * step); };
    // The bound's own word decides whether the count lies beyond; the
    // estimate can be a few ulps off either way.
    if (!at(top)) {
        // A long double past the doubles has no double to round to.
        const double beyond = kStudyBoundCountLimit + step;
        return estimate < std::numeric_limits<double>::max()
                   ? std::max(beyond, static_cast<double>(estimate))
                   : beyond;
    }
    // !at(lo), at(hi): about 50 halvings at most.
    const auto bisect = [&](double lo, double hi) {
        while (hi - lo > 1) {
            const double mid = lo + std::floor((hi - lo) / 2);
            (at(mid) ? hi : lo) = mid;
        }
        return hi * step;
    };
    const long double guess = estimate / step;
    if (!(guess >= 1 && guess <= top)) // NaN, or the estimate is off the range
        return bisect(1, top);
    double k = std::ceil(static_cast<double>(guess));
    int walked = 0;
    while (k - 1 >= 1 && at(k - 1)) {
        k -= 1;
        if (++walked == kWalkSteps)
            return bisect(1, k);
    }
    walked = 0;
    while (!at(k)) {
        if (++walked == kWalkSteps)
            return bisect(k, top);
        k += 1;
    }
    return k * step;
}

// "n для ε" by the bound: the bound falls as 1 / n^k, so the count is about
// (|b - a|^(k+1) M / (C ε))^(1/k), solved in logarithms (the power alone
// can overflow); the rounded-up bound itself then decides.
Result<double> countByBound(const Study &study, RuleKind kind, double tolerance, int &trials)
{
    const Result<DerivativeMax> &m = maximumOfOrder(study, ruleInfo(kind).derivative);
    if (!m)
        return m.refusal();
    const RuleInfo &info = ruleInfo(kind);
    const long double k = info.derivative;
    const long double length = std::fabs(static_cast<long double>(study.input.b) - study.input.a);
    const long double logC = (k + 1) * std::log(length) +
                             std::log(static_cast<long double>(m->upper)) -
                             std::log(static_cast<long double>(info.boundDivisor));
    const long double estimate =
        std::exp((logC - std::log(static_cast<long double>(tolerance))) / k);
    // The rounded-up bound against the exact ε typed: 0.1 is 1/10, not the
    // double next to it, which lies above it.
    const ExactNumber eps = tolerance == study.input.tolerance
                                ? exactInput(study.input, Input::Tolerance)
                                : ExactNumber::fromDouble(tolerance);
    const auto fits = [&](double n) {
        ++trials;
        return atMostExact(ruleErrorBoundUp(kind, study.input.a, study.input.b, n, m->upper), eps);
    };
    return smallestCount(fits, info.countMultiple, estimate);
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

    // The maxima are four proofs that share nothing: each on a thread of its
    // own, so that on two cores a hard f's four take the time of two. Each
    // result is taken, and its stage reported, in order. A proof cannot be
    // stopped midway, so a cancel waits for the rest (a future of std::async
    // waits as it goes).
    std::array<std::future<Result<DerivativeMax>>, studyOrders.size()> proofs;
    const ExactNumber a = exactInput(input, Input::A), b = exactInput(input, Input::B);
    for (std::size_t i = 0; i < studyOrders.size(); ++i)
        proofs[i] = std::async(std::launch::async, [&input, a, b, k = studyOrders[i]] {
            Result<DerivativeMax> m = proveDerivativeMax(input.program, a, b, k, kStudyMaximumGap);
            releaseProofCaches();
            return m;
        });
    for (std::size_t i = 0; i < studyOrders.size(); ++i) {
        Result<DerivativeMax> m = proofs[i].get();
        study.provenMaxima[i] = m;
        // A bound beyond double holds, but no bound in double can use it.
        if (m && !std::isfinite(m->upper))
            m = Refusal{Reason::NonFiniteResult, {}, {}, m->at};
        study.maxima[i] = std::move(m);
        if (!stage())
            return Refusal{Reason::Cancelled}; // the futures wait for the rest
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
    c.byBound = countByBound(study, rule.kind, tolerance, c.boundTrials);
    for (const DoublingRow &row : rule.doubling)
        if (row.runge && std::fabs(*row.runge) <= tolerance) {
            c.byRunge = row.n;
            break;
        }
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
