// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/answer.h"

#include "expression/parser.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace kvadrolab {

namespace {

int orderIndex(int order)
{
    for (std::size_t i = 0; i < answerOrders.size(); ++i)
        if (answerOrders[i] == order)
            return static_cast<int>(i);
    return -1;
}

Result<RuleAnswer> ruleAnswer(RuleKind kind, const Result<double> &value, double a, double b,
                              long n, const Answer &answer)
{
    if (!value)
        return value.refusal();
    RuleAnswer rule;
    rule.kind = kind;
    rule.n = n;
    rule.value = *value;
    rule.error = rule.value - answer.integral.mid;

    const int index = orderIndex(ruleInfo(kind).derivative);
    const Result<DerivativeMax> &m = answer.maxima[static_cast<std::size_t>(index)];
    if (!m) {
        rule.bound = m.refusal();
    } else {
        const double bound = ruleErrorBoundUp(kind, a, b, n, m->upper);
        // The bound is rounded up end to end and never lost to underflow, so
        // an infinite one says one of two things. From an M_k past the
        // doubles it says nothing of the formula's size (a small h^k may
        // bring it back within them): refused. From a finite M_k it is a
        // bound truly past every double.
        if (std::isfinite(bound) || std::isfinite(m->upper))
            rule.bound = bound;
        else
            rule.bound = Refusal{Reason::NonFiniteResult};
    }
    return rule;
}

} // namespace

Result<Answer> answerFor(std::string_view f, double a, double b, long n)
{
    Result<Program> program = parseExpression(f);
    if (!program)
        return program.refusal();
    // The domain proof refuses ends that are not finite or equal, naming
    // the end at fault; the integral takes them in either order.
    Result<Enclosure> integral = certifiedIntegral(*program, a, b);
    if (!integral)
        return integral.refusal();
    // The M_k are those of the interval between the ends, in either order.
    const double lo = std::min(a, b), hi = std::max(a, b);

    Answer answer;
    answer.f = std::string(f);
    answer.a = a;
    answer.b = b;
    answer.integral = *integral;
    for (std::size_t i = 0; i < answerOrders.size(); ++i)
        answer.maxima[i] = proveDerivativeMax(*program, lo, hi, answerOrders[i]);
    // For b < a the rules are summed with a negative h, which gives the
    // oriented integral as certifiedIntegral does; the nodes they share are
    // valued once.
    const auto values = applyEveryRule(*program, a, b, n);
    for (std::size_t i = 0; i < allRules.size(); ++i)
        answer.rules[i] = ruleAnswer(allRules[i], values[i], a, b, n, answer);
    return answer;
}

} // namespace kvadrolab
