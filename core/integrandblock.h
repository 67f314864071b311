// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

namespace kvadrolab {

// y[i] = -f(x[i]) for i < n, with a vectorised logarithm: for plotting many
// points at once. Each value may differ from -f(x[i]) in the last bit or two
// of the logarithm; the quadrature rules keep the scalar f for their exact
// ten-decimal results.
void negatedFBlock(const double *x, double *y, std::size_t n);

// The instruction sets negatedFBlock has a kernel for. It picks the widest
// the processor and the system support, once.
enum class FKernel { Baseline, Avx2, Avx512 };
FKernel currentFKernel();

} // namespace kvadrolab
