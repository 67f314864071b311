// SPDX-License-Identifier: GPL-3.0-or-later
#include "proof/folding.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kvadrolab {

namespace {

Step powerStep(std::int32_t exponent, std::size_t position)
{
    Step s;
    s.op = Op::PowInt;
    s.exponent = exponent;
    s.position = position;
    return s;
}

} // namespace

Program foldRootPowers(const Program &program)
{
    // Postfix: a function's operand ends right before it, so a root and a
    // power next to each other act on the same u.
    Program folded;
    std::vector<Step> &out = folded.steps;
    for (const Step &step : program.steps) {
        const Op before = out.empty() ? Op::Number : out.back().op;
        const std::int32_t e = step.exponent;
        if (step.op == Op::PowInt && e > 0 &&
            ((before == Op::Sqrt && e % 2 == 0) || (before == Op::Cbrt && e % 3 == 0))) {
            // sqrt(u)^(2m) = u^m, cbrt(u)^(3m) = u^m.
            const std::int32_t m = e / (before == Op::Sqrt ? 2 : 3);
            const std::size_t position = out.back().position;
            out.pop_back();
            if (m != 1)
                out.push_back(powerStep(m, position));
            continue;
        }
        if (step.op == Op::Cbrt && before == Op::PowInt && out.back().exponent > 0 &&
            out.back().exponent % 3 == 0) {
            // cbrt(u^(3m)) = u^m: the real cube root undoes any cube.
            const std::int32_t m = out.back().exponent / 3;
            out.back().exponent = m;
            if (m == 1)
                out.pop_back();
            continue;
        }
        if (step.op == Op::Sqrt && before == Op::PowInt && out.back().exponent > 1 &&
            out.back().exponent % 2 == 1) {
            // sqrt(u^n) = u^(n/2) for an odd n, both defined for u >= 0
            // alone; the power has derivatives up to order n/2 at u = 0.
            const std::int32_t n = out.back().exponent;
            out.pop_back();
            Step half;
            half.op = Op::Number;
            half.position = step.position;
            half.value = n / 2.0;
            half.literal = std::to_string(n / 2) + ".5";
            out.push_back(half);
            Step power = step;
            power.op = Op::Pow;
            out.push_back(power);
            continue;
        }
        if (step.op == Op::Sqrt && before == Op::PowInt && out.back().exponent > 0 &&
            out.back().exponent % 2 == 0) {
            // sqrt(u^(2m)) = |u|^m.
            const std::int32_t m = out.back().exponent / 2;
            const std::size_t position = out.back().position;
            out.pop_back();
            Step abs = step;
            abs.op = Op::Abs;
            out.push_back(abs);
            if (m != 1)
                out.push_back(powerStep(m, position));
            continue;
        }
        out.push_back(step);
    }
    // A power's exponent is one value more on the stack.
    std::size_t depth = 0;
    for (const Step &step : out) {
        const std::size_t operands = operandCount(step.op);
        depth = depth + 1 - std::min(depth, operands);
        folded.stackDepth = std::max(folded.stackDepth, depth);
    }
    return folded;
}

} // namespace kvadrolab
