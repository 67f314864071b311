// SPDX-License-Identifier: GPL-3.0-or-later
#include "studywindow/studytext.h"

#include "expression/refusaltext.h"
#include "numbers/numbertext.h"
#include "proof/refusaltext.h"
#include "study/ruletext.h"
#include "study/study.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>

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

QString shortFormula(const QString &formula, int limit)
{
    const QString f = formula.simplified();
    if (f.size() <= limit)
        return f;
    int cut = std::max(limit - 1, 1);
    // An astral character is two UTF-16 units: cut before it, not through it.
    if (f.at(cut - 1).isHighSurrogate())
        --cut;
    return f.left(cut) + QChar(0x2026);
}

QString studySubject(const QString &formula, const QString &a, const QString &b)
{
    return QStringLiteral("f(x) = %1, [%2; %3]")
        .arg(shortFormula(formula), a.simplified(), b.simplified());
}

QString studyFileStem(const QString &formula, const QString &a, const QString &b)
{
    QString stem =
        QStringLiteral("%1 на [%2; %3]").arg(shortFormula(formula), a.simplified(), b.simplified());
    // '*' and '/' are what students type most; they keep their meaning as
    // the dot and the division slash, which every file system takes.
    stem.replace(QLatin1Char('*'), QChar(0x00B7));
    stem.replace(QLatin1Char('/'), QChar(0x2215));
    for (QChar &c : stem)
        if (c.unicode() < 0x20 || QStringLiteral("\\:?\"<>|").contains(c))
            c = QLatin1Char('_');
    // Windows drops a trailing dot or space. The names it reserves (con,
    // nul, …) never arise: the stem always goes on with " на [".
    while (stem.endsWith(QLatin1Char('.')) || stem.endsWith(QLatin1Char(' ')))
        stem.chop(1);
    return stem;
}

QString withSuperscripts(const QString &text, const QFont &font)
{
    static const QRegularExpression power(QStringLiteral("(?<=\\d)\\^([-\u2212]?)(\\d+)"));
    if (!text.contains(power))
        return text;
    static const char16_t digits[] =
        u"\u2070\u00b9\u00b2\u00b3\u2074\u2075\u2076\u2077\u2078\u2079";
    const QFontMetricsF metrics(font);
    if (!metrics.inFontUcs4(0x207B))
        return text;
    for (int d = 0; d < 10; ++d)
        if (!metrics.inFontUcs4(digits[d]))
            return text;
    QString out;
    qsizetype from = 0;
    for (auto it = power.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += text.mid(from, m.capturedStart() - from);
        if (!m.captured(1).isEmpty())
            out += QChar(0x207B);
        for (const QChar c : m.captured(2))
            out += QChar(digits[c.digitValue()]);
        from = m.capturedEnd();
    }
    return out + text.mid(from);
}

QString withSuperscripts(const QString &text)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return text;
    return withSuperscripts(text, QGuiApplication::font());
}

