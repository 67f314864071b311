// SPDX-License-Identifier: GPL-3.0-or-later
#include "studywindow/chartsurface.h"

#include "studywindow/studytext.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>

namespace kvadrolab {

namespace {

// Dashes and gaps of a dashed line, in logical pixels.
constexpr double kDash = 6, kGap = 4;

bool hasFloat(double v)
{
    return std::fabs(v) <= std::numeric_limits<float>::max();
}

} // namespace

// ---- On a PlotCanvas ----

QSizeF CanvasSurface::size() const
{
    return m_canvas.contentsRect().size();
}

bool CanvasSurface::setFrame(const ChartFrame &frame)
{
    if (!m_canvas.setScale(frame.x1, frame.y1, frame.x2, frame.y2))
        return false;
    m_frame = frame;
    return true;
}

void CanvasSurface::line(double x1, double y1, double x2, double y2, Colour colour)
{
    m_canvas.drawLine(x1, y1, x2, y2, colour);
}

void CanvasSurface::polyline(const double *x, const double *y, std::size_t n, Colour colour)
{
    m_canvas.drawPolyline(x, y, n, colour);
}

void CanvasSurface::fill(const double *x, const double *lower, const double *upper, std::size_t n,
                         Colour colour)
{
    m_canvas.fillBetween(x, lower, upper, n, colour);
}

void CanvasSurface::thickPolyline(const std::vector<double> &x, const std::vector<double> &y,
                                  Colour colour)
{
    // The canvas draws thin lines only, and a curve among grid lines needs
    // more weight: copies one device pixel apart, 2 device pixels at 100 %,
    // 3 at 200 %.
    const ChartFrame &f = m_frame;
    const std::size_t n = std::min(x.size(), y.size());
    const double dpr = std::max(1.0, m_canvas.interiorPixels().width() / f.width);
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
            m_canvas.drawPolyline(sx.data(), sy.data(), n, colour);
        }
}

