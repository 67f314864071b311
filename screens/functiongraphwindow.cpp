// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/functiongraphwindow.h"

#include "canvas/canvasmenu.h"
#include "canvas/plotcanvas.h"
#include "forms/notifier.h"
#include "numbers/numbertext.h"
#include "screens/chartmessages.h"
#include "screens/charts.h"

#include <QLineEdit>
#include <QPushButton>

namespace kvadrolab {

namespace {

// The header reads as one phrase: "График функции" (formula) "в области [a;b]"
// / "с шагом H". The formula box is lower than its picture, which is cut off.
const Control kControls[] = {
    {"Command1", Kind::Button, nullptr, 3960, 6120, 1335, 495, "Построить"},
    {"toMain", Kind::Button, nullptr, 5520, 6120, 1335, 495, "На главную"},
    {"Frame1", Kind::Frame, nullptr, 240, 240, 6735, 5295, "График"},
    {"Label1", Kind::Label, "Frame1", 120, 360, 1335, 255, "График функции"},
    {"Picture1", Kind::Picture, "Frame1", 1560, 240, 975, 855, ":/pictures/formula.svg", 0, NoFlags,
     1},
    {"Label2", Kind::Label, "Frame1", 2640, 360, 1215, 255, "в области [a;b]"},
    {"Label3", Kind::Label, "Frame1", 2640, 720, 975, 255, "с шагом H"},
    {"Label5", Kind::Label, "Frame1", 3840, 240, 2175, 255, "Область определения [a;b]:"},
    {"Label6", Kind::Label, "Frame1", 5640, 480, 615, 255, "a = 1"},
    {"Label7", Kind::Label, "Frame1", 5640, 840, 615, 255, "b = 6"},
    {"Label4", Kind::Label, "Frame1", 3840, 600, 615, 255, "Шаг H:"},
    {"Text1", Kind::Field, "Frame1", 4440, 600, 735, 285, "0,001", 0, Centred},
    {"Picture2", Kind::Canvas, "Frame1", 480, 1200, 6015, 3375},
    {"Line2", Kind::Line, "Frame1", 360, 1080, 360, 4680},
    {"Line1", Kind::Line, "Frame1", 360, 4680, 6600, 4680},
    {"Label9", Kind::Label, "Frame1", 120, 840, 735, 255, "Y*10^-2"},
    {"Label11", Kind::Label, "Frame1", 120, 1080, 135, 255, "5", 0, NoFlags, 0},
    {"Label11", Kind::Label, "Frame1", 120, 1680, 135, 255, "4", 0, NoFlags, 5},
    {"Label11", Kind::Label, "Frame1", 120, 2400, 135, 255, "3", 0, NoFlags, 4},
    {"Label11", Kind::Label, "Frame1", 120, 3120, 135, 255, "2", 0, NoFlags, 3},
    {"Label11", Kind::Label, "Frame1", 120, 3840, 135, 255, "1", 0, NoFlags, 2},
    {"Label10", Kind::Label, "Frame1", 120, 4560, 255, 255, "0"},
    {"Label12", Kind::Label, "Frame1", 480, 4800, 135, 255, "1", 0, NoFlags, 0},
    {"Label12", Kind::Label, "Frame1", 1680, 4800, 135, 255, "2", 0, NoFlags, 2},
    {"Label12", Kind::Label, "Frame1", 2880, 4800, 135, 255, "3", 0, NoFlags, 3},
    {"Label12", Kind::Label, "Frame1", 3960, 4800, 135, 255, "4", 0, NoFlags, 4},
    {"Label12", Kind::Label, "Frame1", 5280, 4800, 135, 255, "5", 0, NoFlags, 5},
    {"Label12", Kind::Label, "Frame1", 6360, 4800, 135, 255, "6", 0, NoFlags, 1},
    {"Label8", Kind::Label, "Frame1", 6480, 4320, 255, 255, "X", 0, Centred},
};

} // namespace

FunctionGraphWindow::FunctionGraphWindow(QWidget *parent)
    : SecondaryWindow("Int_g", "График изучаемой функции", 7170, 6900, parent),
      m_form(this, kControls), m_canvas(m_form.get<PlotCanvas>(QStringLiteral("Picture2")))
{
    m_canvas->setAccessibleDescription(notDrawnYet());
    // The chart leaves the window with its axes and scale captions, as shown.
    setPictureRegion(m_canvas, m_form.controls({"Line1", "Line2", "Label8", "Label9", "Label10",
                                                "Label11", "Label12"}));
    auto *build = m_form.get<QPushButton>(QStringLiteral("Command1"));
    auto *toMain = m_form.get<QPushButton>(QStringLiteral("toMain"));
    auto *step = m_form.get<QLineEdit>(QStringLiteral("Text1"));
    connect(build, &QPushButton::clicked, this, &FunctionGraphWindow::plot);
    m_form.setAccessibleNames({{"Text1", "Шаг H"}});
    bindAction(build, {step});
    bindReturn(toMain);
    // The designed tab order, which starts at "На главную".
    setTabOrder(toMain, step);
    setTabOrder(step, build);
    toMain->setFocus();
}

void FunctionGraphWindow::plot()
{
    const auto step = readNumberField(m_form.get<QLineEdit>(QStringLiteral("Text1"))->text());
    const Result<long long> segments = drawFunctionGraph(*m_canvas, step);
    if (!segments) {
        m_canvas->setAccessibleDescription(notDrawn(segments.reason()));
        notify(this, stepRefusal(segments.reason()));
        return;
    }
    m_canvas->setAccessibleDescription(graphDescription(*step, *segments));
}

} // namespace kvadrolab
