// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheet/sheetlayouter.h"

#include <QFontMetricsF>

#include <algorithm>

namespace kvadrolab {

void SheetLayouter::title(const QString &text)
{
    if (text.trimmed().isEmpty())
        return;
    flow(text, sheetFont(kTitlePoints, true), kInk, Qt::AlignLeft);
    m_y += mm(4);
}

void SheetLayouter::operator()(const SheetParagraph &paragraph)
{
    flow(paragraph.text, sheetFont(kBodyPoints), kInk, Qt::AlignLeft);
    m_y += mm(2);
}

void SheetLayouter::operator()(const SheetKeyValues &values)
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
    for (const SheetLine &entry : values.lines) {
        const QStringList keyLines = wrap(entry.key, keyFont, keyWidth);
        const QStringList valueLines =
            entry.value.isEmpty() ? QStringList() : wrap(entry.value, valueFont, valueWidth);
        const qsizetype count = std::max(keyLines.size(), valueLines.size());
        // A name starts a page with the first lines of its value; a long
        // value (f of ten thousand characters) goes on over pages, whole.
        // A line to write on has room above it for handwriting.
        const double above = valueLines.isEmpty() ? mm(3) : 0;
        makeRoom(above + double(std::min<qsizetype>(count, 2)) * line);
        m_y += above;
        for (qsizetype i = 0; i < count; ++i) {
            makeRoom(line);
            if (i < keyLines.size())
                text(QRectF(0, m_y, keyWidth, line), keyFont, kLine, keyLines[i], kGrey);
            if (i < valueLines.size())
                text(QRectF(keyWidth + gap, m_y, valueWidth, line), valueFont, kLine, valueLines[i],
                     kInk);
            // No value: a line to write it on by hand.
            if (i == 0 && valueLines.isEmpty()) {
                const double base = m_y + 0.85 * line;
                rule(keyWidth + gap, base, std::min(m_width, keyWidth + gap + mm(80)), base, 0.5,
                     kInk);
            }
            m_y += line;
        }
        m_y += mm(0.8);
    }
    m_y += mm(2);
}

} // namespace kvadrolab
