// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "expression/constant.h"
#include "expression/program.h"
#include "proof/work.h"

namespace kvadrolab {

// How much work a domain proof may take: operations (proof/work.h), a
// piece examined costing one run of the program on a ball, or four where it
// is in doubt (see valueOnInterval), and the depth of the narrowest piece
// it splits before it names a place (2^-34 of the interval: the place to
// about ten digits).
inline constexpr long long domainWorkLimit = proofWorkLimit;
inline constexpr int domainSplitDepth = 34;

// Done when f is proven defined and finite at every point of [a; b] (either
// order of the ends). Otherwise NotDefined or Pole, with x the place where f
// stops being defined or grows without bound (to about ten digits) and the
// position of the step at fault; NotANumber for a literal Arb cannot read;
// WorkLimit past the limits above; EmptyInterval or NonFiniteInput for the
// ends (input A or B).
Result<void> proveDefined(const Program &program, double a, double b);

// The same between the exact numbers typed (0.1 is 1/10, pi/2 is pi halved),
// either order. A pole at an end itself is refused as Pole with that end's
// input (A or B) and its double as the place: 1/(x - 0.1) on [0.1; 1].
// NonFiniteInput or EmptyInterval as splitExactEnds (proof/exactends.h)
// refuses the ends.
Result<void> proveDefined(const Program &program, const ExactNumber &a, const ExactNumber &b);

} // namespace kvadrolab
