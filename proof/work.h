// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "expression/program.h"

#include <cstddef>
#include <cstdlib>

namespace kvadrolab {

// The work of a proof, counted in the units below rather than timed, so
// that its limits hold the same on every machine and in every build (a
// sanitizer's, Wine's).

// One step of the program on a Taylor series of order k at the proofs'
// precision, in units of about 10 ns (one product of two real balls, with
// the step's own bookkeeping): a step's fixed cost, a product of series of
// length k + 1 where the step multiplies, and the value of an elementary
// function at the series' first term, which dominates at low orders (a sine
// of order 1 costs as much as six products of series).
inline long long seriesStepCost(const Step &step, long order)
{
    const long long length = order + 1;
    const long long product = length * length;
    constexpr long long fixed = 20;
    constexpr long long elementary = 100;
    switch (step.op) {
    case Op::Number:
    case Op::Pi:
    case Op::E:
    case Op::X:
    case Op::Neg:
    case Op::Abs:
    case Op::Add:
    case Op::Sub:
        return fixed + length;
    case Op::Mul:
    case Op::PowInt:
        return fixed + product;
    case Op::Div:
    case Op::Sqrt:
    case Op::Cbrt:
        return fixed + 2 * product;
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
    case Op::Pow:
        return fixed + elementary + 2 * product;
    }
    return fixed + elementary + 2 * product;
}

// One run of the program on a Taylor series of order k: the sum of its
// steps' costs.
inline long long seriesRunCost(const Program &program, long order)
{
    long long cost = 0;
    for (const Step &step : program.steps)
        cost += seriesStepCost(step, order);
    return cost > 0 ? cost : 1;
}

// One step of the program on a complex ball at the integrator's precision,
// in additions of two complex balls (about 40 ns each on an x86-64 of 2020):
// the weights are the steps' measured costs on a box near the real axis, so
// that a call of sin(x) counts ten times a call of x + 1, as it takes.
inline long long complexStepCost(const Step &step)
{
    switch (step.op) {
    case Op::Number:
    case Op::Pi:
    case Op::E:
    case Op::X:
    case Op::Neg:
    case Op::Abs:
    case Op::Add:
    case Op::Sub:
        return 1;
    case Op::Mul:
        return 2;
    case Op::Exp:
        return 6;
    case Op::Div:
    case Op::Sin:
    case Op::Cos:
    case Op::Sinh:
    case Op::Cosh:
        return 10;
    case Op::Sqrt:
    case Op::Ln:
        return 16;
    case Op::Tan:
    case Op::Cot:
        return 18;
    case Op::Pow:
        return 25;
    case Op::Lg: // a logarithm and a quotient
        return 26;
    case Op::Tanh:
    case Op::Coth:
    case Op::Cbrt:
        return 30;
    case Op::Asin:
    case Op::Acos:
        return 50;
    case Op::Atan:
    case Op::Acot:
        return 60;
    case Op::PowInt: {
        // Squarings and products, one or two for each bit of the exponent.
        long long cost = 3;
        for (unsigned long e = std::labs(step.exponent); e != 0; e >>= 1)
            cost += 2;
        return cost;
    }
    }
    return 60;
}

// One run of the program on a complex ball: the sum of its steps' costs.
inline long long complexRunCost(const Program &program)
{
    long long cost = 0;
    for (const Step &step : program.steps)
        cost += complexStepCost(step);
    return cost > 0 ? cost : 1;
}

} // namespace kvadrolab
