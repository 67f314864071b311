// SPDX-License-Identifier: GPL-3.0-or-later
#include "expression/evaluator.h"

#include "expression/vectormath.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace kvadrolab {

namespace {

// Both evaluators call these one-value functions, so that a block and a
// single point cannot round differently.
inline double powInt(double base, std::int32_t exponent)
{
    // Square and multiply: at most 31 squarings; the magnitude in 64 bits,
    // where -INT32_MIN fits.
    std::uint64_t m = exponent < 0 ? -static_cast<std::int64_t>(exponent) : exponent;
    double result = 1;
    double power = base;
    while (m != 0) {
        if (m & 1)
            result *= power;
        m >>= 1;
        if (m != 0)
            power *= power;
    }
    return exponent < 0 ? 1 / result : result;
}

// pi - arctg(1/x) for x < 0 and arctg(1/x) for x > 0 rather than
// pi/2 - arctg(x): the subtraction would lose the digits of a small result.
// `atanOfInverse` is arctg(1/v), computed by the caller.
inline double arccot(double v, double atanOfInverse)
{
    if (v > 0)
        return atanOfInverse;
    if (v < 0)
        return std::numbers::pi + atanOfInverse;
    if (v == 0)
        return std::numbers::pi / 2;
    return v; // NaN
}

inline double arccot(double v)
{
    return arccot(v, applyLibrary(LibraryFunction::Atan, 1 / v));
}

// A one-operand step; a step of any other kind is no function of one value
// and gives NaN.
inline double unary(const Step &s, double v)
{
    switch (s.op) {
    case Op::Neg:
        return -v;
    case Op::Sin:
        return applyLibrary(LibraryFunction::Sin, v);
    case Op::Cos:
        return applyLibrary(LibraryFunction::Cos, v);
    case Op::Tan:
        return applyLibrary(LibraryFunction::Tan, v);
    case Op::Cot:
        return 1 / applyLibrary(LibraryFunction::Tan, v);
    case Op::Asin:
        return applyLibrary(LibraryFunction::Asin, v);
    case Op::Acos:
        return applyLibrary(LibraryFunction::Acos, v);
    case Op::Atan:
        return applyLibrary(LibraryFunction::Atan, v);
    case Op::Acot:
        return arccot(v);
    case Op::Sinh:
        return applyLibrary(LibraryFunction::Sinh, v);
    case Op::Cosh:
        return applyLibrary(LibraryFunction::Cosh, v);
    case Op::Tanh:
        return applyLibrary(LibraryFunction::Tanh, v);
    case Op::Coth:
        return 1 / applyLibrary(LibraryFunction::Tanh, v);
    case Op::Exp:
        return applyLibrary(LibraryFunction::Exp, v);
    case Op::Ln:
        return std::log(v);
    case Op::Lg:
        return applyLibrary(LibraryFunction::Log10, v);
    case Op::Sqrt:
        return std::sqrt(v);
    case Op::Cbrt:
        return applyLibrary(LibraryFunction::Cbrt, v);
    case Op::Abs:
        return std::fabs(v);
    case Op::PowInt:
        return powInt(v, s.exponent);
    case Op::Number:
    case Op::Pi:
    case Op::E:
    case Op::X:
    case Op::Add:
    case Op::Sub:
    case Op::Mul:
    case Op::Div:
    case Op::Pow:
        break;
    }
    return std::nan("");
}

// A two-operand step; NaN for any other.
inline double binary(BinaryOp op, double a, double b)
{
    switch (op) {
    case BinaryOp::Add:
        return a + b;
    case BinaryOp::Sub:
        return a - b;
    case BinaryOp::Mul:
        return a * b;
    case BinaryOp::Div:
        return a / b;
    case BinaryOp::Pow:
        return applyPow(a, b);
        break;
    }
    return std::nan("");
}

// A step that pushes a value; NaN for any other.
double constant(const Step &s, double x)
{
    switch (s.op) {
    case Op::Number:
        return s.value;
    case Op::Pi:
        return std::numbers::pi;
    case Op::E:
        return std::numbers::e;
    case Op::X:
        return x;
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
    case Op::Add:
    case Op::Sub:
    case Op::Mul:
    case Op::Div:
    case Op::Pow:
        break;
    }
    return std::nan("");
}

// Points per block: the stack of a deep program still fits the caches
// (256 values of 8 bytes per slot), and the per-step switch is paid once
// for this many points.
constexpr std::size_t kBlock = 256;

// One step over one block. The loops are written per operation so that the
// compiler vectorises the arithmetic ones; the library functions go through
// vectormath, which gives a single point the same bits.
template <typename F> inline void each(double *v, std::size_t m, F f)
{
    for (std::size_t i = 0; i < m; ++i)
        v[i] = f(v[i]);
}

void library(LibraryFunction f, double *v, std::size_t m)
{
    applyLibrary(f, v, v, m);
}

void unaryBlock(const Step &s, double *v, std::size_t m)
{
    switch (s.op) {
    case Op::Neg:
        each(v, m, [](double a) { return -a; });
        return;
    case Op::Abs:
        each(v, m, [](double a) { return std::fabs(a); });
        return;
    case Op::Sqrt:
        each(v, m, [](double a) { return std::sqrt(a); });
        return;
    case Op::PowInt:
        switch (s.exponent) {
        // The common small powers, unrolled; powInt multiplies in the same
        // order, so the values agree bit for bit.
        case 2:
            each(v, m, [](double a) { return a * a; });
            return;
        case 3:
            each(v, m, [](double a) { return a * (a * a); });
            return;
        default:
            each(v, m, [e = s.exponent](double a) { return powInt(a, e); });
            return;
        }
    case Op::Sin:
        return library(LibraryFunction::Sin, v, m);
    case Op::Cos:
        return library(LibraryFunction::Cos, v, m);
    case Op::Tan:
        return library(LibraryFunction::Tan, v, m);
    case Op::Cot:
        library(LibraryFunction::Tan, v, m);
        each(v, m, [](double a) { return 1 / a; });
        return;
    case Op::Asin:
        return library(LibraryFunction::Asin, v, m);
    case Op::Acos:
        return library(LibraryFunction::Acos, v, m);
    case Op::Atan:
        return library(LibraryFunction::Atan, v, m);
    case Op::Acot: {
        double inverse[kBlock] = {};
        for (std::size_t i = 0; i < m; ++i)
            inverse[i] = 1 / v[i];
        library(LibraryFunction::Atan, inverse, m);
        for (std::size_t i = 0; i < m; ++i)
            v[i] = arccot(v[i], inverse[i]);
        return;
    }
    case Op::Sinh:
        return library(LibraryFunction::Sinh, v, m);
    case Op::Cosh:
        return library(LibraryFunction::Cosh, v, m);
    case Op::Tanh:
        return library(LibraryFunction::Tanh, v, m);
    case Op::Coth:
        library(LibraryFunction::Tanh, v, m);
        each(v, m, [](double a) { return 1 / a; });
        return;
    case Op::Exp:
        return library(LibraryFunction::Exp, v, m);
    case Op::Ln:
        // The C library's own logarithm, as the designed integrand takes it:
        // the typed (ln(x)/x)^3 is that f bit for bit.
        each(v, m, [](double a) { return std::log(a); });
        return;
    case Op::Lg:
        return library(LibraryFunction::Log10, v, m);
    case Op::Cbrt:
        return library(LibraryFunction::Cbrt, v, m);
    case Op::Number:
    case Op::Pi:
    case Op::E:
    case Op::X:
    case Op::Add:
    case Op::Sub:
    case Op::Mul:
    case Op::Div:
    case Op::Pow:
        break;
    }
    std::fill(v, v + m, std::nan(""));
}

void binaryBlock(BinaryOp op, double *a, const double *b, std::size_t m)
{
    switch (op) {
    case BinaryOp::Add:
        for (std::size_t i = 0; i < m; ++i)
            a[i] = a[i] + b[i];
        return;
    case BinaryOp::Sub:
        for (std::size_t i = 0; i < m; ++i)
            a[i] = a[i] - b[i];
        return;
    case BinaryOp::Mul:
        for (std::size_t i = 0; i < m; ++i)
            a[i] = a[i] * b[i];
        return;
    case BinaryOp::Div:
        for (std::size_t i = 0; i < m; ++i)
            a[i] = a[i] / b[i];
        return;
    case BinaryOp::Pow:
        applyPow(a, b, a, m);
        return;
        break;
    }
    std::fill(a, a + m, std::nan(""));
}

} // namespace

