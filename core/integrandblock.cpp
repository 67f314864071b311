#include "core/integrandblock.h"

#include "core/integrand.h"
#include "core/integrandkernel.h"
#include "core/vectorstate.h"

namespace kvadrolab {

namespace detail {
#ifdef KVADROLAB_WIDE_INTEGRAND
void negatedFBlockAvx2(const double *x, double *y, std::size_t n);
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

// Chosen once from CPUID through a plain pointer: GCC's target_clones and
// ifunc resolvers do not exist for Windows (mingw), and this is the one
// dispatch both builds share. The wide kernel is VEX-encoded, so upper
// halves that a library left dirty cost it nothing, and the compiler ends it
// with vzeroupper, so it leaves them clean for the SSE code after it.
Kernel chooseKernel()
{
#ifdef KVADROLAB_WIDE_INTEGRAND
    if (avx2FmaUsable())
        return negatedFBlockAvx2;
#endif
    return negatedFBlockBaseline;
}

} // namespace
} // namespace detail

void negatedFBlock(const double *x, double *y, std::size_t n)
{
    static const detail::Kernel kernel = detail::chooseKernel();
    // The SSE2 path is itself the code a dirty state slows down.
    clearUpperVectorState();
    kernel(x, y, n);
}

} // namespace kvadrolab
