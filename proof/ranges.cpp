// SPDX-License-Identifier: GPL-3.0-or-later
#include "proof/ranges.h"

namespace kvadrolab {

void hullWithExactEnd(arb_t hull, const arb_t a, const arb_t b, slong prec)
{
    // A ball is a middle and a 30-bit radius, so an end of it lands exactly
    // only if the middle is set from that end.
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

void powerRange(arb_t out, const arb_t c, std::int64_t e, slong prec)
{
    arb_t lo, hi, zero;
    arb_init(lo);
    arb_init(hi);
    arb_init(zero);
    arb_get_lbound_arf(arb_midref(lo), c, prec);
    arb_get_ubound_arf(arb_midref(hi), c, prec);
    const bool across = arf_sgn(arb_midref(lo)) < 0 && arf_sgn(arb_midref(hi)) > 0;
    arb_pow_ui(lo, lo, static_cast<ulong>(e), prec);
    arb_pow_ui(hi, hi, static_cast<ulong>(e), prec);
    // t^e is monotone on each side of 0, so the ends bound it there; an even
    // power across 0 falls to 0 between them.
    hullWithExactEnd(out, lo, hi, prec);
    if (across && e % 2 == 0)
        hullWithExactEnd(out, zero, out, prec);
    arb_clear(lo);
    arb_clear(hi);
    arb_clear(zero);
}

void keepSign(arb_t sum, const arb_t a, const arb_t b, bool subtract, slong prec)
{
    if (!arb_contains_zero(sum) || !arb_is_finite(a) || !arb_is_finite(b))
        return;
    arf_t lo, hi, other, span;
    arf_init(lo);
    arf_init(hi);
    arf_init(other);
    arf_init(span);
    // [lo; hi] = a + b (or a - b) end by end, each rounded away from the
    // other end.
    arb_get_lbound_arf(lo, a, prec);
    arb_get_ubound_arf(hi, a, prec);
    if (subtract)
        arb_get_ubound_arf(other, b, prec);
    else
        arb_get_lbound_arf(other, b, prec);
    if (subtract)
        arf_sub(lo, lo, other, prec, ARF_RND_FLOOR);
    else
        arf_add(lo, lo, other, prec, ARF_RND_FLOOR);
    if (subtract)
        arb_get_lbound_arf(other, b, prec);
    else
        arb_get_ubound_arf(other, b, prec);
    if (subtract)
        arf_sub(hi, hi, other, prec, ARF_RND_CEIL);
    else
        arf_add(hi, hi, other, prec, ARF_RND_CEIL);
    const bool positive = arf_sgn(lo) > 0, negative = arf_sgn(hi) < 0;
    if (positive || negative) {
        arf_sub(span, hi, lo, prec, ARF_RND_UP);
        arf_mul_2exp_si(span, span, -1);
        arf_get_mag(arb_radref(sum), span);
        arf_set_mag(span, arb_radref(sum));
        if (positive)
            arf_add(arb_midref(sum), lo, span, ARF_PREC_EXACT, ARF_RND_DOWN);
        else
            arf_sub(arb_midref(sum), hi, span, ARF_PREC_EXACT, ARF_RND_DOWN);
    }
    arf_clear(lo);
    arf_clear(hi);
    arf_clear(other);
    arf_clear(span);
}

void absRange(arb_t out, const arb_t c, slong prec)
{
    arb_t top, zero;
    arb_init(top);
    arb_init(zero);
    arb_get_abs_ubound_arf(arb_midref(top), c, prec);
    hullWithExactEnd(out, zero, top, prec);
    arb_clear(top);
    arb_clear(zero);
}

void realCubeRoot(arb_t r, const arb_t t, slong prec)
{
    if (arb_is_zero(t)) {
        arb_zero(r);
    } else if (arb_is_negative(t)) {
        arb_neg(r, t);
        arb_root_ui(r, r, 3, prec);
        arb_neg(r, r);
    } else {
        arb_root_ui(r, t, 3, prec);
    }
}

void powerFromZero(arb_t out, const arb_t c, const arb_t p, slong prec)
{
    arb_t top, zero;
    arb_init(top);
    arb_init(zero);
    arb_get_ubound_arf(arb_midref(top), c, prec);
    if (arf_sgn(arb_midref(top)) > 0)
        arb_pow(top, top, p, prec);
    else
        arb_zero(top);
    hullWithExactEnd(out, zero, top, prec);
    arb_clear(top);
    arb_clear(zero);
}

} // namespace kvadrolab
