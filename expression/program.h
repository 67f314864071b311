// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kvadrolab {

// One step of a compiled integrand. A program is postfix: each step pops its
// operands off a stack of values and pushes its result, so every arithmetic
// (double, real balls with Taylor series, complex balls) runs the same steps
// with a loop and a stack of known depth, never a recursion.
enum class Op : std::uint8_t {
    Number, // pushes the typed decimal `literal` (its double is `value`)
    Pi,     // pushes pi, exactly as each arithmetic knows it
    E,      // pushes e, likewise
    X,      // pushes the variable
    // One operand.
    Neg,
    Sin,
    Cos,
    Tan,
    Cot,
    Asin,
    Acos,
    Atan,
    Acot, // arcctg, valued in (0; pi): pi/2 - arctg
    Sinh,
    Cosh,
    Tanh,
    Coth, // cth = 1/th, a pole at 0
    Exp,
    Ln,
    Lg, // lg: base 10
    Sqrt,
    Cbrt,
    Abs,
    PowInt, // operand ^ `exponent`, a constant whole exponent (x^3, x^-2, x^(4/2))
    // Two operands: the first pushed is the left one.
    Add,
    Sub,
    Mul,
    Div,
    Pow, // any exponent: a^b
};

// A value of Op that names no operation takes this many operands, more than
// any stack holds, so that every arithmetic refuses it.
inline constexpr std::size_t kNotAnOperation = static_cast<std::size_t>(-1);

// The five operators of two operands. The arithmetics switch over these
// alone; opShape() is the one place that says which step is which.
enum class BinaryOp : std::uint8_t { Add, Sub, Mul, Div, Pow };

// What a step is: how many values it takes off the stack before it pushes
// its one result (none for a value, one for a function, Neg and PowInt, two
// for an operator), and an operator's name. Every operation is listed: a new
// one fails the build (the program's libraries compile with -Werror=switch)
// until it is placed here.
struct OpShape
{
    std::size_t operands = kNotAnOperation;
    std::optional<BinaryOp> binary; // a two-operand step: its operator
};

constexpr OpShape opShape(Op op)
{
    switch (op) {
    case Op::Number:
    case Op::Pi:
    case Op::E:
    case Op::X:
        return {0, {}};
    case Op::Neg:
    case Op::Sin:
    case Op::Cos:
    case Op::Tan:
    case Op::Cot:
    case Op::Asin:
    case Op::Acos:
    case Op::Atan:
    case Op::Acot:
    case Op::Sinh:
    case Op::Cosh:
    case Op::Tanh:
    case Op::Coth:
    case Op::Exp:
    case Op::Ln:
    case Op::Lg:
    case Op::Sqrt:
    case Op::Cbrt:
    case Op::Abs:
    case Op::PowInt:
        return {1, {}};
    case Op::Add:
        return {2, BinaryOp::Add};
    case Op::Sub:
        return {2, BinaryOp::Sub};
    case Op::Mul:
        return {2, BinaryOp::Mul};
    case Op::Div:
        return {2, BinaryOp::Div};
    case Op::Pow:
        return {2, BinaryOp::Pow};
    }
    return {};
}

constexpr std::size_t operandCount(Op op)
{
    return opShape(op).operands;
}

// The operator of a two-operand step; nothing for any other step.
constexpr std::optional<BinaryOp> binaryOp(Op op)
{
    return opShape(op).binary;
}

// How many operations there are: the values of Op that operandCount knows.
// A test lists every operation and checks its list against this count.
constexpr std::size_t countOperations()
{
    std::size_t n = 0;
    for (unsigned v = 0; v <= 0xFF; ++v)
        if (operandCount(static_cast<Op>(v)) != kNotAnOperation)
            ++n;
    return n;
}
inline constexpr std::size_t kOpCount = countOperations();

struct Step
{
    Op op;
    // Where in the typed text this step comes from, in characters from 0: a
    // refusal at run time (a pole, a logarithm of a negative number) names it.
    std::size_t position = 0;
    double value = 0;          // Number: the nearest double to the literal
    std::string literal;       // Number: the typed digits, with '.' as the separator
                               // and the exponent as "e-3" however it was typed
    std::int32_t exponent = 0; // PowInt
};

// A value f takes at an exact x in place of what its steps give there: the
// limit at a removable 0/0 (sin(x)/x at 0), proven by proof/ and set by the
// study, so that a rule's node at that x sums the limit.
struct PointLimit
{
    double x = 0;
    double value = 0;
};

struct Program
{
    std::vector<Step> steps;
    std::size_t stackDepth = 0;     // the most values on the stack at once
    std::vector<PointLimit> limits; // empty from the parser
};

} // namespace kvadrolab
