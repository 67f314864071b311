// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/vectorstate.h"
#include "core/vectorstate_testing.h"

#if (defined(__x86_64__) || defined(_M_X64)) && defined(__GNUC__)
#define KVADROLAB_X86_GNU 1
#include <cpuid.h>
#endif

namespace kvadrolab {

namespace {

#ifdef KVADROLAB_X86_GNU

unsigned long long xgetbv(unsigned index)
{
    unsigned lo = 0, hi = 0;
    asm volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(index));
    return (static_cast<unsigned long long>(hi) << 32) | lo;
}

struct Features
{
    bool avx = false;
    bool avx2Fma = false;
    bool avx512 = false;
    bool xinuse = false; // XGETBV with ECX = 1
};

Features detect()
{
    Features f;
    unsigned a, b, c, d;
    if (!__get_cpuid(1, &a, &b, &c, &d))
        return f;
    const bool osxsave = c & (1u << 27);
    const bool avx = c & (1u << 28);
    const bool fma = c & (1u << 12);
    if (!osxsave || !avx)
        return f;
    // XCR0 bits 1 and 2: the system saves the SSE and the AVX upper state.
    const unsigned long long xcr0 = xgetbv(0);
    if ((xcr0 & 0x6) != 0x6)
        return f;
    f.avx = true;
    if (__get_cpuid_count(7, 0, &a, &b, &c, &d)) {
        f.avx2Fma = fma && (b & (1u << 5));
        // F 16, DQ 17, CD 28, BW 30, VL 31; XCR0 bits 5 to 7: the opmask
        // registers and the upper halves of zmm0-15 and all of zmm16-31.
        const unsigned want = (1u << 16) | (1u << 17) | (1u << 28) | (1u << 30) | (1u << 31);
        f.avx512 = f.avx2Fma && (b & want) == want && (xcr0 & 0xe0) == 0xe0;
    }
    if (__get_cpuid_count(0xd, 1, &a, &b, &c, &d))
        f.xinuse = a & (1u << 2);
    return f;
}

const Features &features()
{
    static const Features f = detect();
    return f;
}

#endif

} // namespace

bool avxUsable()
{
#ifdef KVADROLAB_X86_GNU
    return features().avx;
#else
    return false;
#endif
}

bool avx2FmaUsable()
{
#ifdef KVADROLAB_X86_GNU
    return features().avx2Fma;
#else
    return false;
#endif
}

bool avx512Usable()
{
#ifdef KVADROLAB_X86_GNU
    return features().avx512;
#else
    return false;
#endif
}

void clearUpperVectorState()
{
#ifdef KVADROLAB_X86_GNU
    // vzeroupper leaves the low 128 bits of every register as they are, so
    // nothing the compiler keeps in xmm registers is lost.
    if (features().avx)
        asm volatile("vzeroupper" ::: "memory");
#endif
}

int upperVectorStateInUse()
{
#ifdef KVADROLAB_X86_GNU
    if (!features().xinuse)
        return -1;
    return (xgetbv(1) >> 2) & 1;
#else
    return -1;
#endif
}

} // namespace kvadrolab
