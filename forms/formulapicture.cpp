#include "formulapicture.h"

#include <QPainter>
#include <qdrawutil.h>

namespace {
constexpr int kBorder = 2;
}

FormulaPicture::FormulaPicture(const QString &resource, bool bordered, QWidget *parent)
    : QWidget(parent), m_resource(resource), m_renderer(resource), m_bordered(bordered)
{
    setFocusPolicy(Qt::NoFocus);
}

void FormulaPicture::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QPoint origin(0, 0);
    if (m_bordered) {
        qDrawWinPanel(&p, rect(), palette(), true);
        origin = QPoint(kBorder, kBorder);
    }
    p.setClipRect(rect().adjusted(origin.x(), origin.y(), -origin.x(), -origin.y()));
    // Vector all the way down: sharp at any device pixel ratio.
    m_renderer.render(&p, QRectF(origin, QSizeF(m_renderer.defaultSize())));
}
