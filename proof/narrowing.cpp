// SPDX-License-Identifier: GPL-3.0-or-later
#include "proof/narrowing.h"

#include "proof/balls.h"
#include "proof/taylorrun.h"

#include <utility>

namespace kvadrolab {

namespace {

// The ball holding both end values. A ball is a middle and a 30-bit
// radius, so an end of it lands exactly only if the middle is set from
// that end: the simpler of the two ends (fewer bits: 0, 1, -1, the edges
// of the domains) is kept, and the other moves outward, so sqrt sees 0
// itself and not a rounding below it.
void hullWithExactEnd(arb_t hull, const arb_t a, const arb_t b, slong prec)
{
    arf_t lo, hi, other, span;
    arf_init(lo);
    arf_init(hi);
    arf_init(other);
    arf_init(span);
    arb_get_lbound_arf(lo, a, prec);
    arb_get_lbound_arf(other, b, prec);
    arf_min(lo, lo, other);
    arb_get_ubound_arf(hi, a, prec);
    arb_get_ubound_arf(other, b, prec);
    arf_max(hi, hi, other);
    arf_sub(span, hi, lo, prec, ARF_RND_UP);
    arf_mul_2exp_si(span, span, -1);
    arf_get_mag(arb_radref(hull), span);
    arf_set_mag(span, arb_radref(hull));
    if (arf_bits(lo) <= arf_bits(hi))
        arf_add(arb_midref(hull), lo, span, ARF_PREC_EXACT, ARF_RND_DOWN);
    else
        arf_sub(arb_midref(hull), hi, span, ARF_PREC_EXACT, ARF_RND_DOWN);
    arf_clear(lo);
    arf_clear(hi);
    arf_clear(other);
    arf_clear(span);
}

} // namespace

void TaylorRun::narrow(std::size_t slot)
{
    const std::size_t at = m_producer[slot];
    if (!m_lo || !m_hi || m_flat[slot] || at >= m_lo->size() || at >= m_hi->size())
        return;
    arb_poly_struct *p = m_stack[slot].get();
    Ball slope, hull;
    arb_poly_get_coeff_arb(slope.get(), p, 1);
    if (!arb_is_positive(slope.get()) && !arb_is_negative(slope.get()))
        return;
    hullWithExactEnd(hull.get(), (*m_lo)[at].get(), (*m_hi)[at].get(), m_prec);
    arb_poly_set_coeff_arb(p, 0, hull.get());
}

std::optional<BallFailure> valueOnInterval(const Program &program, double lo, double hi, slong prec)
{
    if (program.steps.empty())
        return BallFailure{Reason::NotProven, 0, true};
    Ball ball;
    Series series;
    intervalBall(ball.get(), lo, hi);
    auto failed = TaylorRun(program, ball.get(), 0, prec).run(series.get());
    if (!failed || failed->everywhere || failed->reason == Reason::NotANumber)
        return failed;
    // In doubt: narrow by the ends. Each end's run records its steps' values
    // up to any step that fails there; the narrowing uses what it has.
    EndValues atLo, atHi;
    for (const auto &[end, values] : {std::pair{lo, &atLo}, std::pair{hi, &atHi}}) {
        Ball point;
        arb_set_d(point.get(), end);
        TaylorRun endRun(program, point.get(), 0, prec);
        endRun.record(values);
        (void)endRun.run(series.get());
    }
    TaylorRun narrowed(program, ball.get(), 1, prec);
    narrowed.narrowBy(&atLo, &atHi);
    // The narrowed run's reason is the sharper one: 1 - x^2 at x = 1 is 0,
    // a pole of ln, where the plain ball reached below 0.
    const auto sharper = narrowed.run(series.get());
    if (!sharper)
        return std::nullopt;
    return sharper->reason == Reason::NotProven ? failed : sharper;
}

} // namespace kvadrolab
