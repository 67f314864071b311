// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Only for the integrand block's translation units: each includes it once,
// compiled for its own instruction set. In the AVX files nothing of it may
// reach the linker as a symbol other objects could share: the kernel has
// internal linkage, uses no library function of its own (std::fill and
// std::copy would be weak copies compiled for AVX that the linker may keep
// in place of the baseline's), and the files' entry points inline all of
// xsimd into themselves (see integrandblock_avx2.cpp).

#include <xsimd/xsimd.hpp>

#include <cstddef>

namespace kvadrolab {

namespace {

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
        for (std::size_t k = 0; k < width; ++k)
            in[k] = i + k < n ? x[i + k] : 1.0;
        one(Batch::load_aligned(in)).store_aligned(out);
        for (std::size_t k = 0; i + k < n; ++k)
            y[i + k] = out[k];
    }
}
#endif

} // namespace

} // namespace kvadrolab
