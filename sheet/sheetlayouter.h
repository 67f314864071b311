// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// For sheet/ alone: the layouter that layOutSheet runs over the blocks. The
// pages, their furniture and the flow of text are in sheetlayout.cpp; each
// kind of block has its own unit: sheettext.cpp (the title, paragraphs and
// lines of values), sheettable.cpp and sheetpicture.cpp.

#include "sheet/sheetlayout.h"
#include "sheet/studysheet.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QPaintDevice>
#include <QString>
#include <QStringList>

#include <functional>

namespace kvadrolab {

class SheetLayouter
{
public:
    SheetLayouter(QPaintDevice &device, const StudySheet &sheet);

    void title(const QString &text);

    // A heading waits for what follows it, so that the two start a page
    // together rather than the heading ending one.
    void operator()(const SheetHeading &heading) { m_headings.append(heading.text); }
    void operator()(const SheetParagraph &paragraph);
    void operator()(const SheetKeyValues &values);
    void operator()(const SheetTable &table);
    void operator()(const SheetImage &picture);
    void operator()(const SheetChart &chart);

    // The pages with their numbers, now that their count is known.
    QList<SheetPage> finish();

    // A header's phrases: its words, where a lone sign of an operation
    // ("=", "−", "/") joins the words either side of it into one formula,
    // "e(n) = I(n) − I".
    static QStringList headerPhrases(const QString &line);

private:
    // Sizes as a printed page is designed: in points and millimetres.
    static constexpr double kTitlePoints = 16;
    static constexpr double kHeadingPoints = 12.5;
    static constexpr double kBodyPoints = 10;
    static constexpr double kCaptionPoints = 9;
    static constexpr double kMarginalPoints = 8; // the running header and the page numbers
    // A figure is made smaller, down to this part of its size, to end a page
    // rather than leave the rest of it empty.
    static constexpr double kFigureShrink = 0.7;

    static constexpr QColor kInk{0x00, 0x00, 0x00};
    static constexpr QColor kGrey{0x50, 0x50, 0x50};
    static constexpr QColor kRule{0x60, 0x60, 0x60};

    static constexpr int kLine =
        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip;

    // A line as the text breaks it, without the spaces it broke at.
    static QString withoutTrailingSpaces(QString text);

    double mm(double millimetres) const { return millimetres * m_dpi / 25.4; }
    double pt(double points) const { return points * m_dpi / 72.0; }
    double lineHeight(const QFont &font) const;
    double bodyHeight() const { return m_bottom - m_top; }

    // The lines `text` breaks into at `width`: at spaces where it can, inside
    // a word where a word alone is wider.
    QStringList wrap(const QString &text, const QFont &font, double width) const;

    // The lines of a header cell at `width`: broken only at spaces, a formula
    // (headerPhrases) kept whole where it fits; a word wider than the width
    // alone is broken inside.
    QStringList headerLines(const QString &text, const QFont &font, double width) const;

    // A table's two fonts at the size its columns fit at.
    struct TableFonts
    {
        QFont plain;
        QFont bold;
    };
    // A table whose columns have these widths, which fit the page: its
    // caption, its header, and its rows, going on over pages under the
    // header again.
    void placeTable(const SheetTable &table, const TableFonts &fonts, const QList<double> &widths);

    // A figure of `width` x `height` with its caption under it: made smaller
    // to fit a page with its headings, or down to kFigureShrink to fit the
    // rest of one; `put` places it in the rectangle it gets.
    void figure(double width, double height, const QString &caption,
                const std::function<void(const QRectF &)> &put);

    void text(const QRectF &rect, const QFont &font, int flags, const QString &line,
              const QColor &color);
    void rule(double x1, double y1, double x2, double y2, double points, const QColor &color);

    // Lines of running text, breaking to a new page between any two but not
    // after the first.
    void flow(const QString &body, const QFont &font, const QColor &color, int align);

    // Starts a new page unless `height` fits under what is there already,
    // with the headings that wait for it. A fresh page takes anything: what
    // is taller than it is cut by its placer.
    void makeRoom(double height);

    // What the headings waiting for their section take, with their spaces.
    double headingsHeight() const;

    // The headings waiting for their section, placed where it starts (taken
    // first: placing them makes room for them in turn).
    void placeHeadings();

    // Starts a page with its running header over a rule: what the sheet is
    // of (its subject; without one, on pages after the first, its title)
    // and the date.
    void newPage();

    QPaintDevice &m_device;
    double m_dpi;
    double m_width;
    double m_height;
    QString m_title;
    QString m_subject;
    QString m_date;
    double m_headerRule = 0;
    double m_top = 0;
    double m_bottom = 0;
    double m_y = 0;
    // Nothing of the body placed on this page yet.
    bool m_fresh = true;
    QStringList m_headings;
    const double m_headingBefore = mm(4);
    const double m_headingAfter = mm(1.5);
    QList<SheetPage> m_pages;
};

} // namespace kvadrolab
