// SPDX-License-Identifier: GPL-3.0-or-later
#include "canvas/plotcanvas.h"

#include "core/single.h"
#include "core/vectorstate.h"

#include <QPaintEvent>
#include <QPainter>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cmath>
#include <limits>

namespace kvadrolab {

QColor PlotCanvas::toQColor(Colour c)
{
    return QColor(c & 0xff, (c >> 8) & 0xff, (c >> 16) & 0xff);
}

PlotCanvas::PlotCanvas(QWidget *parent) : QFrame(parent)
{
    // A sunken two-pixel border around the interior, as picture areas have.
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    const QColor face = palette().color(QPalette::Button);
    m_backColor = rgb(face.red(), face.green(), face.blue());
    const QColor text = palette().color(QPalette::WindowText);
    m_foreColor = rgb(text.red(), text.green(), text.blue());
    // Opaque, so that printing a line repaints the canvas alone and not its
    // parent beneath it: every pixel is then the canvas's own to paint.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PlotCanvas::updateMapping()
{
    Mapping m;
    m.width = std::max(1, m_image.width());
    m.height = std::max(1, m_image.height());
    if (m_scaled) {
        m.x1 = m_x1, m.y1 = m_y1, m.x2 = m_x2, m.y2 = m_y2;
    } else {
        const qreal dpr = m_image.devicePixelRatio();
        m.x1 = 0, m.y1 = 0, m.x2 = m.width / dpr, m.y2 = m.height / dpr;
    }
    if (!(m == m_mapping))
        m_cellsReady = false;
    m_mapping = m;
    m_lastEnd.valid = false;
}

void PlotCanvas::ensureImage()
{
    const qreal dpr = devicePixelRatioF();
    const QSize want = (contentsRect().size() * dpr).expandedTo(QSize(1, 1));
    if (m_image.size() == want && qFuzzyCompare(m_image.devicePixelRatio(), dpr))
        return;
    flushRun();
    QImage next(want, QImage::Format_RGB32);
    next.fill(toQColor(m_backColor));
    next.setDevicePixelRatio(dpr);
    if (!m_image.isNull()) {
        // Keep what was drawn: the program never redraws by itself.
        QPainter p(&next);
        p.drawImage(QRectF(QPointF(0, 0), QSizeF(m_image.size()) / m_image.devicePixelRatio()),
                    m_image);
    }
    m_image = next;
    m_imageReady = true;
    updateMapping();
    m_run.resize(want.width());
}

void PlotCanvas::requestUpdate()
{
    m_updatePending = true;
    update(contentsRect());
}

void PlotCanvas::clear()
{
    ensureImage();
    m_run.discard();
    m_image.fill(toQColor(m_backColor));
    m_currentX = 0;
    m_currentY = 0;
    if (!m_printed.isEmpty()) {
        m_printed.clear();
        setAccessibleName(QString());
    }
    markDirty();
}

bool PlotCanvas::setScale(double x1, double y1, double x2, double y2)
{
    const auto fx1 = toSingle(x1), fy1 = toSingle(y1), fx2 = toSingle(x2), fy2 = toSingle(y2);
    if (!fx1 || !fy1 || !fx2 || !fy2 || *fx1 == *fx2 || *fy1 == *fy2)
        return false;
    flushRun();
    m_x1 = *fx1, m_y1 = *fy1, m_x2 = *fx2, m_y2 = *fy2;
    m_scaled = true;
    updateMapping();
    return true;
}

bool PlotCanvas::drawLine(double x1, double y1, double x2, double y2)
{
    return line(x1, y1, x2, y2, m_foreColor);
}

bool PlotCanvas::drawLine(double x1, double y1, double x2, double y2, Colour colour)
{
    return line(x1, y1, x2, y2, colour);
}

// The common case of a fine curve, a segment that goes on from the run's end
// without leaving its column, costs two comparisons; the rest goes through
// ColumnRun::add(). Inline, so that line() and polyline() do not pay a call
// for the common case.
inline void PlotCanvas::drawVisible(const PixelSegment &s, Colour colour)
{
    if (!m_reduceRuns)
        paintSegment(s, colour);
    else if (m_run.goesOnInColumn(s.from, s.to.col, colour))
        m_run.widen(s.to.col, s.to.row, s.to.row, s.to);
    else
        m_run.add(s, colour, m_image);
}

bool PlotCanvas::line(double x1, double y1, double x2, double y2, Colour colour)
{
    const auto fx1 = toSingle(x1), fy1 = toSingle(y1), fx2 = toSingle(x2), fy2 = toSingle(y2);
    if (!fx1 || !fy1 || !fx2 || !fy2)
        return false;
    // The image follows the widget's size and pixel ratio on clear(), resize
    // and paint. Asking the screen for its ratio on every segment would cost
    // far more than drawing the segment.
    if (!m_imageReady)
        ensureImage();
    m_currentX = *fx2;
    m_currentY = *fy2;
    // A polyline hands each point in twice, as the end of one segment and the
    // start of the next: its mapping is computed once.
    double c0, r0;
    if (m_lastEnd.valid && *fx1 == m_lastEnd.x && *fy1 == m_lastEnd.y) {
        c0 = m_lastEnd.col, r0 = m_lastEnd.row;
    } else {
        c0 = m_mapping.toColumn(*fx1), r0 = m_mapping.toRow(*fy1);
    }
    const double c1 = m_mapping.toColumn(*fx2), r1 = m_mapping.toRow(*fy2);
    m_lastEnd = {true, *fx2, *fy2, c1, r1};
    const auto visible = clipMapped(m_mapping, c0, r0, c1, r1);
    if (!visible)
        return true;
    drawVisible(*visible, colour);
    markDirty();
    return true;
}

bool PlotCanvas::drawPolyline(const double *x, const double *y, std::size_t n)
{
    return polyline(x, y, n, m_foreColor);
}

bool PlotCanvas::drawPolyline(const double *x, const double *y, std::size_t n, Colour colour)
{
    return polyline(x, y, n, colour);
}

namespace {

// One point of a polyline, mapped once for the two segments it ends; its
// continuous pixel coordinates are computed only for a segment that is
// clipped.
struct RunPoint
{
    bool valid = false;  // both coordinates have a finite float
    bool inside = false; // within the interior, as clipMapped() tests it
    float x = 0, y = 0;
    PixelPoint pixel{}; // meaningful when inside
};

inline bool hasFloat(double v)
{
    return std::fabs(v) <= std::numeric_limits<float>::max();
}

} // namespace

bool PlotCanvas::polyline(const double *x, const double *y, std::size_t n, Colour colour)
{
    if (n < 2)
        return true;
    if (!m_imageReady)
        ensureImage();
    if (!m_cellsReady) {
        m_columns = AxisCells(m_mapping.x1, m_mapping.x2, m_mapping.width);
        m_rows = AxisCells(m_mapping.y1, m_mapping.y2, m_mapping.height);
        m_cellsReady = true;
    }
    // From here to markDirty() no Qt code runs: whatever the image fill or
    // the painter left in the AVX registers must not slow the loop below.
    clearUpperVectorState();
    const Mapping &m = m_mapping;
    const AxisCells::View columns = m_columns.view(), rows = m_rows.view();
    PixelPoint near{0, 0};
    const auto map = [&](double px, double py) {
        RunPoint p;
        if (!hasFloat(px) || !hasFloat(py))
            return p;
        p.valid = true;
        p.x = static_cast<float>(px), p.y = static_cast<float>(py);
        p.inside = columns.inside(p.x) && rows.inside(p.y);
        if (p.inside) {
            p.pixel = {columns.cell(p.x, near.col), rows.cell(p.y, near.row)};
            near = p.pixel;
        }
        return p;
    };
    bool allValid = true;
    bool drawn = false;
    RunPoint from = map(x[0], y[0]);
    std::size_t i = 1;
    while (i < n) {
        const RunPoint to = map(x[i], y[i]);
        if (!from.valid || !to.valid) {
            allValid = false;
            from = to;
            ++i;
            continue;
        }
        m_currentX = to.x;
        m_currentY = to.y;
        if (m_reduceRuns && from.inside && to.inside &&
            m_run.goesOnInColumn(from.pixel, to.pixel.col, colour)) {
            // Most segments of a fine curve stay in the column the run has
            // reached, as drawVisible() would find segment by segment: here
            // the points that follow in that column are taken in one go. The
            // pixel row grows with a point's key, so the span's ends are the
            // rows of the least and the greatest key: one comparison per point.
            const int col = to.pixel.col;
            float least = rows.key(to.y), greatest = least;
            float lastX = to.x, lastY = to.y;
            // The keys that stay in this column and inside, as one interval
            // per axis, held in registers.
            const float xFrom = std::max(columns.lower[col], columns.insideFrom);
            const float xTo = std::min(columns.lower[col + 1], columns.insideTo);
            const float xSign = columns.sign, ySign = rows.sign;
            const float yFrom = rows.insideFrom, yTo = rows.insideTo;
            ++i;
#if defined(__SSE2__) || defined(_M_X64)
            // Four points at a time while all four stay; the first group
            // with a point that leaves is left to the loop below, point by
            // point. The conversions round as static_cast<float> does.
            {
                const __m128d absMask = _mm_castsi128_pd(_mm_set1_epi64x(0x7fffffffffffffff));
                const __m128d floatMax = _mm_set1_pd(std::numeric_limits<float>::max());
                const auto finite2 = [&](__m128d v) {
                    return _mm_cmple_pd(_mm_and_pd(v, absMask), floatMax);
                };
                const __m128 xs = _mm_set1_ps(xSign), ysg = _mm_set1_ps(ySign);
                const __m128 xLo = _mm_set1_ps(xFrom), xHi = _mm_set1_ps(xTo);
                const __m128 yLo = _mm_set1_ps(yFrom), yHi = _mm_set1_ps(yTo);
                __m128 vLeast = _mm_set1_ps(least), vGreatest = _mm_set1_ps(greatest);
                __m128 fx = _mm_setzero_ps(), fy = _mm_setzero_ps();
                bool any = false;
                for (; i + 4 <= n; i += 4) {
                    const __m128d x01 = _mm_loadu_pd(x + i), x23 = _mm_loadu_pd(x + i + 2);
                    const __m128d y01 = _mm_loadu_pd(y + i), y23 = _mm_loadu_pd(y + i + 2);
                    const __m128d finite = _mm_and_pd(_mm_and_pd(finite2(x01), finite2(x23)),
                                                      _mm_and_pd(finite2(y01), finite2(y23)));
                    if (_mm_movemask_pd(finite) != 3)
                        break;
                    const __m128 gx = _mm_movelh_ps(_mm_cvtpd_ps(x01), _mm_cvtpd_ps(x23));
                    const __m128 gy = _mm_movelh_ps(_mm_cvtpd_ps(y01), _mm_cvtpd_ps(y23));
                    const __m128 kx = _mm_mul_ps(gx, xs), ky = _mm_mul_ps(gy, ysg);
                    const __m128 stays =
                        _mm_and_ps(_mm_and_ps(_mm_cmpge_ps(kx, xLo), _mm_cmplt_ps(kx, xHi)),
                                   _mm_and_ps(_mm_cmpge_ps(ky, yLo), _mm_cmplt_ps(ky, yHi)));
                    if (_mm_movemask_ps(stays) != 0xf)
                        break;
                    vLeast = _mm_min_ps(vLeast, ky);
                    vGreatest = _mm_max_ps(vGreatest, ky);
                    fx = gx, fy = gy;
                    any = true;
                }
                alignas(16) float lane[4];
                _mm_store_ps(lane, vLeast);
                least = std::min(std::min(lane[0], lane[1]), std::min(lane[2], lane[3]));
                _mm_store_ps(lane, vGreatest);
                greatest = std::max(std::max(lane[0], lane[1]), std::max(lane[2], lane[3]));
                if (any) {
                    _mm_store_ps(lane, fx);
                    lastX = lane[3];
                    _mm_store_ps(lane, fy);
                    lastY = lane[3];
                }
            }
#endif
            for (; i < n; ++i) {
                if (!hasFloat(x[i]) || !hasFloat(y[i]))
                    break;
                const float nx = static_cast<float>(x[i]), ny = static_cast<float>(y[i]);
                const float kx = nx * xSign, ky = ny * ySign;
                if (!(kx >= xFrom && kx < xTo && ky >= yFrom && ky < yTo))
                    break;
                least = std::min(least, ky);
                greatest = std::max(greatest, ky);
                lastX = nx, lastY = ny;
            }
            const int row = rows.cell(lastY, to.pixel.row);
            const PixelPoint end{col, row};
            m_run.widen(col, rows.cellOfKey(least, row), rows.cellOfKey(greatest, row), end);
            m_currentX = lastX;
            m_currentY = lastY;
            from.x = lastX, from.y = lastY, from.pixel = end;
            near = from.pixel;
            drawn = true;
            continue;
        }
        std::optional<PixelSegment> visible;
        if (from.inside && to.inside)
            visible = PixelSegment{from.pixel, to.pixel}; // what clipMapped() gives
        else
            visible =
                clipMapped(m, m.toColumn(from.x), m.toRow(from.y), m.toColumn(to.x), m.toRow(to.y));
        if (visible) {
            drawVisible(*visible, colour);
            drawn = true;
        }
        from = to;
        ++i;
    }
    if (from.valid)
        m_lastEnd = {true, from.x, from.y, m.toColumn(from.x), m.toRow(from.y)};
    else
        m_lastEnd.valid = false;
    if (drawn)
        markDirty();
    return allValid;
}

namespace {

// Direct pixel writes: the spans are already clipped to the interior.
void fillSpan(QImage &image, int col, int top, int bottom, QRgb colour)
{
    for (int row = top; row <= bottom; ++row)
        reinterpret_cast<QRgb *>(image.scanLine(row))[col] = colour;
}

} // namespace

bool PlotCanvas::fillBetween(const double *x, const double *lower, const double *upper,
                             std::size_t n)
{
    return fill(x, lower, upper, n, m_foreColor);
}

bool PlotCanvas::fillBetween(const double *x, const double *lower, const double *upper,
                             std::size_t n, Colour colour)
{
    return fill(x, lower, upper, n, colour);
}

bool PlotCanvas::fill(const double *x, const double *lower, const double *upper, std::size_t n,
                      Colour colour)
{
    if (n < 2)
        return true;
    if (!m_imageReady)
        ensureImage();
    // A pending run was drawn before this area and must stay under it.
    flushRun();
    const Mapping &m = m_mapping;
    const QRgb c = toQColor(colour).rgb();
    // Continuous pixel coordinates of one x and its two ends. A float mapped
    // in double stays finite however small the scale's span: about 1e38 over
    // 1e-45 is far inside the double range, and so is anything interpolated
    // between two such values.
    struct Edge
    {
        bool valid = false;
        double col = 0, rowA = 0, rowB = 0;
    };
    const auto map = [&](std::size_t i) {
        const auto fx = toSingle(x[i]), fa = toSingle(lower[i]), fb = toSingle(upper[i]);
        if (!fx || !fa || !fb)
            return Edge{};
        return Edge{true, m.toColumn(*fx), m.toRow(*fa), m.toRow(*fb)};
    };
    const double lastCol = m.width - 1.0, lastRow = m.height - 1.0;
    bool allValid = true;
    bool drawn = false;
    Edge from = map(0);
    for (std::size_t i = 1; i < n; ++i) {
        const Edge to = map(i);
        if (!from.valid || !to.valid) {
            allValid = false;
            from = to;
            continue;
        }
        // Columns whose centre c + 0.5 lies in [lo; hi), clipped to the
        // interior while still doubles.
        const double lo = std::min(from.col, to.col), hi = std::max(from.col, to.col);
        const double first = std::max(0.0, std::ceil(lo - 0.5));
        const double last = std::min(lastCol, std::ceil(hi - 0.5) - 1);
        // Both are converted to int only once known to lie in the interior.
        const int colFrom = first <= last ? int(first) : 1;
        const int colTo = first <= last ? int(last) : 0;
        for (int col = colFrom; col <= colTo; ++col) {
            const double t = (col + 0.5 - from.col) / (to.col - from.col);
            const double a = from.rowA + t * (to.rowA - from.rowA);
            const double b = from.rowB + t * (to.rowB - from.rowB);
            const double top = std::max(0.0, std::ceil(std::min(a, b) - 0.5));
            const double bottom = std::min(lastRow, std::ceil(std::max(a, b) - 0.5) - 1);
            if (top <= bottom) {
                fillSpan(m_image, col, int(top), int(bottom), c);
                drawn = true;
            }
        }
        from = to;
    }
    if (drawn)
        markDirty();
    return allValid;
}

void PlotCanvas::ColumnRun::resize(int columns)
{
    m_top.assign(columns, std::numeric_limits<int>::max());
    m_bottom.assign(columns, std::numeric_limits<int>::min());
    m_active = false;
    m_firstCol = 0;
    m_lastCol = -1;
}

void PlotCanvas::ColumnRun::discard()
{
    m_active = false;
    m_firstCol = 0;
    m_lastCol = -1;
    std::fill(m_top.begin(), m_top.end(), std::numeric_limits<int>::max());
    std::fill(m_bottom.begin(), m_bottom.end(), std::numeric_limits<int>::min());
}

void PlotCanvas::ColumnRun::add(const PixelSegment &s, Colour colour, QImage &image)
{
    const int step = s.to.col > s.from.col ? 1 : s.to.col < s.from.col ? -1 : 0;
    // Within a connected run whose columns only move one way, each column is
    // visited by one unbroken stretch of the polyline, so its pixels form a
    // single vertical span: keeping the span's ends loses nothing.
    const bool continues = m_active && m_colour == colour && m_end == s.from &&
                           (step == 0 || m_direction == 0 || step == m_direction);
    if (!continues) {
        flush(image);
        m_active = true;
        m_colour = colour;
        m_direction = 0;
    }
    if (step != 0)
        m_direction = step;
    m_end = s.to;
    forEachColumn(s, [this](int col, int top, int bottom) {
        m_top[col] = std::min(m_top[col], top);
        m_bottom[col] = std::max(m_bottom[col], bottom);
        if (m_firstCol > m_lastCol) {
            m_firstCol = m_lastCol = col;
        } else {
            m_firstCol = std::min(m_firstCol, col);
            m_lastCol = std::max(m_lastCol, col);
        }
    });
}

void PlotCanvas::ColumnRun::paintInto(QImage &image) const
{
    if (!pending())
        return;
    const QRgb c = toQColor(m_colour).rgb();
    for (int col = m_firstCol; col <= m_lastCol; ++col)
        if (m_top[col] <= m_bottom[col])
            fillSpan(image, col, m_top[col], m_bottom[col], c);
}

void PlotCanvas::ColumnRun::flush(QImage &image)
{
    paintInto(image);
    for (int col = m_firstCol; col <= m_lastCol; ++col) {
        m_top[col] = std::numeric_limits<int>::max();
        m_bottom[col] = std::numeric_limits<int>::min();
    }
    m_firstCol = 0;
    m_lastCol = -1;
    m_active = false;
}

void PlotCanvas::paintSegment(const PixelSegment &s, Colour colour)
{
    const QRgb c = toQColor(colour).rgb();
    forEachColumn(s, [&](int col, int top, int bottom) { fillSpan(m_image, col, top, bottom, c); });
}

void PlotCanvas::printText(const QString &text)
{
    ensureImage();
    flushRun();
    const Mapping &m = m_mapping;
    const qreal dpr = m_image.devicePixelRatio();
    const QPointF at(m.toColumn(m_currentX) / dpr, m.toRow(m_currentY) / dpr);
    {
        QPainter p(&m_image);
        p.setFont(font());
        p.setPen(toQColor(m_foreColor));
        // drawText() cuts the text at its box. The box only places the text:
        // it is larger than any canvas, so that only the canvas's edge cuts a
        // line too long for it.
        constexpr qreal kBeyondAnyCanvas = 1e4; // logical pixels
        p.drawText(QRectF(at, QSizeF(kBeyondAnyCanvas, kBeyondAnyCanvas)),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    }
    // The next line starts at the left edge, one line height further down.
    const double lineHeight = QFontMetricsF(font()).height() * dpr;
    m_currentX = m.x1;
    m_currentY += lineHeight / m.height * (m.y2 - m.y1);
    m_printed << text;
    setAccessibleName(m_printed.join(QLatin1Char('\n')));
    markDirty();
}

QImage PlotCanvas::image() const
{
    // A run still pending is painted into the copy handed out, not into the
    // canvas: asking for the picture changes nothing the canvas holds, and
    // the run, painted later, gives the same pixels.
    if (!m_run.pending())
        return m_image;
    QImage drawn = m_image;
    m_run.paintInto(drawn);
    return drawn;
}

void PlotCanvas::paintEvent(QPaintEvent *event)
{
    {
        // The style's border lines do not cover the whole border at every
        // scale (at 200 % half its pixels stay unpainted): lay the window
        // colour under them.
        QPainter under(this);
        under.setClipRegion(QRegion(rect()).subtracted(QRegion(contentsRect())));
        under.fillRect(rect(), palette().window());
    }
    QFrame::paintEvent(event);
    m_updatePending = false;
    ensureImage();
    flushRun();
    QPainter p(this);
    p.drawImage(contentsRect().topLeft(), m_image);
}

void PlotCanvas::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    ensureImage();
}

} // namespace kvadrolab
