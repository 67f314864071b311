// SPDX-License-Identifier: GPL-3.0-or-later
#include "proof/decimal.h"

#include "proof/balls.h"

#include <mpfr.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kvadrolab {

namespace {

mpfr_rnd_t mpfrRounding(Rounding rounding)
{
    switch (rounding) {
    case Rounding::Down:
        return MPFR_RNDD;
    case Rounding::Up:
        return MPFR_RNDU;
    case Rounding::Nearest:
        break;
    }
    return MPFR_RNDN;
}

// The digits of x (an MPFR number, finite) rounded as asked to
// `significant` digits, and the power of ten its leading digit stands for.
// Plain digits while that power lies in [lowest; highest], scientific
// ("1.25e-07", two exponent digits at least) beyond; trailing zeros dropped
// unless kept.
struct LaidOut
{
    std::string text;
    long power;
};

LaidOut layOut(mpfr_srcptr x, int significant, mpfr_rnd_t rounding, bool keepZeros, long lowest,
               long highest)
{
    significant = std::clamp(significant, 1, 40);
    if (mpfr_zero_p(x)) {
        const auto zeros = static_cast<size_t>(significant - 1);
        return {keepZeros && zeros > 0 ? "0." + std::string(zeros, '0') : "0", 0};
    }
    mpfr_exp_t exponent = 0;
    char *raw = mpfr_get_str(nullptr, &exponent, 10, static_cast<size_t>(significant), x, rounding);
    std::string digits(raw);
    mpfr_free_str(raw);
    std::string sign;
    if (!digits.empty() && digits.front() == '-') {
        sign = "-";
        digits.erase(0, 1);
    }
    // x = 0.DIGITS * 10^exponent, so the first digit stands for 10^power.
    const long power = static_cast<long>(exponent) - 1;
    while (!keepZeros && digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    if (power >= lowest && power <= highest) {
        std::string text;
        if (power < 0) {
            text = "0." + std::string(static_cast<size_t>(-power - 1), '0') + digits;
        } else if (static_cast<long>(digits.size()) <= power + 1) {
            text = digits + std::string(static_cast<size_t>(power + 1) - digits.size(), '0');
        } else {
            text = digits.substr(0, static_cast<size_t>(power + 1)) + "." +
                   digits.substr(static_cast<size_t>(power + 1));
        }
        return {sign + text, power};
    }
    std::string text = digits.substr(0, 1);
    if (digits.size() > 1)
        text += "." + digits.substr(1);
    const long magnitude = std::labs(power);
    text += power < 0 ? "e-" : "e+";
    if (magnitude < 10)
        text += "0";
    return {sign + text + std::to_string(magnitude), power};
}

} // namespace

std::string decimalText(double v, int significant, Rounding rounding)
{
    mpfr_t x;
    mpfr_init2(x, 64);
    mpfr_set_d(x, v, MPFR_RNDN); // exact: a double fits in 64 bits
    std::string text = layOut(x, significant, mpfrRounding(rounding), false, -5, 16).text;
    mpfr_clear(x);
    return text;
}

namespace {

// True when every point of [lower; upper] lies within `unit` of the decimal
// `text`: exact, in balls.
bool withinUnit(const std::string &text, double lower, double upper, const arb_t unit)
{
    constexpr slong precision = 256;
    Ball mid, farther, other;
    arb_set_str(mid.get(), text.c_str(), precision);
    arb_set_d(farther.get(), lower);
    arb_sub(farther.get(), mid.get(), farther.get(), precision);
    arb_set_d(other.get(), upper);
    arb_sub(other.get(), other.get(), mid.get(), precision);
    return arb_le(farther.get(), unit) && arb_le(other.get(), unit);
}

} // namespace

std::string provenDigitsText(double lower, double upper, int maxDigits)
{
    const double mid = lower / 2 + upper / 2;
    maxDigits = std::clamp(maxDigits, 1, 17);
    for (int digits = maxDigits; digits >= 1; --digits) {
        mpfr_t x;
        mpfr_init2(x, 64);
        mpfr_set_d(x, mid, MPFR_RNDN); // exact
        // Plain from 10^-4 to below 10^12, "6.93685135235e+40" beyond.
        const LaidOut shown = layOut(x, digits, MPFR_RNDN, true, -4, 11);
        mpfr_clear(x);
        const std::string &text = shown.text;
        // Its last digit stands for 10^last.
        const long last = shown.power + 1 - digits;
        Ball unit;
        arb_ui_pow_ui(unit.get(), 10, static_cast<ulong>(std::labs(last)), 256);
        if (last < 0)
            arb_inv(unit.get(), unit.get(), 256);
        if (withinUnit(text, lower, upper, unit.get()))
            return text;
    }
    return {};
}

std::string placeDecimal(double x, double a, double b)
{
    const double size = std::fmax(std::fabs(a), std::fabs(b));
    if (x == 0 || !(size > 0) || !std::isfinite(size))
        return decimalText(x, 17, Rounding::Nearest);
    // The unit of the last digit kept: the power of ten nearest below 1e-9
    // of the interval's size.
    const int unit = static_cast<int>(std::floor(std::log10(size))) - 9;
    const int leading = static_cast<int>(std::floor(std::log10(std::fabs(x))));
    const int digits = leading - unit + 1;
    if (digits < 1)
        return std::fabs(x) * 2 >= std::pow(10.0, unit)
                   ? decimalText(std::copysign(std::pow(10.0, unit), x), 1, Rounding::Nearest)
                   : "0";
    return decimalText(x, std::min(digits, 17), Rounding::Nearest);
}

std::string radiusText(std::string_view midText, double lower, double upper, int significant)
{
    constexpr slong precision = 256;
    const std::string text(midText);
    Ball mid, toLower, toUpper;
    // A decimal is seldom a binary fraction: Arb reads it into a ball that
    // holds it, and the upper bounds below cover every point of that ball.
    arb_set_str(mid.get(), text.c_str(), precision);
    arb_set_d(toLower.get(), lower);
    arb_sub(toLower.get(), mid.get(), toLower.get(), precision);
    arb_set_d(toUpper.get(), upper);
    arb_sub(toUpper.get(), toUpper.get(), mid.get(), precision);

    arf_t farther, other;
    arf_init(farther);
    arf_init(other);
    arb_get_ubound_arf(farther, toLower.get(), precision);
    arb_get_ubound_arf(other, toUpper.get(), precision);
    arf_max(farther, farther, other);
    if (arf_sgn(farther) < 0)
        arf_zero(farther);

    mpfr_t radius;
    mpfr_init2(radius, precision);
    arf_get_mpfr(radius, farther, MPFR_RNDU);
    std::string result = layOut(radius, significant, MPFR_RNDU, false, -5, 16).text;
    mpfr_clear(radius);
    arf_clear(farther);
    arf_clear(other);
    return result;
}

} // namespace kvadrolab
