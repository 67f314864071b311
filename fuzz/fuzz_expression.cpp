// SPDX-License-Identifier: GPL-3.0-or-later
// The integrand language on arbitrary bytes: the parser must answer every
// text without a crash or a stall; a program it makes must keep the postfix
// rules it promises (every step finds its operands, one value is left, the
// stack never holds more than stackDepth), and the block evaluator must give
// the single-point evaluator's values bit for bit (NaN for NaN). A refusal
// must name a position inside the text and be worded.

#include "expression/evaluator.h"
#include "expression/parser.h"
#include "expression/refusaltext.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

using namespace kvadrolab;

namespace {

std::size_t characters(std::string_view s)
{
    std::size_t n = 0;
    for (char c : s)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

bool sameBits(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

void checkShape(const Program &p, std::size_t length)
{
    std::size_t depth = 0;
    std::size_t most = 0;
    for (const Step &s : p.steps) {
        if (s.position > length)
            __builtin_trap(); // a step from beyond the text
        if (depth < operandCount(s.op))
            __builtin_trap(); // a step without its operands
        depth = depth - operandCount(s.op) + 1;
        most = std::max(most, depth);
    }
    if (depth != 1 || most != p.stackDepth)
        __builtin_trap(); // not one value left, or a wrong depth
    if (p.stackDepth > kMaxNesting + 2)
        __builtin_trap(); // deeper than the nesting limit allows
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const Result<Program> program = parseExpression(text);
    if (!program) {
        const Refusal &why = program.refusal();
        if (!why.position || *why.position > characters(text))
            __builtin_trap(); // a refusal without a place in the text
        if (describeExpressionRefusal(why, text).empty())
            __builtin_trap();
        return 0;
    }
    checkShape(*program, characters(text));

    std::vector<double> x = {0.0,
                             -0.0,
                             1.0,
                             -1.5,
                             0.5,
                             6.0,
                             1e-310,
                             1e300,
                             std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN()};
    // Enough points to span a whole block and part of the next.
    for (int i = 0; x.size() < 300; ++i)
        x.push_back(-3 + 0.037 * i);
    std::vector<double> y(x.size());
    evaluate(*program, x.data(), y.data(), x.size());
    for (std::size_t i = 0; i < x.size(); ++i)
        if (!sameBits(y[i], evaluate(*program, x[i])))
            __builtin_trap(); // the block and the single point disagree
    return 0;
}
