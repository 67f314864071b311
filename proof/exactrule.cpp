// SPDX-License-Identifier: GPL-3.0-or-later
#include "proof/exactrule.h"

#include "proof/balls.h"
#include "proof/taylor.h"

#include <cmath>
#include <limits>

namespace kvadrolab {

namespace {

// A rule's nodes in units of h from a, and their weights in units of h over
// a common divisor: node i of n sits at a + (whole + offset) h, whole the
// subinterval (or grid point) it belongs to. The layout and the weights are
// those of rules/compositerule.cpp.
struct NodeShape
{
    long whole;
    int offset;  // which of the rule's offsets within a subinterval
    long weight; // times h / divisor
};

// The common divisor of a rule's weights: h / divisor times an integer.
long weightDivisor(RuleKind kind)
{
    switch (kind) {
    case RuleKind::Left:
    case RuleKind::Right:
    case RuleKind::Midpoint:
        return 1;
    case RuleKind::Trapezoid:
    case RuleKind::Gauss2:
        return 2;
    case RuleKind::Simpson:
        return 3;
    case RuleKind::Simpson38:
        return 8;
    case RuleKind::Boole:
        return 45;
    case RuleKind::Gauss3:
        return 18;
    }
    return 1;
}

// Offsets: 0 a grid point, 1 a middle (+1/2), 2 the middle minus d, 3 the
// middle plus d, with d = 1 / (2 sqrt 3) for Gauss-2 and sqrt(3/5) / 2 for
// Gauss-3.
NodeShape shape(RuleKind kind, long n, long i)
{
    const bool end = i == 0 || i == n;
    switch (kind) {
    case RuleKind::Left:
        return {i, 0, 1};
    case RuleKind::Right:
        return {i + 1, 0, 1};
    case RuleKind::Midpoint:
        return {i, 1, 1};
    case RuleKind::Trapezoid:
        return {i, 0, end ? 1 : 2};
    case RuleKind::Simpson:
        return {i, 0, end ? 1 : (i % 2 == 1 ? 4 : 2)};
    case RuleKind::Simpson38:
        return {i, 0, end ? 3 : (i % 3 == 0 ? 6 : 9)};
    case RuleKind::Boole:
        return {i, 0, end ? 14 : (i % 2 == 1 ? 64 : (i % 4 == 2 ? 24 : 28))};
    case RuleKind::Gauss2:
        return {i / 2, i % 2 == 0 ? 2 : 3, 1};
    case RuleKind::Gauss3: {
        const long r = i % 3;
        return {i / 3, r == 1 ? 1 : (r == 0 ? 2 : 3), r == 1 ? 8 : 5};
    }
    }
    return {i, 0, 0};
}

} // namespace

long exactRuleWork(RuleKind kind, const Program &program, long n)
{
    if (!checkRuleCount(kind, n))
        return 0;
    return ruleNodeCount(kind, n) *
           static_cast<long>(std::max<std::size_t>(program.steps.size(), 1));
}

void fineBall(arb_t out, const Enclosure &e)
{
    arf_t tail;
    arf_init(tail);
    arf_set_d(tail, e.midTail);
    arf_set_d(arb_midref(out), e.mid);
    arf_add(arb_midref(out), arb_midref(out), tail, ARF_PREC_EXACT, ARF_RND_DOWN);
    mag_set_d(arb_radref(out), e.fineRad); // rounded up
    arf_clear(tail);
}

Result<Enclosure> enclosureOfBall(const arb_t ball)
{
    if (!arb_is_finite(ball))
        return Refusal{Reason::NonFiniteResult};
    Enclosure e;
    e.lower = outwardDouble(ball, false);
    e.upper = outwardDouble(ball, true);
    if (!std::isfinite(e.lower) || !std::isfinite(e.upper))
        return Refusal{Reason::NonFiniteResult};
    e.mid = arf_get_d(arb_midref(ball), ARF_RND_NEAR);
    // The tail and the fine radius: what the double-double mid + midTail
    // leaves of the ball's midpoint goes into the radius, rounded up.
    arf_t rest, part;
    arf_init(rest);
    arf_init(part);
    arf_set_d(part, e.mid);
    arf_sub(rest, arb_midref(ball), part, ARF_PREC_EXACT, ARF_RND_DOWN);
    e.midTail = arf_get_d(rest, ARF_RND_NEAR);
    arf_set_d(part, e.midTail);
    arf_sub(rest, rest, part, ARF_PREC_EXACT, ARF_RND_DOWN);
    arf_abs(rest, rest);
    mag_t fine;
    mag_init(fine);
    arf_get_mag(fine, rest);
    mag_add(fine, fine, arb_radref(ball));
    e.fineRad = mag_get_d(fine); // mag_get_d rounds up
    mag_clear(fine);
    arf_clear(rest);
    arf_clear(part);
    // mid -+ rad as doubles reach past both ends: a few ulps at most.
    e.rad = std::fmax(e.mid - e.lower, e.upper - e.mid);
    for (int i = 0; i < 64 && (e.mid - e.rad > e.lower || e.mid + e.rad < e.upper); ++i)
        e.rad = std::nextafter(e.rad, INFINITY);
    if (e.mid - e.rad > e.lower || e.mid + e.rad < e.upper || !std::isfinite(e.rad) ||
        !std::isfinite(e.fineRad))
        return Refusal{Reason::NonFiniteResult};
    return e;
}

Enclosure exactEnclosure(double value)
{
    Enclosure e;
    e.mid = e.lower = e.upper = value;
    e.rad = e.midTail = e.fineRad = 0;
    return e;
}

Result<Enclosure> enclosedDifference(const Enclosure &x, const Enclosure &y)
{
    if (!std::isfinite(x.fineRad) || !std::isfinite(y.fineRad))
        return Refusal{Reason::NotProven};
    Ball bx, by;
    fineBall(bx.get(), x);
    fineBall(by.get(), y);
    arb_sub(bx.get(), bx.get(), by.get(), exactRulePrecision);
    Result<Enclosure> d = enclosureOfBall(bx.get());
    if (!d)
        return Refusal{Reason::NotProven};
    return d;
}

Result<Enclosure> exactRule(RuleKind kind, const Program &program, const arb_t a, const arb_t b,
                            long n, const std::vector<RemovablePoint> &limits)
{
    if (const Result<long> count = checkRuleCount(kind, n); !count)
        return count.refusal();
    if (!arb_is_finite(a))
        return Refusal{Reason::NonFiniteInput, Input::A};
    if (!arb_is_finite(b))
        return Refusal{Reason::NonFiniteInput, Input::B};
    if (exactRuleWork(kind, program, n) > exactRuleWorkLimit)
        return Refusal{Reason::WorkLimit, Input::Count};
    const slong prec = exactRulePrecision;
    Ball h, d, x, sum, term, half;
    Series value;
    arb_sub(h.get(), b, a, prec);
    arb_div_si(h.get(), h.get(), n, prec);
    arb_set_d(half.get(), 0.5);
    // The Gauss offsets within a subinterval: 1/2 -+ d.
    if (kind == RuleKind::Gauss2) {
        arb_sqrt_ui(d.get(), 3, prec);
        arb_mul_2exp_si(d.get(), d.get(), 1);
        arb_inv(d.get(), d.get(), prec);
    } else if (kind == RuleKind::Gauss3) {
        arb_set_si(d.get(), 3);
        arb_div_si(d.get(), d.get(), 5, prec);
        arb_sqrt(d.get(), d.get(), prec);
        arb_mul_2exp_si(d.get(), d.get(), -1);
    }
    const long total = ruleNodeCount(kind, n);
    for (long i = 0; i < total; ++i) {
        const NodeShape s = shape(kind, n, i);
        // The ends themselves at the first and the last grid point, so that
        // an f defined up to an end is asked nothing beyond it.
        if (s.offset == 0 && s.whole == 0) {
            arb_set(x.get(), a);
        } else if (s.offset == 0 && s.whole == n) {
            arb_set(x.get(), b);
        } else {
            arb_set_si(x.get(), s.whole);
            if (s.offset != 0)
                arb_add(x.get(), x.get(), half.get(), prec);
            if (s.offset == 2)
                arb_sub(x.get(), x.get(), d.get(), prec);
            else if (s.offset == 3)
                arb_add(x.get(), x.get(), d.get(), prec);
            arb_mul(x.get(), x.get(), h.get(), prec);
            arb_add(x.get(), x.get(), a, prec);
        }
        if (const auto failed = limits.empty()
                                    ? taylorOnBall(value.get(), program, x.get(), 0, prec)
                                    : taylorNearLimits(value.get(), program, x.get(), 0, limits))
            return Refusal{
                failed->reason, {}, failed->position, arf_get_d(arb_midref(x.get()), ARF_RND_NEAR)};
        arb_poly_get_coeff_arb(term.get(), value.get(), 0);
        if (!arb_is_finite(term.get()))
            return Refusal{
                Reason::NonFiniteResult, {}, {}, arf_get_d(arb_midref(x.get()), ARF_RND_NEAR)};
        arb_addmul_si(sum.get(), term.get(), s.weight, prec);
    }
    arb_mul(sum.get(), sum.get(), h.get(), prec);
    arb_div_si(sum.get(), sum.get(), weightDivisor(kind), prec);
    return enclosureOfBall(sum.get());
}

Result<Enclosure> exactRule(RuleKind kind, const Program &program, double a, double b, long n)
{
    if (!std::isfinite(a))
        return Refusal{Reason::NonFiniteInput, Input::A};
    if (!std::isfinite(b))
        return Refusal{Reason::NonFiniteInput, Input::B};
    Ball ea, eb;
    arb_set_d(ea.get(), a);
    arb_set_d(eb.get(), b);
    return exactRule(kind, program, ea.get(), eb.get(), n);
}

} // namespace kvadrolab
