// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "expression/program.h"

#include <cstddef>

namespace kvadrolab {

// The work of a proof in operations, so that its limits hold the same on
// every machine and in every build (a sanitizer's, Wine's): one step of the
// program on a ball or a point is one operation; on a Taylor series of
// order k it is (k + 1)^2 (a product of two series of length k + 1, the
// dearest step, takes about that many ball products).
inline long long runCost(const Program &program, long order)
{
    const long long length = order + 1;
    const auto steps = static_cast<long long>(program.steps.size());
    return (steps > 0 ? steps : 1) * length * length;
}

// Each proof's calls spend at most this many operations, which takes about
// a second on a two-core x86-64 of 2020 at the proofs' 128 bits.
inline constexpr long long proofWorkLimit = 30'000'000;

} // namespace kvadrolab
