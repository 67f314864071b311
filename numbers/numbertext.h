// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

namespace kvadrolab::numbers {

// Reads a number field as typed: surrounding spaces, an optional sign ('+',
// '-' or U+2212), digits with at most one decimal separator (',' or '.', with
// a digit on at least one side), an optional exponent ('e' or 'E', a sign,
// digits). A value too small for a double reads as zero. Both separators are
// accepted whatever the locale: the starting texts use a comma, and a period
// is what many keyboards type. Anything else, including digit grouping,
// "inf", "nan" and values beyond the double range, gives nothing.
std::optional<double> readNumber(const QString &text);

// Fixed point with `decimals` digits after the separator of the user's locale,
// at least one digit before it, '-' for negative values, no grouping.
QString formatFixed(double value, int decimals = 10);

// A whole number, halves rounded away from zero, in the same form.
QString formatWhole(double value);

} // namespace kvadrolab::numbers
