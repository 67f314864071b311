// SPDX-License-Identifier: GPL-3.0-or-later
#include "proof/narrowing.h"

#include "proof/balls.h"
#include "proof/ranges.h"
#include "proof/taylorrun.h"

#include <utility>

namespace kvadrolab {

void TaylorRun::narrow(std::size_t slot)
{
    const std::size_t at = m_producer[slot];
    if (!m_lo || !m_hi || m_flat[slot] || at >= m_lo->size() || at >= m_hi->size())
        return;
    arb_poly_struct *p = m_stack[slot].get();
    Ball slope, hull;
    arb_poly_get_coeff_arb(slope.get(), p, 1);
    if (!arb_is_nonnegative(slope.get()) && !arb_is_nonpositive(slope.get()))
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
