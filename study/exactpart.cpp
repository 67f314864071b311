// SPDX-License-Identifier: GPL-3.0-or-later
#include "study/exactpart.h"

#include "proof/balls.h"
#include "proof/exactends.h"
#include "proof/exactrule.h"
#include "proof/taylor.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace kvadrolab {

namespace {

// The ends the exact rule sums between: the numbers typed (0.1 as 1/10),
// which the study has already proven the integral between, so each has its
// ball.
void exactEnds(const StudyInput &in, Ball &a, Ball &b)
{
    exactBall(a.get(), exactInput(in, Input::A), proofPrecision);
    exactBall(b.get(), exactInput(in, Input::B), proofPrecision);
}

bool excludesZero(const Enclosure &e)
{
    return e.lower > 0 || e.upper < 0;
}

RungeTrust trustOfOrder(const std::optional<double> &order, int p)
{
    if (!order)
        return RungeTrust::NoOrder;
    return std::fabs(*order - p) <= kRungeOrderTolerance * p ? RungeTrust::Trusted
                                                             : RungeTrust::OrderFar;
}

// The exact rule at counts handed in order, each summed once, the rule's
// work counted against kStudyExactRuleWork: a count past what is left is
// refused with WorkLimit, and smaller ones after it may still fit.
// A node on a removable point takes f's limit there, as the double sum
// does: the points, proven again only for such an f.
std::vector<RemovablePoint> limitPoints(const Study &study)
{
    if (study.limits.empty())
        return {};
    auto found = proveDefinedWithLimits(study.input.program, exactInput(study.input, Input::A),
                                        exactInput(study.input, Input::B));
    return found ? std::move(found).value() : std::vector<RemovablePoint>{};
}

class ExactSums
{
public:
    ExactSums(const Study &study, RuleKind kind)
        : m_study(study), m_kind(kind), m_points(limitPoints(study))
    {
    }

    Result<ExactRuleValue> at(long n, double doubleSum)
    {
        auto found = m_done.find(n);
        if (found == m_done.end()) {
            const long work = exactRuleWork(m_kind, m_study.input.program, n);
            if (work > m_left) {
                found = m_done.emplace(n, Refusal{Reason::WorkLimit, Input::Count}).first;
            } else {
                m_left -= work;
                found = m_done.emplace(n, exactRuleValue(m_study, m_kind, n, doubleSum, m_points))
                            .first;
            }
        }
        return found->second;
    }

private:
    const Study &m_study;
    RuleKind m_kind;
    std::vector<RemovablePoint> m_points;
    long m_left = kStudyExactRuleWork;
    std::map<long, Result<ExactRuleValue>> m_done;
};

// (I(n/2) - I(n)) / (2^p - 1) from the exact sums' fine balls; absent
// where the ball leaves the doubles.
std::optional<Enclosure> exactRunge(const Enclosure &value, const Enclosure &half, int order)
{
    const Result<Enclosure> difference = enclosedDifference(half, value);
    if (!difference)
        return std::nullopt;
    Ball ball;
    fineBall(ball.get(), *difference);
    arb_div_ui(ball.get(), ball.get(), (1UL << order) - 1, exactRulePrecision);
    const Result<Enclosure> runge = enclosureOfBall(ball.get());
    return runge ? std::optional<Enclosure>(*runge) : std::nullopt;
}

// The share of the larger end value within which the ends' balls must
// agree: far below a double's rounding, so that only ends equal in truth
// (exact ends, a tight series) pass, never two wide balls that overlap.
constexpr double kEndsAgree = 0x1p-80;

} // namespace

bool endsCancelLeadingTerm(const Study &study, RuleKind kind)
{
    const slong k = ruleInfo(kind).order - 1;
    Ball a, b;
    exactEnds(study.input, a, b);
    Series at, bt;
    if (!taylorSeries(at.get(), study.input.program, a.get(), k) ||
        !taylorSeries(bt.get(), study.input.program, b.get(), k))
        return false;
    // The coefficients are f^(k)/k!: equal where the derivatives are.
    Ball fa, fb, difference;
    arb_poly_get_coeff_arb(fa.get(), at.get(), k);
    arb_poly_get_coeff_arb(fb.get(), bt.get(), k);
    arb_sub(difference.get(), fb.get(), fa.get(), proofPrecision);
    if (!arb_is_finite(difference.get()) || !arb_contains_zero(difference.get()))
        return false;
    Ball size;
    arb_abs(size.get(), fa.get());
    const double scale = std::max(1.0, arf_get_d(arb_midref(size.get()), ARF_RND_UP));
    Ball width;
    arb_get_abs_ubound_arf(arb_midref(width.get()), difference.get(), 64);
    return arf_get_d(arb_midref(width.get()), ARF_RND_UP) <= kEndsAgree * scale;
}

std::vector<long> exactCurveCounts(RuleKind kind)
{
    const long m = ruleInfo(kind).countMultiple;
    const long last = kStudyCurveLast / m; // in units of m
    std::vector<long> counts;
    for (int t = 0; t < kStudyExactCurvePoints; ++t) {
        const double share = t / double(kStudyExactCurvePoints - 1);
        const long k = std::clamp(std::lround(std::pow(double(last), share)), 1L, last);
        if (counts.empty() || counts.back() != k * m)
            counts.push_back(k * m);
    }
    return counts;
}

