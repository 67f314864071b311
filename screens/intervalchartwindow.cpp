// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/intervalchartwindow.h"

#include "canvas/canvasmenu.h"
#include "canvas/plotcanvas.h"
#include "forms/notifier.h"
#include "numbers/numbertext.h"
#include "screens/chartmessages.h"

#include <QLineEdit>
#include <QPushButton>

namespace kvadrolab {

IntervalChartWindow::IntervalChartWindow(const char *name, const char *caption,
                                         int clientWidthTwips, int clientHeightTwips,
                                         std::span<const Control> controls, const char *canvas,
                                         std::initializer_list<const char *> chartParts)
    : SecondaryWindow(name, caption, clientWidthTwips, clientHeightTwips), m_form(this, controls),
      m_canvas(m_form.get<PlotCanvas>(QString::fromUtf8(canvas)))
{
    m_canvas->setAccessibleDescription(notDrawnYet());
    setPictureRegion(m_canvas, m_form.controls(chartParts));
    auto *build = m_form.get<QPushButton>(QStringLiteral("Command1"));
    connect(build, &QPushButton::clicked, this, &IntervalChartWindow::plot);
    auto *a = m_form.get<QLineEdit>(QStringLiteral("Text1"));
    auto *b = m_form.get<QLineEdit>(QStringLiteral("Text2"));
    nameIntervalFields(a, b);
    bindAction(build, {a, b});
    bindReturn(m_form.get<QPushButton>(QStringLiteral("toMain")));
}

void IntervalChartWindow::plot()
{
    const auto a = readNumberField(m_form.get<QLineEdit>(QStringLiteral("Text1"))->text());
    const auto b = readNumberField(m_form.get<QLineEdit>(QStringLiteral("Text2"))->text());
    if (const Result<void> drawn = draw(*m_canvas, a, b); !drawn) {
        m_canvas->setAccessibleDescription(notDrawn(drawn.reason()));
        notify(this, boundRefusal(drawn.reason()));
        return;
    }
    m_canvas->setAccessibleDescription(description(*a, *b));
}

} // namespace kvadrolab
