// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

// The C library's functions over arrays of doubles, as the double evaluator
// calls them. Where the build has glibc's vector functions (libmvec), a
// long array is computed four or two values at a time; elsewhere one by one.
// A value never depends on its place in the array nor on how many come with
// it, and the one-value calls give the same bits: a block of points and a
// single point cannot round differently.
namespace kvadrolab {

enum class LibraryFunction {
    Sin,
    Cos,
    Tan,
    Asin,
    Acos,
    Atan,
    Sinh,
    Cosh,
    Tanh,
    Exp,
    Log,
    Log10,
    Cbrt,
};
inline constexpr int kLibraryFunctionCount = static_cast<int>(LibraryFunction::Cbrt) + 1;

// y[i] = f(x[i]) for i < n; x and y may be one array. Within a few units in
// the last place of the correctly rounded value (libmvec's accuracy: at most
// 4), not a bound.
void applyLibrary(LibraryFunction f, const double *x, double *y, std::size_t n);
double applyLibrary(LibraryFunction f, double x);

// y[i] = pow(a[i], b[i]); y may be a or b.
void applyPow(const double *a, const double *b, double *y, std::size_t n);
double applyPow(double a, double b);

// Which way the functions are computed on this processor, for the
// benchmarks and the tests: "avx2" or "sse" (libmvec), or "scalar".
const char *libraryPath();

} // namespace kvadrolab
