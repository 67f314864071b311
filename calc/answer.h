// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "expression/program.h"
#include "proof/derivativemax.h"
#include "proof/integral.h"
#include "rules/compositerule.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace kvadrolab {

// Everything the command-line companion says about one integral: the proven
// integral, the proven M_k of the rules' bounds, and every composite rule at
// one n with its a-priori bound.

// The orders of the derivatives the composite rules' bounds use.
inline constexpr std::array<int, 4> answerOrders = {1, 2, 4, 6};

struct RuleAnswer
{
    RuleKind kind = RuleKind::Trapezoid;
    long n = 0;
    double value = 0;
    // value minus the integral's midpoint: what the rule missed by, to the
    // rounding of one subtraction (not a bound); +-infinity where the
    // difference of two doubles lies past every double.
    double error = 0;
    // The a-priori truncation bound from the proven upper M_k, rounded up;
    // +infinity where that M_k is a double but the bound exceeds every double;
    // refused where that M_k is, where it exceeds every double itself, and
    // where the bound underflows.
    Result<double> bound = Refusal{Reason::NotProven};
};

struct Answer
{
    std::string f;
    double a = 0;
    double b = 0;
    Enclosure integral;
    // The removable 0/0 points (sin(x)/x at 0) with their proven limits,
    // which the integral, the M_k and the rules take there.
    std::vector<PointLimit> limits;
    std::array<Result<DerivativeMax>, answerOrders.size()> maxima{
        Refusal{Reason::NotProven}, Refusal{Reason::NotProven}, Refusal{Reason::NotProven},
        Refusal{Reason::NotProven}};
    std::array<Result<RuleAnswer>, allRules.size()> rules{
        Refusal{Reason::NotProven}, Refusal{Reason::NotProven}, Refusal{Reason::NotProven},
        Refusal{Reason::NotProven}, Refusal{Reason::NotProven}, Refusal{Reason::NotProven},
        Refusal{Reason::NotProven}, Refusal{Reason::NotProven}, Refusal{Reason::NotProven}};
};

// The answer for f (UTF-8, as typed) on [a; b] with n subintervals for
// every rule. For a > b the integral and the rules take the orientation
// (the integral from b to a, negated: the same as rules summed with a
// negative h), and the M_k are those of the interval between them.
//
// Refused as a whole, with the reason and the position in the text or the
// place on the axis: a text that is no expression (the parser's reasons),
// a or b not finite, a == b (EmptyInterval), f not defined on the interval,
// or an integral that cannot be proven. Anything less (an M_k, a rule that
// does not take n, a bound) is refused in its own place of the answer.
Result<Answer> answerFor(std::string_view f, double a, double b, long n);

} // namespace kvadrolab
