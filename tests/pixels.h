// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reading a chart back from its pixels: which rows and columns a grid colour
// fills (completely or in part), and where a curve colour shows.

#include <QImage>
#include <QList>
#include <QPoint>

namespace pixels {

inline bool is(const QImage &img, int col, int row, QRgb colour)
{
    return (img.pixel(col, row) & 0xffffff) == (colour & 0xffffff);
}

// Rows in which the colour covers at least 1/part of the width (the whole
// width by default), top to bottom.
inline QList<int> fullRows(const QImage &img, QRgb colour, int part = 1)
{
    QList<int> rows;
    for (int r = 0; r < img.height(); ++r) {
        int n = 0;
        for (int c = 0; c < img.width(); ++c)
            n += is(img, c, r, colour);
        if (part * n >= img.width())
            rows << r;
    }
    return rows;
}

// Columns in which the colour covers at least 1/part of the height (the whole
// height by default), left to right.
inline QList<int> fullColumns(const QImage &img, QRgb colour, int part = 1)
{
    QList<int> cols;
    for (int c = 0; c < img.width(); ++c) {
        int n = 0;
        for (int r = 0; r < img.height(); ++r)
            n += is(img, c, r, colour);
        if (part * n >= img.height())
            cols << c;
    }
    return cols;
}

inline int count(const QImage &img, QRgb colour)
{
    int n = 0;
    for (int r = 0; r < img.height(); ++r)
        for (int c = 0; c < img.width(); ++c)
            n += is(img, c, r, colour);
    return n;
}

// Pixels not in the colour: what was drawn on a background of it.
inline int countNot(const QImage &img, QRgb colour)
{
    return img.width() * img.height() - count(img, colour);
}

// Every pixel in the colour, row by row, top to bottom.
inline QList<QPoint> pixelsOf(const QImage &img, QRgb colour)
{
    QList<QPoint> found;
    for (int r = 0; r < img.height(); ++r)
        for (int c = 0; c < img.width(); ++c)
            if (is(img, c, r, colour))
                found << QPoint(c, r);
    return found;
}

// Rows of the column that are in the colour, top to bottom.
inline QList<int> rowsIn(const QImage &img, int col, QRgb colour)
{
    QList<int> rows;
    for (int r = 0; r < img.height(); ++r)
        if (is(img, col, r, colour))
            rows << r;
    return rows;
}

// The leftmost column showing the colour, or -1.
inline int firstColumn(const QImage &img, QRgb colour)
{
    for (int c = 0; c < img.width(); ++c)
        if (!rowsIn(img, c, colour).isEmpty())
            return c;
    return -1;
}

// Pixels in which two images of one size differ.
inline int differing(const QImage &a, const QImage &b)
{
    int n = 0;
    for (int r = 0; r < a.height(); ++r)
        for (int c = 0; c < a.width(); ++c)
            n += (a.pixel(c, r) & 0xffffff) != (b.pixel(c, r) & 0xffffff);
    return n;
}

// Pixels of the colour in a that have no pixel of the colour in b within one
// pixel (8-neighbourhood).
inline int unmatched(const QImage &a, const QImage &b, QRgb colour)
{
    int n = 0;
    for (int r = 0; r < a.height(); ++r)
        for (int c = 0; c < a.width(); ++c) {
            if (!is(a, c, r, colour))
                continue;
            bool near = false;
            for (int dr = -1; dr <= 1 && !near; ++dr)
                for (int dc = -1; dc <= 1 && !near; ++dc) {
                    const int rr = r + dr, cc = c + dc;
                    near = rr >= 0 && cc >= 0 && rr < b.height() && cc < b.width() &&
                           is(b, cc, rr, colour);
                }
            n += !near;
        }
    return n;
}

} // namespace pixels
