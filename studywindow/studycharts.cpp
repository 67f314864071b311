// SPDX-License-Identifier: GPL-3.0-or-later
#include "studywindow/studycharts.h"

#include "numbers/numbertext.h"
#include "study/ruletext.h"
#include "studywindow/chartframe.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <limits>

namespace kvadrolab {

using chart::Frame;
using chart::LegendEntry;

PlotCanvas::Colour ruleColour(RuleKind kind)
{
    return kRuleColours[static_cast<std::size_t>(kind)];
}

namespace {

// Logical pixels round the whole picture, between its title, legend and plot
// area, and between a plot area and its captions.
constexpr double kMargin = 8;
constexpr double kGap = 6;
constexpr double kCaptionGap = 4;
// Values the pictures take: well inside single precision, so that the
// margins added round them and the pixel arithmetic stay finite floats.
constexpr double kDrawableLimit = 1e30;
// A piece at least this many logical pixels wide shows its boundaries, in
// the outline's weight from the second width on, thin below it (thick lines
// a few pixels apart would hide the shading); nodes at least this far apart
// show as dots.
constexpr double kPieceBoundaryWidth = 5, kThickBoundaryWidth = 16;
constexpr double kNodeSpacing = 6;
// Points along a curved shape: one a logical pixel, within these bounds, so
// that its chords stray from the arc by far less than a device pixel.
constexpr int kShapePointsMin = 3, kShapePointsMax = 2048;
// The values' span is padded by this share above and below.
constexpr double kPadding = 0.06;
// Round x captions are about this many digits' widths apart.
constexpr double kTickSpacing = 12;

constexpr PlotCanvas::Colour kMaximumColour = PlotCanvas::rgb(213, 94, 0);
constexpr PlotCanvas::Colour kSecondColour = PlotCanvas::rgb(0, 158, 115);
constexpr PlotCanvas::Colour kFourthColour = PlotCanvas::rgb(136, 34, 85);
constexpr PlotCanvas::Colour kLegendGrey = PlotCanvas::rgb(80, 80, 80);

Result<void> refuse(PlotCanvas &canvas, Reason reason)
{
    canvas.clear();
    return Refusal{reason};
}

bool drawable(double v)
{
    return std::isfinite(v) && std::fabs(v) <= kDrawableLimit;
}

// The ends of an interval as the pictures take them, or why not.
std::optional<Reason> intervalFault(double a, double b)
{
    if (!drawable(a) || !drawable(b))
        return Reason::BeyondSinglePrecision;
    if (a == b)
        return Reason::EmptyInterval;
    return std::nullopt;
}

// Running extent of the values seen.
struct Extent
{
    double lo = std::numeric_limits<double>::infinity();
    double hi = -std::numeric_limits<double>::infinity();
    void add(double v)
    {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    bool empty() const { return !(lo <= hi); }
};

// The y range a picture shows for values in [lo; hi]: 0 joins it when the
// values reach within their own spread of it (or always, for magnitudes), so
// that areas stand on the x axis; a flat range opens to 0 or round itself;
// then a little room above and below.
std::pair<double, double> shownRange(double lo, double hi, bool withZero)
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

// The picture's title centred at the top; returns the pixel row under it.
double drawTitle(PlotCanvas &canvas, const Frame &f, const QString &title)
{
    const double line = QFontMetricsF(canvas.font()).height();
    chart::printCentred(canvas, f, f.width / 2, kMargin, title);
    return kMargin + line + kGap / 2;
}

QString number(double v)
{
    return formatSignificant(v, 4);
}

// The shape's name in the legend: what the rule puts over each group.
QString shapeName(RuleKind kind)
{
    switch (kind) {
    case RuleKind::Left:
    case RuleKind::Right:
    case RuleKind::Midpoint:
        return QStringLiteral("прямоугольники");
    case RuleKind::Trapezoid:
        return QStringLiteral("трапеции");
    case RuleKind::Simpson:
        return QStringLiteral("параболы по 2 отрезкам");
    case RuleKind::Simpson38:
        return QStringLiteral("кубические параболы по 3 отрезкам");
    case RuleKind::Boole:
        return QStringLiteral("многочлены 4-й степени по 4 отрезкам");
    case RuleKind::Gauss2:
        return QStringLiteral("прямые через 2 узла Гаусса");
    case RuleKind::Gauss3:
        return QStringLiteral("параболы через 3 узла Гаусса");
    }
    return {};
}

QString ruleName(RuleKind kind)
{
    return QString::fromStdString(ruleTitle(kind));
}

// One piece's shape as points: its two ends for a constant or a chord, or
// enough points for an arc to look smooth at its width in pixels.
struct ShapePoints
{
    std::vector<double> x, y;
};

std::optional<ShapePoints> shapePoints(const RulePiece &piece, double pixelsWide)
{
    if (!drawable(piece.from) || !drawable(piece.to) || piece.x.size() != piece.y.size() ||
        piece.x.empty())
        return std::nullopt;
    const bool straight = piece.x.size() <= 2;
    const int points =
        straight ? 2 : std::clamp(int(pixelsWide) + 2, kShapePointsMin, kShapePointsMax);
    ShapePoints s;
    s.x.resize(points);
    s.y.resize(points);
    for (int i = 0; i < points; ++i) {
        s.x[i] =
            i + 1 == points ? piece.to : piece.from + (piece.to - piece.from) * i / (points - 1);
        s.y[i] = piece.shape(s.x[i]);
        if (!drawable(s.y[i]))
            return std::nullopt;
    }
    return s;
}

// The values' highest and lowest and 0, each where it lies and with a short
// tick, at the left of the plot area starting at plotLeft; one that would run
// into another is left out, the highest first to stay.
void valueCaptions(PlotCanvas &canvas, const Frame &f, double plotLeft, double left, double hi,
                   double lo, double low, double high)
{
    const double line = QFontMetricsF(canvas.font()).height();
    std::vector<double> placed;
    const auto caption = [&](double y) {
        for (const double other : placed)
            if (std::fabs(f.pixelY(y) - f.pixelY(other)) < line)
                return;
        placed.push_back(y);
        canvas.drawLine(f.userX(plotLeft - 3), y, left, y, kStudyChartFrameColour);
        chart::printRightAligned(canvas, f, plotLeft - 3 - kCaptionGap, f.pixelY(y) - line / 2,
                                 number(y));
    };
    caption(hi);
    if (low < 0 && high > 0)
        caption(0);
    caption(lo);
}

// Round values between the ends of [a; b], about kTickSpacing digits apart
// at the plot area's width.
std::vector<double> xTicks(PlotCanvas &canvas, const Frame &f, double left, double right)
{
    return chart::roundTicks(left, right, f.pixelX(right) - f.pixelX(left),
                             QFontMetricsF(canvas.font()).horizontalAdvance(QStringLiteral("0")) *
                                 kTickSpacing);
}

// A short mark at each of them, up from the plot area's lower edge at y.
void xTickMarks(PlotCanvas &canvas, const Frame &f, const std::vector<double> &ticks, double y)
{
    for (const double t : ticks)
        canvas.drawLine(t, y, t, f.userY(f.pixelY(y) - 4), kStudyChartFrameColour);
}

// The ends of [a; b], named by which they are, at the ends of the x axis,
// and the round values between them centred on their ticks where they keep
// a space's distance from each other.
void xCaptions(PlotCanvas &canvas, const Frame &f, double a, double b, double top,
               const std::vector<double> &ticks)
{
    const QFontMetricsF metrics(canvas.font());
    const double left = std::min(a, b), right = std::max(a, b);
    const QString first = (a < b ? QStringLiteral("a = ") : QStringLiteral("b = ")) + number(left);
    const QString last = (a < b ? QStringLiteral("b = ") : QStringLiteral("a = ")) + number(right);
    chart::printAt(canvas, f, f.pixelX(left), top, first);
    chart::printRightAligned(canvas, f, f.pixelX(right), top, last);
    const double space = metrics.horizontalAdvance(QStringLiteral("  "));
    double taken = f.pixelX(left) + metrics.horizontalAdvance(first) + space;
    const double free = f.pixelX(right) - metrics.horizontalAdvance(last) - space;
    for (const double t : ticks) {
        const QString text = number(t);
        const double half = metrics.horizontalAdvance(text) / 2;
        if (f.pixelX(t) - half < taken || f.pixelX(t) + half > free)
            continue;
        chart::printCentred(canvas, f, f.pixelX(t), top, text);
        taken = f.pixelX(t) + half + space;
    }
}

// The width valueCaptions() needs left of its ticks.
double valueCaptionWidth(const QFontMetricsF &metrics, double hi, double lo)
{
    return std::max({metrics.horizontalAdvance(number(hi)), metrics.horizontalAdvance(number(lo)),
                     metrics.horizontalAdvance(QStringLiteral("0"))});
}

} // namespace

Result<void> drawRuleOnF(PlotCanvas &canvas, RuleKind kind, long n,
                         const std::vector<RulePiece> &pieces, const std::vector<Sample> &fSamples,
                         double a, double b)
{
    canvas.clear();
    if (const auto fault = intervalFault(a, b))
        return refuse(canvas, *fault);
    if (pieces.size() > std::size_t(kRuleDrawingLimit) || fSamples.size() > kStudyChartSampleLimit)
        return refuse(canvas, Reason::TooManySegments);
    const double left = std::min(a, b), right = std::max(a, b);
    const QFontMetricsF metrics(canvas.font());
    const double line = metrics.height();
    const double canvasWidth = std::max(1.0, canvas.contentsRect().width() * 1.0);

    // Everything is gathered and checked before anything is drawn, so that a
    // refusal leaves the canvas as clear() left it.
    Extent values;
    std::vector<double> fx, fy;
    fx.reserve(fSamples.size());
    fy.reserve(fSamples.size());
    for (const Sample &s : fSamples) {
        if (!drawable(s.x))
            return refuse(canvas, Reason::BeyondSinglePrecision);
        fx.push_back(s.x);
        if (s.y && std::isfinite(*s.y)) {
            if (!drawable(*s.y))
                return refuse(canvas, Reason::BeyondSinglePrecision);
            fy.push_back(*s.y);
            values.add(*s.y);
        } else {
            // No float: the canvas breaks the curve here.
            fy.push_back(std::numeric_limits<double>::quiet_NaN());
        }
    }
    std::vector<ShapePoints> shapes;
    shapes.reserve(pieces.size());
    double nodeSpacing = std::numeric_limits<double>::infinity();
    double lastNode = -std::numeric_limits<double>::infinity();
    for (const RulePiece &piece : pieces) {
        const double wide = std::fabs(piece.to - piece.from) / (right - left) * canvasWidth;
        auto s = shapePoints(piece, wide);
        if (!s)
            return refuse(canvas, Reason::BeyondSinglePrecision);
        for (const double y : s->y)
            values.add(y);
        for (std::size_t i = 0; i < piece.x.size(); ++i) {
            if (!drawable(piece.x[i]) || !drawable(piece.y[i]))
                return refuse(canvas, Reason::BeyondSinglePrecision);
            values.add(piece.y[i]);
            // Shared ends of neighbouring pieces are one node.
            if (piece.x[i] != lastNode)
                nodeSpacing = std::min(nodeSpacing, std::fabs(piece.x[i] - lastNode));
            lastNode = piece.x[i];
        }
        shapes.push_back(std::move(*s));
    }
    if (values.empty())
        return refuse(canvas, Reason::BeyondSinglePrecision);
    // The rule's share is the area between its shapes and the x axis: the
    // axis is always in view.
    const auto [low, high] = shownRange(values.lo, values.hi, true);
    const double base = std::clamp(0.0, low, high);

    // Layout: title, legend, the plot area with the value captions on its
    // left and the ends of [a; b] under it.
    const PlotCanvas::Colour colour = ruleColour(kind);
    const PlotCanvas::Colour shade = chart::blend(colour, canvas.backColor(), kRuleShadeShare);
    std::vector<LegendEntry> legend = {
        {LegendEntry::Sample::Line, kStudyFunctionColour, QStringLiteral("f(x)")},
        {LegendEntry::Sample::Shape, colour, shapeName(kind), shade},
    };
    const double captionWidth = valueCaptionWidth(metrics, values.hi, values.lo);
    const double plotLeft = kMargin + captionWidth + kCaptionGap + 3;
    const double plotWidth = std::max(1.0, canvasWidth - plotLeft - kMargin);
    const bool showNodes =
        !pieces.empty() && nodeSpacing / (right - left) * plotWidth >= kNodeSpacing;
    if (showNodes)
        legend.push_back({LegendEntry::Sample::Dot, colour, QStringLiteral("узлы")});
    const double above0 = kMargin + line + kGap / 2;
    const double legendRows = chart::legendHeight(metrics, legend, canvasWidth - 2 * kMargin);
    const double above = above0 + legendRows + kGap + line / 2;
    const double below = kCaptionGap + line + kMargin;
    const Frame f = chart::fit(canvas, left, right, low, high, plotLeft, kMargin, above, below);
    if (!canvas.setScale(f.x1, f.y1, f.x2, f.y2))
        return refuse(canvas, Reason::BeyondSinglePrecision);
    // Title and legend first: the printed lines are also what a screen
    // reader says of the picture, in this order.
    drawTitle(canvas, f, QStringLiteral("Метод %1, n = %2").arg(ruleName(kind)).arg(n));
    chart::drawLegend(canvas, f, legend, kMargin, above0, canvasWidth - 2 * kMargin);

    // Shading first, then the outlines over it, the axis, f, the nodes.
    for (const ShapePoints &s : shapes) {
        const std::vector<double> bases(s.x.size(), base);
        canvas.fillBetween(s.x.data(), bases.data(), s.y.data(), s.x.size(), shade);
    }
    chart::outline(canvas, left, low, right, high, kStudyChartFrameColour);
    const double pieceWidth = pieces.empty() ? 0 : plotWidth / double(pieces.size());
    std::vector<double> topX, topY;
    for (std::size_t k = 0; k < shapes.size(); ++k) {
        const ShapePoints &s = shapes[k];
        for (const auto &[x, y] : {std::pair{s.x.front(), s.y.front()}, {s.x.back(), s.y.back()}}) {
            if (pieceWidth >= kThickBoundaryWidth)
                chart::thickPolyline(canvas, f, {x, x}, {base, y}, colour);
            else if (pieceWidth >= kPieceBoundaryWidth)
                canvas.drawLine(x, base, x, y, colour);
        }
        topX.insert(topX.end(), s.x.begin(), s.x.end());
        topY.insert(topY.end(), s.y.begin(), s.y.end());
    }
    chart::thickPolyline(canvas, f, topX, topY, colour);
    if (low < 0 && high > 0)
        canvas.drawLine(left, 0, right, 0, kStudyChartAxisColour);
    chart::thickPolyline(canvas, f, fx, fy, kStudyFunctionColour);
    if (showNodes) {
        const double radius = std::min(3.0, nodeSpacing / (right - left) * plotWidth / 3);
        for (const RulePiece &piece : pieces)
            for (std::size_t i = 0; i < piece.x.size(); ++i)
                chart::dot(canvas, f, piece.x[i], piece.y[i], radius, colour);
    }

    // Captions: the values' extremes and 0 at their heights, the ends of
    // [a; b] (named by which they are) under the area, title and legend.
    valueCaptions(canvas, f, plotLeft, left, values.hi, values.lo, low, high);
    const std::vector<double> ticks = xTicks(canvas, f, left, right);
    xTickMarks(canvas, f, ticks, low);
    xCaptions(canvas, f, a, b, f.pixelY(low) + kCaptionGap, ticks);
    return {};
}

Result<void> drawErrorCurves(PlotCanvas &canvas, const std::vector<StudyRule> &rules)
{
    canvas.clear();
    if (rules.size() > allRules.size())
        return refuse(canvas, Reason::TooManySegments);
    for (const StudyRule &r : rules)
        if (r.curve.size() > std::size_t(kStudyCurveLast))
            return refuse(canvas, Reason::TooManySegments);

    // Both axes in decades: log10 of n and of the values that exist.
    struct Curves
    {
        std::vector<double> x, error, bound;
        bool anyError = false, anyBound = false;
    };
    std::vector<Curves> curves(rules.size());
    Extent ns, values;
    const double gap = std::numeric_limits<double>::quiet_NaN(); // breaks a line
    const auto logOf = [&](const std::optional<double> &v, bool &any) {
        if (!v || !(*v > 0) || !std::isfinite(*v))
            return gap;
        any = true;
        values.add(std::log10(*v));
        return std::log10(*v);
    };
    for (std::size_t k = 0; k < rules.size(); ++k)
        for (const StudyPoint &p : rules[k].curve) {
            if (p.n < 1)
                continue;
            Curves &c = curves[k];
            c.x.push_back(std::log10(double(p.n)));
            ns.add(c.x.back());
            c.error.push_back(logOf(p.absError, c.anyError));
            c.bound.push_back(logOf(p.bound, c.anyBound));
        }
    double xFirst = 0, xLast = 3;
    if (!ns.empty()) {
        xFirst = ns.lo;
        xLast = std::max(ns.hi, xFirst + 1);
    }
    int bottom = -16, top = 0;
    if (!values.empty()) {
        bottom = int(std::floor(values.lo));
        top = std::max(bottom + 1, int(std::ceil(values.hi)));
    }
    const chart::LogArea area{xFirst, xLast, bottom, top};

    const QFontMetricsF metrics(canvas.font());
    const double line = metrics.height();
    const double canvasWidth = std::max(1.0, canvas.contentsRect().width() * 1.0);
    std::vector<LegendEntry> legend = {
        {LegendEntry::Sample::Line, kLegendGrey, QStringLiteral("фактическая ошибка |e(n)|")},
        {LegendEntry::Sample::Dashed, kLegendGrey, QStringLiteral("априорная оценка")},
    };
    for (std::size_t k = 0; k < rules.size(); ++k) {
        QString text = ruleName(rules[k].kind);
        if (curves[k].x.empty())
            text += QStringLiteral(" (нет значений)");
        else if (!curves[k].anyError)
            text += QStringLiteral(" (ошибка 0)");
        if (!curves[k].x.empty() && !curves[k].anyBound)
            text += QStringLiteral(" (оценка не доказана)");
        legend.push_back({LegendEntry::Sample::Line, ruleColour(rules[k].kind), text});
    }
    const double captionWidth = chart::decadeCaptionWidth(metrics, area);
    const double above0 = kMargin + line + kGap / 2;
    const double legendRows = chart::legendHeight(metrics, legend, canvasWidth - 2 * kMargin);
    // Under the legend: the y axis's name, then half a caption over the area.
    const double above = above0 + legendRows + kGap + line + line / 2;
    const QString nName = QStringLiteral("n");
    const double lastCaption = metrics.horizontalAdvance(
        QString::number(std::pow(10.0, std::floor(xLast + 1e-9)), 'f', 0));
    const double right = lastCaption / 2 + kCaptionGap + metrics.horizontalAdvance(nName) + kMargin;
    const double leftMargin = kMargin + captionWidth + kCaptionGap;
    const Frame f = chart::fit(canvas, xFirst, xLast, bottom, top, leftMargin, right, above,
                               kCaptionGap + line + kMargin);
    if (!canvas.setScale(f.x1, f.y1, f.x2, f.y2))
        return refuse(canvas, Reason::BeyondSinglePrecision);
    drawTitle(canvas, f, QStringLiteral("Фактическая ошибка и априорная оценка методов"));
    chart::drawLegend(canvas, f, legend, kMargin, above0, canvasWidth - 2 * kMargin);

    chart::drawLogGrid(canvas, f, area, kStudyChartGridColour, kStudyChartFrameColour);
    // Bounds under the errors: an error drawn over its bound stays whole.
    for (std::size_t k = 0; k < rules.size(); ++k)
        if (curves[k].anyBound)
            chart::dashedPolyline(canvas, f, curves[k].x, curves[k].bound,
                                  ruleColour(rules[k].kind));
    for (std::size_t k = 0; k < rules.size(); ++k)
        if (curves[k].anyError)
            chart::thickPolyline(canvas, f, curves[k].x, curves[k].error,
                                 ruleColour(rules[k].kind));

    chart::drawLogCaptions(canvas, f, area, kMargin + captionWidth, kCaptionGap);
    chart::printAt(canvas, f, f.pixelX(xLast) + lastCaption / 2 + kCaptionGap,
                   f.pixelY(bottom) + kCaptionGap, nName);
    chart::printAt(canvas, f, kMargin, f.pixelY(top) - line / 2 - line - 1,
                   QStringLiteral("|e(n)|"));
    return {};
}

namespace {

// A derivative panel made ready to draw: its points, its y range, and
// whether the canvas can hold them.
struct PanelPoints
{
    std::vector<double> x, y;
    bool drawable = false;
    double lo = 0, hi = 0;       // the values' extremes
    double low = 0, high = 0;    // the range shown
    std::optional<double> markY; // the maximum's height
};

PanelPoints preparePanel(const DerivativePanel &panel, bool magnitude)
{
    PanelPoints p;
    Extent values;
    bool fits = true;
    for (const Sample &s : panel.samples) {
        const bool has = s.y && std::isfinite(*s.y);
        if (has && !drawable(*s.y))
            fits = false;
        if (!drawable(s.x)) {
            fits = false;
            continue;
        }
        p.x.push_back(s.x);
        p.y.push_back(has ? *s.y : std::numeric_limits<double>::quiet_NaN());
        if (has)
            values.add(*s.y);
    }
    if (panel.maximum) {
        const double m = (panel.maximum->lower + panel.maximum->upper) / 2;
        if (drawable(m) && drawable(panel.maximum->at)) {
            p.markY = m;
            values.add(m);
        }
    }
    if (!fits || values.empty())
        return p;
    p.drawable = true;
    p.lo = values.lo;
    p.hi = values.hi;
    std::tie(p.low, p.high) = shownRange(values.lo, values.hi, magnitude);
    return p;
}

} // namespace

Result<void> drawDerivatives(PlotCanvas &canvas, double a, double b, const DerivativePanel &f,
                             const DerivativePanel &second, const DerivativePanel &fourth)
{
    canvas.clear();
    if (const auto fault = intervalFault(a, b))
        return refuse(canvas, *fault);
    for (const DerivativePanel *p : {&f, &second, &fourth})
        if (p->samples.size() > kStudyChartSampleLimit)
            return refuse(canvas, Reason::TooManySegments);
    const double left = std::min(a, b), right = std::max(a, b);
    const QFontMetricsF metrics(canvas.font());
    const double line = metrics.height();
    const double canvasWidth = std::max(1.0, canvas.contentsRect().width() * 1.0);
    const double canvasHeight = std::max(1.0, canvas.contentsRect().height() * 1.0);

    struct Panel
    {
        const DerivativePanel *data;
        QString name;
        PlotCanvas::Colour colour;
        PanelPoints points;
    };
    Panel panels[] = {
        {&f, QStringLiteral("f(x)"), kStudyFunctionColour, preparePanel(f, false)},
        {&second, QStringLiteral("|f″(x)|"), kSecondColour, preparePanel(second, true)},
        {&fourth, QStringLiteral("|f⁗(x)|"), kFourthColour, preparePanel(fourth, true)},
    };
    const std::vector<LegendEntry> legend = {
        {LegendEntry::Sample::Line, kStudyFunctionColour, QStringLiteral("f(x)")},
        {LegendEntry::Sample::Line, kSecondColour, QStringLiteral("|f″(x)|")},
        {LegendEntry::Sample::Line, kFourthColour, QStringLiteral("|f⁗(x)|")},
        {LegendEntry::Sample::Dot, kMaximumColour, QStringLiteral("доказанный максимум")},
    };
    double captionWidth = 0;
    for (const Panel &p : panels)
        if (p.points.drawable)
            captionWidth =
                std::max(captionWidth, valueCaptionWidth(metrics, p.points.hi, p.points.lo));
    const double plotLeft = kMargin + captionWidth + kCaptionGap + 3;
    const double above0 = kMargin + line + kGap / 2;
    const double panelsTop =
        above0 + chart::legendHeight(metrics, legend, canvasWidth - 2 * kMargin) + kGap;
    const double panelsBottom = canvasHeight - kMargin - line - kCaptionGap;
    // Each panel: a header line (its name and its maximum's note), then its
    // curve's area; a gap between panels.
    const double panelHeight = (panelsBottom - panelsTop - 2 * kGap) / 3;
    const double header = line + 2;
    // The panels share one x axis: each sets the canvas's scale to its own y
    // range over its own band of rows.
    Frame last{};
    for (int i = 0; i < 3; ++i) {
        const Panel &p = panels[i];
        const double top = panelsTop + i * (panelHeight + kGap);
        const double areaTop = top + header, areaBottom = top + panelHeight;
        const double low = p.points.drawable ? p.points.low : 0;
        const double high = p.points.drawable ? p.points.high : 1;
        const Frame fr = chart::fit(canvas, left, right, low, high, plotLeft, kMargin, areaTop,
                                    canvasHeight - areaBottom);
        if (!canvas.setScale(fr.x1, fr.y1, fr.x2, fr.y2))
            return refuse(canvas, Reason::BeyondSinglePrecision);
        last = fr;
        if (i == 0) {
            drawTitle(canvas, fr,
                      QStringLiteral("f(x), |f″(x)| и |f⁗(x)| на [%1; %2]")
                          .arg(number(left), number(right)));
            chart::drawLegend(canvas, fr, legend, kMargin, above0, canvasWidth - 2 * kMargin);
        }
        chart::outline(canvas, left, low, right, high, kStudyChartFrameColour);
        xTickMarks(canvas, fr, xTicks(canvas, fr, left, right), low);
        chart::printAt(canvas, fr, plotLeft + 4, top, p.name);
        chart::printAt(canvas, fr,
                       plotLeft + 4 + metrics.horizontalAdvance(p.name) +
                           metrics.horizontalAdvance(QStringLiteral("   ")),
                       top, p.data->note);
        if (!p.points.drawable) {
            chart::printCentred(canvas, fr, plotLeft + (canvasWidth - plotLeft - kMargin) / 2,
                                (areaTop + areaBottom - line) / 2,
                                QStringLiteral("значения не вычислены или слишком велики для "
                                               "рисунка"));
            continue;
        }
        if (low < 0 && high > 0)
            canvas.drawLine(left, 0, right, 0, kStudyChartAxisColour);
        chart::thickPolyline(canvas, fr, p.points.x, p.points.y, p.colour);
        if (p.points.markY)
            chart::dot(canvas, fr, p.data->maximum->at, *p.points.markY, 3.5, kMaximumColour);
        valueCaptions(canvas, fr, plotLeft, left, p.points.hi, p.points.lo, low, high);
    }
    xCaptions(canvas, last, a, b, panelsBottom + kCaptionGap, xTicks(canvas, last, left, right));
    return {};
}

} // namespace kvadrolab
