// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "expression/constant.h"
#include "expression/program.h"
#include "proof/derivativemax.h"
#include "proof/integral.h"
#include "rules/compositerule.h"
#include "study/study.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace kvadrolab {

// Everything the command-line companion says about one integral, as the
// study (study/) computed it: the proven integral, the proven M_k of the
// rules' bounds, and every composite rule at one n with its error and
// a-priori bound.

// A rule at the answer's n: value, error against the proven integral (+-inf
// past the doubles), and the bound rounded up (+inf past the doubles,
// refused where its M_k is).
using RuleAnswer = RuleAtAnyCount;

struct Answer
{
    std::string f;
    double a = 0;
    double b = 0;
    Enclosure integral;
    // The removable 0/0 points (sin(x)/x at 0) with their proven limits,
    // which the integral, the M_k and the rules take there.
    std::vector<PointLimit> limits;
    // By studyOrders, as the study proved them; one whose upper end is past
    // every double keeps its lower end and place, with upper = +inf.
    std::array<Result<DerivativeMax>, studyOrders.size()> maxima{
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

// The same for the exact numbers typed as the ends (0.1 is 1/10, pi/2 is pi
// halved): the integral and the M_k are proven between them, a pole at one
// is refused at that end, and the rules sum between their doubles, which
// the answer keeps as a and b.
Result<Answer> answerFor(std::string_view f, const ExactNumber &a, const ExactNumber &b, long n);

} // namespace kvadrolab
