// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "expression/constant.h"
#include "proof/balls.h"
#include "proof/integral.h"

namespace kvadrolab {

// An exact number (expression/constant.h) as the ball that holds it at
// `prec` bits: 0.1 as 1/10, pi/2 as pi halved, a double as itself (a ball of
// radius 0). False where the program has no finite value there (a literal
// Arb cannot read, a value its balls cannot settle, as 1/(0.1 + 0.2 - 0.3)).
bool exactBall(arb_t ball, const ExactNumber &number, slong prec);

// The interval between two exact ends as the proofs take it: the part
// between the doubles just inside the ends, proven as before, and a sliver
// at each end narrower than one step between doubles, [lo; innerLo] and
// [innerHi; hi], taken as one ball each. A sliver is empty where its end is
// that double itself.
struct ExactInterval
{
    Ball lo; // the lower end's ball
    Ball hi;
    double innerLo = 0; // the least double >= every point of lo's ball
    double innerHi = 0; // the greatest double <= every point of hi's ball
    bool loSliver = false;
    bool hiSliver = false;
    bool reversed = false; // b < a: lo is b
    // Which input each end is, and its nearest double, to name it.
    Input loInput = Input::A;
    Input hiInput = Input::B;
    double loValue = 0;
    double hiValue = 0;
};

// The ends of [a; b] in order. Refused with NonFiniteInput (input A or B) for
// an end without a finite ball, EmptyInterval (input B) where the ends'
// doubles are equal or no double lies between them, or their balls overlap.
Result<void> splitExactEnds(ExactInterval &out, const ExactNumber &a, const ExactNumber &b);

// f proven defined at the lower (or upper) end typed and on its sliver, as
// proveDefined proves it there (a pole at the end is the end's); done where
// that end is a double.
Result<void> proveSliverDefined(const Program &program, const ExactInterval &ends, bool lower);

// The ball of the sliver at the lower (or upper) end: the hull of the end's
// ball and its inner double.
void sliverBall(arb_t ball, const ExactInterval &ends, bool lower);

// A ball as the enclosure of a proven value, rounded outward: NotProven for
// a ball that is not finite, NonFiniteResult for one beyond double.
Result<Enclosure> enclosureOf(const arb_t ball);

} // namespace kvadrolab