QString shownDecimal(const std::string &text)
{
    QString shown = QString::fromStdString(text);
    shown.replace(QLatin1Char('.'), QLocale().decimalPoint());
    static const QRegularExpression power(QStringLiteral("e\\+?(-?)0*(\\d+)$"));
    shown.replace(power, QStringLiteral("·10^\\1\\2"));
    // A real minus sign reads better than a hyphen, in the text and aloud.
    shown.replace(QLatin1Char('-'), QChar(0x2212));
    return withSuperscripts(shown);
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

bool excludesZero(const Enclosure &e)
{
    return e.lower > 0 || e.upper < 0;
}

QString enclosedSmallText(const Enclosure &e, const QString &name)
{
    if (excludesZero(e))
        return errorText(e.mid);
    if (e.lower == 0 && e.upper == 0)
        return QStringLiteral("0");
    return QStringLiteral("|%1| ≤ %2")
        .arg(name, shownDecimal(decimalText(std::max(-e.lower, e.upper), 2, Rounding::Up)));
}

QString unprovenText(const QString &shown)
{
    return QStringLiteral("≈ ") + shown;
}

const QString &unprovenNote()
{
    static const QString note = QStringLiteral("сумма в double, не доказана");
    return note;
}

QString boundFormula(RuleKind kind)
{
    switch (kind) {
    case RuleKind::Left:
    case RuleKind::Right:
        return QStringLiteral("(b − a)·h·M1/2");
    case RuleKind::Midpoint:
        return QStringLiteral("(b − a)·h²·M2/24");
    case RuleKind::Trapezoid:
        return QStringLiteral("(b − a)·h²·M2/12");
    case RuleKind::Simpson:
        return QStringLiteral("(b − a)·h⁴·M4/180");
    case RuleKind::Simpson38:
        return QStringLiteral("(b − a)·h⁴·M4/80");
    case RuleKind::Boole:
        return QStringLiteral("2·(b − a)·h⁶·M6/945");
    case RuleKind::Gauss2:
        return QStringLiteral("(b − a)·h⁴·M4/4320");
    case RuleKind::Gauss3:
        return QStringLiteral("(b − a)·h⁶·M6/2016000");
    }
    return {};
}

QString boundAtText(RuleKind kind, double a, double b, long n, double maximumUpper)
{
    return QStringLiteral("%1: |e(n)| ≤ %2, где h = (b − a)/n = %3, M%4 ≤ %5")
        .arg(methodName(kind), boundFormula(kind), valueText((b - a) / double(n)))
        .arg(ruleInfo(kind).derivative)
        .arg(boundText(maximumUpper, Rounding::Up));
}

QString rungeCriterion(int order)
{
    return QStringLiteral("|p_набл − %1| ≤ %2")
        .arg(order)
        .arg(shownDecimal(decimalText(kRungeOrderTolerance * order, 3, Rounding::Nearest)));
}

QString leadingDerivative(int order)
{
    switch (order) {
    case 1:
        return QStringLiteral("f");
    case 2:
        return QStringLiteral("f′");
    case 3:
        return QStringLiteral("f″");
    case 4:
        return QStringLiteral("f‴");
    case 6:
        return QStringLiteral("f⁽⁵⁾");
    default:
        return QStringLiteral("f^(%1)").arg(order - 1);
    }
}

QString integralText(const Enclosure &integral)
{
    const std::string mid = decimalText(integral.mid, 17, Rounding::Nearest);
    return shownDecimal(mid) + QStringLiteral(" ± ") +
           shownDecimal(radiusText(mid, integral.lower, integral.upper, 2));
}

QString limitLines(const Study &study)
{
    QString lines;
    for (const PointLimit &limit : study.limits)
        lines += QStringLiteral("\n") +
                 QString::fromStdString(limitText(
                     shownDecimal(decimalText(limit.x, 12, Rounding::Nearest)).toStdString(),
                     valueText(limit.value).toStdString()));
    return lines;
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

// The words a study's refusal is told in: the one message box of the window.
QString studyRefusalText(const Refusal &why, const QString &formula, double a, double b)
{
    switch (why.reason) {
    case Reason::NotANumber:
    case Reason::NonFiniteInput:
        switch (why.input.value_or(Input::A)) {
        case Input::B:
            return QStringLiteral("В поле b (конец отрезка) должно быть число, например 6.");
        case Input::Tolerance:
            return QStringLiteral("В поле ε (допустимая погрешность) должно быть число больше "
                                  "0, например 0,000001.");
        default:
            return QStringLiteral("В поле a (начало отрезка) должно быть число, например 1.");
        }
    case Reason::EmptyInterval:
        return QStringLiteral("Значения a и b совпадают: на отрезке нулевой длины нечего "
                              "исследовать. Возьмите b, не равное a.");
    case Reason::ToleranceNotPositive:
        return QStringLiteral("Допустимая погрешность ε должна быть больше 0, например 0,000001.");
    case Reason::NotDefined:
    case Reason::Pole:
    case Reason::ZeroOverZero:
    case Reason::Improper:
    case Reason::Singular:
    case Reason::NotSmooth:
        return QStringLiteral("Интеграл f(x) = %1 на [%2; %3] не исследовать: %4. Возьмите "
                              "отрезок, на котором f определена и ограничена.")
            .arg(formula, shownDecimal(decimalText(a, 12, Rounding::Nearest)),
                 shownDecimal(decimalText(b, 12, Rounding::Nearest)),
                 proofRefusalText(why, std::min(a, b), std::max(a, b)));
    case Reason::NotProven:
    case Reason::WorkLimit:
    case Reason::NonFiniteResult:
        return QStringLiteral("Интеграл f(x) = %1 на [%2; %3] не удалось доказать: %4.")
            .arg(formula, shownDecimal(decimalText(a, 12, Rounding::Nearest)),
                 shownDecimal(decimalText(b, 12, Rounding::Nearest)),
                 proofRefusalText(why, std::min(a, b), std::max(a, b)));
    default:
        break;
    }
    // What is left is the text of f itself.
    return QStringLiteral("В записи f(x) ошибка: %1.")
        .arg(QString::fromStdString(describeExpressionRefusal(why, formula.toStdString())));
}

QString fieldRefusalText(const Refusal &why, const QString &text)
{
    if (why.reason == Reason::NotANumber || why.reason == Reason::NonFiniteInput)
        return studyRefusalText(why, QString(), 0, 0);
    QString field;
    switch (why.input.value_or(Input::A)) {
    case Input::B:
        field = QStringLiteral("b (конец отрезка)");
        break;
    case Input::Tolerance:
        field = QStringLiteral("ε (допустимая погрешность)");
        break;
    default:
        field = QStringLiteral("a (начало отрезка)");
        break;
    }
    return QStringLiteral("В поле %1 ошибка: %2.")
        .arg(field, QString::fromStdString(describeExpressionRefusal(why, text.toStdString())));
}

// The text of f with the character at `position` (in characters, from 0)
// marked, as rich text: where the parser stopped reading.
QString markedFormula(const QString &text, std::size_t position)
{
    const QList<uint> points = text.toUcs4();
    QString before, at, after;
    for (qsizetype i = 0; i < points.size(); ++i) {
        const QString c = QString::fromUcs4(reinterpret_cast<const char32_t *>(&points[i]), 1);
        (std::size_t(i) < position ? before : std::size_t(i) == position ? at : after) += c;
    }
    // Past the end (a bracket never closed, an operand missing) the mark is
    // a gap where something is due.
    if (at.isEmpty())
        at = QStringLiteral("\u2002");
    return QStringLiteral("<code>%1<span style=\"background-color:#ffc0c0;"
                          "text-decoration:underline\">%2</span>%3</code>")
        .arg(before.toHtmlEscaped(), at.toHtmlEscaped(), after.toHtmlEscaped());
}

} // namespace kvadrolab
