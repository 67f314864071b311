// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/numberreader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace kvadrolab {

namespace {

constexpr std::string_view kMinusSign = "\xE2\x88\x92"; // U+2212

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// '+', '-' or the minus sign U+2212, which text copied from documents
// carries: its length in bytes at `at`, 0 for none.
std::size_t signLength(std::string_view text, std::size_t at)
{
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        return 1;
    if (text.substr(at, kMinusSign.size()) == kMinusSign)
        return kMinusSign.size();
    return 0;
}

// Characters, not bytes, are what a user counts.
std::size_t characters(std::string_view utf8, std::size_t bytes)
{
    return std::count_if(utf8.begin(), utf8.begin() + std::min(bytes, utf8.size()),
                         [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
}

Refusal notANumberAt(std::size_t position)
{
    return Refusal{Reason::NotANumber, {}, position};
}

// Where the number's first significant digit lies: n for 10^(n-1) <= |x| <
// 10^n. Only its sign matters here, so the exponent may saturate.
long long decimalOrder(const std::string &mantissa, long long exponent)
{
    long long order = 0;
    bool significant = false;
    bool afterPoint = false;
    for (char c : mantissa) {
        if (c == '.') {
            afterPoint = true;
        } else if (c != '0' || significant) {
            significant = true;
            if (afterPoint)
                break;
            ++order;
        } else if (afterPoint) {
            --order;
        }
    }
    return order + exponent;
}

} // namespace

Result<ScannedNumber> scanNumber(std::string_view t)
{
    // Rebuilt as plain ASCII in the one form std::from_chars reads, while
    // checking the grammar character by character.
    std::string ascii;
    std::size_t i = 0;
    bool negative = false;
    if (const std::size_t sign = signLength(t, i)) {
        negative = t[i] != '+';
        if (negative)
            ascii += '-';
        i += sign;
    }
    const std::size_t mantissaStart = ascii.size();
    int mantissaDigits = 0;
    bool separator = false;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (isDigit(c)) {
            ascii += c;
            ++mantissaDigits;
        } else if ((c == ',' || c == '.') && !separator) {
            ascii += '.';
            separator = true;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0)
        return notANumberAt(characters(t, i));
    const std::string mantissa = ascii.substr(mantissaStart);
    long long exponent = 0;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ascii += 'e';
        ++i;
        bool negativeExponent = false;
        if (const std::size_t sign = signLength(t, i)) {
            negativeExponent = t[i] != '+';
            if (negativeExponent)
                ascii += '-';
            i += sign;
        }
        int exponentDigits = 0;
        for (; i < t.size() && isDigit(t[i]); ++i, ++exponentDigits) {
            ascii += t[i];
            exponent = std::min(exponent * 10 + (t[i] - '0'), 1'000'000'000LL);
        }
        if (exponentDigits == 0)
            return notANumberAt(characters(t, i));
        if (negativeExponent)
            exponent = -exponent;
    }

    double value = 0;
    const char *first = ascii.data();
    const char *last = first + ascii.size();
    const auto [end, ec] = std::from_chars(first, last, value);
    if (end != last)
        return notANumberAt(0);
    if (ec == std::errc::result_out_of_range) {
        // Out of range either way: beyond the largest double, which has no
        // finite value, or below the smallest one, which is as near to zero
        // as a double gets and reads as a zero of its sign.
        if (decimalOrder(mantissa, exponent) > 0)
            return notANumberAt(0);
        return ScannedNumber{negative ? -0.0 : 0.0, i};
    }
    if (ec != std::errc() || !std::isfinite(value))
        return notANumberAt(0);
    return ScannedNumber{value, i};
}

Result<double> readNumber(std::string_view text)
{
    std::size_t first = 0;
    while (first < text.size() && isSpace(text[first]))
        ++first;
    std::size_t last = text.size();
    while (last > first && isSpace(text[last - 1]))
        --last;
    const std::string_view number = text.substr(first, last - first);
    const Result<ScannedNumber> scanned = scanNumber(number);
    if (!scanned) {
        Refusal why = scanned.refusal();
        why.position = characters(text, first) + why.position.value_or(0);
        return why;
    }
    if (scanned->length != number.size())
        return notANumberAt(characters(text, first + scanned->length));
    return scanned->value;
}

} // namespace kvadrolab
