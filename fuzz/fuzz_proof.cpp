// SPDX-License-Identifier: GPL-3.0-or-later
// The ball arithmetics on arbitrary integrands: a number x and a text. Every
// step must end (the limits are counts) without a crash, and the proofs must
// agree with each other wherever both say something, since each must hold
// the true value:
//  - f's Taylor series at x at 53 and at 256 bits: every coefficient's balls
//    overlap;
//  - the certified integral over a small piece [x; x + w] (complex balls)
//    overlaps w times f's range on the piece (real balls).

#include "expression/parser.h"
#include "fuzz/fuzzreader.h"
#include "proof/balls.h"
#include "proof/domain.h"
#include "proof/integral.h"
#include "proof/taylor.h"

#include <array>
#include <cmath>
#include <string_view>

using namespace kvadrolab;

namespace {

constexpr std::array<double, 8> kSpecial = {0.0,  1.0, -1.0, 0.5, 2.0, 1.5707963267948966,
                                            1e-8, -3.0};

void checkSeriesAgree(const Program &program, double x)
{
    Ball at;
    arb_set_d(at.get(), x);
    Series coarse, fine;
    constexpr slong order = 3;
    if (taylorOnBall(coarse.get(), program, at.get(), order, 53) ||
        taylorOnBall(fine.get(), program, at.get(), order, 256))
        return;
    const slong n = std::min(arb_poly_length(coarse.get()), arb_poly_length(fine.get()));
    for (slong j = 0; j < n; ++j) {
        arb_srcptr c = arb_poly_get_coeff_ptr(coarse.get(), j);
        arb_srcptr f = arb_poly_get_coeff_ptr(fine.get(), j);
        if (arb_is_finite(c) && arb_is_finite(f) && !arb_overlaps(c, f))
            __builtin_trap(); // two precisions, two disjoint truths
    }
    // A coefficient trimmed as an exact zero at one precision must hold 0
    // at the other.
    for (slong j = n; j < arb_poly_length(fine.get()); ++j)
        if (!arb_contains_zero(arb_poly_get_coeff_ptr(fine.get(), j)))
            __builtin_trap();
    for (slong j = n; j < arb_poly_length(coarse.get()); ++j)
        if (!arb_contains_zero(arb_poly_get_coeff_ptr(coarse.get(), j)))
            __builtin_trap();
}

void checkIntegralAgrees(const Program &program, double lo, double hi)
{
    if (!(lo < hi) || !std::isfinite(hi) || !proveDefined(program, lo, hi))
        return;
    const Result<Enclosure> integral = integrateDefined(program, lo, hi);
    if (!integral)
        return;
    Ball piece, range;
    intervalBall(piece.get(), lo, hi);
    Series values;
    if (taylorOnBall(values.get(), program, piece.get(), 0))
        return;
    arb_poly_get_coeff_arb(range.get(), values.get(), 0);
    Ball width, start;
    arb_set_d(width.get(), hi);
    arb_set_d(start.get(), lo);
    arb_sub(width.get(), width.get(), start.get(), proofPrecision); // hi - lo, exactly
    arb_mul(range.get(), range.get(), width.get(), proofPrecision);
    if (!arb_is_finite(range.get()))
        return;
    // [lower; upper] of the integral against w * range.
    Ball enclosure;
    intervalBall(enclosure.get(), integral->lower, integral->upper);
    if (!arb_overlaps(enclosure.get(), range.get()))
        __builtin_trap(); // the complex and the real balls disagree
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzReader in{data, size, kSpecial, 64};
    double x = 0;
    double w = 0;
    if (!in.number(x) || !in.number(w))
        return 0;
    if (!std::isfinite(x) || std::fabs(x) > 1e6 || !std::isfinite(w))
        return 0;
    const std::string_view text(reinterpret_cast<const char *>(in.data), in.size);
    if (text.size() > 200)
        return 0; // long texts are the expression target's; here each costs proofs
    const Result<Program> program = parseExpression(text);
    if (!program)
        return 0;
    checkSeriesAgree(*program, x);
    checkIntegralAgrees(*program, x, x + std::fmin(std::fabs(w), 1.0));
    return 0;
}
