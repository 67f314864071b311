// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kvadrolab {

// Ball arithmetic keeps caches per thread (constants, logarithm tables) and
// frees them only when told. A thread that has used the proofs calls this
// before it ends, or every such thread leaves a few hundred kilobytes behind.
void releaseProofCaches();

} // namespace kvadrolab
