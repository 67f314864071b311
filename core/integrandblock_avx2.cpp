// SPDX-License-Identifier: GPL-3.0-or-later
// Compiled with -mavx2 -mfma and called only after CPUID said so: nothing
// else may live in this translation unit.
#include "core/integrandkernel.h"

namespace kvadrolab::detail {

void negatedFBlockAvx2(const double *x, double *y, std::size_t n)
{
    negatedFKernel<xsimd::fma3<xsimd::avx2>>(x, y, n);
}

} // namespace kvadrolab::detail
