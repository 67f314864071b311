// SPDX-License-Identifier: GPL-3.0-or-later
#include "numbers/numbertext.h"

#include <QLocale>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace kvadrolab::numbers {

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// '+', '-' or the minus sign U+2212, which text copied from documents carries.
bool isSign(QChar c)
{
    return c == QLatin1Char('+') || c == QLatin1Char('-') || c == QChar(0x2212);
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

std::optional<double> readNumber(const QString &text)
{
    const QString t = text.trimmed();
    // Rebuilt as plain ASCII in the one form std::from_chars reads, while
    // checking the grammar character by character.
    std::string ascii;
    ascii.reserve(t.size());
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && isSign(t[i])) {
        negative = t[i] != QLatin1Char('+');
        if (negative)
            ascii += '-';
        ++i;
    }
    const std::size_t mantissaStart = ascii.size();
    int mantissaDigits = 0;
    bool separator = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (isDigit(c)) {
            ascii += char(c.unicode());
            ++mantissaDigits;
        } else if ((c == QLatin1Char(',') || c == QLatin1Char('.')) && !separator) {
            ascii += '.';
            separator = true;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    const std::string mantissa = ascii.substr(mantissaStart);
    long long exponent = 0;
    if (i < t.size() && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
        ascii += 'e';
        ++i;
        bool negativeExponent = false;
        if (i < t.size() && isSign(t[i])) {
            negativeExponent = t[i] != QLatin1Char('+');
            if (negativeExponent)
                ascii += '-';
            ++i;
        }
        int exponentDigits = 0;
        for (; i < t.size() && isDigit(t[i]); ++i, ++exponentDigits) {
            ascii += char(t[i].unicode());
            exponent = std::min(exponent * 10 + t[i].digitValue(), 1'000'000'000LL);
        }
        if (exponentDigits == 0)
            return std::nullopt;
        if (negativeExponent)
            exponent = -exponent;
    }
    if (i != t.size())
        return std::nullopt;

    double value = 0;
    const char *first = ascii.data();
    const char *last = first + ascii.size();
    const auto [end, ec] = std::from_chars(first, last, value);
    if (end != last)
        return std::nullopt;
    if (ec == std::errc::result_out_of_range) {
        // Out of range either way: beyond the largest double, which has no
        // finite value, or below the smallest one, which is as near to zero
        // as a double gets and reads as a zero of its sign.
        if (decimalOrder(mantissa, exponent) > 0)
            return std::nullopt;
        return negative ? -0.0 : 0.0;
    }
    if (ec != std::errc() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString formatWhole(double value)
{
    // std::round takes halves away from zero; adding 0.0 turns the -0 that
    // rounding a small negative value gives into 0.
    return formatFixed(std::round(value) + 0.0, 0);
}

QString formatFixed(double value, int decimals)
{
    QString s = QString::number(value, 'f', decimals);
    const QString point = QLocale().decimalPoint();
    if (point != QLatin1String("."))
        s.replace(QLatin1Char('.'), point);
    return s;
}

QString formatShortest(double value)
{
    return QLocale().toString(value, 'g', QLocale::FloatingPointShortest);
}

QString formatSignificant(double value, int significant)
{
    return QLocale().toString(value, 'g', significant);
}

QString formatPower(double value)
{
    QString text = QLocale().toString(value, 'e', 1);
    // Locales differ in the case of the exponent's letter.
    const qsizetype e = text.lastIndexOf(QLatin1Char('e'), -1, Qt::CaseInsensitive);
    if (e < 0)
        return text;
    const int exponent = text.mid(e + 1).toInt();
    return text.left(e) + QStringLiteral("·10^") + QString::number(exponent);
}

QString formatTenTo(int exponent)
{
    return exponent == 0 ? QStringLiteral("1") : QStringLiteral("10^%1").arg(exponent);
}

} // namespace kvadrolab::numbers
