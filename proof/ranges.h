// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// For proof/ alone: ranges of a value over a ball whose ends matter, such as
// a square that touches 0 and must not reach below it.

#include <acb.h>
#include <arb.h>

#include <cstdint>

namespace kvadrolab {

// The ball holding both balls a and b, with one end exact: the simpler of
// the two ends (fewer bits: 0, 1, -1, the edges of the domains) is kept, and
// the other moves outward, so that a root sees 0 itself and not a rounding
// below it.
void hullWithExactEnd(arb_t hull, const arb_t a, const arb_t b, slong prec);

// The range of t^e over the ball c (e >= 2), from the values at its ends:
// an even power of a ball across 0 is [0; max] with 0 exact, so that
// sqrt(x^2), ln(x^2 + 1e-30) and 1/(1 + x^2) stay defined where Arb's own
// square of a ball around 0 reaches below it.
void powerRange(arb_t out, const arb_t c, std::int64_t e, slong prec);

// A sum (or difference) over balls whose ball reaches across 0 though its
// ends, each rounded outward, do not: x^2 + 1e-30 on [0; h] is [1e-30; ...],
// but the radius of Arb's sum grows by more than 1e-30 once h^2 is large
// beside it. Replaces `sum` by a ball whose end nearer 0 is exact; leaves it
// as it is where the ends reach across 0 too.
void keepSign(arb_t sum, const arb_t a, const arb_t b, bool subtract, slong prec);

// |t| over the ball c: [0; max |t|] with 0 exact where c reaches across 0.
void absRange(arb_t out, const arb_t c, slong prec);

// The real cube root of a point or ball of one sign; 0 at 0, where Arb's
// root has no value.
void realCubeRoot(arb_t r, const arb_t t, slong prec);

// t^p over a real ball c with 0 <= t (its part below 0 dropped: the caller
// knows f is defined there) and a constant p > 0: [0; (max c)^p], 0 exact.
void powerFromZero(arb_t out, const arb_t c, const arb_t p, slong prec);

} // namespace kvadrolab
