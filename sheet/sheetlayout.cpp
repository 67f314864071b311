// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheet/sheetlayout.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QRegularExpression>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

namespace kvadrolab {

namespace {

// Sizes as a printed page is designed: in points and millimetres.
constexpr double kTitlePoints = 16;
constexpr double kHeadingPoints = 12.5;
constexpr double kBodyPoints = 10;
constexpr double kCaptionPoints = 9;
constexpr double kMarginalPoints = 8; // the running header and the page numbers
// A table wider than the page is set smaller, half a point at a time, down
// to the smallest size still read comfortably on paper; then its cells wrap.
constexpr double kTablePoints = 9;
constexpr double kTableFloorPoints = 6.5;
constexpr double kTableStepPoints = 0.5;
// A chart is never enlarged beyond this many of its pixels to the inch:
// further it would only print its pixels larger.
constexpr double kPictureDpi = 150;
// Smaller than this a picture would be made only to fill a page's end: it
// starts the next page instead.
constexpr double kPictureShrink = 0.8;

const QColor kInk(0x00, 0x00, 0x00);
const QColor kGrey(0x50, 0x50, 0x50);
const QColor kRule(0x60, 0x60, 0x60);
const QColor kHeaderFill(0xe8, 0xe8, 0xe8);

constexpr int kLine = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip;

QString withoutTrailingSpaces(QString text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    text.truncate(end);
    return text;
}

class Layouter
{
public:
    Layouter(QPaintDevice &device, const StudySheet &sheet)
        : m_device(device), m_dpi(device.logicalDpiY()), m_width(device.width()),
          m_height(device.height()), m_title(sheet.title), m_date(sheet.date)
    {
        const QFont marginal = sheetFont(kMarginalPoints);
        const double marginalLine = lineHeight(marginal);
        m_headerRule = marginalLine + mm(1);
        m_top = m_headerRule + mm(5);
        m_bottom = m_height - marginalLine - mm(6);
        newPage();
    }

    void title(const QString &text)
    {
        if (text.trimmed().isEmpty())
            return;
        flow(text, sheetFont(kTitlePoints, true), kInk, Qt::AlignLeft);
        m_y += mm(4);
    }

    // A heading waits for what follows it, so that the two start a page
    // together rather than the heading ending one.
    void operator()(const SheetHeading &heading) { m_headings.append(heading.text); }

    void operator()(const SheetParagraph &paragraph)
    {
        flow(paragraph.text, sheetFont(kBodyPoints), kInk, Qt::AlignLeft);
        m_y += mm(2);
    }

    void operator()(const SheetKeyValues &values)
    {
        const QFont keyFont = sheetFont(kBodyPoints);
        const QFont valueFont = sheetFont(kBodyPoints, true);
        const QFontMetricsF metrics(keyFont, &m_device);
        double keyWidth = 0;
        for (const SheetLine &line : values.lines)
            for (const QString &part : line.key.split(QLatin1Char('\n')))
                keyWidth = std::max(keyWidth, metrics.horizontalAdvance(part) + 1);
        keyWidth = std::min(keyWidth, 0.4 * m_width);
        const double gap = mm(4);
        const double valueWidth = m_width - keyWidth - gap;
        const double line = std::max(lineHeight(keyFont), lineHeight(valueFont));
        const auto fitting = qsizetype(std::max(1.0, std::floor(bodyHeight() / line)));
        for (const SheetLine &entry : values.lines) {
            const QStringList keyLines = wrap(entry.key, keyFont, keyWidth);
            const QStringList valueLines = wrap(entry.value, valueFont, valueWidth);
            // One value is never split between pages; one longer than a page is cut.
            const qsizetype count = std::min(std::max(keyLines.size(), valueLines.size()), fitting);
            makeRoom(count * line);
            for (qsizetype i = 0; i < count; ++i) {
                const double y = m_y + i * line;
                if (i < keyLines.size())
                    text(QRectF(0, y, keyWidth, line), keyFont, kLine, keyLines[i], kGrey);
                if (i < valueLines.size())
                    text(QRectF(keyWidth + gap, y, valueWidth, line), valueFont, kLine,
                         valueLines[i], kInk);
            }
            m_y += count * line + mm(0.8);
        }
        m_y += mm(2);
    }

    void operator()(const SheetTable &table);
    void operator()(const SheetImage &picture);

    // The pages with their numbers, now that their count is known.
    QList<SheetPage> finish()
    {
        placeHeadings();
        const QFont font = sheetFont(kMarginalPoints);
        const double line = lineHeight(font);
        const qsizetype count = m_pages.size();
        for (qsizetype i = 0; i < count; ++i)
            m_pages[i].items.append(SheetTextItem{
                QRectF(0, m_height - line, m_width, line), font,
                Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
                QStringLiteral("стр. %1 из %2").arg(i + 1).arg(count), kGrey});
        return std::move(m_pages);
    }

private:
    double mm(double millimetres) const { return millimetres * m_dpi / 25.4; }
    double pt(double points) const { return points * m_dpi / 72.0; }
    double lineHeight(const QFont &font) const
    {
        return QFontMetricsF(font, &m_device).lineSpacing();
    }
    double bodyHeight() const { return m_bottom - m_top; }

    // The lines `text` breaks into at `width`: at spaces where it can, inside
    // a word where a word alone is wider.
    QStringList wrap(const QString &text, const QFont &font, double width) const
    {
        QStringList lines;
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        for (const QString &paragraph : text.split(QLatin1Char('\n'))) {
            const qsizetype before = lines.size();
            QTextLayout layout(paragraph, font, &m_device);
            layout.setTextOption(option);
            layout.beginLayout();
            // Each line takes at least one character, so this ends.
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(std::max(width, 1.0));
                lines.append(
                    withoutTrailingSpaces(paragraph.mid(line.textStart(), line.textLength())));
            }
            layout.endLayout();
            if (lines.size() == before)
                lines.append(QString());
        }
        return lines;
    }

