// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "expression/program.h"
#include "proof/taylor.h"

#include <optional>

namespace kvadrolab {

// f's values over [lo; hi] (lo <= hi): nothing when f is proven defined and
// finite at every point of it, or the failing step as taylorOnBall names it.
// Sharper than taylorOnBall at order 0 near the edge of a domain: where the
// ball is in doubt, an operand monotone on the piece is taken as the hull of
// its values at the ends, so sqrt(1 - x^2) is defined up to x = 1.
std::optional<BallFailure> valueOnInterval(const Program &program, double lo, double hi,
                                           slong prec = proofPrecision);

} // namespace kvadrolab
