// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <time.h>

#include <algorithm>
#include <vector>

namespace kvadrolab {

// Processor time of this thread in milliseconds: the machine is shared, and
// waiting for a core is not the measured code's cost.
inline double threadMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The middle one of the runs: one run slowed by the shared machine does not move it.
inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace kvadrolab