double evaluate(const Program &program, double x)
{
    for (const PointLimit &limit : program.limits)
        if (x == limit.x)
            return limit.value;
    // The parser's nesting limit keeps every program it makes far below
    // this; a deeper one gets its stack from the heap.
    constexpr std::size_t kLocal = 512;
    double local[kLocal];
    std::vector<double> heap;
    double *stack = local;
    if (program.stackDepth > kLocal) {
        heap.resize(program.stackDepth);
        stack = heap.data();
    }
    std::size_t top = 0; // values on the stack
    // The operand count (a table) and one switch per step: the graph's own
    // integrand is five steps, and a chain of tests before the work would
    // cost as much as the work.
    for (const Step &s : program.steps) {
        switch (operandCount(s.op)) {
        case 0:
            stack[top++] = constant(s, x);
            break;
        case 1:
            stack[top - 1] = unary(s, stack[top - 1]);
            break;
        case 2:
            --top;
            stack[top - 1] = binary(*binaryOp(s.op), stack[top - 1], stack[top]);
            break;
        default:
            return std::nan("");
        }
    }
    return top == 1 ? stack[0] : std::nan("");
}

void evaluate(const Program &program, const double *x, double *y, std::size_t n)
{
    std::vector<double> stack(std::max<std::size_t>(program.stackDepth, 1) * kBlock);
    for (std::size_t first = 0; first < n; first += kBlock) {
        const std::size_t m = std::min(kBlock, n - first);
        std::size_t top = 0;
        for (const Step &s : program.steps) {
            const std::size_t operands = operandCount(s.op);
            if (operands == 0) {
                double *v = &stack[top++ * kBlock];
                if (s.op == Op::X)
                    std::copy(x + first, x + first + m, v);
                else
                    std::fill(v, v + m, constant(s, 0));
            } else if (operands == 1) {
                unaryBlock(s, &stack[(top - 1) * kBlock], m);
            } else if (operands == 2) {
                --top;
                binaryBlock(*binaryOp(s.op), &stack[(top - 1) * kBlock], &stack[top * kBlock], m);
            } else {
                top = 0; // no operation: no value
                break;
            }
        }
        // Before the block's values are written, as x and y may be one array.
        for (const PointLimit &limit : program.limits)
            for (std::size_t i = 0; i < m && top == 1; ++i)
                if (x[first + i] == limit.x)
                    stack[i] = limit.value;
        if (top == 1)
            std::copy(stack.begin(), stack.begin() + m, y + first);
        else
            std::fill(y + first, y + first + m, std::nan(""));
    }
}

} // namespace kvadrolab