    void text(const QRectF &rect, const QFont &font, int flags, const QString &line,
              const QColor &color)
    {
        m_pages.last().items.append(SheetTextItem{rect, font, flags, line, color});
        m_fresh = false;
    }

    void rule(double x1, double y1, double x2, double y2, double points, const QColor &color)
    {
        m_pages.last().items.append(SheetRuleItem{QLineF(x1, y1, x2, y2), pt(points), color});
    }

    // Lines of running text, breaking to a new page between any two but not
    // after the first.
    void flow(const QString &body, const QFont &font, const QColor &color, int align)
    {
        const double line = lineHeight(font);
        const QStringList lines = wrap(body, font, m_width);
        makeRoom(double(std::min<qsizetype>(lines.size(), 2)) * line);
        for (const QString &part : lines) {
            makeRoom(line);
            text(QRectF(0, m_y, m_width, line), font,
                 align | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip, part, color);
            m_y += line;
        }
    }

    // Starts a new page unless `height` fits under what is there already,
    // with the headings that wait for it. A fresh page takes anything: what
    // is taller than it is cut by its placer.
    void makeRoom(double height)
    {
        double headings = headingsHeight();
        // What is as tall as a page cannot start under its headings: they go
        // first, and it starts the next page.
        if (headings > 0 && headings + height > bodyHeight()) {
            placeHeadings();
            headings = 0;
        }
        if (!m_fresh && m_y + headings + height > m_bottom)
            newPage();
        placeHeadings();
    }

    // What the headings waiting for their section take, with their spaces.
    double headingsHeight() const
    {
        double height = 0;
        const QFont font = sheetFont(kHeadingPoints, true);
        for (const QString &heading : m_headings)
            height += double(wrap(heading, font, m_width).size()) * lineHeight(font) +
                      m_headingBefore + m_headingAfter;
        return height;
    }

    // The headings waiting for their section, placed where it starts (taken
    // first: placing them makes room for them in turn).
    void placeHeadings()
    {
        const QStringList headings = std::exchange(m_headings, {});
        for (const QString &heading : headings) {
            if (!m_fresh)
                m_y += m_headingBefore;
            flow(heading, sheetFont(kHeadingPoints, true), kInk, Qt::AlignLeft);
            m_y += m_headingAfter;
        }
    }

    void newPage()
    {
        m_pages.append(SheetPage());
        const QFont font = sheetFont(kMarginalPoints);
        const QFontMetricsF metrics(font, &m_device);
        const double line = lineHeight(font);
        const double dateWidth = metrics.horizontalAdvance(m_date) + 1;
        const double titleWidth = std::max(0.0, m_width - dateWidth - mm(10));
        SheetPage &page = m_pages.last();
        // The first page has the title in full under its header.
        if (m_pages.size() > 1)
            page.items.append(SheetTextItem{QRectF(0, 0, titleWidth, line), font, kLine,
                                            metrics.elidedText(m_title, Qt::ElideRight, titleWidth),
                                            kGrey});
        page.items.append(
            SheetTextItem{QRectF(m_width - dateWidth, 0, dateWidth, line), font,
                          Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
                          m_date, kGrey});
        rule(0, m_headerRule, m_width, m_headerRule, 0.5, kRule);
        m_y = m_top;
        m_fresh = true;
    }

    QPaintDevice &m_device;
    double m_dpi;
    double m_width;
    double m_height;
    QString m_title;
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

void Layouter::operator()(const SheetTable &table)
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

void Layouter::operator()(const SheetImage &picture)
{
    const QFont captionFont = sheetFont(kCaptionPoints, false, true);
    const double captionLine = lineHeight(captionFont);
    const QStringList captionLines =
        picture.caption.isEmpty() ? QStringList() : wrap(picture.caption, captionFont, m_width);
    const double captionHeight = double(captionLines.size()) * captionLine;
    const double gap = mm(2);
    const QImage &image = picture.image;
    if (!image.isNull() && image.width() > 0 && image.height() > 0) {
        double width = std::min(m_width, image.width() * m_dpi / kPictureDpi);
        double height = width * image.height() / image.width();
        // A picture with its caption and heading fits one page: a tall one
        // is made smaller.
        const double limit =
            std::max(bodyHeight() - headingsHeight() - captionHeight - gap, bodyHeight() / 2);
        if (height > limit) {
            width *= limit / height;
            height = limit;
        }
        // Where a little smaller would still fit the rest of the page, it
        // is made so, rather than leave the space empty.
        const double room = m_bottom - m_y - headingsHeight() - gap - captionHeight;
        if (!m_fresh && height > room && room >= kPictureShrink * height) {
            width *= room / height;
            height = room;
        }
        makeRoom(height + gap + captionHeight);
        m_pages.last().items.append(
            SheetPictureItem{QRectF((m_width - width) / 2, m_y, width, height), image});
        m_fresh = false;
        m_y += height + gap;
    }
    if (!captionLines.isEmpty())
        flow(picture.caption, captionFont, kInk, Qt::AlignHCenter);
    m_y += mm(5);
}

} // namespace

QFont sheetFont(double points, bool bold, bool italic)
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    // The same advances whatever the device: the layout measures what is printed.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QList<SheetPage> layOutSheet(const StudySheet &sheet, QPaintDevice &device)
{
    Layouter layouter(device, sheet);
    layouter.title(sheet.title);
    for (const SheetBlock &block : sheet.blocks)
        std::visit(layouter, block);
    return layouter.finish();
}

} // namespace kvadrolab
