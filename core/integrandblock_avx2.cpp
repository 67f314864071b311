// SPDX-License-Identifier: GPL-3.0-or-later
// Compiled with -mavx2 -mfma and called only after CPUID said so: nothing
// else may live in this translation unit.
#include "core/integrandkernel.h"

namespace kvadrolab {

// Flattened: every function it calls, xsimd's included, is inlined into it,
// so this file emits no out-of-line copy of an inline function that the
// linker could keep for the baseline code's calls. GCC flattens only when
// optimising, so core/CMakeLists.txt optimises this file in every build type;
// the baselineinstructions test checks that this is the file's only symbol.
[[gnu::flatten]] void negatedFBlockAvx2(const double *x, double *y, std::size_t n)
{
    negatedFKernel<xsimd::fma3<xsimd::avx2>>(x, y, n);
}

} // namespace kvadrolab
