// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/formulapicture.h"

#include <QFile>
#include <QHash>
#include <QPainter>
#include <qdrawutil.h>

#ifdef KVADROLAB_HAVE_SVG
#include <QSvgRenderer>
#endif

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

#ifndef KVADROLAB_HAVE_SVG
// The ratios the build renders each picture for, where it has no Qt Svg:
// 100 %, 150 % and 200 %, the scales desktops offer.
constexpr double kRenderedRatios[] = {1.0, 1.5, 2.0};

// ":/pictures/exact.svg" rendered for 1.5 is ":/pictures/exact@1.5x.png".
QString renderedName(const QString &resource, double ratio)
{
    QString base = resource;
    base.chop(4);
    return base + QLatin1Char('@') + QString::number(ratio) + QStringLiteral("x.png");
}
#endif

} // namespace

FormulaPicture::FormulaPicture(const QString &resource, bool bordered, QWidget *parent)
    : QWidget(parent), m_resource(resource), m_bordered(bordered)
{
#ifdef KVADROLAB_HAVE_SVG
    m_renderer = std::make_unique<QSvgRenderer>(resource);
#else
    for (const double ratio : kRenderedRatios) {
        QImage image(renderedName(resource, ratio));
        if (image.isNull())
            break;
        image.setDevicePixelRatio(ratio);
        m_rendered.push_back(image);
    }
#endif
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(spokenFormula(resource));
}

FormulaPicture::~FormulaPicture() = default;

bool FormulaPicture::isValid() const
{
#ifdef KVADROLAB_HAVE_SVG
    return m_renderer->isValid();
#else
    return m_rendered.size() == std::size(kRenderedRatios);
#endif
}

QSizeF FormulaPicture::pictureSize() const
{
#ifdef KVADROLAB_HAVE_SVG
    return m_renderer->defaultSize();
#else
    return m_rendered.empty() ? QSizeF() : m_rendered.front().deviceIndependentSize();
#endif
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
#ifdef KVADROLAB_HAVE_SVG
    // Vector all the way down: sharp at any device pixel ratio.
    m_renderer->render(&p, QRectF(origin, pictureSize()));
#else
    if (m_rendered.empty())
        return;
    // The smallest rendering that is at least as fine as the screen, else the
    // finest there is: scaled down a little, never blurred up.
    const double ratio = devicePixelRatioF();
    const QImage *best = &m_rendered.back();
    for (const QImage &image : m_rendered) {
        if (image.devicePixelRatio() >= ratio - 1e-9) {
            best = &image;
            break;
        }
    }
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRectF(origin, pictureSize()), *best);
#endif
}

} // namespace kvadrolab
