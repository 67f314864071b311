// SPDX-License-Identifier: GPL-3.0-or-later
#include "expression/vectormath.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>

#if defined(KVADROLAB_LIBMVEC)
#include <emmintrin.h>

extern "C" {
__m128d _ZGVbN2v_sin(__m128d);
__m128d _ZGVbN2v_cos(__m128d);
__m128d _ZGVbN2v_tan(__m128d);
__m128d _ZGVbN2v_asin(__m128d);
__m128d _ZGVbN2v_acos(__m128d);
__m128d _ZGVbN2v_atan(__m128d);
__m128d _ZGVbN2v_sinh(__m128d);
__m128d _ZGVbN2v_cosh(__m128d);
__m128d _ZGVbN2v_tanh(__m128d);
__m128d _ZGVbN2v_exp(__m128d);
__m128d _ZGVbN2v_log(__m128d);
__m128d _ZGVbN2v_log10(__m128d);
__m128d _ZGVbN2v_cbrt(__m128d);
__m128d _ZGVbN2vv_pow(__m128d, __m128d);
}
#endif

namespace kvadrolab {

#if defined(KVADROLAB_LIBMVEC)
// In vectormath_avx2.cpp; n a multiple of 4.
void unaryAvx2(int function, const double *x, double *y, std::size_t n);
void powAvx2(const double *a, const double *b, double *y, std::size_t n);
#endif

namespace {

double scalar(LibraryFunction f, double v)
{
    switch (f) {
    case LibraryFunction::Sin:
        return std::sin(v);
    case LibraryFunction::Cos:
        return std::cos(v);
    case LibraryFunction::Tan:
        return std::tan(v);
    case LibraryFunction::Asin:
        return std::asin(v);
    case LibraryFunction::Acos:
        return std::acos(v);
    case LibraryFunction::Atan:
        return std::atan(v);
    case LibraryFunction::Sinh:
        return std::sinh(v);
    case LibraryFunction::Cosh:
        return std::cosh(v);
    case LibraryFunction::Tanh:
        return std::tanh(v);
    case LibraryFunction::Exp:
        return std::exp(v);
    case LibraryFunction::Log:
        return std::log(v);
    case LibraryFunction::Log10:
        return std::log10(v);
    case LibraryFunction::Cbrt:
        return std::cbrt(v);
    }
    return std::nan("");
}

enum class Path { Scalar, Sse, Avx2 };

Path chosenPath()
{
#if defined(KVADROLAB_LIBMVEC)
    // Checked once: libgcc's test also asks the system whether it saves the
    // AVX registers. The SSE functions need only the x86-64 baseline; glibc
    // picks their SSE4.1 or SSE2 body itself.
    static const Path path = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") ? Path::Avx2 : Path::Sse;
    }();
    return path;
#else
    return Path::Scalar;
#endif
}

#if defined(KVADROLAB_LIBMVEC)
__m128d (*const kUnarySse[])(__m128d) = {
    _ZGVbN2v_sin,  _ZGVbN2v_cos,   _ZGVbN2v_tan,  _ZGVbN2v_asin, _ZGVbN2v_acos,
    _ZGVbN2v_atan, _ZGVbN2v_sinh,  _ZGVbN2v_cosh, _ZGVbN2v_tanh, _ZGVbN2v_exp,
    _ZGVbN2v_log,  _ZGVbN2v_log10, _ZGVbN2v_cbrt};
static_assert(std::size(kUnarySse) == kLibraryFunctionCount);

void unarySse(LibraryFunction f, const double *x, double *y, std::size_t n)
{
    __m128d (*const kernel)(__m128d) = kUnarySse[static_cast<int>(f)];
    for (std::size_t i = 0; i < n; i += 2)
        _mm_storeu_pd(y + i, kernel(_mm_loadu_pd(x + i)));
}

void powSse(const double *a, const double *b, double *y, std::size_t n)
{
    for (std::size_t i = 0; i < n; i += 2)
        _mm_storeu_pd(y + i, _ZGVbN2vv_pow(_mm_loadu_pd(a + i), _mm_loadu_pd(b + i)));
}
#endif

// Values per call of the chosen path.
std::size_t width(Path path)
{
    switch (path) {
    case Path::Scalar:
        return 1;
    case Path::Sse:
        return 2;
    case Path::Avx2:
        return 4;
    }
    return 1;
}

// The values of a whole number of calls, n a multiple of the width.
void unaryWhole(Path path, LibraryFunction f, const double *x, double *y, std::size_t n)
{
    switch (path) {
    case Path::Scalar:
        break;
#if defined(KVADROLAB_LIBMVEC)
    case Path::Sse:
        unarySse(f, x, y, n);
        return;
    case Path::Avx2:
        unaryAvx2(static_cast<int>(f), x, y, n);
        return;
#else
    case Path::Sse:
    case Path::Avx2:
        break;
#endif
    }
    for (std::size_t i = 0; i < n; ++i)
        y[i] = scalar(f, x[i]);
}

void powWhole(Path path, const double *a, const double *b, double *y, std::size_t n)
{
    switch (path) {
    case Path::Scalar:
        break;
#if defined(KVADROLAB_LIBMVEC)
    case Path::Sse:
        powSse(a, b, y, n);
        return;
    case Path::Avx2:
        powAvx2(a, b, y, n);
        return;
#else
    case Path::Sse:
    case Path::Avx2:
        break;
#endif
    }
    for (std::size_t i = 0; i < n; ++i)
        y[i] = std::pow(a[i], b[i]);
}

// Values per call, at most.
constexpr std::size_t kMostLanes = 4;

// `whole(inputs, y, m)` over n values, m a whole number of calls: the last
// values, fewer than one call takes, go through a full call whose other
// lanes repeat the last value. Each lane is computed on its own, so a value
// is the same in a tail, in the middle of an array or alone. y may be one of
// the inputs.
template <std::size_t Inputs, typename Whole>
void inWholeCalls(Path path, const std::array<const double *, Inputs> &inputs, double *y,
                  std::size_t n, Whole whole)
{
    const std::size_t w = width(path);
    const std::size_t full = n - n % w;
    whole(inputs, y, full);
    if (full == n)
        return;
    double padded[Inputs][kMostLanes], out[kMostLanes];
    std::array<const double *, Inputs> tail{};
    for (std::size_t k = 0; k < Inputs; ++k) {
        std::fill(padded[k], padded[k] + kMostLanes, inputs[k][n - 1]);
        std::copy(inputs[k] + full, inputs[k] + n, padded[k]);
        tail[k] = padded[k];
    }
    whole(tail, out, w);
    std::copy(out, out + (n - full), y + full);
}

} // namespace

void applyLibrary(LibraryFunction f, const double *x, double *y, std::size_t n)
{
    const Path path = chosenPath();
    inWholeCalls<1>(path, {x}, y, n, [&](const auto &in, double *out, std::size_t m) {
        unaryWhole(path, f, in[0], out, m);
    });
}

double applyLibrary(LibraryFunction f, double x)
{
    double y;
    applyLibrary(f, &x, &y, 1);
    return y;
}

void applyPow(const double *a, const double *b, double *y, std::size_t n)
{
    const Path path = chosenPath();
    inWholeCalls<2>(path, {a, b}, y, n, [&](const auto &in, double *out, std::size_t m) {
        powWhole(path, in[0], in[1], out, m);
    });
}

double applyPow(double a, double b)
{
    double y;
    applyPow(&a, &b, &y, 1);
    return y;
}

const char *libraryPath()
{
    switch (chosenPath()) {
    case Path::Scalar:
        return "scalar";
    case Path::Sse:
        return "sse";
    case Path::Avx2:
        return "avx2";
    }
    return "scalar";
}

} // namespace kvadrolab
