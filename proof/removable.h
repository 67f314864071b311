// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "expression/constant.h"
#include "expression/program.h"
#include "proof/integral.h"

// Qt's headers, where a file has them, come before this one (balls.h).
#include <arb_poly.h>

#include <optional>
#include <vector>

namespace kvadrolab {

struct BallFailure;

// A removable 0/0 of f at a double c: a division whose numerator and
// denominator both have a zero of order m at c, proven from their Taylor
// series at the exact point c, whose first m terms are exact zeros. The
// quotient, both series shorn of (x - c)^m, is f's continuous extension
// there, and its value at c is the limit.
struct RemovablePoint
{
    double x = 0;
    // The neighbourhood of x, within the interval, where f is proven defined
    // (on a ball holding it) from the cancelled quotient: outside it the
    // plain proofs hold.
    double lo = 0;
    double hi = 0;
    Enclosure limit;         // lim f at x
    std::vector<int> powers; // per step of the program: the power cancelled there
    int cancelled = 0;       // their sum: the terms the series loses
    // An improper point instead (f has no bound at x, limit is unset): the
    // m of the substitution x = x -+ s^m that makes m s^(m-1) f bounded and
    // analytic, and the s reaching [lo; x] and [x; hi] (0 for no side).
    int substitution = 0;
    double leftReach = 0;
    double rightReach = 0;
};

// How many removable points one interval may have before the proof gives up.
inline constexpr int removablePointLimit = 16;

// proveDefined, except that a division by zero at a removable 0/0 is taken
// by its limit, and a point where f has no bound but m s^(m-1) f(x -+ s^m)
// (m = 2, 3 or 6) is a removable quotient in s is an improper point: the
// points (in increasing x), empty where proveDefined itself holds. Refused
// as proveDefined refuses; with ZeroOverZero (x the place) where the
// numerator is zero too there but no limit is proven (not a double, or not
// removable); with Improper at a double where f has no bound otherwise
// (ln x at 0); Pole where the divisor's zero is of higher order (1/x).
Result<std::vector<RemovablePoint>> proveDefinedWithLimits(const Program &program, double a,
                                                           double b);

// The same between exact ends: limits only at doubles, so an end typed
// between two doubles must itself be proven defined, as proveDefined does.
Result<std::vector<RemovablePoint>>
proveDefinedWithLimits(const Program &program, const ExactNumber &a, const ExactNumber &b);

// taylorOnBall for f continued by its limits: on a ball that holds one of
// the points, or lies within twice its width of one, the series of the
// cancelled quotient (over the ball joined with the point); elsewhere
// taylorOnBall itself. NotProven (not everywhere) on a ball near two points.
std::optional<BallFailure> taylorNearLimits(arb_poly_t series, const Program &program,
                                            const arb_t x, slong order,
                                            const std::vector<RemovablePoint> &points);

// The integral from lo to hi (lo < hi) of f continued by its limits at the
// points proveDefinedWithLimits found on [lo; hi]: each neighbourhood from
// the cancelled Taylor series and its remainder (at an improper point, the
// integral in s of m s^(m-1) f), the rest by integrateDefined.
Result<Enclosure> integrateWithLimits(const Program &program, double lo, double hi,
                                      const std::vector<RemovablePoint> &points);

} // namespace kvadrolab
