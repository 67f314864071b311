// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "canvas/plotcanvas.h"

namespace kvadrolab {

// What tests may do to a canvas that the program may not: the canvas names
// this class its friend, and only tests include it.
struct PlotCanvasTesting
{
    // Off, every segment is painted as it comes instead of as reduced runs,
    // so that a test can compare the two pictures pixel for pixel.
    static void setReduceRuns(PlotCanvas &canvas, bool on) { canvas.setReduceRuns(on); }
    // The user system the last setScale() laid over the interior's device
    // pixels: where a chart put a value, for a test to look there.
    static Mapping mapping(const PlotCanvas &canvas) { return canvas.m_mapping; }
};

} // namespace kvadrolab
