// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/integrandblock.h"
#include "core/integrandblock_testing.h"

#include "core/integrand.h"
#include "core/integrandkernel.h"
#include "core/vectorstate.h"

namespace kvadrolab {

#ifdef KVADROLAB_WIDE_INTEGRAND
void negatedFBlockAvx2(const double *x, double *y, std::size_t n);
void negatedFBlockAvx512(const double *x, double *y, std::size_t n);
#endif

namespace {

void negatedFBlockBaseline(const double *x, double *y, std::size_t n)
{
#ifdef XSIMD_NO_SUPPORTED_ARCHITECTURE
    for (std::size_t i = 0; i < n; ++i)
        y[i] = -f(x[i]);
#else
    negatedFKernel<xsimd::default_arch>(x, y, n);
#endif
}

using Kernel = void (*)(const double *, double *, std::size_t);

bool usable(FKernel k)
{
    switch (k) {
    case FKernel::Baseline:
        return true;
#ifdef KVADROLAB_WIDE_INTEGRAND
    case FKernel::Avx2:
        return avx2FmaUsable();
    case FKernel::Avx512:
        return avx512Usable();
#endif
    default:
        return false;
    }
}

Kernel kernelOf(FKernel k)
{
    switch (k) {
#ifdef KVADROLAB_WIDE_INTEGRAND
    case FKernel::Avx2:
        return negatedFBlockAvx2;
    case FKernel::Avx512:
        return negatedFBlockAvx512;
#endif
    default:
        return negatedFBlockBaseline;
    }
}

// Chosen once from CPUID through a plain pointer: GCC's target_clones and
// ifunc resolvers do not exist for Windows (mingw), and this is the one
// dispatch both builds share. The wide kernels are VEX- and EVEX-encoded,
// so upper halves that a library left dirty cost them nothing, and the
// compiler ends them with vzeroupper, so they leave the state clean for the
// SSE code after them.
FKernel widest()
{
    for (const FKernel k : {FKernel::Avx512, FKernel::Avx2})
        if (usable(k))
            return k;
    return FKernel::Baseline;
}

struct Choice
{
    FKernel which = widest();
    Kernel kernel = kernelOf(which);
};

Choice &choice()
{
    static Choice c;
    return c;
}

} // namespace

void negatedFBlock(const double *x, double *y, std::size_t n)
{
    const Kernel kernel = choice().kernel;
    // The baseline kernel is itself SSE code that a dirty state slows down.
    clearUpperVectorState();
    kernel(x, y, n);
}

FKernel currentFKernel()
{
    return choice().which;
}

bool useFKernel(FKernel kernel)
{
    if (!usable(kernel))
        return false;
    choice() = {kernel, kernelOf(kernel)};
    return true;
}

} // namespace kvadrolab
