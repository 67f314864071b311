// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheet/sheetlayouter.h"

#include <algorithm>

namespace kvadrolab {

namespace {

// A chart is never enlarged beyond this many of its pixels to the inch:
// further it would only print its pixels larger.
constexpr double kPictureDpi = 150;

} // namespace

void SheetLayouter::figure(double width, double height, const QString &caption,
                           const std::function<void(const QRectF &)> &put)
{
    const QFont captionFont = sheetFont(kCaptionPoints, false, true);
    const double captionLine = lineHeight(captionFont);
    const QStringList captionLines =
        caption.isEmpty() ? QStringList() : wrap(caption, captionFont, m_width);
    const double captionHeight = double(captionLines.size()) * captionLine;
    const double gap = mm(2);
    if (width > 0 && height > 0) {
        if (width > m_width) {
            height *= m_width / width;
            width = m_width;
        }
        // A figure with its caption and heading fits one page: a tall one
        // is made smaller.
        const double limit =
            std::max(bodyHeight() - headingsHeight() - captionHeight - gap, bodyHeight() / 2);
        if (height > limit) {
            width *= limit / height;
            height = limit;
        }
        // Where a smaller one would still fit the rest of the page, it is
        // made so, rather than leave the space empty: a page is not left
        // with its end blank for want of a few centimetres.
        const double room = m_bottom - m_y - headingsHeight() - gap - captionHeight;
        if (!m_fresh && height > room && room >= kFigureShrink * height) {
            width *= room / height;
            height = room;
        }
        makeRoom(height + gap + captionHeight);
        put(QRectF((m_width - width) / 2, m_y, width, height));
        m_fresh = false;
        m_y += height + gap;
    }
    if (!captionLines.isEmpty())
        flow(caption, captionFont, kInk, Qt::AlignHCenter);
    m_y += mm(5);
}

void SheetLayouter::operator()(const SheetImage &picture)
{
    const QImage &image = picture.image;
    const bool drawn = !image.isNull() && image.width() > 0 && image.height() > 0;
    const double width = drawn ? image.width() * m_dpi / kPictureDpi : 0;
    const double height = drawn ? width * image.height() / image.width() : 0;
    figure(width, height, picture.caption, [&](const QRectF &rect) {
        m_pages.last().items.append(SheetPictureItem{rect, image});
    });
}

void SheetLayouter::operator()(const SheetChart &chart)
{
    // As a picture, but always the width of the text: a chart has no pixels
    // of its own to keep to.
    const bool drawn = chart.draw && chart.aspect > 0;
    figure(drawn ? m_width : 0, drawn ? m_width / chart.aspect : 0, chart.caption,
           [&](const QRectF &rect) {
               m_pages.last().items.append(SheetChartItem{rect, chart.draw, m_dpi});
           });
}

} // namespace kvadrolab
