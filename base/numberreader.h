// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"

#include <cstddef>
#include <string_view>

namespace kvadrolab {

// A number at the start of a UTF-8 text: an optional sign ('+', '-' or
// U+2212), digits with at most one decimal separator (',' or '.', with a digit
// on at least one side), an optional exponent ('e' or 'E', a sign, digits).
// `length` is the bytes it takes; a value too small for a double reads as a
// zero of its sign. Refused with NotANumber and the position where the number
// went wrong (a digit was missing or the value lies beyond the double range).
struct ScannedNumber
{
    double value;
    std::size_t length;
};
Result<ScannedNumber> scanNumber(std::string_view utf8);

// A whole text read as one number, as a number field is: surrounding spaces
// allowed, anything else after the number refused with NotANumber and its
// position in characters. Both separators are accepted whatever the locale: the
// starting texts use a comma, and a period is what many keyboards type. Digit
// grouping, "inf", "nan" and values beyond the double range are not numbers.
Result<double> readNumber(std::string_view utf8);

} // namespace kvadrolab
