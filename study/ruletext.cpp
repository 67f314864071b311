// SPDX-License-Identifier: GPL-3.0-or-later
#include "study/ruletext.h"

#include "proof/refusaltext.h"

namespace kvadrolab {

std::string ruleTitle(RuleKind kind)
{
    switch (kind) {
    case RuleKind::Left:
        return "левых прямоугольников";
    case RuleKind::Right:
        return "правых прямоугольников";
    case RuleKind::Midpoint:
        return "средних прямоугольников";
    case RuleKind::Trapezoid:
        return "трапеций";
    case RuleKind::Simpson:
        return "Симпсона";
    case RuleKind::Simpson38:
        return "Симпсона 3/8";
    case RuleKind::Boole:
        return "Буля";
    case RuleKind::Gauss2:
        return "Гаусса, 2 узла";
    case RuleKind::Gauss3:
        return "Гаусса, 3 узла";
    }
    return {};
}

std::string ruleRefusalText(RuleKind kind, const Refusal &why)
{
    // The proofs' words name no group («n не кратно группе узлов правила»);
    // the rule knows its own.
    if (why.reason == Reason::CountNotMultiple)
        return "n должно делиться на " + std::to_string(ruleInfo(kind).countMultiple);
    // A pole at an end is named by its end, as the proofs' words name it.
    if (why.reason == Reason::Pole && why.x && (why.input == Input::A || why.input == Input::B))
        return describeProofRefusal(why, *why.x, *why.x);
    return proofReasonText(why.reason);
}

std::string limitText(const std::string &x, const std::string &value)
{
    return "в x = " + x + " взят предел f: " + value;
}

} // namespace kvadrolab
