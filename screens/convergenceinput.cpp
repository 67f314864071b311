#include "screens/convergenceinput.h"

#include "numbers/numbertext.h"

#include <cmath>

namespace kvadrolab::screens::convergence {

namespace {

QString notANumber(Field field)
{
    switch (field) {
    case Field::A:
        return QStringLiteral("В поле a (начало отрезка интегрирования) должно быть число, "
                              "например 1 или 0,5.");
    case Field::B:
        return QStringLiteral("В поле b (конец отрезка интегрирования) должно быть число, "
                              "например 6 или 5,5.");
    case Field::Tolerance:
        return QStringLiteral("В поле ε (допустимая погрешность) должно быть число больше 0, "
                              "например 0,000001.");
    case Field::PictureCount:
        break;
    }
    return QStringLiteral("В поле n (разбиений на рисунке) должно быть целое чётное число "
                          "от 2 до 50, например 4.");
}

// The end nearer to zero or below it: the one to move when a node reaches
// x <= 0 or f grows beyond every number.
Field lowerEnd(const Inputs &in)
{
    return in.a <= in.b ? Field::A : Field::B;
}

QString endName(Field field)
{
    return field == Field::A ? QStringLiteral("a") : QStringLiteral("b");
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
        const Field end = lowerEnd(in);
        return {end, QStringLiteral("Значение %1 должно быть больше 0: все узлы должны быть "
                                    "больше 0, потому что ln x определён только при x > 0.")
                         .arg(endName(end))};
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
    const Field end = lowerEnd(in);
    return {end, QStringLiteral("С таким значением %1 сходимость не исследовать: числа выходят за "
                                "допустимые пределы. Возьмите %1 дальше от 0.")
                     .arg(endName(end))};
}

Problem tooWideToDraw(const Inputs &in)
{
    const Field end = in.a <= in.b ? Field::B : Field::A;
    return {end, QStringLiteral("Отрезок слишком велик, чтобы его изобразить. Возьмите %1 ближе "
                                "к другому концу отрезка.")
                     .arg(endName(end))};
}

} // namespace kvadrolab::screens::convergence
