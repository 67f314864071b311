// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/convergenceinput.h"

#include "numbers/numbertext.h"
#include "screens/intervalends.h"

#include <cmath>

namespace kvadrolab::screens::convergence {

namespace {

Field fieldOf(End end)
{
    return end == End::A ? Field::A : Field::B;
}

QString notANumber(Field field)
{
    switch (field) {
    case Field::A:
        return endNotANumber(End::A);
    case Field::B:
        return endNotANumber(End::B);
    case Field::Tolerance:
        return QStringLiteral("В поле ε (допустимая погрешность) должно быть число больше 0, "
                              "например 0,000001.");
    case Field::PictureCount:
        break;
    }
    return QStringLiteral("В поле n (разбиений на рисунке) должно быть целое чётное число "
                          "от 2 до 50, например 4.");
}

} // namespace

std::variant<Inputs, Problem> read(const QString &a, const QString &b, const QString &tolerance,
                                   const QString &pictureCount)
{
    const auto va = numbers::readNumber(a);
    if (!va)
        return Problem{Field::A, notANumber(Field::A)};
    const auto vb = numbers::readNumber(b);
    if (!vb)
        return Problem{Field::B, notANumber(Field::B)};
    const auto ve = numbers::readNumber(tolerance);
    if (!ve)
        return Problem{Field::Tolerance, notANumber(Field::Tolerance)};
    const auto vn = numbers::readNumber(pictureCount);
    if (!vn)
        return Problem{Field::PictureCount, notANumber(Field::PictureCount)};
    return Inputs{*va, *vb, *ve, *vn};
}

Problem explain(StudyRefusal why, const Inputs &in)
{
    switch (why) {
    case StudyRefusal::NodeNotPositive: {
        const End end = lowerEnd(in.a, in.b);
        return {fieldOf(end), nodeNotPositive(end)};
    }
    case StudyRefusal::EmptyInterval:
        return {Field::B, QStringLiteral("Значения a и b совпадают: на отрезке нулевой длины "
                                         "нечего исследовать. Возьмите b, не равное a, например "
                                         "a = 1 и b = 6.")};
    case StudyRefusal::ToleranceNotPositive:
        return {Field::Tolerance, QStringLiteral("Допустимая погрешность ε должна быть больше 0, "
                                                 "например 0,000001.")};
    case StudyRefusal::NotWhole:
    case StudyRefusal::CountOutOfRange:
        return {
            Field::PictureCount,
            QStringLiteral("Число разбиений n на рисунке должно быть целым числом от 2 до 50.")};
    case StudyRefusal::OddCount:
        return {Field::PictureCount, QStringLiteral("Для метода Симпсона число разбиений n должно "
                                                    "быть чётным, например 4.")};
    case StudyRefusal::NonFiniteInput: {
        const Field field = !std::isfinite(in.a)           ? Field::A
                            : !std::isfinite(in.b)         ? Field::B
                            : !std::isfinite(in.tolerance) ? Field::Tolerance
                                                           : Field::PictureCount;
        return {field, notANumber(field)};
    }
    case StudyRefusal::None:
    case StudyRefusal::NonFiniteResult:
        break;
    }
    // Near x = 0 f and its derivatives grow past every number the program holds.
    const End end = lowerEnd(in.a, in.b);
    return {fieldOf(end),
            QStringLiteral("С таким значением %1 сходимость не исследовать: числа выходят за "
                           "допустимые пределы. Возьмите %1 дальше от 0.")
                .arg(endName(end))};
}

Problem tooWideToDraw(const Inputs &in)
{
    const End end = lowerEnd(in.a, in.b) == End::A ? End::B : End::A;
    return {fieldOf(end),
            QStringLiteral("Отрезок слишком велик, чтобы его изобразить. Возьмите %1 ближе "
                           "к другому концу отрезка.")
                .arg(endName(end))};
}

} // namespace kvadrolab::screens::convergence
