#include "numberfield.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <string>

namespace kvadrolab::forms {

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
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
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-') ||
                         t[i] == QChar(0x2212))) {
        if (t[i] != QLatin1Char('+'))
            ascii += '-';
        ++i;
    }
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
    if (i < t.size() && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
        ascii += 'e';
        ++i;
        if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))) {
            ascii += char(t[i].unicode());
            ++i;
        }
        int exponentDigits = 0;
        for (; i < t.size() && isDigit(t[i]); ++i, ++exponentDigits)
            ascii += char(t[i].unicode());
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != t.size())
        return std::nullopt;

    double value = 0;
    const char *first = ascii.data();
    const char *last = first + ascii.size();
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString formatFixed(double value, int decimals)
{
    QString s = QString::number(value, 'f', decimals);
    const QString point = QLocale().decimalPoint();
    if (point != QLatin1String("."))
        s.replace(QLatin1Char('.'), point);
    return s;
}

} // namespace kvadrolab::forms