Result<ExactRuleValue> exactRuleValue(const Study &study, RuleKind kind, long n, double doubleSum)
{
    return exactRuleValue(study, kind, n, doubleSum, limitPoints(study));
}

Result<ExactRuleValue> exactRuleValue(const Study &study, RuleKind kind, long n, double doubleSum,
                                      const std::vector<RemovablePoint> &points)
{
    Ball a, b;
    exactEnds(study.input, a, b);
    const Result<Enclosure> value =
        exactRule(kind, study.input.program, a.get(), b.get(), n, points);
    if (!value)
        return value.refusal();
    Result<Enclosure> error = enclosedDifference(*value, study.integral);
    if (!error)
        return error.refusal();
    Result<Enclosure> rounding = enclosedDifference(exactEnclosure(doubleSum), *value);
    if (!rounding)
        return rounding.refusal();
    return ExactRuleValue{*value, *error, *rounding};
}

Result<void> addExactPart(const Study &study, StudyRule &rule, const StudyControl &control)
{
    const StudyInput &in = study.input;
    const RuleInfo &info = ruleInfo(rule.kind);
    ExactSums sums(study, rule.kind);
    const auto stopped = [&] {
        return control.cancelled && control.cancelled->load(std::memory_order_relaxed);
    };

    // The rows first: their orders and trust are read from them.
    std::optional<Result<ExactRuleValue>> firstHalf;
    for (std::size_t r = 0; r < rule.doubling.size(); ++r) {
        if (stopped())
            return Refusal{Reason::Cancelled};
        DoublingRow &row = rule.doubling[r];
        row.exact = sums.at(row.n, row.value);
        const long half = row.n / 2;
        if (r == 0 && row.n % 2 == 0 && half % info.countMultiple == 0) {
            const Result<double> halfSum = applyRule(rule.kind, in.program, in.a, in.b, half);
            if (halfSum)
                firstHalf = sums.at(half, *halfSum);
        }
        const Result<ExactRuleValue> *halfExact =
            r == 0 ? (firstHalf ? &*firstHalf : nullptr) : &rule.doubling[r - 1].exact;
        // Only where both errors are proven does the exact part decide; a
        // row without its n / 2 (the first of 3/8 and Boole) has no order.
        if (halfExact && *halfExact && row.exact && row.runge) {
            const Enclosure &e = row.exact->error;
            const Enclosure &eh = (*halfExact)->error;
            row.order.reset();
            if (excludesZero(e) && excludesZero(eh))
                row.order = std::log2(std::fabs(eh.mid)) - std::log2(std::fabs(e.mid));
            row.orderExact = true;
            row.trust = trustOfOrder(row.order, info.order);
            row.exactRunge = exactRunge(row.exact->value, (*halfExact)->value, info.order);
        }
        // The order without I from the exact sums at n, n / 2 and n / 4: the
        // quarter is the row two up, the first row's half, or for the first
        // row of 3/8 (12, 6, 3) a sum of its own.
        const long quarter = row.n / 4;
        if (!halfExact || !row.runge || row.n % 4 != 0 || quarter % info.countMultiple != 0)
            continue;
        std::optional<Result<ExactRuleValue>> ownQuarter;
        const Result<ExactRuleValue> *quarterExact = nullptr;
        if (r >= 2) {
            quarterExact = &rule.doubling[r - 2].exact;
        } else if (r == 1) {
            quarterExact = firstHalf ? &*firstHalf : nullptr;
        } else if (const Result<double> sum =
                       applyRule(rule.kind, in.program, in.a, in.b, quarter)) {
            ownQuarter = sums.at(quarter, *sum);
            quarterExact = &*ownQuarter;
        }
        if (!quarterExact || !*quarterExact || !*halfExact || !row.exact)
            continue;
        const Result<Enclosure> last = enclosedDifference(row.exact->value, (*halfExact)->value);
        const Result<Enclosure> before =
            enclosedDifference((*halfExact)->value, (*quarterExact)->value);
        if (!last || !before)
            continue;
        row.orderWithoutI.reset();
        if (excludesZero(*last) && excludesZero(*before))
            row.orderWithoutI = std::log2(std::fabs(before->mid)) - std::log2(std::fabs(last->mid));
        row.orderWithoutIExact = true;
    }
    rule.endsCancelLeadingTerm = endsCancelLeadingTerm(study, rule.kind);

    // Then the curve, from its least count up.
    for (const long n : exactCurveCounts(rule.kind)) {
        if (stopped())
            return Refusal{Reason::Cancelled};
        const auto point = std::find_if(rule.curve.begin(), rule.curve.end(),
                                        [n](const StudyPoint &p) { return p.n == n; });
        if (point == rule.curve.end())
            continue;
        const Result<double> sum = applyRule(rule.kind, in.program, in.a, in.b, n);
        if (sum)
            point->exact = sums.at(n, *sum);
    }
    return {};
}

} // namespace kvadrolab
