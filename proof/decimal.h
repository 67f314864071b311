// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace kvadrolab {

// Decimal texts of proven numbers. A bound printed to fewer digits than its
// double has must be rounded away from what it bounds, or the printed
// interval no longer holds the truth; these roundings are exact (MPFR), not
// printf's, whose direction no platform promises.
enum class Rounding { Down, Nearest, Up };

// A finite v with `significant` digits (1 to 40), rounded as asked, trailing
// zeros dropped, '.' as the separator: "0.18047902260024001", "108",
// "-1.25e-07", "3e+20" (plain digits for exponents from -5 to 16, as %.17g).
// It is a JSON number as it stands.
std::string decimalText(double v, int significant, Rounding rounding);

// The radius, with `significant` digits and rounded up, for which
// midText -+ radius holds all of [lower; upper] (lower <= upper, both finite):
// the distance from the printed midpoint, which rounding moved off the double
// midpoint, to the farther end.
std::string radiusText(std::string_view midText, double lower, double upper, int significant);

// The digits of a proven value in [lower; upper] (finite, lower <= upper)
// that are certain: the longest text of at most maxDigits (1 to 17)
// significant digits within one unit of its last digit of every point of
// [lower; upper], empty when not even one digit is. Trailing zeros are kept,
// since they are proven digits too: [108; 108.00000000005] gives
// "108.000000000" at 12. '.' as separator; beyond 10^12 or below 10^-4 in
// scientific form ("6.93685135235e+40").
std::string provenDigitsText(double lower, double upper, int maxDigits);

// A place on the axis found by subdividing [a; b] (a refusal's x): its
// digits down to about 1e-9 of the interval's size, which is as far as the
// subdivision narrows it, so that a pole at 0 reads "0" and not "-5.8e-11".
// Rounded to nearest; '.' as the separator.
std::string placeDecimal(double x, double a, double b);

} // namespace kvadrolab
