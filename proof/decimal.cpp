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

// The digits of x (an MPFR number, finite) rounded as asked, laid out like
// %.{significant}g with the trailing zeros gone.
std::string layOut(mpfr_srcptr x, int significant, mpfr_rnd_t rounding)
{
    if (mpfr_zero_p(x))
        return "0";
    significant = std::clamp(significant, 1, 40);
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
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    if (power >= -5 && power < 17) {
        std::string text;
        if (power < 0) {
            text = "0." + std::string(static_cast<size_t>(-power - 1), '0') + digits;
        } else if (static_cast<long>(digits.size()) <= power + 1) {
            text = digits + std::string(static_cast<size_t>(power + 1) - digits.size(), '0');
        } else {
            text = digits.substr(0, static_cast<size_t>(power + 1)) + "." +
                   digits.substr(static_cast<size_t>(power + 1));
        }
        return sign + text;
    }
    std::string text = digits.substr(0, 1);
    if (digits.size() > 1)
        text += "." + digits.substr(1);
    const long magnitude = std::labs(power);
    text += power < 0 ? "e-" : "e+";
    if (magnitude < 10)
        text += "0";
    return sign + text + std::to_string(magnitude);
}

} // namespace

std::string decimalText(double v, int significant, Rounding rounding)
{
    mpfr_t x;
    mpfr_init2(x, 64);
    mpfr_set_d(x, v, MPFR_RNDN); // exact: a double fits in 64 bits
    std::string text = layOut(x, significant, mpfrRounding(rounding));
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
        mpfr_set_d(x, mid, MPFR_RNDN);
        mpfr_exp_t exponent = 0;
        char *raw = mpfr_get_str(nullptr, &exponent, 10, static_cast<size_t>(digits), x, MPFR_RNDN);
        std::string mantissa(raw);
        mpfr_free_str(raw);
        mpfr_clear(x);
        const bool negative = !mantissa.empty() && mantissa.front() == '-';
        if (negative)
            mantissa.erase(0, 1);
        if (mid == 0)
            exponent = 1;
        // The value is 0.MANTISSA * 10^exponent; its last digit stands for
        // 10^(exponent - digits).
        const long last = static_cast<long>(exponent) - digits;
        std::string text;
        if (exponent < -3 || exponent > 12) {
            // 6.93685135235e+40: as many digits, in scientific form.
            text = mantissa.substr(0, 1);
            if (mantissa.size() > 1)
                text += "." + mantissa.substr(1);
            const long power = static_cast<long>(exponent) - 1;
            text += power < 0 ? "e-" : "e+";
            if (std::labs(power) < 10)
                text += "0"; // two exponent digits at least, as decimalText writes
            text += std::to_string(std::labs(power));
        } else if (exponent <= 0) {
            text = "0." + std::string(static_cast<size_t>(-exponent), '0') + mantissa;
        } else if (static_cast<long>(mantissa.size()) <= exponent) {
            text = mantissa + std::string(static_cast<size_t>(exponent) - mantissa.size(), '0');
        } else {
            text = mantissa.substr(0, static_cast<size_t>(exponent)) + "." +
                   mantissa.substr(static_cast<size_t>(exponent));
        }
        if (negative)
            text = "-" + text;
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
    std::string result = layOut(radius, significant, MPFR_RNDU);
    mpfr_clear(radius);
    arf_clear(farther);
    arf_clear(other);
    return result;
}

} // namespace kvadrolab
