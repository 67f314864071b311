// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "expression/program.h"

// Qt's headers, where a file has them, come before this one (balls.h).
#include <arb.h>
#include <arb_poly.h>

#include <cstddef>
#include <optional>

namespace kvadrolab {

// The working precision of every proof, in bits: ample for enclosures read
// as doubles, and the balls stay narrow through a long program.
inline constexpr slong proofPrecision = 128;

// Why a program could not be evaluated on a ball.
struct BallFailure
{
    Reason reason;        // NotDefined, Pole, NotSmooth, NotProven or NotANumber
    std::size_t position; // the failing step's position in the typed text
    bool everywhere;      // no point of the ball is fit: smaller balls cannot help
};

// The Taylor series of the program's f at the ball x, to `order`: on return
// `series` holds order + 1 coefficients (trailing exact zeros trimmed), the
// j-th enclosing f^(j)(t)/j! for every t in x. Otherwise the step at which
// some point of x (every point, when `everywhere`) leaves f's domain, where
// f has no bound, or where a derivative up to `order` does not exist.
std::optional<BallFailure> taylorOnBall(arb_poly_t series, const Program &program, const arb_t x,
                                        slong order, slong prec = proofPrecision);

// The same as a result: a refusal names the failing step's position and the
// middle of the ball as its place.
Result<void> taylorSeries(arb_poly_t series, const Program &program, const arb_t x, slong order,
                          slong prec = proofPrecision);

} // namespace kvadrolab
