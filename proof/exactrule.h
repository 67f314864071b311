// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "expression/program.h"
#include "proof/integral.h"
#include "proof/removable.h"
#include "rules/compositerule.h"

// Qt's headers, where a file has them, come before this one (balls.h).
#include <arb.h>

namespace kvadrolab {

// The composite rules of rules/ on the exact nodes a + i h, h = (b - a) / n,
// with the same weights, summed in ball arithmetic: the rule's own value
// I(n), without the rounding of a double sum.

// The working precision of the exact sums, in bits: f keeps some 75 of them
// where its formula cancels 53 (1 - cos x near 0), and a rule's error is
// still told far below a double's rounding.
inline constexpr slong exactRulePrecision = 128;

// The work an exact sum may take: the nodes times the program's length
// (60 000 is 3000 nodes, Gauss-3 at n = 1000, of a program of 20 steps,
// some 6 ms for a short f).
inline constexpr long exactRuleWorkLimit = 60'000;

// The nodes of the rule at n times the program's steps; n must be a count
// the rule takes (checkRuleCount), else 0.
long exactRuleWork(RuleKind kind, const Program &program, long n);

// The exact rule: I(n) of f from a to b (either order; b < a sums with a
// negative h, as rules/ does), enclosed, its fine ball (fineRad) included.
// Refused as checkRuleCount refuses, WorkLimit above exactRuleWorkLimit,
// NonFiniteInput for an end that is no finite ball, and where f cannot be
// evaluated at a node ball, with that step's position and the node as x.
// Where f has removable points (proveDefinedWithLimits), a node on one
// takes f's proven limit there.
Result<Enclosure> exactRule(RuleKind kind, const Program &program, const arb_t a, const arb_t b,
                            long n, const std::vector<RemovablePoint> &limits = {});

// The same with ends that are doubles, each taken as its exact value.
Result<Enclosure> exactRule(RuleKind kind, const Program &program, double a, double b, long n);

// x - y from their fine balls, enclosed (its fineRad included); NotProven
// where either has no fine ball (fineRad not finite) or the difference
// leaves the doubles.
Result<Enclosure> enclosedDifference(const Enclosure &x, const Enclosure &y);

// A double as the enclosure of itself: radius 0, fine radius 0.
Enclosure exactEnclosure(double value);

// The fine ball of an enclosure, mid + midTail +- fineRad (exact in Arb).
void fineBall(arb_t out, const Enclosure &e);

// Every field of an enclosure from a ball, rounded outward; NonFiniteResult
// where the ball is not finite or leaves the doubles.
Result<Enclosure> enclosureOfBall(const arb_t ball);

} // namespace kvadrolab
