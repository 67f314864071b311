// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>

namespace kvadrolab {

// The windows are designed in "MS Sans Serif" (and their formulas in
// "Times New Roman"). Where those are missing, name metric-compatible
// substitutes explicitly; fontconfig would otherwise pick the much wider
// DejaVu Sans and captions would overflow their controls.
void installFontSubstitutes();

inline constexpr double kDefaultPoints = 8.25;

// "MS Sans Serif" at the given size (Cyrillic text renders with any of the
// substitutes, so the character set needs no separate setting).
QFont designFont(double points = kDefaultPoints);

} // namespace kvadrolab
