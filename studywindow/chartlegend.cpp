// SPDX-License-Identifier: GPL-3.0-or-later
#include "studywindow/chartlegend.h"

#include "studywindow/chartshapes.h"

namespace kvadrolab {

namespace {

// A legend entry: its sample's width, the gap before its text, and the gap
// before the next entry, in logical pixels.
constexpr double kSampleWidth = 24, kSampleGap = 5, kEntryGap = 16;

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

// A rectangle given in logical pixels, filled.
void fillBox(ChartSurface &canvas, const ChartFrame &f, double left, double top, double right,
             double bottom, PlotCanvas::Colour colour)
{
    const double xs[] = {f.userX(left), f.userX(right)};
    const double low[] = {f.userY(bottom), f.userY(bottom)};
    const double high[] = {f.userY(top), f.userY(top)};
    canvas.fill(xs, low, high, 2, colour);
}

} // namespace

double legendHeight(const QFontMetricsF &metrics, const std::vector<LegendEntry> &entries,
                    double width)
{
    if (entries.empty())
        return 0;
    return (place(metrics, entries, width).back().row + 1) * metrics.height();
}

double drawLegend(ChartSurface &canvas, const ChartFrame &f,
                  const std::vector<LegendEntry> &entries, double left, double top, double width)
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
            // Three short dashes, whatever a dashed line's own: a sample of a
            // pattern.
            for (int k = 0; k < 3; ++k) {
                const double from = x + 1 + k * 8.5;
                thickPolyline(canvas, f, {f.userX(from), f.userX(from + 5)}, ys, e.colour);
            }
            break;
        }
        case LegendEntry::Sample::Shape: {
            const double sTop = y + line * 0.2, sBottom = y + line * 0.85;
            fillBox(canvas, f, x + 3, sTop, x + kSampleWidth - 3, sBottom, e.fill);
            drawOutline(canvas, f.userX(x + 3), f.userY(sTop), f.userX(x + kSampleWidth - 3),
                        f.userY(sBottom), e.colour);
            break;
        }
        case LegendEntry::Sample::Dot:
            drawNode(canvas, f, f.userX(x + kSampleWidth / 2), f.userY(middle), 3, e.colour);
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

} // namespace kvadrolab
