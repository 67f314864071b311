// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "expression/program.h"

#include <vector>

namespace kvadrolab {

// The two rules of a course that choose their own work: Romberg's table and
// adaptive Simpson to a tolerance. Neither has an a-priori bound; what they
// show is their table, or their estimate and how many values of f it took.

// Romberg's table: row i starts with the trapezoid rule on 2^i
// subintervals, and entry (i, j) = (4^j R(i, j-1) - R(i-1, j-1)) / (4^j - 1)
// removes the h^(2j) term of the error, so column j is exact on
// polynomials of degree 2j + 1. Row i holds i + 1 entries.
struct RombergTable
{
    std::vector<std::vector<double>> rows;
    long evaluations = 0; // 2^(rows - 1) + 1 values of f
};

// The most rows: the last one takes 2^20 + 1 values of f.
inline constexpr int rombergRowLimit = 21;

// The table with `rows` rows (1 to rombergRowLimit; CountOutOfRange
// otherwise). NonFiniteInput for a or b, NonFiniteResult where f or a sum
// is not finite (x the first node at fault), WorkLimit at once where its
// values of f times the program's steps exceed ruleWorkLimit.
Result<RombergTable> romberg(const Program &program, double a, double b, int rows);

// Adaptive Simpson to the tolerance eps: a piece is accepted when its two
// halves' Simpson sums differ from its own by at most 15 times its share of
// eps (the share halves with each split), and then carries Richardson's
// correction. The estimate is the sum of those differences / 15 over the
// accepted pieces: an estimate, not a bound.
struct AdaptiveSimpson
{
    double value = 0;
    double estimatedError = 0;
    long evaluations = 0;
    int deepest = 0; // the most halvings any accepted piece took
};

// What it may spend: operations (values of f times the program's steps:
// about 2e8 steps take a second one value at a time), and halvings of one
// piece.
inline constexpr long long adaptiveWorkLimit = 200'000'000;
inline constexpr int adaptiveDepthLimit = 50;

// Refused with ToleranceNotPositive (or NonFiniteInput) for eps,
// NonFiniteInput for a or b, NonFiniteResult where f is not finite (x the
// node), WorkLimit where a limit stops it (x a piece still too coarse).
Result<AdaptiveSimpson> adaptiveSimpson(const Program &program, double a, double b, double eps);

} // namespace kvadrolab
