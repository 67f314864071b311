#pragma once

#include <QSvgRenderer>
#include <QWidget>

namespace kvadrolab {

// A fixed formula picture: a vector image drawn at its own size from the
// box's upper-left corner; whatever does not fit the box is cut off.
class FormulaPicture : public QWidget
{
    Q_OBJECT

public:
    FormulaPicture(const QString &resource, bool bordered, QWidget *parent = nullptr);

    QString resource() const { return m_resource; }
    bool isValid() const { return m_renderer.isValid(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_resource;
    QSvgRenderer m_renderer;
    bool m_bordered;
};

} // namespace kvadrolab
