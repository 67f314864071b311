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
// Makes negatedFBlock use the given kernel from now on, so that tests can
// run each one this processor has; false, and no change, when it has not.
bool useFKernel(FKernel kernel);

} // namespace kvadrolab
