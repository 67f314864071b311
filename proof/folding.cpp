// SPDX-License-Identifier: GPL-3.0-or-later
#include "proof/folding.h"

#include <cstddef>
#include <cstdint>
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
    // power next to each other act on the same u. Each fold removes a step
    // and adds none, so the stack is never deeper than the program's.
    Program folded;
    folded.stackDepth = program.stackDepth;
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
    return folded;
}

} // namespace kvadrolab
