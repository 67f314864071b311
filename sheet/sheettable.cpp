// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheet/sheetlayouter.h"

#include <QFontMetricsF>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace kvadrolab {

namespace {

// A table wider than the page is set smaller, half a point at a time, down
// to the smallest size still read comfortably on paper; then its cells wrap.
constexpr double kTablePoints = 9;
constexpr double kTableFloorPoints = 6.5;
constexpr double kTableStepPoints = 0.5;
constexpr QColor kHeaderFill(0xe8, 0xe8, 0xe8);

// The widths of columns too wide together for `usable`: a column narrower
// than an equal share keeps its width, the others share what is left in
// proportion to theirs (their cells then wrap). Each pass settles at least
// one column or ends the passes.
QList<double> shareWidths(const QList<double> &natural, double usable)
{
    const qsizetype count = natural.size();
    QList<double> widths(count, 0);
    QList<bool> settled(count, false);
    double left = usable;
    qsizetype open = count;
    for (qsizetype pass = 0; pass < count && open > 0; ++pass) {
        const double share = left / double(open);
        bool changed = false;
        for (qsizetype c = 0; c < count; ++c)
            if (!settled[c] && natural[c] <= share) {
                widths[c] = natural[c];
                settled[c] = true;
                left -= natural[c];
                --open;
                changed = true;
            }
        if (!changed)
            break;
    }
    double openNatural = 0;
    for (qsizetype c = 0; c < count; ++c)
        if (!settled[c])
            openNatural += natural[c];
    for (qsizetype c = 0; c < count; ++c)
        if (!settled[c])
            widths[c] = left * natural[c] / openNatural;
    return widths;
}

} // namespace

