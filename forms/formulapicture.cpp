#include "forms/formulapicture.h"

#include <QHash>
#include <QPainter>
#include <qdrawutil.h>

namespace kvadrolab {

namespace {

constexpr int kBorder = 2;

// What a screen reader says for each picture: the formula it shows, in words
// and the symbols a braille display can render.
QString spokenFormula(const QString &resource)
{
    static const QHash<QString, QString> names = {
        {QStringLiteral(":/pictures/formula.svg"), QStringLiteral("Формула: ln(x)³ / x³")},
        {QStringLiteral(":/pictures/integrand.svg"), QStringLiteral("Формула: (ln x / x)³")},
        {QStringLiteral(":/pictures/antiderivative.svg"),
         QStringLiteral("Формула: интеграл от 1 до 6 ln(x)³ / x³ dx = −1/2 · ln(x)³ / x² − 3/4 · "
                        "ln(x)² / x² − 3/4 · ln(x) / x² − 3 / (8x²)")},
        {QStringLiteral(":/pictures/exact.svg"), QStringLiteral("0.1804790225")},
        {QStringLiteral(":/pictures/bound_trapezoid.svg"),
         QStringLiteral("Формула: (b − a)³ / (12n²) · M2")},
        {QStringLiteral(":/pictures/bound_simpson.svg"),
         QStringLiteral("Формула: (b − a)⁵ / (180 · (2n)⁴) · M4")},
        {QStringLiteral(":/pictures/d2.svg"), QStringLiteral("|f''(x)|")},
        {QStringLiteral(":/pictures/d4.svg"), QStringLiteral("|f⁽⁴⁾(x)|")},
        {QStringLiteral(":/pictures/integral.svg"),
         QStringLiteral("Формула: интеграл ln(x)³ / x³ dx")},
    };
    return names.value(resource);
}

} // namespace

FormulaPicture::FormulaPicture(const QString &resource, bool bordered, QWidget *parent)
    : QWidget(parent), m_resource(resource), m_renderer(resource), m_bordered(bordered)
{
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(spokenFormula(resource));
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

} // namespace kvadrolab
