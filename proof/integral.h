// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "expression/constant.h"
#include "expression/program.h"
#include "proof/work.h"

#include <limits>

namespace kvadrolab {

// A proven value: the truth lies in [lower; upper], and in [mid - rad;
// mid + rad] as doubles compute it, both rounded outward.
struct Enclosure
{
    double mid = 0;
    double rad = 0;
    double lower = 0;
    double upper = 0;
    // What rounding the ball's midpoint to the double mid left out, itself
    // rounded: mid + midTail is that midpoint to about 106 bits, for a
    // difference such as a rule's error that should not lose the digits a
    // double midpoint drops. Not a bound; lower and upper are.
    double midTail = 0;
    // The fine ball: the truth lies within fineRad of mid + midTail, the
    // radius rounded up; a difference such as a rule's error is proven from
    // it to far below a double's rounding (proof/exactrule.h). Infinite
    // where no fine ball is known.
    double fineRad = std::numeric_limits<double>::infinity();
};

// What the integrator may spend: calls of f on points and on complex boxes
// around pieces of the path, each weighed as complexRunCost (proof/work.h)
// plus the integrator's work around it, and pieces queued at once. At some
// 40-60 ns a unit the limit is about 0,4 s on a two-core x86-64 of 2020,
// whatever the program, which leaves the rest of a second to the maxima:
// 60 factors sin(x) on [0; 100] are proven, 100 and 300 factors and 899
// sines sin(kx) on [0; 10] are refused.
inline constexpr long long integralWorkLimit = 8'000'000;
inline constexpr long integralQueueLimit = 256;
// Its goals: a radius of 2^-104 (5e-32) relative to the integral, or 2^-104
// absolute, scaled down by (b - a) sup |f| where that is below 1, so that a
// rule's error is proven far below a double's rounding; at a working
// precision of integralPrecision bits.
inline constexpr long integralGoalBits = 104;
inline constexpr long integralPrecision = 192;

// The integral of f from a to b, enclosed. f must already be proven defined
// on [a; b] (proveDefined): only then is the real part of the complex
// integral Arb returns the integral of the real f. NotProven where Arb does
// not reach its goal within the queue, WorkLimit where the work runs out
// first (x the point of the path it had reached).
Result<Enclosure> integrateDefined(const Program &program, double a, double b);

// proveDefined, then integrateDefined: the certified integral from a to b,
// or the reason and place the domain proof gave. A removable 0/0
// (sin(x)/x at 0) is integrated through by its limit (proof/removable.h). Either order of the ends:
// for b < a it is minus the integral from b to a (every part of the
// enclosure turned round), as the rules summed with a negative h give.
Result<Enclosure> certifiedIntegral(const Program &program, double a, double b);

// The same two between the exact numbers typed (0.1 is 1/10, pi/2 is pi
// halved): the integral between the doubles just inside the ends, as above,
// plus a sliver at each end narrower than a step between doubles, bounded by
// its length times f's range over it. Refused as proveDefined on exact ends
// refuses, and as above; NotProven where a sliver's range has no bound.
Result<Enclosure> integrateDefined(const Program &program, const ExactNumber &a,
                                   const ExactNumber &b);
Result<Enclosure> certifiedIntegral(const Program &program, const ExactNumber &a,
                                    const ExactNumber &b);

} // namespace kvadrolab
