// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheet/sheetlayouter.h"

#include <QFontMetricsF>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>

namespace kvadrolab {

namespace {

// A table wider than the page is set smaller, half a point at a time, down
// to the sheet's smallest text; wider still, its cells of words wrap or its
// columns go on in parts.
constexpr double kTablePoints = 9;
constexpr double kTableFloorPoints = 8;
constexpr double kTableStepPoints = 0.5;
constexpr QColor kHeaderFill(0xe8, 0xe8, 0xe8);

double sum(const QList<double> &widths)
{
    return std::accumulate(widths.begin(), widths.end(), 0.0);
}

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

// `base` widened toward `goal` by what is left of `usable`, in proportion to
// what each column lacks.
QList<double> widenToward(const QList<double> &base, const QList<double> &goal, double usable)
{
    const double spare = usable - sum(base);
    double lacking = 0;
    for (qsizetype c = 0; c < base.size(); ++c)
        lacking += goal[c] - base[c];
    QList<double> widths = base;
    if (lacking > 0)
        for (qsizetype c = 0; c < base.size(); ++c)
            widths[c] += spare * (goal[c] - base[c]) / lacking;
    return widths;
}

// `base` with as many columns as `usable` allows widened to their `goal`,
// the nearest to it first: the most formulas kept whole.
QList<double> keepWhole(const QList<double> &base, const QList<double> &goal, double usable)
{
    QList<qsizetype> order(base.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype x, qsizetype y) {
        return goal[x] - base[x] < goal[y] - base[y];
    });
    QList<double> widths = base;
    double spare = usable - sum(base);
    for (qsizetype c : order)
        if (goal[c] - base[c] <= spare) {
            spare -= goal[c] - base[c];
            widths[c] = goal[c];
        }
    return widths;
}

// A word that stands for an operation between the words beside it.
bool isOperator(const QString &word)
{
    static const QStringList operators{"=", "−", "-", "+", "/", "·", "×",
                                       "≈", "≤", "≥", "<", ">", "±"};
    return operators.contains(word);
}

} // namespace

QStringList SheetLayouter::headerPhrases(const QString &line)
{
    const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QStringList phrases;
    bool glue = false;
    for (const QString &word : words) {
        const bool sign = isOperator(word);
        if (!phrases.isEmpty() && (glue || sign))
            phrases.last() += QLatin1Char(' ') + word;
        else
            phrases.append(word);
        glue = sign;
    }
    return phrases;
}

