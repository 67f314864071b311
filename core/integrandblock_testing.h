// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/integrandblock.h"

// For tests and benchmarks only. The program keeps the kernel that
// negatedFBlock picks once; switching it belongs to code that compares them.
namespace kvadrolab {

// Makes negatedFBlock use the given kernel from now on, so that tests can
// run each one this processor has; false, and no change, when it has not.
bool useFKernel(FKernel kernel);

} // namespace kvadrolab
