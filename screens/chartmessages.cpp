// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/chartmessages.h"

#include "numbers/numbertext.h"

#include <QLocale>

namespace kvadrolab {

namespace {

QString reason(Reason why)
{
    switch (why) {
    case Reason::BeyondSinglePrecision:
        return QStringLiteral("значения выходят за пределы масштаба графика");
    case Reason::ZeroStep:
        return QStringLiteral("шаг H равен нулю");
    case Reason::TooManySegments:
        return QStringLiteral("слишком малый шаг H");
    default:
        break;
    }
    // A field that is not a number, or a number the charts take for none.
    return QStringLiteral("в поле не число");
}

} // namespace

QString boundRefusal(Reason why)
{
    if (why == Reason::BeyondSinglePrecision)
        return QStringLiteral("При таких a и b погрешность слишком велика, чтобы её изобразить. "
                              "Уменьшите разность b - a.");
    return QStringLiteral("Значения a и b должны быть числами, например 1 и 6.");
}

QString stepRefusal(Reason why)
{
    QString first;
    switch (why) {
    case Reason::NotANumber:
        first = QStringLiteral("Шаг H должен быть числом.");
        break;
    case Reason::ZeroStep:
        first = QStringLiteral("Шаг H не может быть равен нулю.");
        break;
    case Reason::TooManySegments:
        first = QStringLiteral("Шаг H слишком мал: график состоял бы более чем из %1 отрезков.")
                    .arg(formatCount(kMaxSegments));
        break;
    default:
        first = QStringLiteral("Шаг H слишком велик.");
        break;
    }
    // The bounds follow from the limits the graph checks: (b - a) / H + 1
    // segments at most kMaxSegments, and a + H within the canvas's floats.
    const double smallest = (kGraphB - kGraphA) / kMaxSegments;
    const double largest = kGraphLargestX - kGraphA;
    return first + QLatin1Char('\n') +
           QStringLiteral("Допустимый шаг H: больше %1 и не больше %2. "
                          "При отрицательном шаге строится только сетка.")
               .arg(formatFixed(smallest, 7),
                    formatSignificant(largest, 2, ExponentLetter::Capital));
}

QString notDrawnYet()
{
    return QStringLiteral("График ещё не построен");
}

QString notDrawn(Reason why)
{
    return QStringLiteral("График не построен: ") + reason(why);
}

QString boundDescription(const QString &rule, double a, double b)
{
    return QStringLiteral("Оценка погрешности %1 при n от 10 до 200, a = %2, b = %3")
        .arg(rule, formatShortest(a), formatShortest(b));
}

QString comparisonDescription(double a, double b)
{
    return QStringLiteral("Оценки погрешности метода трапеций (красная линия) и метода Симпсона "
                          "(чёрная линия) при n от 10 до 200, a = %1, b = %2")
        .arg(formatShortest(a), formatShortest(b));
}

QString graphDescription(double step, long long segments)
{
    if (step < 0)
        return QStringLiteral("Только сетка: шаг H = %1 отрицательный, график функции не строится")
            .arg(formatShortest(step));
    return QStringLiteral("График функции (ln x / x)^3 на отрезке [1; 6] с шагом H = %1, "
                          "отрезков: %2")
        .arg(formatShortest(step), formatCount(segments));
}

} // namespace kvadrolab
