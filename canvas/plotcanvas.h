// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "canvas/raster.h"

#include <QFrame>
#include <QImage>
#include <QStringList>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace kvadrolab {

// A picture area that charts and results are drawn on, in immediate mode:
// clear, setScale, drawLine, printText. It keeps its pixels in a backing image
// at device resolution, so what it shows survives hiding, covering and
// repainting; the program itself never redraws.
class PlotCanvas : public QFrame
{
    Q_OBJECT

public:
    // 24-bit colour value: red + 256 * green + 65536 * blue.
    using Colour = quint32;
    // The colour of the given components, each clamped to 0..255; usable in
    // constants, so that every colour of the program is written as rgb(...).
    static constexpr Colour rgb(int red, int green, int blue)
    {
        const auto c = [](int v) { return static_cast<Colour>(std::clamp(v, 0, 255)); };
        return c(red) + 256 * c(green) + 65536 * c(blue);
    }
    static QColor toQColor(Colour c);

    explicit PlotCanvas(QWidget *parent = nullptr);

    // Paints the interior with the back colour, forgets printed text, and puts
    // the current position at (0, 0). The scale, colours and font stay.
    void clear();

    // (x1, y1) becomes the interior's upper-left corner, (x2, y2) its
    // lower-right one. Each value is taken in single precision. A scale that
    // cannot be used (a value outside the float range, x1 = x2 or y1 = y2) is
    // refused: the previous one stays and false is returned.
    bool setScale(double x1, double y1, double x2, double y2);

    // Draws the segment in the fore colour, or in the given one. Each
    // coordinate is taken in single precision; one that has no finite float
    // draws nothing and false is returned. What lies outside the interior is
    // cut off, which is not an error. The current position moves to (x2, y2).
    bool drawLine(double x1, double y1, double x2, double y2);
    bool drawLine(double x1, double y1, double x2, double y2, Colour colour);

    // Draws the connected run of segments (x[i], y[i]) - (x[i + 1], y[i + 1])
    // for i < n - 1, pixel for pixel as drawLine would draw them one by one:
    // the same single precision, clipping and current position. A segment
    // with an end that has no finite float is left out, and false returned.
    bool drawPolyline(const double *x, const double *y, std::size_t n);
    bool drawPolyline(const double *x, const double *y, std::size_t n, Colour colour);

    // Fills the area between two curves over the same x, (x[i], lower[i]) and
    // (x[i], upper[i]) for i < n, each joined by straight segments: the
    // shading under a shape, a bar, a dot. A pixel is filled when its centre
    // lies inside: the column's centre within a segment's [x[i]; x[i + 1])
    // (so that pieces side by side never overlap), the row's centre between
    // the two curves there, the edge nearer the top in, the other out. Each
    // coordinate is taken in single precision and mapped and clipped in
    // double precision, so no value, however large, reaches a pixel write
    // outside the interior; a segment with an end that has no finite float is
    // left out, and false returned. The work is one pixel column of the
    // interior at most per column the area covers, and the current position
    // does not move.
    bool fillBetween(const double *x, const double *lower, const double *upper, std::size_t n);
    bool fillBetween(const double *x, const double *lower, const double *upper, std::size_t n,
                     Colour colour);

    // Draws the text with its upper-left corner at the current position, in the
    // canvas font and fore colour, with no box behind it; then moves to the
    // start of the next line. Printed lines are also the accessible name.
    void printText(const QString &text);

    double currentX() const { return m_currentX; }
    double currentY() const { return m_currentY; }
    // Where the next printText() starts, in user coordinates: captions at a
    // chosen place of a chart. Segments are not affected (both their ends are
    // always given).
    void setCurrentX(double x) { m_currentX = x; }
    void setCurrentY(double y) { m_currentY = y; }
    Colour foreColor() const { return m_foreColor; }
    void setForeColor(Colour c) { m_foreColor = c; }
    Colour backColor() const { return m_backColor; }
    void setBackColor(Colour c) { m_backColor = c; }
    QStringList printedLines() const { return m_printed; }

