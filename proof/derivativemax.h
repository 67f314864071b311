// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "expression/constant.h"
#include "expression/program.h"
#include "proof/work.h"

namespace kvadrolab {

// M_k = max |f^(k)| over [a; b], proven from both sides: |f^(k)| <= upper
// at every point of [a; b], and |f^(k)(at)| >= lower at the point `at`,
// always within [min(a, b); max(a, b)]. Of the points valued (the left end,
// the right end, then the middles of the pieces split), `at` is the first
// that reached `lower`; where none rose above 0 (as where f^(k) is 0 on the
// whole interval) it is the left end.
struct DerivativeMax
{
    int order = 0;
    double lower = 0;
    double upper = 0;
    double at = 0;
};

// The work a bound may take: runs of the Taylor series (on a ball or at a
// point), each weighed as seriesRunCost (proof/work.h), about half a second
// on a two-core x86-64 of 2020 whatever the order, so that a study's four,
// two at a time, end within about a second; the orders it takes, the
// relative gap it aims for, and the narrowest piece it splits, as a fraction
// of b - a.
inline constexpr long long derivativeWorkLimit = 60'000'000;
inline constexpr int derivativeOrderLimit = 16;
inline constexpr double derivativeRelativeGap = 0x1p-20; // about 1e-6
inline constexpr int derivativeSplitDepth = 40;

// M_k for 0 <= order <= derivativeOrderLimit. Branch and bound: the piece
// with the largest bound is split until that bound is within
// derivativeRelativeGap of the largest point value found. If the limits stop
// it first, the bounds returned still hold, only farther apart. Refused as
// proveDefined refuses, and with NotSmooth (x the place within the
// interval, to about twelve digits) where f^(order) has no bound, since f
// itself is then proven defined and finite; at a removable 0/0
// (proof/removable.h) f is its continuous extension; CountOutOfRange for
// the order. Where f^(order) has a value past the doubles, M_k is proven no
// less than the largest double at that point (`at`), and `upper` is
// infinite.
// A caller that shows more digits may ask for a narrower relative gap; the
// work limits stay the same, so a gap not reached leaves the bounds farther
// apart, never a longer search.
Result<DerivativeMax> proveDerivativeMax(const Program &program, double a, double b, int order,
                                         double relativeGap = derivativeRelativeGap);

// The same between the exact numbers typed (0.1 is 1/10, pi/2 is pi halved):
// the search runs between the doubles just inside the ends (so `at` and
// `lower` hold inside [a; b]), and `upper` also bounds f^(k) over the
// slivers between those doubles and the ends. Refused as proveDefined on
// exact ends refuses, and as above (a pole in a sliver is its end's).
Result<DerivativeMax> proveDerivativeMax(const Program &program, const ExactNumber &a,
                                         const ExactNumber &b, int order,
                                         double relativeGap = derivativeRelativeGap);

// The work settling M_k at a point may take, in the units above.
inline constexpr long long derivativeSettleWorkLimit = derivativeWorkLimit / 4;

// M_k as proveDerivativeMax proved it (`m`, on the same f and ends), made
// exact where it can be: where |f^(k)| at a candidate point (an end of
// [a; b] that is a double, or m.at) is a double computed exactly (a ball of
// radius 0) and no other point exceeds it. That is proven piece by piece:
// a piece's bound is at most that value, or next to such a point |f^(k)|
// does not rise away from it (f^(k+1) of the sign that makes it fall, or
// f^(k+1) exactly 0 at the point and f^(k+2) of the sign that makes it
// peak there). Then lower = upper = that value; otherwise m unchanged, as
// also where f has removable points, where the work exceeds
// derivativeSettleWorkLimit or a piece derivativeSplitDepth splits.
DerivativeMax settleDerivativeMax(const Program &program, const ExactNumber &a,
                                  const ExactNumber &b, const DerivativeMax &m);

} // namespace kvadrolab
