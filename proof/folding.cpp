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

Step numberStep(const char *literal, double value, std::size_t position)
{
    Step s;
    s.op = Op::Number;
    s.literal = literal;
    s.value = value;
    s.position = position;
    return s;
}

Step opStep(Op op, std::size_t position)
{
    Step s;
    s.op = op;
    s.position = position;
    return s;
}

// Where the value that ends right before `end` begins: each step takes its
// operands off the values before it.
std::size_t operandStart(const std::vector<Step> &steps, std::size_t end)
{
    std::size_t needed = 1;
    while (end > 0) {
        const std::size_t operands = operandCount(steps[--end].op);
        needed = needed - 1 + std::min<std::size_t>(operands, 2);
        if (needed == 0)
            return end;
    }
    return 0;
}

bool sameSteps(const std::vector<Step> &steps, std::size_t a, std::size_t b, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i) {
        const Step &s = steps[a + i], &t = steps[b + i];
        if (s.op != t.op || s.exponent != t.exponent || s.literal != t.literal)
            return false;
    }
    return true;
}

// u * sqrt(u) or u * cbrt(u), either way round, ending the steps: as u^1.5
// (u >= 0 where the root is defined) and |u|^(4/3) (the signs of u and its
// cube root agree), powers whose first derivative is bounded at u = 0
// where the root's is not. Otherwise false.
bool foldProductWithRoot(std::vector<Step> &out, const Step &product)
{
    const std::size_t end = out.size();
    if (end < 3)
        return false;
    const std::size_t split = operandStart(out, end);
    if (split == 0)
        return false;
    const std::size_t begin = operandStart(out, split);
    const auto isRoot = [&](std::size_t at) {
        return out[at].op == Op::Sqrt || out[at].op == Op::Cbrt;
    };
    std::size_t uBegin = begin, uLength = 0;
    Op root = Op::Sqrt;
    if (isRoot(end - 1) && end - 1 - split == split - begin &&
        sameSteps(out, begin, split, split - begin)) {
        root = out[end - 1].op; // u * root(u)
        uLength = split - begin;
    } else if (isRoot(split - 1) && split - 1 - begin == end - split &&
               sameSteps(out, begin, split, end - split)) {
        root = out[split - 1].op; // root(u) * u
        uLength = end - split;
    } else {
        return false;
    }
    const std::size_t at = product.position;
    out.resize(uBegin + uLength);
    if (root == Op::Sqrt) {
        out.push_back(numberStep("1.5", 1.5, at));
    } else {
        out.push_back(opStep(Op::Abs, at));
        out.push_back(numberStep("4", 4, at));
        out.push_back(numberStep("3", 3, at));
        out.push_back(opStep(Op::Div, at));
    }
    out.push_back(opStep(Op::Pow, at));
    return true;
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
        if (step.op == Op::Mul && foldProductWithRoot(out, step))
            continue;
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