void CanvasSurface::dashedPolyline(const std::vector<double> &x, const std::vector<double> &y,
                                   Colour colour)
{
    // The dashes are cut along the line in logical pixels, so that they look
    // alike on a steep bound and a flat one; each dash is a thick polyline.
    const ChartFrame &f = m_frame;
    const std::size_t n = std::min(x.size(), y.size());
    std::vector<double> dx, dy;
    double phase = 0; // logical pixels into the current dash and gap
    const auto flush = [&] {
        if (dx.size() >= 2)
            thickPolyline(dx, dy, colour);
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

void CanvasSurface::dot(double x, double y, double radius, Colour colour)
{
    // A disc as the band between its two half circles, a point every
    // twelfth of the diameter: at a few pixels' radius that is round.
    const ChartFrame &f = m_frame;
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
    m_canvas.fillBetween(xs, low, high, kSteps + 1, colour);
}

void CanvasSurface::text(double px, double py, const QString &text)
{
    m_canvas.setCurrentX(m_frame.userX(px));
    m_canvas.setCurrentY(m_frame.userY(py));
    m_canvas.printText(text);
}

// ---- Through a QPainter ----

namespace {

// Any logical pixel a chart reaches lies far inside this; a coordinate
// beyond it is held at it, so that no value, however large, reaches the
// paint engine as a number it cannot take.
constexpr double kFarOutside = 1e6;

double held(double v)
{
    return std::clamp(v, -kFarOutside, kFarOutside);
}

} // namespace

PainterSurface::PainterSurface(QPainter &painter, QSizeF size, const QFont &font, Colour ground,
                               Colour ink)
    : m_painter(painter), m_size(size), m_font(font), m_ground(ground), m_ink(ink)
{
}

void PainterSurface::clear()
{
    m_painter.fillRect(QRectF(QPointF(0, 0), m_size), PlotCanvas::toQColor(m_ground));
    m_printed.clear();
}

bool PainterSurface::setFrame(const ChartFrame &frame)
{
    // The canvas's test: a scale whose corners have floats and differ.
    if (!hasFloat(frame.x1) || !hasFloat(frame.x2) || !hasFloat(frame.y1) || !hasFloat(frame.y2) ||
        float(frame.x1) == float(frame.x2) || float(frame.y1) == float(frame.y2))
        return false;
    m_frame = frame;
    return true;
}

std::vector<std::vector<QPointF>> PainterSurface::runs(const std::vector<double> &x,
                                                       const std::vector<double> &y) const
{
    std::vector<std::vector<QPointF>> out(1);
    const std::size_t n = std::min(x.size(), y.size());
    for (std::size_t k = 0; k < n; ++k) {
        if (!hasFloat(x[k]) || !hasFloat(y[k])) {
            if (!out.back().empty())
                out.emplace_back();
            continue;
        }
        out.back().emplace_back(held(m_frame.pixelX(x[k])), held(m_frame.pixelY(y[k])));
    }
    return out;
}

void PainterSurface::stroke(const std::vector<double> &x, const std::vector<double> &y,
                            Colour colour, double width, bool dashed)
{
    QPen pen(PlotCanvas::toQColor(colour), width);
    pen.setCapStyle(dashed ? Qt::FlatCap : Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    if (dashed)
        pen.setDashPattern({kDash / width, kGap / width});
    m_painter.setPen(pen);
    m_painter.setBrush(Qt::NoBrush);
    for (const std::vector<QPointF> &run : runs(x, y))
        if (run.size() >= 2)
            m_painter.drawPolyline(run.data(), int(run.size()));
}

void PainterSurface::line(double x1, double y1, double x2, double y2, Colour colour)
{
    stroke({x1, x2}, {y1, y2}, colour, kThinWidth, false);
}

void PainterSurface::polyline(const double *x, const double *y, std::size_t n, Colour colour)
{
    stroke(std::vector<double>(x, x + n), std::vector<double>(y, y + n), colour, kThinWidth, false);
}

void PainterSurface::fill(const double *x, const double *lower, const double *upper, std::size_t n,
                          Colour colour)
{
    // One polygon per run of points with floats: along the upper curve and
    // back along the lower, so that no seam shows between its pieces.
    m_painter.setPen(Qt::NoPen);
    m_painter.setBrush(PlotCanvas::toQColor(colour));
    QPolygonF top, bottom;
    const auto flush = [&] {
        if (top.size() >= 2) {
            QPolygonF area = top;
            for (qsizetype i = bottom.size() - 1; i >= 0; --i)
                area << bottom[i];
            m_painter.drawPolygon(area, Qt::WindingFill);
        }
        top.clear();
        bottom.clear();
    };
    for (std::size_t k = 0; k < n; ++k) {
        if (!hasFloat(x[k]) || !hasFloat(lower[k]) || !hasFloat(upper[k])) {
            flush();
            continue;
        }
        const double px = held(m_frame.pixelX(x[k]));
        top << QPointF(px, held(m_frame.pixelY(upper[k])));
        bottom << QPointF(px, held(m_frame.pixelY(lower[k])));
    }
    flush();
}

void PainterSurface::thickPolyline(const std::vector<double> &x, const std::vector<double> &y,
                                   Colour colour)
{
    stroke(x, y, colour, kThickWidth, false);
}

void PainterSurface::dashedPolyline(const std::vector<double> &x, const std::vector<double> &y,
                                    Colour colour)
{
    stroke(x, y, colour, kThickWidth, true);
}

void PainterSurface::dot(double x, double y, double radius, Colour colour)
{
    const double cx = m_frame.pixelX(x), cy = m_frame.pixelY(y);
    if (!std::isfinite(cx) || !std::isfinite(cy))
        return;
    m_painter.setPen(Qt::NoPen);
    m_painter.setBrush(PlotCanvas::toQColor(colour));
    m_painter.drawEllipse(QPointF(held(cx), held(cy)), radius, radius);
}

void PainterSurface::text(double px, double py, const QString &text)
{
    m_painter.setFont(m_font);
    m_painter.setPen(PlotCanvas::toQColor(m_ink));
    // As the canvas prints: the box only places the text.
    constexpr qreal kBeyondAnyPicture = 1e4;
    m_painter.drawText(
        QRectF(QPointF(held(px), held(py)), QSizeF(kBeyondAnyPicture, kBeyondAnyPicture)),
        Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, withSuperscripts(text, m_font));
    m_printed << text;
}

QStringList paintChart(QPainter &painter, const QRectF &target, QSizeF logical, const QFont &font,
                       const QString &subject, const ChartDrawing &drawing)
{
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / logical.width(), target.height() / logical.height());
    painter.setClipRect(QRectF(QPointF(0, 0), logical));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    PainterSurface surface(painter, logical, font, PlotCanvas::rgb(255, 255, 255),
                           PlotCanvas::rgb(0, 0, 0));
    surface.setSubject(subject);
    if (drawing)
        drawing(surface);
    painter.restore();
    return surface.printedLines();
}

} // namespace kvadrolab
