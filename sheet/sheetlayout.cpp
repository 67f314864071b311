// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheet/sheetlayout.h"

#include "sheet/sheetlayouter.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <utility>

namespace kvadrolab {

SheetLayouter::SheetLayouter(QPaintDevice &device, const StudySheet &sheet)
    : m_device(device), m_dpi(device.logicalDpiY()), m_width(device.width()),
      m_height(device.height()), m_title(sheet.title), m_subject(sheet.subject), m_date(sheet.date)
{
    const QFont marginal = sheetFont(kMarginalPoints);
    const double marginalLine = lineHeight(marginal);
    m_headerRule = marginalLine + mm(1);
    m_top = m_headerRule + mm(5);
    m_bottom = m_height - marginalLine - mm(6);
    newPage();
}

QList<SheetPage> SheetLayouter::finish()
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

QString SheetLayouter::withoutTrailingSpaces(QString text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    text.truncate(end);
    return text;
}

double SheetLayouter::lineHeight(const QFont &font) const
{
    return QFontMetricsF(font, &m_device).lineSpacing();
}

QStringList SheetLayouter::wrap(const QString &text, const QFont &font, double width) const
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
            lines.append(withoutTrailingSpaces(paragraph.mid(line.textStart(), line.textLength())));
        }
        layout.endLayout();
        if (lines.size() == before)
            lines.append(QString());
    }
    return lines;
}

void SheetLayouter::text(const QRectF &rect, const QFont &font, int flags, const QString &line,
                         const QColor &color)
{
    m_pages.last().items.append(SheetTextItem{rect, font, flags, line, color});
    m_fresh = false;
}

void SheetLayouter::rule(double x1, double y1, double x2, double y2, double points,
                         const QColor &color)
{
    m_pages.last().items.append(SheetRuleItem{QLineF(x1, y1, x2, y2), pt(points), color});
}

void SheetLayouter::flow(const QString &body, const QFont &font, const QColor &color, int align)
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

void SheetLayouter::makeRoom(double height)
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

double SheetLayouter::headingsHeight() const
{
    double height = 0;
    const QFont font = sheetFont(kHeadingPoints, true);
    for (const QString &heading : m_headings)
        height += double(wrap(heading, font, m_width).size()) * lineHeight(font) + m_headingBefore +
                  m_headingAfter;
    return height;
}

void SheetLayouter::placeHeadings()
{
    const QStringList headings = std::exchange(m_headings, {});
    for (const QString &heading : headings) {
        if (!m_fresh)
            m_y += m_headingBefore;
        flow(heading, sheetFont(kHeadingPoints, true), kInk, Qt::AlignLeft);
        m_y += m_headingAfter;
    }
}

void SheetLayouter::newPage()
{
    m_pages.append(SheetPage());
    const QFont font = sheetFont(kMarginalPoints);
    const QFontMetricsF metrics(font, &m_device);
    const double line = lineHeight(font);
    const double dateWidth = metrics.horizontalAdvance(m_date) + 1;
    const double subjectWidth = std::max(0.0, m_width - dateWidth - mm(10));
    SheetPage &page = m_pages.last();
    // Every page says what it is of, so that a page apart from the rest
    // still names its study; without a subject, the pages after the first,
    // which has the title in full, give the title.
    const QString subject = !m_subject.isEmpty() ? m_subject
                            : m_pages.size() > 1 ? m_title
                                                 : QString();
    if (!subject.isEmpty())
        page.items.append(SheetTextItem{QRectF(0, 0, subjectWidth, line), font, kLine,
                                        metrics.elidedText(subject, Qt::ElideRight, subjectWidth),
                                        kGrey});
    page.items.append(SheetTextItem{
        QRectF(m_width - dateWidth, 0, dateWidth, line), font,
        Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip, m_date, kGrey});
    rule(0, m_headerRule, m_width, m_headerRule, 0.5, kRule);
    m_y = m_top;
    m_fresh = true;
}

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
    SheetLayouter layouter(device, sheet);
    layouter.title(sheet.title);
    for (const SheetBlock &block : sheet.blocks)
        std::visit(layouter, block);
    return layouter.finish();
}

} // namespace kvadrolab
