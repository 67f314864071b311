// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/studytext.h"

#include "calc/answertext.h"
#include "numbers/numbertext.h"
#include "proof/refusaltext.h"

#include <QLocale>
#include <QRegularExpression>

namespace kvadrolab {

QString methodName(RuleKind kind)
{
    return QStringLiteral("метод ") + QString::fromStdString(ruleTitle(kind));
}

QString methodShortName(RuleKind kind)
{
    switch (kind) {
    case RuleKind::Left:
        return QStringLiteral("левые прямоугольники");
    case RuleKind::Right:
        return QStringLiteral("правые прямоугольники");
    case RuleKind::Midpoint:
        return QStringLiteral("средние прямоугольники");
    case RuleKind::Trapezoid:
        return QStringLiteral("трапеции");
    case RuleKind::Simpson:
        return QStringLiteral("Симпсон");
    case RuleKind::Simpson38:
        return QStringLiteral("Симпсон 3/8");
    case RuleKind::Boole:
        return QStringLiteral("Буль");
    case RuleKind::Gauss2:
        return QStringLiteral("Гаусс, 2 узла");
    case RuleKind::Gauss3:
        return QStringLiteral("Гаусс, 3 узла");
    }
    return {};
}

QString shownDecimal(const std::string &text)
{
    QString shown = QString::fromStdString(text);
    shown.replace(QLatin1Char('.'), QLocale().decimalPoint());
    static const QRegularExpression power(QStringLiteral("e\\+?(-?)0*(\\d+)$"));
    shown.replace(power, QStringLiteral("·10^\\1\\2"));
    // A real minus sign reads better than a hyphen, in the text and aloud.
    shown.replace(QLatin1Char('-'), QChar(0x2212));
    return shown;
}

QString valueText(double v)
{
    return shownDecimal(decimalText(v, 12, Rounding::Nearest));
}

QString errorText(double v)
{
    return shownDecimal(decimalText(v, 3, Rounding::Nearest));
}

QString orderText(double v)
{
    return formatFixed(v, 2).replace(QLatin1Char('-'), QChar(0x2212));
}

QString countText(long n)
{
    return formatCount(n);
}

QString integralText(const Enclosure &integral)
{
    const std::string mid = decimalText(integral.mid, 17, Rounding::Nearest);
    return shownDecimal(mid) + QStringLiteral(" ± ") +
           shownDecimal(radiusText(mid, integral.lower, integral.upper, 2));
}

QString certainDigits(double lower, double upper)
{
    return shownDecimal(provenDigitsText(lower, upper, 17));
}

QString boundText(double v, Rounding rounding)
{
    return shownDecimal(decimalText(v, 10, rounding));
}

QString placeOfMaximum(const DerivativeMax &m, double a, double b)
{
    if (m.at == a || m.at == b)
        return QStringLiteral("x = ") + shownDecimal(decimalText(m.at, 17, Rounding::Nearest));
    return QStringLiteral("x ≈ ") + shownDecimal(placeDecimal(m.at, a, b));
}

QString proofRefusalText(const Refusal &why, double a, double b, int order)
{
    return QString::fromStdString(describeProofRefusal(why, a, b, order));
}

QString countRefusalText(RuleKind kind, const Refusal &why)
{
    return QString::fromStdString(ruleRefusalText(kind, why));
}

} // namespace kvadrolab
