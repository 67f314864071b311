// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "canvas/plotcanvas.h"
#include "rules/compositerule.h"

#include <array>
#include <cstddef>

// The colours the study's pictures share, so that a rule, f and the grid
// look the same on every chart.
namespace kvadrolab {

// One colour per rule, in allRules order, everywhere the study shows a rule
// (its error curve, its shapes on f, its check box): Okabe and Ito's eight
// colours, which readers with any common colour vision deficiency tell apart,
// and a middle grey as the ninth. The grey and the black differ in lightness
// alone, so they go to the rules least often shown together.
inline constexpr std::array<PlotCanvas::Colour, 9> kRuleColours = {
    PlotCanvas::rgb(230, 159, 0),   // left rectangles: orange
    PlotCanvas::rgb(86, 180, 233),  // right rectangles: sky blue
    PlotCanvas::rgb(0, 158, 115),   // midpoint: bluish green
    PlotCanvas::rgb(213, 94, 0),    // trapezoid: vermilion
    PlotCanvas::rgb(0, 0, 0),       // Simpson: black
    PlotCanvas::rgb(204, 121, 167), // Simpson 3/8: reddish purple
    PlotCanvas::rgb(0, 114, 178),   // Boole: blue
    PlotCanvas::rgb(240, 228, 66),  // Gauss, 2 nodes: yellow
    PlotCanvas::rgb(153, 153, 153), // Gauss, 3 nodes: grey
};
inline constexpr PlotCanvas::Colour ruleColour(RuleKind kind)
{
    return kRuleColours[static_cast<std::size_t>(kind)];
}

// f on every study chart.
inline constexpr PlotCanvas::Colour kStudyFunctionColour = PlotCanvas::rgb(0, 0, 255);
// The grid, the plot areas' frames and the x axis, the captions' grey.
inline constexpr PlotCanvas::Colour kStudyChartGridColour = PlotCanvas::rgb(225, 225, 225);
inline constexpr PlotCanvas::Colour kStudyChartFrameColour = PlotCanvas::rgb(150, 150, 150);
inline constexpr PlotCanvas::Colour kStudyChartAxisColour = PlotCanvas::rgb(90, 90, 90);
// The share of a rule's colour in the shading under its shapes.
inline constexpr double kRuleShadeShare = 0.2;

} // namespace kvadrolab
