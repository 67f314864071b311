// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QSizeF>
#include <QWidget>

#include <memory>
#include <vector>

class QSvgRenderer;

namespace kvadrolab {

// A fixed formula picture drawn at its own size from the box's upper-left
// corner; whatever does not fit the box is cut off. Where Qt Svg is at hand
// the picture is the vector image itself; elsewhere it is that image rendered
// at build time for several device pixel ratios, and the one that fits the
// screen is drawn.
class FormulaPicture : public QWidget
{
    Q_OBJECT

public:
    FormulaPicture(const QString &resource, bool bordered, QWidget *parent = nullptr);
    ~FormulaPicture() override;

    QString resource() const { return m_resource; }
    bool isValid() const;
    // The picture's size in logical pixels.
    QSizeF pictureSize() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_resource;
#ifdef KVADROLAB_HAVE_SVG
    std::unique_ptr<QSvgRenderer> m_renderer;
#endif
    // Rendered variants, by ascending device pixel ratio.
    std::vector<QImage> m_rendered;
    bool m_bordered;
};

} // namespace kvadrolab
