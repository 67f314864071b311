// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "expression/program.h"

#include <string_view>

namespace kvadrolab {

// A number given exactly: the constant program it was typed as (0.1 is the
// decimal 1/10, pi/2 is pi halved), and the double nearest to it, to show and
// to sum in doubles. An empty program stands for `value` itself: a double
// handed in by a caller is an exact number too.
struct ExactNumber
{
    Program program;
    double value = 0;

    static ExactNumber fromDouble(double v) { return ExactNumber{{}, v}; }
};

// One end of an interval or a tolerance as a student types it: a number as
// the number fields read it (base/numberreader.h: a comma or a point, an
// exponent), or an expression of the integrand language without x ("pi",
// "pi/2", "2pi", "e", "sqrt(2)", "1/3", "1e-6"). `value` is the number
// field's double for a plain number and the double evaluator's value
// otherwise (the nearest double for one exact operation: 1/3, pi/2,
// sqrt(2)). Refused with the parser's reason and position for a text it
// refuses, NotANumber with the position of an x, NonFiniteInput (position 0)
// for a value that is not a finite double (1/0, 1e308*10, sqrt(-1)).
Result<ExactNumber> readExactNumber(std::string_view utf8);

} // namespace kvadrolab
