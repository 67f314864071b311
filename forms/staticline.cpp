// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/staticline.h"

#include <QPainter>

namespace kvadrolab {

StaticLine::StaticLine(QPoint from, QPoint to, int width, const QColor &colour, QWidget *parent)
    : QWidget(parent), m_from(from), m_to(to), m_width(width), m_colour(colour)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    // A wide line is centred on its designed path, as a wide pen draws it.
    const int before = (width - 1) / 2;
    const int after = width - 1 - before;
    setGeometry(QRect(from, to).normalized().adjusted(-before, -before, after, after));
}

void StaticLine::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QPoint origin = pos();
    if (m_width == 1) {
        p.setPen(m_colour);
        p.drawLine(m_from - origin, m_to - origin);
        return;
    }
    // Thick lines as solid rectangles: crisp at any scale, no cap guessing.
    p.fillRect(rect(), m_colour);
}

} // namespace kvadrolab
