// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"

#include <QString>

#include <optional>

namespace kvadrolab {

// Reads a number field as typed, as kvadrolab::readNumber() reads a text
// (base/numberreader.h), with any Unicode spaces around it.
Result<double> readNumberField(const QString &text);

// Fixed point with `decimals` digits after the separator of the user's locale,
// at least one digit before it, '-' for negative values, no grouping.
QString formatFixed(double value, int decimals = 10);

// A whole number, halves rounded away from zero, in the same form.
QString formatWhole(double value);

// The shortest text that reads back as the same double, in the user's locale
// with its separator and grouping; very large and very small values take an
// exponent.
QString formatShortest(double value);

// The value rounded to `significant` digits in the same form, without
// trailing zeros; an exponent is written with the letter asked for.
enum class ExponentLetter { Small, Capital };
QString formatSignificant(double value, int significant,
                          ExponentLetter letter = ExponentLetter::Small);

// Scientific form with `decimals` digits after the user's separator: 1,23457e-05.
QString formatScientific(double value, int decimals);

// A whole count with the user's digit grouping: 10 000 000 in Russian.
QString formatCount(long long count);

// The value rounded to one decimal with the power of ten written as the
// captions write it: 1,0·10^-10 (the separator is the user's). A value
// without an exponent (infinite, not a number) prints as the locale gives it.
QString formatPower(double value);

// Ten to a whole power as an axis caption: "1" for 0, otherwise 10^3, 10^-2.
QString formatTenTo(int exponent);

} // namespace kvadrolab
