#include "errorbound.h"

#include <cmath>
#include <limits>

namespace kvadrolab {

// The order of the operations below is deliberate: it fixes the last bits of
// each bound, and the charts' grid positions were designed against them.

double trapezoidBound(double a, double b, int n)
{
    const double d = b - a;
    const double p = std::pow(d, 3);
    const double m = kM2 * p;
    const double t = -m;
    const int q = n * (n * 12); // exact: 12 n^2 needs more than 16 bits for n = 210
    return t / q;
}

double simpsonBound(double a, double b, int n)
{
    const double d = b - a;
    const double p = std::pow(d, 5);
    const double m = kM4 * p;
    const double t = -m;
    const double q = std::pow(static_cast<double>(n * 2), 4) * 180;
    return t / q;
}

namespace {

// Converts to float when the value lies inside the float range; a value
// outside it has no float (the conversion itself would be undefined).
bool toSingle(double v, float &out)
{
    if (!(std::fabs(v) <= std::numeric_limits<float>::max()))
        return false;
    out = static_cast<float>(v);
    return true;
}

} // namespace

Checked<Curve> boundCurve(BoundFunction bound, double a, double b)
{
    if (!std::isfinite(a) || !std::isfinite(b))
        return Checked<Curve>::refused(Refusal::NonFiniteInput);
    Curve curve{};
    int k = 0;
    for (int n = kCurveFirstN; n <= kCurveLastN; n += kCurveStepN, ++k) {
        // Both ends are computed afresh on every pass, as a plotted bound is.
        const double e1 = bound(a, b, n);
        const double e2 = bound(a, b, n + kCurveStepN);
        Segment &s = curve[k];
        s.x1 = static_cast<float>(n);
        s.x2 = static_cast<float>(n + kCurveStepN);
        if (!toSingle(e1, s.y1) || !toSingle(e2, s.y2))
            return Checked<Curve>::refused(Refusal::BeyondSinglePrecision);
    }
    return Checked<Curve>{curve};
}

} // namespace kvadrolab
