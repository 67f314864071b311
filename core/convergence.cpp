#include "core/convergence.h"

#include <cmath>

namespace kvadrolab {

StudyRefusal checkInterval(double a, double b)
{
    if (!std::isfinite(a) || !std::isfinite(b))
        return StudyRefusal::NonFiniteInput;
    if (a <= 0 || b <= 0)
        return StudyRefusal::NodeNotPositive;
    if (a == b)
        return StudyRefusal::EmptyInterval;
    return StudyRefusal::None;
}

double aPrioriBound(Rule rule, double a, double b, double M, double n)
{
    const double d = std::fabs(b - a);
    const double h = d / n;
    if (rule == Rule::Trapezoid)
        return d * h * h * M / 12;
    return d * (h * h) * (h * h) * M / 180;
}

} // namespace kvadrolab
