// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cmath>
#include <limits>
#include <optional>

namespace kvadrolab {

// The value in single precision, when it lies inside the float range. Outside
// it there is no float for it (and the plain conversion would be undefined).
inline std::optional<float> toSingle(double v)
{
    if (!(std::fabs(v) <= std::numeric_limits<float>::max()))
        return std::nullopt;
    return static_cast<float>(v);
}

} // namespace kvadrolab
