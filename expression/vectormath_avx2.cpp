// SPDX-License-Identifier: GPL-3.0-or-later
// Compiled with -mavx2 -mfma and called only after the processor said it has
// AVX2: nothing else may live in this translation unit. Only intrinsics
// (always inlined) are used, so no inline function compiled for AVX is left
// out of line for the linker to share with the baseline code.
#include <immintrin.h>

#include <cstddef>

extern "C" {
__m256d _ZGVdN4v_sin(__m256d);
__m256d _ZGVdN4v_cos(__m256d);
__m256d _ZGVdN4v_tan(__m256d);
__m256d _ZGVdN4v_asin(__m256d);
__m256d _ZGVdN4v_acos(__m256d);
__m256d _ZGVdN4v_atan(__m256d);
__m256d _ZGVdN4v_sinh(__m256d);
__m256d _ZGVdN4v_cosh(__m256d);
__m256d _ZGVdN4v_tanh(__m256d);
__m256d _ZGVdN4v_exp(__m256d);
__m256d _ZGVdN4v_log(__m256d);
__m256d _ZGVdN4v_log10(__m256d);
__m256d _ZGVdN4v_cbrt(__m256d);
__m256d _ZGVdN4vv_pow(__m256d, __m256d);
}

namespace kvadrolab {

// In the order of LibraryFunction.
static __m256d (*const kUnaryAvx2[])(__m256d) = {
    _ZGVdN4v_sin,  _ZGVdN4v_cos,   _ZGVdN4v_tan,  _ZGVdN4v_asin, _ZGVdN4v_acos,
    _ZGVdN4v_atan, _ZGVdN4v_sinh,  _ZGVdN4v_cosh, _ZGVdN4v_tanh, _ZGVdN4v_exp,
    _ZGVdN4v_log,  _ZGVdN4v_log10, _ZGVdN4v_cbrt};

// n is a multiple of 4.
void unaryAvx2(int function, const double *x, double *y, std::size_t n)
{
    __m256d (*const f)(__m256d) = kUnaryAvx2[function];
    for (std::size_t i = 0; i < n; i += 4)
        _mm256_storeu_pd(y + i, f(_mm256_loadu_pd(x + i)));
}

void powAvx2(const double *a, const double *b, double *y, std::size_t n)
{
    for (std::size_t i = 0; i < n; i += 4)
        _mm256_storeu_pd(y + i, _ZGVdN4vv_pow(_mm256_loadu_pd(a + i), _mm256_loadu_pd(b + i)));
}

} // namespace kvadrolab
