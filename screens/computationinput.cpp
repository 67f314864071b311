#include "screens/computationinput.h"

#include "numbers/numbertext.h"

#include <cmath>

namespace kvadrolab::screens {

namespace {

QString notANumber(InputField field)
{
    switch (field) {
    case InputField::A:
        return QStringLiteral("В поле a (начало отрезка интегрирования) должно быть число, "
                              "например 1 или 0,5.");
    case InputField::B:
        return QStringLiteral("В поле b (конец отрезка интегрирования) должно быть число, "
                              "например 6 или 5,5.");
    case InputField::N:
        break;
    }
    return QStringLiteral("В поле n (число разбиений) должно быть целое число от 1 до 1000, "
                          "например 600.");
}

// The end of the interval nearer to zero or below it: the one to move when
// the nodes reach x <= 0 or f grows beyond every number.
InputField lowerEnd(const Inputs &in)
{
    return in.a <= in.b ? InputField::A : InputField::B;
}

QString endName(InputField field)
{
    return field == InputField::A ? QStringLiteral("a") : QStringLiteral("b");
}

} // namespace

std::variant<Inputs, InputProblem> readInputs(const QString &a, const QString &b, const QString &n)
{
    const auto va = numbers::readNumber(a);
    if (!va)
        return InputProblem{InputField::A, notANumber(InputField::A)};
    const auto vb = numbers::readNumber(b);
    if (!vb)
        return InputProblem{InputField::B, notANumber(InputField::B)};
    const auto vn = numbers::readNumber(n);
    if (!vn)
        return InputProblem{InputField::N, notANumber(InputField::N)};
    return Inputs{*va, *vb, *vn};
}

InputProblem explain(Refusal why, const Inputs &in)
{
    switch (why) {
    case Refusal::NotWhole:
    case Refusal::CountOutOfRange:
        return {InputField::N,
                QStringLiteral("Число разбиений n должно быть целым числом от 1 до 1000.")};
    case Refusal::OddCountForSimpson:
        return {InputField::N, QStringLiteral("Для метода Симпсона число разбиений n должно быть "
                                              "чётным, например 600.")};
    case Refusal::NodeNotPositive: {
        const InputField end = lowerEnd(in);
        return {end, QStringLiteral("Значение %1 должно быть больше 0: все узлы должны быть "
                                    "больше 0, потому что ln x определён только при x > 0.")
                         .arg(endName(end))};
    }
    case Refusal::NonFiniteInput: {
        const InputField field = !std::isfinite(in.a)   ? InputField::A
                                 : !std::isfinite(in.b) ? InputField::B
                                                        : InputField::N;
        return {field, notANumber(field)};
    }
    case Refusal::None:
    case Refusal::NonFiniteResult:
    case Refusal::BeyondSinglePrecision:
        break;
    }
    // Near x = 0 the integrand grows past every number the program can hold,
    // and an interval wider than those numbers has no step at all.
    const InputField end = lowerEnd(in);
    return {end, QStringLiteral("С таким значением %1 интеграл не вычислить: числа выходят за "
                                "допустимые пределы. Возьмите %1 дальше от 0, а отрезок короче.")
                     .arg(endName(end))};
}

} // namespace kvadrolab::screens