    // The interior at device resolution, with everything drawn so far.
    QImage image() const;
    // Interior size in device pixels: the W and H of the coordinate mapping.
    QSize interiorPixels() const { return m_image.size(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Tests switch the reduction below off through it (tests/plotcanvastesting.h).
    friend struct PlotCanvasTesting;

    // Runs of connected segments in one colour are reduced to one vertical
    // span per pixel column before they are painted (on by default). Off,
    // every segment is painted as it comes; tests compare the two.
    void setReduceRuns(bool on)
    {
        flushRun();
        m_reduceRuns = on;
    }

    // A connected run of segments in one colour, reduced to one vertical
    // span per pixel column until it is painted. line() and polyline() both
    // hand their visible segments to it.
    class ColumnRun
    {
    public:
        // For an image this many columns wide, with nothing pending.
        void resize(int columns);
        // Forgets what is pending without painting it.
        void discard();
        bool pending() const { return m_firstCol <= m_lastCol; }
        // The segment from `from` into column toCol, in this colour, goes on
        // from the run's end without leaving its column: widen() takes it.
        bool goesOnInColumn(kvadrolab::PixelPoint from, int toCol, Colour colour) const
        {
            return from.col == toCol && m_active && m_end == from && m_colour == colour;
        }
        // Rows top..bottom of the column the run ends in join its span; the
        // run now ends at end, in that column.
        void widen(int col, int top, int bottom, kvadrolab::PixelPoint end)
        {
            m_top[col] = std::min(m_top[col], top);
            m_bottom[col] = std::max(m_bottom[col], bottom);
            m_end = end;
        }
        // Any segment. One that does not continue the run paints the run
        // into image first and starts a new one.
        void add(const kvadrolab::PixelSegment &s, Colour colour, QImage &image);
        // Paints the spans into image; the run stays as it is.
        void paintInto(QImage &image) const;
        // Paints the spans into image and forgets them.
        void flush(QImage &image);

    private:
        bool m_active = false;
        Colour m_colour = 0;
        kvadrolab::PixelPoint m_end{};
        int m_direction = 0; // -1, 0 (not yet known) or +1: the run's column order
        int m_firstCol = 0, m_lastCol = -1;
        std::vector<int> m_top, m_bottom; // per column, empty where top > bottom
    };

    bool line(double x1, double y1, double x2, double y2, Colour colour);
    bool polyline(const double *x, const double *y, std::size_t n, Colour colour);
    bool fill(const double *x, const double *lower, const double *upper, std::size_t n,
              Colour colour);
    // Where every visible segment goes, from line() and polyline() alike.
    void drawVisible(const kvadrolab::PixelSegment &s, Colour colour);
    void paintSegment(const kvadrolab::PixelSegment &s, Colour colour);
    void flushRun() { m_run.flush(m_image); }
    void ensureImage();
    void markDirty()
    {
        if (!m_updatePending)
            requestUpdate();
    }
    void requestUpdate();
    // The user system over the image's pixels, kept current by setScale()
    // and by every change of the image's size.
    void updateMapping();

    QImage m_image;
    bool m_imageReady = false; // m_image has been sized at least once
    ColumnRun m_run;
    bool m_reduceRuns = true;
    bool m_updatePending = false;
    bool m_scaled = false; // until setScale: logical pixels from the upper-left corner
    float m_x1 = 0, m_y1 = 0, m_x2 = 1, m_y2 = 1;
    kvadrolab::Mapping m_mapping;
    // m_mapping's axes for float coordinates, built on the first polyline
    // after the mapping changes.
    kvadrolab::AxisCells m_columns, m_rows;
    bool m_cellsReady = false;
    struct MappedPoint
    {
        bool valid = false;
        float x = 0, y = 0;
        double col = 0, row = 0; // toColumn(x), toRow(y) under m_mapping
    } m_lastEnd;
    double m_currentX = 0, m_currentY = 0;
    Colour m_foreColor = 0;
    Colour m_backColor = 0;
    QStringList m_printed;
};

} // namespace kvadrolab
