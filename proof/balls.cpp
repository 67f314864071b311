// SPDX-License-Identifier: GPL-3.0-or-later
#include "proof/balls.h"

#include <cmath>
#include <numeric>
#include <string>

#include <flint/fmpz.h>

namespace kvadrolab {

void intervalBall(arb_t ball, double lo, double hi)
{
    // The middle is exact: a sum of two doubles, halved.
    arf_t half;
    arf_init(half);
    arf_set_d(arb_midref(ball), lo);
    arf_set_d(half, hi);
    arf_add(arb_midref(ball), arb_midref(ball), half, ARF_PREC_EXACT, ARF_RND_DOWN);
    arf_mul_2exp_si(arb_midref(ball), arb_midref(ball), -1);
    arf_sub(half, half, arb_midref(ball), ARF_PREC_EXACT, ARF_RND_DOWN);
    // arf_get_mag always adds an ulp; mag_set_ui_2exp_si rounds up only
    // what does not fit its 30 bits.
    fmpz_t mantissa, exponent;
    fmpz_init(mantissa);
    fmpz_init(exponent);
    arf_get_fmpz_2exp(mantissa, exponent, half);
    if (fmpz_sgn(mantissa) >= 0 && fmpz_abs_fits_ui(mantissa) && fmpz_fits_si(exponent))
        mag_set_ui_2exp_si(arb_radref(ball), fmpz_get_ui(mantissa), fmpz_get_si(exponent));
    else
        arf_get_mag(arb_radref(ball), half);
    fmpz_clear(mantissa);
    fmpz_clear(exponent);
    arf_clear(half);
}

bool literalBall(arb_t ball, const Step &step, slong prec)
{
    // arb_set_str reads a decimal exactly into a ball around it, but it also
    // takes "inf", "nan" and a midpoint with a radius: a literal is digits,
    // a point, an exponent and signs, nothing else.
    if (step.literal.empty() ||
        step.literal.find_first_not_of("0123456789.eE+-") != std::string::npos)
        return false;
    return arb_set_str(ball, step.literal.c_str(), prec) == 0 && arb_is_finite(ball);
}

double halfway(double lo, double hi)
{
    // For ends of opposite signs beyond DBL_MAX / 2, hi - lo overflows and
    // the middle would be infinite: a piece, a point value or a refusal's
    // place outside [lo; hi]. std::midpoint halves first there; elsewhere
    // the middle stays the one the proofs have always taken.
    const double width = hi - lo;
    return std::isfinite(width) ? lo + width / 2 : std::midpoint(lo, hi);
}

double splitPoint(double lo, double hi)
{
    double mid = halfway(lo, hi);
    if (lo > 0 && hi > 4 * lo)
        mid = std::sqrt(lo) * std::sqrt(hi);
    else if (hi < 0 && lo < 4 * hi)
        mid = -(std::sqrt(-hi) * std::sqrt(-lo));
    if (!(lo < mid && mid < hi))
        mid = halfway(lo, hi);
    return mid;
}

double outwardDouble(const arb_t ball, bool upper)
{
    arf_t end;
    arf_init(end);
    if (upper)
        arb_get_ubound_arf(end, ball, 53);
    else
        arb_get_lbound_arf(end, ball, 53);
    const double d = arf_get_d(end, upper ? ARF_RND_CEIL : ARF_RND_FLOOR);
    arf_clear(end);
    return d;
}

} // namespace kvadrolab
