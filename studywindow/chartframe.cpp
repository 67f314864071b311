// SPDX-License-Identifier: GPL-3.0-or-later
#include "studywindow/chartframe.h"

#include "numbers/numbertext.h"

#include <algorithm>
#include <cmath>

namespace kvadrolab::chart {

namespace {

// Decade captions are kept at least this many lines apart.
constexpr double kCaptionSpacing = 1.1;
// Grid lines of the values are kept at least this many logical pixels apart.
constexpr double kGridSpacing = 3;
// Dashes and gaps of a dashed line, in logical pixels.
constexpr double kDash = 6, kGap = 4;
// A legend entry: its sample's width, the gap before its text, and the gap
// before the next entry, in logical pixels.
constexpr double kSampleWidth = 24, kSampleGap = 5, kEntryGap = 16;

} // namespace

Frame fit(const PlotCanvas &canvas, double lo, double hi, double bottom, double top, double left,
          double right, double above, double below)
{
    const QSizeF size = canvas.contentsRect().size();
    Frame f{};
    f.width = std::max(1.0, size.width());
    f.height = std::max(1.0, size.height());
    const double sx = (hi - lo) / std::max(1.0, f.width - left - right);
    const double sy = (top - bottom) / std::max(1.0, f.height - above - below);
    f.x1 = lo - left * sx;
    f.x2 = hi + right * sx;
    f.y1 = top + above * sy;
    f.y2 = bottom - below * sy;
    return f;
}

void printAt(PlotCanvas &canvas, const Frame &f, double px, double py, const QString &text)
{
    canvas.setCurrentX(f.userX(px));
    canvas.setCurrentY(f.userY(py));
    canvas.printText(text);
}

void printCentred(PlotCanvas &canvas, const Frame &f, double px, double py, const QString &text)
{
    printAt(canvas, f, px - QFontMetricsF(canvas.font()).horizontalAdvance(text) / 2, py, text);
}

void printRightAligned(PlotCanvas &canvas, const Frame &f, double px, double py,
                       const QString &text)
{
    printAt(canvas, f, px - QFontMetricsF(canvas.font()).horizontalAdvance(text), py, text);
}

PlotCanvas::Colour blend(PlotCanvas::Colour colour, PlotCanvas::Colour background, double share)
{
    const auto part = [&](int shift) {
        const double c = (colour >> shift) & 0xff, b = (background >> shift) & 0xff;
        return int(std::lround(b + (c - b) * share));
    };
    return PlotCanvas::rgb(part(0), part(8), part(16));
}

double devicePixels(const PlotCanvas &canvas, const Frame &f)
{
    return std::max(1.0, canvas.interiorPixels().width() / f.width);
}

void thickPolyline(PlotCanvas &canvas, const Frame &f, const std::vector<double> &x,
                   const std::vector<double> &y, PlotCanvas::Colour colour)
{
    const std::size_t n = std::min(x.size(), y.size());
    const double dpr = devicePixels(canvas, f);
    const int copies = std::max(2, int(std::lround(1.5 * dpr)));
    // One device pixel in user units along each axis.
    const double ux = (f.x2 - f.x1) / (f.width * dpr), uy = (f.y2 - f.y1) / (f.height * dpr);
    std::vector<double> sx(n), sy(n);
    for (int i = 0; i < copies; ++i)
        for (int j = 0; j < copies; ++j) {
            // Only the outer ring of copies adds pixels a thinner pen lacks;
            // the inner ones would be painted over.
            if (i != 0 && j != 0 && i != copies - 1 && j != copies - 1)
                continue;
            for (std::size_t k = 0; k < n; ++k) {
                sx[k] = x[k] + i * ux;
                sy[k] = y[k] + j * uy;
            }
            canvas.drawPolyline(sx.data(), sy.data(), n, colour);
        }
}

void dashedPolyline(PlotCanvas &canvas, const Frame &f, const std::vector<double> &x,
                    const std::vector<double> &y, PlotCanvas::Colour colour)
{
    // The dashes are cut along the line in logical pixels, so that they look
    // alike on a steep bound and a flat one; each dash is a thick polyline.
    const std::size_t n = std::min(x.size(), y.size());
    std::vector<double> dx, dy;
    double phase = 0; // logical pixels into the current dash and gap
    const auto flush = [&] {
        if (dx.size() >= 2)
            thickPolyline(canvas, f, dx, dy, colour);
        dx.clear();
        dy.clear();
    };
    for (std::size_t k = 0; k + 1 < n; ++k) {
        if (!std::isfinite(x[k]) || !std::isfinite(y[k]) || !std::isfinite(x[k + 1]) ||
            !std::isfinite(y[k + 1])) {
            flush();
            continue;
        }
        const double px = f.pixelX(x[k + 1]) - f.pixelX(x[k]);
        const double py = f.pixelY(y[k + 1]) - f.pixelY(y[k]);
        const double length = std::hypot(px, py);
        if (!std::isfinite(length))
            continue;
        // Walk the segment from one dash boundary to the next: at most
        // length / min(kDash, kGap) + 2 steps, and a segment longer than a
        // screen is no line of a chart, so the walk is cut at 10^5 steps.
        double done = 0;
        for (int steps = 0; done < length && steps < 100000; ++steps) {
            const bool on = phase < kDash;
            const double left = (on ? kDash : kDash + kGap) - phase;
            const double step = std::min(left, length - done);
            const double t0 = done / length, t1 = (done + step) / length;
            if (on) {
                if (dx.empty()) {
                    dx.push_back(x[k] + t0 * (x[k + 1] - x[k]));
                    dy.push_back(y[k] + t0 * (y[k + 1] - y[k]));
                }
                dx.push_back(x[k] + t1 * (x[k + 1] - x[k]));
                dy.push_back(y[k] + t1 * (y[k + 1] - y[k]));
            }
            done += step;
            phase += step;
            if (phase >= kDash + kGap)
                phase = 0;
            if (on && phase >= kDash)
                flush();
        }
    }
    flush();
}

void dot(PlotCanvas &canvas, const Frame &f, double x, double y, double radius,
         PlotCanvas::Colour colour)
{
    // A disc as the band between its two half circles, a point every
    // twelfth of the diameter: at a few pixels' radius that is round.
    constexpr int kSteps = 12;
    double xs[kSteps + 1], low[kSteps + 1], high[kSteps + 1];
    const double cx = f.pixelX(x), cy = f.pixelY(y);
    if (!std::isfinite(cx) || !std::isfinite(cy))
        return;
    for (int i = 0; i <= kSteps; ++i) {
        const double u = -1 + 2.0 * i / kSteps;
        const double h = radius * std::sqrt(std::max(0.0, 1 - u * u));
        xs[i] = f.userX(cx + u * radius);
        low[i] = f.userY(cy + h);
        high[i] = f.userY(cy - h);
    }
    canvas.fillBetween(xs, low, high, kSteps + 1, colour);
}

void box(PlotCanvas &canvas, const Frame &f, double left, double top, double right, double bottom,
         PlotCanvas::Colour colour)
{
    const double xs[] = {f.userX(left), f.userX(right)};
    const double low[] = {f.userY(bottom), f.userY(bottom)};
    const double high[] = {f.userY(top), f.userY(top)};
    canvas.fillBetween(xs, low, high, 2, colour);
}

void outline(PlotCanvas &canvas, double x1, double y1, double x2, double y2,
             PlotCanvas::Colour colour)
{
    canvas.drawLine(x1, y1, x2, y1, colour);
    canvas.drawLine(x1, y2, x2, y2, colour);
    canvas.drawLine(x1, y1, x1, y2, colour);
    canvas.drawLine(x2, y1, x2, y2, colour);
}

double decadeCaptionWidth(const QFontMetricsF &metrics, const LogArea &area)
{
    double width = 0;
    for (int k = area.bottom; k <= area.top; ++k)
        width = std::max(width, metrics.horizontalAdvance(formatTenTo(k)));
    return width;
}

namespace {

// The decades of n inside the area: a decade at the area's end is inside,
// however log10 rounds it.
int firstDecade(const LogArea &area)
{
    return int(std::ceil(area.xFirst - 1e-9));
}

int lastDecade(const LogArea &area)
{
    return int(std::floor(area.xLast + 1e-9));
}

// Every how many decades of the values a line (or caption) goes, so that
// they stay `spacing` logical pixels apart.
int decadeStep(const Frame &f, const LogArea &area, double spacing)
{
    const double perDecade =
        std::abs(f.pixelY(area.top) - f.pixelY(area.bottom)) / std::max(1, area.top - area.bottom);
    return std::max(1, int(std::ceil(spacing / std::max(1e-3, perDecade))));
}

} // namespace

void drawLogGrid(PlotCanvas &canvas, const Frame &f, const LogArea &area, PlotCanvas::Colour grid,
                 PlotCanvas::Colour frame)
{
    const int every = decadeStep(f, area, kGridSpacing);
    for (int k = area.bottom; k <= area.top; ++k)
        if ((area.top - k) % every == 0)
            canvas.drawLine(area.xFirst, k, area.xLast, k, grid);
    for (int d = std::max(0, firstDecade(area)); d <= lastDecade(area); ++d)
        canvas.drawLine(d, area.bottom, d, area.top, grid);
    canvas.drawLine(area.xFirst, area.bottom, area.xLast, area.bottom, frame);
    canvas.drawLine(area.xFirst, area.top, area.xLast, area.top, frame);
    canvas.drawLine(area.xFirst, area.bottom, area.xFirst, area.top, frame);
    canvas.drawLine(area.xLast, area.bottom, area.xLast, area.top, frame);
}

void drawLogCaptions(PlotCanvas &canvas, const Frame &f, const LogArea &area, double captionRight,
                     double gapUnder)
{
    const QFontMetricsF metrics(canvas.font());
    const double line = metrics.height();
    // A caption at every decade, or at every second or third where they
    // would run into each other.
    const int every = decadeStep(f, area, line * kCaptionSpacing);
    for (int k = area.top; k >= area.bottom; --k) {
        if ((area.top - k) % every)
            continue;
        printRightAligned(canvas, f, captionRight, f.pixelY(k) - line / 2, formatTenTo(k));
    }
    const double captionTop = f.pixelY(area.bottom) + gapUnder;
    // The decades of n are captioned as counts are written: no exponent, no
    // grouping. The first n is captioned too unless it is a decade or its
    // caption would touch the next one.
    const int first = std::max(0, firstDecade(area)), last = lastDecade(area);
    const long firstN = std::lround(std::pow(10.0, area.xFirst));
    const QString firstText = QString::number(firstN);
    const bool firstIsDecade = std::abs(area.xFirst - first) < 1e-9;
    if (!firstIsDecade) {
        const double room = first <= last ? f.pixelX(first) - f.pixelX(area.xFirst) : 1e9;
        const double needed = (metrics.horizontalAdvance(firstText) +
                               metrics.horizontalAdvance(QString::number(std::pow(10.0, first)))) /
                                  2 +
                              metrics.horizontalAdvance(QStringLiteral(" "));
        if (room >= needed)
            printCentred(canvas, f, f.pixelX(area.xFirst), captionTop, firstText);
    }
    double power = std::pow(10.0, first);
    for (int d = first; d <= last && d <= 15; ++d, power *= 10)
        printCentred(canvas, f, f.pixelX(d), captionTop, QString::number(power, 'f', 0));
}

std::vector<double> roundTicks(double lo, double hi, double pixels, double spacing)
{
    std::vector<double> ticks;
    const int wanted = int(pixels / spacing);
    if (!(hi > lo) || wanted < 1 || !std::isfinite(hi - lo))
        return ticks;
    const double rough = (hi - lo) / wanted;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = 10 * power;
    for (const double m : {1.0, 2.0, 5.0})
        if (m * power >= rough) {
            step = m * power;
            break;
        }
    if (!(step > 0) || !std::isfinite(step))
        return ticks;
    // Each tick is k * step, not a running sum, so that no rounding
    // accumulates; the loop is bounded by the count above. A tick within a
    // rounding of an end is that end, which its own caption names: the C
    // libraries' log10 and pow differ in the last bit, and a tick must not
    // come and go with them.
    const double slack = step * 1e-9;
    for (double k = std::floor(lo / step) + 1; ticks.size() < std::size_t(wanted) + 2; ++k) {
        const double t = k * step;
        if (!(t < hi - slack))
            break;
        if (t > lo + slack)
            ticks.push_back(std::fabs(t) < slack ? 0.0 : t);
    }
    return ticks;
}

namespace {

// Where each entry starts, in logical pixels from the legend's left edge and
// in rows from its top.
struct Placed
{
    double x;
    int row;
};

std::vector<Placed> place(const QFontMetricsF &metrics, const std::vector<LegendEntry> &entries,
                          double width)
{
    std::vector<Placed> placed;
    double x = 0;
    int row = 0;
    for (const LegendEntry &e : entries) {
        const double sample = e.sample == LegendEntry::Sample::None ? 0 : kSampleWidth + kSampleGap;
        const double w = sample + metrics.horizontalAdvance(e.text);
        if (x > 0 && x + w > width) {
            x = 0;
            ++row;
        }
        placed.push_back({x, row});
        x += w + kEntryGap;
    }
    return placed;
}

} // namespace

double legendHeight(const QFontMetricsF &metrics, const std::vector<LegendEntry> &entries,
                    double width)
{
    if (entries.empty())
        return 0;
    return (place(metrics, entries, width).back().row + 1) * metrics.height();
}

double drawLegend(PlotCanvas &canvas, const Frame &f, const std::vector<LegendEntry> &entries,
                  double left, double top, double width)
{
    if (entries.empty())
        return 0;
    const QFontMetricsF metrics(canvas.font());
    const double line = metrics.height();
    const std::vector<Placed> placed = place(metrics, entries, width);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const LegendEntry &e = entries[i];
        const double x = left + placed[i].x, y = top + placed[i].row * line;
        const double middle = y + line / 2;
        const std::vector<double> xs = {f.userX(x + 1), f.userX(x + kSampleWidth - 1)};
        const std::vector<double> ys = {f.userY(middle), f.userY(middle)};
        switch (e.sample) {
        case LegendEntry::Sample::Line:
            thickPolyline(canvas, f, xs, ys, e.colour);
            break;
        case LegendEntry::Sample::Dashed: {
            // Three short dashes, whatever kDash: a sample of a pattern.
            for (int k = 0; k < 3; ++k) {
                const double from = x + 1 + k * 8.5;
                thickPolyline(canvas, f, {f.userX(from), f.userX(from + 5)}, ys, e.colour);
            }
            break;
        }
        case LegendEntry::Sample::Shape: {
            const double sTop = y + line * 0.2, sBottom = y + line * 0.85;
            box(canvas, f, x + 3, sTop, x + kSampleWidth - 3, sBottom, e.fill);
            outline(canvas, f.userX(x + 3), f.userY(sTop), f.userX(x + kSampleWidth - 3),
                    f.userY(sBottom), e.colour);
            break;
        }
        case LegendEntry::Sample::Dot:
            dot(canvas, f, f.userX(x + kSampleWidth / 2), f.userY(middle), 3, e.colour);
            break;
        case LegendEntry::Sample::None:
            break;
        }
        const double textX =
            x + (e.sample == LegendEntry::Sample::None ? 0 : kSampleWidth + kSampleGap);
        printAt(canvas, f, textX, y, e.text);
    }
    return (placed.back().row + 1) * line;
}

} // namespace kvadrolab::chart
