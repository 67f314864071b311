// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/convergencecharts.h"

#include "canvas/plotcanvas.h"
#include "core/integrand.h"
#include "numbers/numbertext.h"
#include "screens/chartframe.h"

#include <QFontMetricsF>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>

namespace kvadrolab {

namespace {

// Logical pixels between a decade caption and the plot area, and between that
// caption and the canvas's left edge; also the room right of the plot area
// past the half of "1000" that overhangs it.
constexpr double kCaptionGap = 4;
// Logical pixels between the plot area (or the rule picture's axis) and the
// captions under it, and between those and the canvas's bottom edge; also
// the room above the top decade's caption.
constexpr double kUnderGap = 2;
// The rule picture's margins round f and the rules, in logical pixels.
constexpr double kPictureMargin = 6;

using chart::fit;
using chart::Frame;
using chart::printAt;

// A polyline through the points that have a value; a missing value breaks it.
template <typename Value>
void polyline(PlotCanvas &canvas, const std::vector<ErrorPoint> &curve, Value value,
              PlotCanvas::Colour colour)
{
    bool have = false;
    double px = 0, py = 0;
    for (const ErrorPoint &p : curve) {
        const std::optional<double> v = value(p);
        if (!v || !(*v > 0) || !std::isfinite(*v)) {
            have = false;
            continue;
        }
        const double x = std::log10(double(p.n)), y = std::log10(*v);
        if (have)
            canvas.drawLine(px, py, x, y, colour);
        px = x, py = y, have = true;
    }
}

std::optional<double> errorOf(const ErrorPoint &p)
{
    return p.absError;
}

std::optional<double> boundOf(const ErrorPoint &p)
{
    return p.bound;
}

} // namespace

Result<void> drawErrorChart(PlotCanvas &canvas, const ConvergenceStudy &study)
{
    canvas.clear();
    double lo = std::numeric_limits<double>::infinity(), hi = 0;
    for (const auto *curve : {&study.trapezoid.curve, &study.simpson.curve})
        for (const ErrorPoint &p : *curve)
            for (const std::optional<double> v : {p.absError, std::optional<double>(p.bound)})
                if (v && *v > 0 && std::isfinite(*v)) {
                    lo = std::min(lo, *v);
                    hi = std::max(hi, *v);
                }
    if (!(hi > 0))
        return Refusal{Reason::BeyondSinglePrecision};
    const int bottom = int(std::floor(std::log10(lo)));
    const int top = std::max(bottom + 1, int(std::ceil(std::log10(hi))));

    const QFontMetricsF metrics(canvas.font());
    const double line = metrics.height();
    const double captionWidth =
        chart::decadeCaptionWidth(metrics, chart::LogArea{0, 0, bottom, top});
    const double nFirst = std::log10(double(kCurveFirstCount));
    const double nLast = std::log10(double(kCurveLastCount));
    const Frame f = fit(canvas, nFirst, nLast, bottom, top, captionWidth + 2 * kCaptionGap,
                        metrics.horizontalAdvance(QStringLiteral("1000")) / 2 + kCaptionGap,
                        line / 2 + kUnderGap, line + 2 * kUnderGap);
    if (!canvas.setScale(f.x1, f.y1, f.x2, f.y2))
        return Refusal{Reason::BeyondSinglePrecision};

    const chart::LogArea area{nFirst, nLast, bottom, top};
    chart::drawLogGrid(canvas, f, area, kStudyGridColour, kStudyFrameColour);

    polyline(canvas, study.trapezoid.curve, boundOf, kTrapezoidBoundColour);
    polyline(canvas, study.simpson.curve, boundOf, kSimpsonBoundColour);
    polyline(canvas, study.trapezoid.curve, errorOf, kTrapezoidErrorColour);
    polyline(canvas, study.simpson.curve, errorOf, kSimpsonErrorColour);

    chart::drawLogCaptions(canvas, f, area, captionWidth + kCaptionGap, kUnderGap);
    return {};
}

Result<void> drawRulePicture(PlotCanvas &canvas, const RulePicture &picture)
{
    canvas.clear();
    if (picture.x.size() < 3 || picture.x.size() != picture.y.size())
        return Refusal{Reason::BeyondSinglePrecision};
    const double left = std::min(picture.a, picture.b), right = std::max(picture.a, picture.b);
    // f between the nodes, finely enough to look smooth at any width.
    constexpr int kSamples = 400;
    std::vector<double> fx(kSamples + 1), fy(kSamples + 1);
    double low = 0, high = 0;
    for (int i = 0; i <= kSamples; ++i) {
        fx[i] = left + (right - left) * i / kSamples;
        fy[i] = f(fx[i]);
        low = std::min(low, fy[i]);
        high = std::max(high, fy[i]);
    }
    // The arcs may swing beyond f between the nodes; they must stay in view.
    constexpr int kArcSteps = 24;
    const int pairs = picture.n / 2;
    std::vector<std::vector<double>> arcs(pairs);
    for (int k = 0; k < pairs; ++k) {
        const double x0 = picture.x[2 * k], x2 = picture.x[2 * k + 2];
        for (int j = 0; j <= kArcSteps; ++j) {
            const double y = picture.simpsonArc(k, x0 + (x2 - x0) * j / kArcSteps);
            arcs[k].push_back(y);
            if (std::isfinite(y)) {
                low = std::min(low, y);
                high = std::max(high, y);
            }
        }
    }
    for (const double y : picture.y) {
        low = std::min(low, y);
        high = std::max(high, y);
    }
    if (!std::isfinite(low) || !std::isfinite(high) || !(right > left))
        return Refusal{Reason::BeyondSinglePrecision};
    if (high == low)
        high = low + 1;

    const QFontMetricsF metrics(canvas.font());
    const double line = metrics.height();
    const Frame fr = fit(canvas, left, right, low, high, kPictureMargin, kPictureMargin,
                         kPictureMargin, line + 2 * kUnderGap);
    if (!canvas.setScale(fr.x1, fr.y1, fr.x2, fr.y2))
        return Refusal{Reason::BeyondSinglePrecision};

    canvas.drawLine(left, 0, right, 0, kStudyFrameColour);
    for (int i = 0; i < kSamples; ++i)
        canvas.drawLine(fx[i], fy[i], fx[i + 1], fy[i + 1], kFunctionColour);
    for (std::size_t i = 0; i < picture.x.size(); ++i)
        canvas.drawLine(picture.x[i], 0, picture.x[i], picture.y[i], kTrapezoidErrorColour);
    for (std::size_t i = 0; i + 1 < picture.x.size(); ++i)
        canvas.drawLine(picture.x[i], picture.y[i], picture.x[i + 1], picture.y[i + 1],
                        kTrapezoidErrorColour);
    for (int k = 0; k < pairs; ++k) {
        const double x0 = picture.x[2 * k], x2 = picture.x[2 * k + 2];
        for (int j = 0; j < kArcSteps; ++j)
            canvas.drawLine(x0 + (x2 - x0) * j / kArcSteps, arcs[k][j],
                            x0 + (x2 - x0) * (j + 1) / kArcSteps, arcs[k][j + 1],
                            kSimpsonErrorColour);
    }

    const QString from = formatSignificant(left, 6);
    const QString to = formatSignificant(right, 6);
    const double captionTop = fr.pixelY(0) + kUnderGap;
    printAt(canvas, fr, fr.pixelX(left), captionTop, from);
    printAt(canvas, fr, fr.pixelX(right) - metrics.horizontalAdvance(to), captionTop, to);
    return {};
}

} // namespace kvadrolab