QStringList SheetLayouter::headerLines(const QString &text, const QFont &font, double width) const
{
    const QFontMetricsF metrics(font, &m_device);
    const auto fits = [&](const QString &line) { return metrics.horizontalAdvance(line) < width; };
    QStringList lines;
    for (const QString &given : text.split(QLatin1Char('\n'))) {
        QString current;
        const auto add = [&](const QString &piece) {
            const QString joined = current.isEmpty() ? piece : current + QLatin1Char(' ') + piece;
            if (fits(joined)) {
                current = joined;
                return true;
            }
            return false;
        };
        for (const QString &phrase : headerPhrases(given.simplified())) {
            if (add(phrase))
                continue;
            if (!current.isEmpty())
                lines.append(std::exchange(current, QString()));
            if (add(phrase))
                continue;
            // A formula wider than the column breaks at its spaces, and
            // only a word wider than the column (one the widths did not
            // make room for) inside itself.
            for (const QString &word : phrase.split(QLatin1Char(' '))) {
                if (add(word))
                    continue;
                if (!current.isEmpty())
                    lines.append(std::exchange(current, QString()));
                if (add(word))
                    continue;
                QStringList pieces = wrap(word, font, width);
                current = pieces.takeLast();
                lines.append(pieces);
            }
        }
        lines.append(current);
    }
    return lines;
}

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
    const auto cell = [](const QStringList &row, qsizetype c) {
        return c < row.size() ? row[c] : QString();
    };
    const auto widest = [](const QFontMetricsF &metrics, const QStringList &texts) {
        double width = 0;
        for (const QString &part : texts)
            width = std::max(width, metrics.horizontalAdvance(withoutTrailingSpaces(part)));
        return width;
    };

    // The widths of the columns at a size, from the narrowest: the longest
    // word of each cell of words (a number never wraps) and of the header
    // (which wraps between words); every cell on one line; the header's
    // formulas whole too; the whole header on one line.
    TableFonts fonts;
    QList<double> least(columns, 0);
    QList<double> lined(columns, 0);
    QList<double> phrase(columns, 0);
    QList<double> full(columns, 0);
    static const QRegularExpression spaces(QStringLiteral("\\s+"));
    const auto measure = [&](double points) {
        fonts.plain = sheetFont(points);
        fonts.bold = sheetFont(points, true);
        // Liberation Sans kerns "11" closer: without kerning every digit is
        // as wide as the others, and right-aligned numbers keep their places.
        fonts.plain.setKerning(false);
        fonts.bold.setKerning(false);
        const QFontMetricsF plain(fonts.plain, &m_device);
        const QFontMetricsF strong(fonts.bold, &m_device);
        for (qsizetype c = 0; c < columns; ++c) {
            double cells = 0;
            double cellWord = 0;
            for (const QStringList &row : table.rows) {
                const QString text = cell(row, c);
                const double width = widest(plain, text.split(QLatin1Char('\n')));
                cells = std::max(cells, width);
                // Words wrap, a number with its groups of digits does not,
                // whatever its column: a rule's refusal among the values of
                // I(n) may wrap, 0,180 478 992 7 beside it may not.
                const bool words =
                    std::any_of(text.begin(), text.end(), [](QChar ch) { return ch.isLetter(); });
                cellWord = std::max(cellWord, words ? widest(plain, text.split(spaces)) : width);
            }
            const QString header = cell(table.headers, c);
            double word = 0;
            double formula = 0;
            QStringList lines;
            for (const QString &line : header.split(QLatin1Char('\n'))) {
                lines.append(line.simplified());
                for (const QString &part : headerPhrases(line.simplified())) {
                    formula = std::max(formula, strong.horizontalAdvance(part));
                    word = std::max(word, widest(strong, part.split(QLatin1Char(' '))));
                }
            }
            // A device pixel more than measured: the line breaker must not
            // break what was measured to fit.
            least[c] = std::max(cellWord, word) + 2 * padX + 1;
            lined[c] = std::max(cells, word) + 2 * padX + 1;
            phrase[c] = std::max(cells, formula) + 2 * padX + 1;
            full[c] = std::max(cells, widest(strong, lines)) + 2 * padX + 1;
        }
    };
    // The largest size, from kTablePoints down to the floor, at which the
    // table fits the page with its headers' formulas whole; else with its
    // cells on one line; else with its cells of text wrapped between words;
    // else the floor, and the columns go on in parts.
    const int steps = int(std::lround((kTablePoints - kTableFloorPoints) / kTableStepPoints));
    const auto largest = [&](const QList<double> &widths) -> std::optional<double> {
        for (int step = 0; step <= steps; ++step) {
            const double points = kTablePoints - step * kTableStepPoints;
            measure(points);
            if (sum(widths) <= m_width)
                return points;
        }
        return std::nullopt;
    };
    // The widths of the columns `part` of the table at the size measured,
    // as wide as the page allows of the widths above.
    const auto partWidths = [&](const QList<qsizetype> &part) {
        const auto pick = [&](const QList<double> &all) {
            QList<double> some;
            for (qsizetype c : part)
                some.append(all[c]);
            return some;
        };
        if (sum(pick(full)) <= m_width)
            return pick(full);
        if (sum(pick(phrase)) <= m_width)
            return widenToward(pick(phrase), pick(full), m_width);
        if (sum(pick(lined)) <= m_width)
            return widenToward(keepWhole(pick(lined), pick(phrase), m_width), pick(full), m_width);
        if (sum(pick(least)) <= m_width)
            return widenToward(keepWhole(pick(least), pick(lined), m_width), pick(lined), m_width);
        return shareWidths(pick(least), m_width);
    };
    QList<qsizetype> all(columns);
    std::iota(all.begin(), all.end(), 0);

    // Too wide at the floor with every cell on one line: the columns go on
    // in parts, each under the columns that name the rows again, as few
    // parts as fit the page and as even as they can be, so that no part is
    // left with a column alone.
    const qsizetype keys = std::clamp<qsizetype>(table.keyColumns, 0, columns - 1);
    QList<qsizetype> keyPart(keys);
    std::iota(keyPart.begin(), keyPart.end(), 0);
    const auto split = [&](const QList<double> &widths) {
        double keyWidth = 0;
        for (qsizetype c = 0; c < keys; ++c)
            keyWidth += widths[c];
        const auto within = [&](double limit) {
            QList<QList<qsizetype>> parts;
            QList<qsizetype> part = keyPart;
            double width = keyWidth;
            for (qsizetype c = keys; c < columns; ++c) {
                if (part.size() > keys && width + widths[c] > limit) {
                    parts.append(std::exchange(part, keyPart));
                    width = keyWidth;
                }
                part.append(c);
                width += widths[c];
            }
            parts.append(part);
            return parts;
        };
        QList<QList<qsizetype>> parts = within(m_width);
        if (parts.size() > 1) {
            const double even = keyWidth + (sum(widths) - keyWidth) / double(parts.size());
            for (double limit = even; limit < m_width; limit += mm(1)) {
                QList<QList<qsizetype>> evener = within(limit);
                if (evener.size() <= parts.size())
                    return evener;
            }
        }
        return parts;
    };

    std::optional<double> points = largest(phrase);
    if (!points)
        points = largest(lined);
    if (!points) {
        // Cells of words wrapped between them at the largest size that
        // allows, or the columns in parts at the floor with every cell on
        // one line: whichever takes fewer lines. A wrapped cell of three lines
        // in every row costs more than the rows again in a second part.
        if (const std::optional<double> wrapped = largest(least)) {
            const QList<double> widths = partWidths(all);
            double wrappedLines = 0;
            for (const QStringList &row : table.rows) {
                qsizetype lines = 1;
                for (qsizetype c = 0; c < columns; ++c)
                    lines = std::max(lines,
                                     wrap(cell(row, c), fonts.plain, widths[c] - 2 * padX).size());
                wrappedLines += double(lines);
            }
            measure(kTableFloorPoints);
            const double splitLines = double(split(lined).size() * table.rows.size());
            if (wrappedLines <= splitLines)
                points = wrapped;
        }
    }
    measure(points.value_or(kTableFloorPoints));
    const QList<QList<qsizetype>> parts = points ? QList<QList<qsizetype>>{all} : split(lined);
    for (qsizetype p = 0; p < parts.size(); ++p) {
        const QList<qsizetype> &part = parts[p];
        const QList<double> widths = partWidths(part);
        SheetTable shown;
        shown.caption = table.caption;
        if (parts.size() > 1) {
            const QString which = QStringLiteral("(часть %1 из %2)").arg(p + 1).arg(parts.size());
            shown.caption = table.caption.isEmpty() ? which : table.caption + u' ' + which;
        }
        const auto columnsOf = [&](const QStringList &row) {
            QStringList some;
            for (qsizetype c : part)
                some.append(cell(row, c));
            return some;
        };
        if (!table.headers.isEmpty())
            shown.headers = columnsOf(table.headers);
        for (const QStringList &row : table.rows)
            shown.rows.append(columnsOf(row));
        for (qsizetype c : part)
            shown.alignment.append(c < table.alignment.size() ? table.alignment[c]
                                                              : ColumnAlign::Left);
        placeTable(shown, fonts, widths);
    }
}

