// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "expression/program.h"
#include "rules/compositerule.h"

#include <cstddef>
#include <optional>
#include <vector>

// What the study's pictures draw, worked out from f without Qt: the pieces
// of a rule's picture and the samples of f and its derivatives. Values to
// draw, not bounds: the study (study/) proves what is shown as proven.
namespace kvadrolab {

// What the picture of a rule shows: each group of subintervals the rule
// treats at once (one, or 2, 3, 4 for Simpson, 3/8, Boole) as the polynomial
// through the rule's own nodes in it, whose integral over the group is the
// rule's share. For the left, right and midpoint rules that is a constant,
// for the trapezoid rule a chord, for Simpson's a parabola, for Gauss the
// polynomial through its nodes.
struct RulePiece
{
    double from = 0;
    double to = 0;
    std::vector<double> x; // the rule's nodes in [from; to]
    std::vector<double> y; // f at them
    // The polynomial through (x, y) at any point (Lagrange's form).
    double shape(double at) const;
};

// The most pieces a picture draws.
inline constexpr long kRuleDrawingLimit = 1000;

// The pieces of the rule at n, in increasing x (for b < a, from b). Refused as
// checkRuleCount refuses, CountOutOfRange above kRuleDrawingLimit, and
// NonFiniteResult at the node where f overflows.
Result<std::vector<RulePiece>> rulePieces(const Program &program, RuleKind kind, double a, double b,
                                          long n);

// f, |f''| or |f''''| (order 0, 2, 4) at `points` evenly spaced x over the
// interval between a and b, for drawing: each value is the midpoint of a
// ball, not a bound, and absent where it could not be computed.
struct Sample
{
    double x = 0;
    std::optional<double> y;
};
std::vector<Sample> derivativeSamples(const Program &program, double a, double b, int order,
                                      int points);

// The most points of f a rule picture and a derivative panel take.
inline constexpr std::size_t kStudyChartSampleLimit = 100000;

} // namespace kvadrolab
