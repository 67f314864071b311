// SPDX-License-Identifier: GPL-3.0-or-later
// Compiled for AVX-512 (F, CD, DQ, BW, VL) and called only after CPUID and
// XCR0 said so: nothing else may live in this translation unit. DQ's
// conversions between 64-bit integers and doubles are what make the
// logarithm about three times faster than its AVX2 form.
#include "core/integrandkernel.h"

namespace kvadrolab {

// Flattened for the reason given in integrandblock_avx2.cpp.
[[gnu::flatten]] void negatedFBlockAvx512(const double *x, double *y, std::size_t n)
{
    negatedFKernel<xsimd::avx512bw>(x, y, n);
}

} // namespace kvadrolab
