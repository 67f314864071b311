// SPDX-License-Identifier: GPL-3.0-or-later
#include "proof/exactends.h"

#include "proof/taylor.h"

#include <cmath>

namespace kvadrolab {

namespace {

// The double at or beyond the ball's end: up for the upper end, down for
// the lower one.
double outwardEnd(const arb_t ball, bool upper)
{
    arf_t end;
    arf_init(end);
    if (upper)
        arb_get_ubound_arf(end, ball, ARF_PREC_EXACT);
    else
        arb_get_lbound_arf(end, ball, ARF_PREC_EXACT);
    const double d = arf_get_d(end, upper ? ARF_RND_CEIL : ARF_RND_FLOOR);
    arf_clear(end);
    return d;
}

// Whether the ball is exactly the double d.
bool isExactly(const arb_t ball, double d)
{
    if (!arb_is_exact(ball))
        return false;
    arf_t v;
    arf_init(v);
    arf_set_d(v, d);
    const bool same = arf_equal(arb_midref(ball), v);
    arf_clear(v);
    return same;
}

} // namespace

bool exactBall(arb_t ball, const ExactNumber &number, slong prec)
{
    if (number.program.steps.empty()) {
        if (!std::isfinite(number.value))
            return false;
        arb_set_d(ball, number.value);
        return true;
    }
    // The constant program at any x: its one value term.
    Series value;
    Ball anywhere;
    if (taylorOnBall(value.get(), number.program, anywhere.get(), 0, prec))
        return false;
    arb_poly_get_coeff_arb(ball, value.get(), 0);
    return arb_is_finite(ball);
}

Result<void> splitExactEnds(ExactInterval &out, const ExactNumber &a, const ExactNumber &b)
{
    Ball ballA, ballB;
    if (!std::isfinite(a.value) || !exactBall(ballA.get(), a, proofPrecision))
        return Refusal{Reason::NonFiniteInput, Input::A};
    if (!std::isfinite(b.value) || !exactBall(ballB.get(), b, proofPrecision))
        return Refusal{Reason::NonFiniteInput, Input::B};
    if (a.value == b.value || arb_overlaps(ballA.get(), ballB.get()))
        return Refusal{Reason::EmptyInterval, Input::B};
    out.reversed = arb_lt(ballB.get(), ballA.get());
    arb_swap(out.lo.get(), out.reversed ? ballB.get() : ballA.get());
    arb_swap(out.hi.get(), out.reversed ? ballA.get() : ballB.get());
    out.loInput = out.reversed ? Input::B : Input::A;
    out.hiInput = out.reversed ? Input::A : Input::B;
    out.loValue = out.reversed ? b.value : a.value;
    out.hiValue = out.reversed ? a.value : b.value;
    out.innerLo = outwardEnd(out.lo.get(), true);
    out.innerHi = outwardEnd(out.hi.get(), false);
    if (!std::isfinite(out.innerLo))
        return Refusal{Reason::NonFiniteInput, out.loInput};
    if (!std::isfinite(out.innerHi))
        return Refusal{Reason::NonFiniteInput, out.hiInput};
    // Ends within a step between doubles of each other leave the sums in
    // doubles nothing to sum over.
    if (!(out.innerLo < out.innerHi))
        return Refusal{Reason::EmptyInterval, Input::B};
    out.loSliver = !isExactly(out.lo.get(), out.innerLo);
    out.hiSliver = !isExactly(out.hi.get(), out.innerHi);
    return {};
}

void sliverBall(arb_t ball, const ExactInterval &ends, bool lower)
{
    Ball inner;
    arb_set_d(inner.get(), lower ? ends.innerLo : ends.innerHi);
    arb_union(ball, lower ? ends.lo.get() : ends.hi.get(), inner.get(), proofPrecision);
}

} // namespace kvadrolab
