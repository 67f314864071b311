// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"

#include <algorithm>
#include <cmath>

namespace kvadrolab {

// The checks every computation over [a;b] makes first, each naming the input
// at fault, so that every caller is told alike.

// Refused with NonFiniteInput at the first of a, b and the third input that
// is NaN or infinite.
inline Result<void> finite(double a, double b, double third = 0, Input thirdInput = Input::Count)
{
    if (!std::isfinite(a))
        return Refusal{Reason::NonFiniteInput, Input::A};
    if (!std::isfinite(b))
        return Refusal{Reason::NonFiniteInput, Input::B};
    if (!std::isfinite(third))
        return Refusal{Reason::NonFiniteInput, thirdInput};
    return {};
}

// The end of [a;b] nearer to zero or below it (a when they are equal): the one
// to move when a node reaches x <= 0 or f grows beyond every double, which
// (ln x / x)^3 does only near x = 0.
inline Input lowerEnd(double a, double b)
{
    return a <= b ? Input::A : Input::B;
}

// NodeNotPositive at the lower end, with its value as the place.
inline Refusal nodeNotPositive(double a, double b)
{
    return Refusal{Reason::NodeNotPositive, lowerEnd(a, b), {}, std::min(a, b)};
}

// NonFiniteResult, laid at the lower end.
inline Refusal overflowed(double a, double b)
{
    return Refusal{Reason::NonFiniteResult, lowerEnd(a, b)};
}

} // namespace kvadrolab
