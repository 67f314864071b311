// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <time.h>

namespace kvadrolab {

// Processor time of this thread in milliseconds: the machine is shared, and
// waiting for a core is not the measured code's cost.
inline double threadMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

} // namespace kvadrolab
