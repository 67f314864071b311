// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/computationinput.h"

#include "numbers/numbertext.h"
#include "screens/intervalends.h"

#include <cmath>

namespace kvadrolab::screens {

namespace {

InputField fieldOf(End end)
{
    return end == End::A ? InputField::A : InputField::B;
}

QString notANumber(InputField field)
{
    if (field != InputField::N)
        return endNotANumber(field == InputField::A ? End::A : End::B);
    return QStringLiteral("В поле n (число разбиений) должно быть целое число от 1 до 1000, "
                          "например 600.");
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
        const End end = lowerEnd(in.a, in.b);
        return {fieldOf(end), nodeNotPositive(end)};
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
    const End end = lowerEnd(in.a, in.b);
    return {fieldOf(end),
            QStringLiteral("С таким значением %1 интеграл не вычислить: числа выходят за "
                           "допустимые пределы. Возьмите %1 дальше от 0, а отрезок короче.")
                .arg(endName(end))};
}

} // namespace kvadrolab::screens
