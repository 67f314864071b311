// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Only for the integrand block's translation units: each includes it once,
// compiled for its own instruction set. Everything it instantiates is a
// template of the architecture, so the linker cannot hand the baseline
// build a copy compiled for AVX2 (the objects share no weak symbol).

#include <xsimd/xsimd.hpp>

#include <algorithm>
#include <cstddef>

namespace kvadrolab::detail {

#ifndef XSIMD_NO_SUPPORTED_ARCHITECTURE
// The same steps as f: L = ln x, q = L / x, q * q * q, then negated.
template <class Arch> void negatedFKernel(const double *x, double *y, std::size_t n)
{
    using Batch = xsimd::batch<double, Arch>;
    constexpr std::size_t width = Batch::size;
    const auto one = [](Batch v) {
        const Batch q = xsimd::log(v) / v;
        return -(q * q * q);
    };
    std::size_t i = 0;
    for (; i + width <= n; i += width)
        one(Batch::load_unaligned(x + i)).store_unaligned(y + i);
    if (i < n) {
        // The tail goes through the same logarithm as the rest, padded with
        // ones (f(1) = 0) that are not stored.
        alignas(64) double in[width], out[width];
        std::fill(in, in + width, 1.0);
        std::copy(x + i, x + n, in);
        one(Batch::load_aligned(in)).store_aligned(out);
        std::copy(out, out + (n - i), y + i);
    }
}
#endif

} // namespace kvadrolab::detail
