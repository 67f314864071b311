// SPDX-License-Identifier: GPL-3.0-or-later
#include "proof/caches.h"

#include <flint/flint.h>

namespace kvadrolab {

void releaseProofCaches()
{
    // Frees what FLINT and Arb cached in the calling thread only.
    flint_cleanup();
}

} // namespace kvadrolab
