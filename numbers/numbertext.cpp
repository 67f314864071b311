// SPDX-License-Identifier: GPL-3.0-or-later
#include "numbers/numbertext.h"

#include "base/numberreader.h"

#include <QLocale>

#include <cmath>

namespace kvadrolab {

Result<double> readNumberField(const QString &text)
{
    // QString's trimming also takes the Unicode spaces a pasted text brings;
    // a position is then counted in the trimmed text.
    return kvadrolab::readNumber(text.trimmed().toStdString());
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

QString formatSignificant(double value, int significant, ExponentLetter letter)
{
    return QLocale().toString(value, letter == ExponentLetter::Capital ? 'G' : 'g', significant);
}

QString formatScientific(double value, int decimals)
{
    return QLocale().toString(value, 'e', decimals);
}

QString formatCount(long long count)
{
    return QLocale().toString(count);
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

} // namespace kvadrolab
