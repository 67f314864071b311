// SPDX-License-Identifier: GPL-3.0-or-later
#include "studywindow/chartframe.h"

#include "studywindow/studytext.h"

#include "numbers/numbertext.h"
#include "studywindow/chartcolours.h"

#include <QRegularExpression>

#include <cmath>

namespace kvadrolab {

namespace {

// Values the pictures take: well inside single precision, so that the
// margins added round them and the pixel arithmetic stay finite floats.
constexpr double kDrawableLimit = 1e30;
// The values' span is padded by this share above and below.
constexpr double kPadding = 0.06;
// Round x captions are about this many digits' widths apart.
constexpr double kTickSpacing = 12;

} // namespace

ChartFrame fitChartFrame(const ChartSurface &canvas, double lo, double hi, double bottom,
                         double top, double left, double right, double above, double below)
{
    const QSizeF size = canvas.size();
    ChartFrame f{};
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

void printAt(ChartSurface &canvas, const ChartFrame &, double px, double py, const QString &text)
{
    // The surface places text by the pixels of the frame it was given last.
    canvas.text(px, py, text);
}

void printCentred(ChartSurface &canvas, const ChartFrame &f, double px, double py,
                  const QString &text)
{
    printAt(canvas, f, px - QFontMetricsF(canvas.font()).horizontalAdvance(text) / 2, py, text);
}

void printRightAligned(ChartSurface &canvas, const ChartFrame &f, double px, double py,
                       const QString &text)
{
    printAt(canvas, f, px - QFontMetricsF(canvas.font()).horizontalAdvance(text), py, text);
}

double drawChartTitle(ChartSurface &canvas, const ChartFrame &f, const QString &title)
{
    const double line = QFontMetricsF(canvas.font()).height();
    printCentred(canvas, f, f.width / 2, kChartMargin, title);
    if (!canvas.subject().isEmpty())
        printCentred(canvas, f, f.width / 2, kChartMargin + line, canvas.subject());
    return chartTitleHeight(canvas);
}

double chartTitleHeight(const ChartSurface &canvas)
{
    const double line = QFontMetricsF(canvas.font()).height();
    return kChartMargin + (canvas.subject().isEmpty() ? 1 : 2) * line + kChartGap / 2;
}

QString chartNumber(double v)
{
    // The locale's short form, its exponent as the window's tables write a
    // power of ten (studytext.h's shownDecimal): "1,19e+09" is "1,19·10⁹".
    QString text = formatSignificant(v, 4);
    static const QRegularExpression power(QStringLiteral("[eE]\\+?(-?)0*(\\d+)$"));
    text.replace(power, QStringLiteral("·10^\\1\\2"));
    text.replace(QLatin1Char('-'), QChar(0x2212));
    return withSuperscripts(text);
}

bool drawableOnChart(double v)
{
    return std::isfinite(v) && std::fabs(v) <= kDrawableLimit;
}

std::optional<Reason> chartIntervalFault(double a, double b)
{
    if (!drawableOnChart(a) || !drawableOnChart(b))
        return Reason::BeyondSinglePrecision;
    if (a == b)
        return Reason::EmptyInterval;
    return std::nullopt;
}

Result<void> refuseChart(ChartSurface &canvas, Reason reason)
{
    canvas.clear();
    return Refusal{reason};
}

std::pair<double, double> shownValueRange(double lo, double hi, bool withZero)
{
    const double size = std::max(std::fabs(lo), std::fabs(hi));
    if (hi - lo <= 1e-6 * size) {
        if (size == 0)
            return {-1, 1};
        lo = std::min(lo, 0.0);
        hi = std::max(hi, 0.0);
    } else if (withZero || (lo > 0 && lo <= hi - lo) || (hi < 0 && -hi <= hi - lo)) {
        lo = std::min(lo, 0.0);
        hi = std::max(hi, 0.0);
    }
    const double pad = (hi - lo) * kPadding;
    return {lo - pad, hi + pad};
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

std::vector<double> xAxisTicks(ChartSurface &canvas, const ChartFrame &f, double left, double right)
{
    return roundTicks(left, right, f.pixelX(right) - f.pixelX(left),
                      QFontMetricsF(canvas.font()).horizontalAdvance(QStringLiteral("0")) *
                          kTickSpacing);
}

void drawXTickMarks(ChartSurface &canvas, const ChartFrame &f, const std::vector<double> &ticks,
                    double y)
{
    for (const double t : ticks)
        canvas.line(t, y, t, f.userY(f.pixelY(y) - 4), kStudyChartFrameColour);
}

void drawXCaptions(ChartSurface &canvas, const ChartFrame &f, double a, double b, double top,
                   const std::vector<double> &ticks)
{
    const QFontMetricsF metrics(canvas.font());
    const double left = std::min(a, b), right = std::max(a, b);
    const QString first =
        (a < b ? QStringLiteral("a = ") : QStringLiteral("b = ")) + chartNumber(left);
    const QString last =
        (a < b ? QStringLiteral("b = ") : QStringLiteral("a = ")) + chartNumber(right);
    printAt(canvas, f, f.pixelX(left), top, first);
    printRightAligned(canvas, f, f.pixelX(right), top, last);
    const double space = metrics.horizontalAdvance(QStringLiteral("  "));
    double taken = f.pixelX(left) + metrics.horizontalAdvance(first) + space;
    const double free = f.pixelX(right) - metrics.horizontalAdvance(last) - space;
    for (const double t : ticks) {
        const QString text = chartNumber(t);
        const double half = metrics.horizontalAdvance(text) / 2;
        if (f.pixelX(t) - half < taken || f.pixelX(t) + half > free)
            continue;
        printCentred(canvas, f, f.pixelX(t), top, text);
        taken = f.pixelX(t) + half + space;
    }
}

void drawValueCaptions(ChartSurface &canvas, const ChartFrame &f, double plotLeft, double left,
                       double hi, double lo, double low, double high)
{
    const double line = QFontMetricsF(canvas.font()).height();
    std::vector<double> placed;
    const auto caption = [&](double y) {
        for (const double other : placed)
            if (std::fabs(f.pixelY(y) - f.pixelY(other)) < line)
                return;
        placed.push_back(y);
        canvas.line(f.userX(plotLeft - 3), y, left, y, kStudyChartFrameColour);
        printRightAligned(canvas, f, plotLeft - 3 - kChartCaptionGap, f.pixelY(y) - line / 2,
                          chartNumber(y));
    };
    caption(hi);
    if (low < 0 && high > 0)
        caption(0);
    caption(lo);
}

double valueCaptionWidth(const QFontMetricsF &metrics, double hi, double lo)
{
    return std::max({metrics.horizontalAdvance(chartNumber(hi)),
                     metrics.horizontalAdvance(chartNumber(lo)),
                     metrics.horizontalAdvance(QStringLiteral("0"))});
}

} // namespace kvadrolab
