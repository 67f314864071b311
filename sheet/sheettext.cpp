// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheet/sheetlayouter.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

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
                text(QRectF(keyWidth + gap, y, valueWidth, line), valueFont, kLine, valueLines[i],
                     kInk);
        }
        m_y += count * line + mm(0.8);
    }
    m_y += mm(2);
}

} // namespace kvadrolab
