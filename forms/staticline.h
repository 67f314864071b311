// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QWidget>

namespace kvadrolab {

// A straight line that is part of a window's design (an axis, a rule, a
// legend sample). It takes no input and covers only its own bounding box.
class StaticLine : public QWidget
{
    Q_OBJECT

public:
    StaticLine(QPoint from, QPoint to, int width, const QColor &colour, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPoint m_from, m_to;
    int m_width;
    QColor m_colour;
};

} // namespace kvadrolab
