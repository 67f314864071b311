// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "canvas/plotcanvas.h"

#include <QFont>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <functional>
#include <vector>

class QPainter;

// What the study's charts draw on: the few marks they make, over a user
// system laid on a picture measured in logical pixels. One drawing code, two
// surfaces: a PlotCanvas on screen, and a QPainter on any paint device (a
// page of the PDF sheet, a large PNG) where lines stay lines and text text.
namespace kvadrolab {

// A user system laid over the picture with margins in logical pixels, so that
// captions can be placed by pixel and lines by value.
struct ChartFrame
{
    double x1, y1, x2, y2; // the picture's corners in user units
    double width, height;  // logical pixels

    double userX(double px) const { return x1 + px / width * (x2 - x1); }
    double userY(double py) const { return y1 + py / height * (y2 - y1); }
    double pixelX(double x) const { return (x - x1) / (x2 - x1) * width; }
    double pixelY(double y) const { return (y - y1) / (y2 - y1) * height; }
};

class ChartSurface
{
public:
    using Colour = PlotCanvas::Colour;

    virtual ~ChartSurface() = default;

    // The picture's size in logical pixels, the font its text is set in and
    // measured with, and the colour of its ground.
    virtual QSizeF size() const = 0;
    virtual QFont font() const = 0;
    virtual Colour backColor() const = 0;
    // What the picture is of, on a line under its title ("f(x) = …, [a; b]")
    // where it leaves the window: empty on screen, where the window says it.
    QString subject() const { return m_subject; }
    void setSubject(const QString &subject) { m_subject = subject; }

    // Paints the ground and forgets printed text.
    virtual void clear() = 0;
    // The user system the marks that follow are given in; false when the
    // surface cannot use it (the previous one stays).
    virtual bool setFrame(const ChartFrame &frame) = 0;

    // A thin line, and a connected run of them; a point without a float
    // breaks the run.
    virtual void line(double x1, double y1, double x2, double y2, Colour colour) = 0;
    virtual void polyline(const double *x, const double *y, std::size_t n, Colour colour) = 0;
    // The area between two curves over the same x (PlotCanvas::fillBetween).
    virtual void fill(const double *x, const double *lower, const double *upper, std::size_t n,
                      Colour colour) = 0;
    // A curve about 1.5 logical pixels wide, solid or dashed (6 on, 4 off,
    // measured along it), broken where a value has no float.
    virtual void thickPolyline(const std::vector<double> &x, const std::vector<double> &y,
                               Colour colour) = 0;
    virtual void dashedPolyline(const std::vector<double> &x, const std::vector<double> &y,
                                Colour colour) = 0;
    // A filled disc of the radius in logical pixels around the user point.
    virtual void dot(double x, double y, double radius, Colour colour) = 0;
    // One line of text in the surface's font and the ink's colour with its
    // upper-left corner at the pixel (px, py) of the frame set last.
    virtual void text(double px, double py, const QString &text) = 0;

private:
    QString m_subject;
};

// The charts' marks on a PlotCanvas, pixel for pixel as the canvas's own
// calls draw them: thin lines, thick ones as copies a device pixel apart,
// text printed (and so said to a screen reader) at its place.
class CanvasSurface final : public ChartSurface
{
public:
    explicit CanvasSurface(PlotCanvas &canvas) : m_canvas(canvas) {}

    QSizeF size() const override;
    QFont font() const override { return m_canvas.font(); }
    Colour backColor() const override { return m_canvas.backColor(); }
    void clear() override { m_canvas.clear(); }
    bool setFrame(const ChartFrame &frame) override;
    void line(double x1, double y1, double x2, double y2, Colour colour) override;
    void polyline(const double *x, const double *y, std::size_t n, Colour colour) override;
    void fill(const double *x, const double *lower, const double *upper, std::size_t n,
              Colour colour) override;
    void thickPolyline(const std::vector<double> &x, const std::vector<double> &y,
                       Colour colour) override;
    void dashedPolyline(const std::vector<double> &x, const std::vector<double> &y,
                        Colour colour) override;
    void dot(double x, double y, double radius, Colour colour) override;
    void text(double px, double py, const QString &text) override;

private:
    PlotCanvas &m_canvas;
    ChartFrame m_frame{0, 0, 1, 1, 1, 1};
};

// The charts' marks through a QPainter whose coordinates are the picture's
// logical pixels from its upper-left corner (paintChart() sets that up):
// lines as lines, discs and areas as polygons, text as text, in the given
// font. Where the font has them, powers are set with superscripts ("10^-6"
// as 10⁻⁶). The lines printed are kept, as a canvas keeps them.
class PainterSurface final : public ChartSurface
{
public:
    PainterSurface(QPainter &painter, QSizeF size, const QFont &font, Colour ground, Colour ink);

    QSizeF size() const override { return m_size; }
    QFont font() const override { return m_font; }
    Colour backColor() const override { return m_ground; }
    void clear() override;
    bool setFrame(const ChartFrame &frame) override;
    void line(double x1, double y1, double x2, double y2, Colour colour) override;
    void polyline(const double *x, const double *y, std::size_t n, Colour colour) override;
    void fill(const double *x, const double *lower, const double *upper, std::size_t n,
              Colour colour) override;
    void thickPolyline(const std::vector<double> &x, const std::vector<double> &y,
                       Colour colour) override;
    void dashedPolyline(const std::vector<double> &x, const std::vector<double> &y,
                        Colour colour) override;
    void dot(double x, double y, double radius, Colour colour) override;
    void text(double px, double py, const QString &text) override;

    QStringList printedLines() const { return m_printed; }

    // A thin line's width, in logical pixels.
    static constexpr double kThinWidth = 0.75;
    static constexpr double kThickWidth = 1.5;

private:
    // Runs of points with floats, in logical pixels.
    std::vector<std::vector<QPointF>> runs(const std::vector<double> &x,
                                           const std::vector<double> &y) const;
    void stroke(const std::vector<double> &x, const std::vector<double> &y, Colour colour,
                double width, bool dashed);

    QPainter &m_painter;
    QSizeF m_size;
    QFont m_font;
    Colour m_ground, m_ink;
    ChartFrame m_frame{0, 0, 1, 1, 1, 1};
    QStringList m_printed;
};

// A chart drawn on any surface: what the study window keeps of a picture so
// that it can be drawn again, larger or on paper.
using ChartDrawing = std::function<bool(ChartSurface &)>;

// Draws `drawing` with the painter into `target` (in the painter's
// coordinates), laid out on a picture `logical` logical pixels large: the
// painter is scaled from one to the other, and restored. The lines printed.
QStringList paintChart(QPainter &painter, const QRectF &target, QSizeF logical, const QFont &font,
                       const QString &subject, const ChartDrawing &drawing);

} // namespace kvadrolab
