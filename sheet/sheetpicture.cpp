// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheet/sheetlayouter.h"

#include <algorithm>

namespace kvadrolab {

namespace {

// A chart is never enlarged beyond this many of its pixels to the inch:
// further it would only print its pixels larger.
constexpr double kPictureDpi = 150;
// Smaller than this a picture would be made only to fill a page's end: it
// starts the next page instead.
constexpr double kPictureShrink = 0.8;

} // namespace

void SheetLayouter::operator()(const SheetImage &picture)
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

void SheetLayouter::operator()(const SheetChart &chart)
{
    // As a picture, but always the width of the text: a chart has no pixels
    // of its own to keep to.
    const QFont captionFont = sheetFont(kCaptionPoints, false, true);
    const QStringList captionLines =
        chart.caption.isEmpty() ? QStringList() : wrap(chart.caption, captionFont, m_width);
    const double captionHeight = double(captionLines.size()) * lineHeight(captionFont);
    const double gap = mm(2);
    if (chart.draw && chart.aspect > 0) {
        double width = m_width;
        double height = width / chart.aspect;
        const double limit =
            std::max(bodyHeight() - headingsHeight() - captionHeight - gap, bodyHeight() / 2);
        if (height > limit) {
            width *= limit / height;
            height = limit;
        }
        const double room = m_bottom - m_y - headingsHeight() - gap - captionHeight;
        if (!m_fresh && height > room && room >= kPictureShrink * height) {
            width *= room / height;
            height = room;
        }
        makeRoom(height + gap + captionHeight);
        m_pages.last().items.append(
            SheetChartItem{QRectF((m_width - width) / 2, m_y, width, height), chart.draw, m_dpi});
        m_fresh = false;
        m_y += height + gap;
    }
    if (!captionLines.isEmpty())
        flow(chart.caption, captionFont, kInk, Qt::AlignHCenter);
    m_y += mm(5);
}

} // namespace kvadrolab