void SheetLayouter::operator()(const SheetTable &table)
{
    qsizetype columns = table.headers.size();
    for (const QStringList &row : table.rows)
        columns = std::max(columns, row.size());
    if (columns == 0) {
        flow(table.caption, sheetFont(kCaptionPoints, false, true), kInk, Qt::AlignLeft);
        m_y += mm(4);
        return;
    }
    const double padX = mm(1.5);
    const double padY = mm(0.6);
    const auto cell = [](const QStringList &row, qsizetype c) {
        return c < row.size() ? row[c] : QString();
    };
    const auto widest = [](const QFontMetricsF &metrics, const QString &text) {
        double width = 0;
        for (const QString &part : text.split(QLatin1Char('\n')))
            width = std::max(width, metrics.horizontalAdvance(withoutTrailingSpaces(part)));
        return width;
    };

    // The largest size, from kTablePoints down to the floor, at which every
    // column is as wide as its widest cell and the longest word of its
    // header (a header wraps), and the table fits the page.
    QFont font;
    QFont bold;
    QList<double> least(columns, 0); // the cells on one line, the header wrapped
    QList<double> full(columns, 0);  // the header on one line too
    const auto sum = [](const QList<double> &widths) {
        return std::accumulate(widths.begin(), widths.end(), 0.0);
    };
    const int steps = int(std::lround((kTablePoints - kTableFloorPoints) / kTableStepPoints));
    for (int step = 0; step <= steps; ++step) {
        const double points = kTablePoints - step * kTableStepPoints;
        font = sheetFont(points);
        bold = sheetFont(points, true);
        // Liberation Sans kerns "11" closer: without kerning every digit is
        // as wide as the others, and right-aligned numbers keep their places.
        font.setKerning(false);
        bold.setKerning(false);
        const QFontMetricsF plain(font, &m_device);
        const QFontMetricsF strong(bold, &m_device);
        for (qsizetype c = 0; c < columns; ++c) {
            double cells = 0;
            for (const QStringList &row : table.rows)
                cells = std::max(cells, widest(plain, cell(row, c)));
            double word = 0;
            for (const QString &part :
                 cell(table.headers, c).split(QRegularExpression(QStringLiteral("\\s+"))))
                word = std::max(word, strong.horizontalAdvance(part));
            // A device pixel more than measured: the line breaker must not
            // break what was measured to fit.
            least[c] = std::max(cells, word) + 2 * padX + 1;
            full[c] = std::max(cells, widest(strong, cell(table.headers, c))) + 2 * padX + 1;
        }
        if (sum(least) <= m_width)
            break;
    }
    QList<double> widths;
    if (sum(full) <= m_width) {
        widths = full;
    } else if (sum(least) <= m_width) {
        // The room left goes to the wrapped headers, in proportion to what
        // each lacks for one line.
        const double spare = m_width - sum(least);
        double lacking = 0;
        for (qsizetype c = 0; c < columns; ++c)
            lacking += full[c] - least[c];
        for (qsizetype c = 0; c < columns; ++c)
            widths.append(least[c] + spare * (full[c] - least[c]) / lacking);
    } else {
        widths = shareWidths(least, m_width);
    }
    const double tableWidth = std::accumulate(widths.begin(), widths.end(), 0.0);
    const double line = std::max(lineHeight(font), lineHeight(bold));

    struct Row
    {
        QList<QStringList> cells;
        double height = 0;
    };
    const auto makeRow = [&](const QStringList &texts, const QFont &rowFont) {
        Row row;
        qsizetype lines = 1;
        for (qsizetype c = 0; c < columns; ++c) {
            row.cells.append(wrap(cell(texts, c), rowFont, widths[c] - 2 * padX));
            lines = std::max(lines, row.cells.last().size());
        }
        row.height = double(lines) * line + 2 * padY;
        return row;
    };

    const bool hasHeader = !table.headers.isEmpty();
    const Row header = hasHeader ? makeRow(table.headers, bold) : Row();
    // The header takes at most a third of a page; a row what is left of a
    // page under the header and the continued caption. What is taller is cut.
    const double headerHeight = std::min(header.height, bodyHeight() / 3);
    const QFont captionFont = sheetFont(kCaptionPoints, false, true);
    const double captionLine = lineHeight(captionFont);
    const double rowLimit = bodyHeight() - headerHeight - captionLine - mm(1);

    const auto place = [&](const Row &row, double height, bool isHeader) {
        const double top = m_y;
        if (isHeader)
            m_pages.last().items.append(
                SheetFillItem{QRectF(0, top, tableWidth, height), kHeaderFill});
        double x = 0;
        for (qsizetype c = 0; c < columns; ++c) {
            const QStringList &lines = row.cells[c];
            const double textHeight = double(lines.size()) * line;
            double y = top + std::max(padY, (height - textHeight) / 2);
            int align = Qt::AlignLeft;
            if (isHeader)
                align = Qt::AlignHCenter;
            else if (c < table.alignment.size() && table.alignment[c] == ColumnAlign::Right)
                align = Qt::AlignRight;
            // The lines past the end of a cut row are left out.
            for (qsizetype i = 0; i < lines.size() && y + line <= top + height + 0.5; ++i) {
                text(QRectF(x + padX, y, widths[c] - 2 * padX, line), isHeader ? bold : font,
                     align | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip, lines[i],
                     kInk);
                y += line;
            }
            x += widths[c];
        }
        x = 0;
        for (qsizetype c = 0; c <= columns; ++c) {
            rule(x, top, x, top + height, 0.4, kRule);
            if (c < columns)
                x += widths[c];
        }
        rule(0, top, tableWidth, top, isHeader ? 0.8 : 0.4, kRule);
        rule(0, top + height, tableWidth, top + height, isHeader ? 0.8 : 0.4, kRule);
        m_y += height;
        m_fresh = false;
    };

    // The caption, the header and the first row stay together.
    const double first =
        table.rows.isEmpty() ? 0 : std::min(makeRow(table.rows[0], font).height, rowLimit);
    const QStringList captionLines =
        table.caption.isEmpty() ? QStringList() : wrap(table.caption, captionFont, m_width);
    makeRoom(double(captionLines.size()) * captionLine + mm(1) + headerHeight + first);
    if (!captionLines.isEmpty()) {
        flow(table.caption, captionFont, kInk, Qt::AlignLeft);
        m_y += mm(1);
    }
    if (hasHeader)
        place(header, headerHeight, true);
    for (const QStringList &texts : table.rows) {
        const Row row = makeRow(texts, font);
        const double height = std::min(row.height, rowLimit);
        if (m_y + height > m_bottom) {
            newPage();
            if (!table.caption.isEmpty()) {
                const QString continued = table.caption + QStringLiteral(" (продолжение)");
                text(QRectF(0, m_y, m_width, captionLine), captionFont, kLine,
                     QFontMetricsF(captionFont, &m_device)
                         .elidedText(continued, Qt::ElideMiddle, m_width),
                     kGrey);
                m_y += captionLine + mm(1);
            }
            if (hasHeader)
                place(header, headerHeight, true);
        }
        place(row, height, false);
    }
    m_y += mm(5);
}

} // namespace kvadrolab