void SheetLayouter::placeTable(const SheetTable &table, const TableFonts &fonts,
                               const QList<double> &widths)
{
    const qsizetype columns = widths.size();
    const double padX = mm(1.5);
    const double padY = mm(0.6);
    const auto cell = [](const QStringList &row, qsizetype c) {
        return c < row.size() ? row[c] : QString();
    };
    const QFont &font = fonts.plain;
    const QFont &bold = fonts.bold;
    const double tableWidth = sum(widths);
    const double line = std::max(lineHeight(font), lineHeight(bold));

    struct Row
    {
        QList<QStringList> cells;
        double height = 0;
    };
    const auto makeRow = [&](const QStringList &texts, bool isHeader) {
        Row row;
        qsizetype lines = 1;
        for (qsizetype c = 0; c < columns; ++c) {
            const double width = widths[c] - 2 * padX;
            row.cells.append(isHeader ? headerLines(cell(texts, c), bold, width)
                                      : wrap(cell(texts, c), font, width));
            lines = std::max(lines, row.cells.last().size());
        }
        row.height = double(lines) * line + 2 * padY;
        return row;
    };
    const bool hasHeader = !table.headers.isEmpty();
    const Row header = hasHeader ? makeRow(table.headers, true) : Row();
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
        table.rows.isEmpty() ? 0 : std::min(makeRow(table.rows[0], false).height, rowLimit);
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
        const Row row = makeRow(texts, false);
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
