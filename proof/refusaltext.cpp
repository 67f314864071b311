// SPDX-License-Identifier: GPL-3.0-or-later
#include "proof/refusaltext.h"

#include "proof/decimal.h"

#include <algorithm>

namespace kvadrolab {

std::string proofReasonText(Reason reason, int order)
{
    switch (reason) {
    case Reason::NotDefined:
        return "f не определена";
    case Reason::Pole:
        return "полюс";
    case Reason::ZeroOverZero:
        return "0/0";
    case Reason::Improper:
        return "f не ограничена";
    case Reason::Singular:
        return "особенность";
    case Reason::NotSmooth:
        return order > 0 ? "производная порядка " + std::to_string(order) +
                               " не ограничена или не существует"
                         : "f не гладкая";
    case Reason::NotProven:
        return "не удалось доказать в пределах вычислений";
    case Reason::WorkLimit:
        return "слишком много вычислений";
    case Reason::EmptyInterval:
        return "пустой отрезок: a = b";
    case Reason::NonFiniteInput:
        return "a и b должны быть конечными числами";
    case Reason::NonFiniteResult:
        return "значение вне диапазона чисел double";
    case Reason::OddCount:
        return "n должно быть чётным";
    case Reason::CountNotMultiple:
        return "n не кратно группе узлов правила";
    case Reason::CountOutOfRange:
        return "n вне допустимых пределов";
    default:
        break;
    }
    return "не удалось доказать";
}

std::string placeText(double x)
{
    std::string text = decimalText(x, 8, Rounding::Nearest);
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

std::string placeText(double x, double a, double b)
{
    std::string text = placeDecimal(x, a, b);
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

std::string describeProofRefusal(const Refusal &why, double a, double b, int order)
{
    std::string text = proofReasonText(why.reason, order);
    if (!why.x)
        return text;
    // A pole found at an end itself (proveDefined on exact ends names the
    // end's input): the end is the typed number, to twelve digits as the
    // ends are written beside it.
    if (why.reason == Reason::Pole && (why.input == Input::A || why.input == Input::B)) {
        std::string end = decimalText(*why.x, 12, Rounding::Nearest);
        std::replace(end.begin(), end.end(), '.', ',');
        return text + " на конце x = " + end;
    }
    // "при" where the point itself is at fault; "вблизи" where the proof
    // only narrowed the trouble down to a small piece around it.
    const bool atThePoint = why.reason == Reason::NotDefined || why.reason == Reason::ZeroOverZero;
    // An integrable point where f has no bound: the integral there is an
    // improper one, which the proofs do not take.
    if (why.reason == Reason::Improper)
        return text + " при x → " + placeText(*why.x, a, b) + ": интеграл несобственный";
    if (why.reason == Reason::Singular)
        return text + " в x = " + placeText(*why.x, a, b);
    return text + (atThePoint ? " при x ≈ " : " вблизи x ≈ ") + placeText(*why.x, a, b);
}

} // namespace kvadrolab
