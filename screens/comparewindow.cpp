// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/comparewindow.h"

#include "screens/chartmessages.h"
#include "screens/charts.h"

namespace kvadrolab {

namespace {

// x captions k stand for n = 10k; index 3 carries "4", as designed. They keep
// their designed places, which line up only roughly with the grid.
const Control kControls[] = {
    {"Frame1", Kind::Frame, nullptr, 120, 240, 9495, 8175, "Сравнение погрешностей"},
    {"Label1", Kind::Label, "Frame1", 240, 360, 8175, 375,
     "Для наглядной иллюстрациий погрешностей 2-х методов изобразим их функции на одном "
     "графике I=f(n):"},
    {"Label4", Kind::Label, "Frame1", 240, 1080, 1695, 255, "Введите значение a:"},
    {"Text1", Kind::Field, "Frame1", 1920, 960, 615, 375, "1"},
    {"Label5", Kind::Label, "Frame1", 3120, 1080, 1695, 255, "Введите значение b:"},
    {"Text2", Kind::Field, "Frame1", 4800, 960, 615, 375, "6"},
    {"Line1", Kind::Line, "Frame1", 0, 1560, 9480, 1560, "", 0, Thick2},
    {"Label3", Kind::Label, "Frame1", 120, 1560, 135, 255, "I"},
    {"Picture1", Kind::Canvas, "Frame1", 600, 1680, 8775, 5415, "", 0, White},
    {"Line3", Kind::Line, "Frame1", 480, 7200, 480, 1680},
    {"Line2", Kind::Line, "Frame1", 480, 7200, 9360, 7200},
    {"Label9", Kind::Label, "Frame1", 0, 1800, 495, 255, "0.0255", 0, NoFlags, 0},
    {"Label10", Kind::Label, "Frame1", 0, 4080, 495, 255, "0.0135"},
    {"Label11", Kind::Label, "Frame1", 0, 4440, 495, 255, "0.0114"},
    {"Label8", Kind::Label, "Frame1", 240, 6960, 135, 255, "0", 0, NoFlags, 0},
    {"Label6", Kind::Label, "Frame1", 720, 7320, 375, 255, "1"},
    {"Label9", Kind::Label, "Frame1", 1560, 7320, 375, 255, "2", 0, Centred, 2},
    {"Label9", Kind::Label, "Frame1", 2400, 7320, 375, 255, "4", 0, Centred, 3},
    {"Label9", Kind::Label, "Frame1", 3240, 7320, 375, 255, "6", 0, Centred, 6},
    {"Label9", Kind::Label, "Frame1", 3960, 7320, 375, 255, "8", 0, Centred, 8},
    {"Label9", Kind::Label, "Frame1", 4680, 7320, 375, 255, "10", 0, Centred, 10},
    {"Label9", Kind::Label, "Frame1", 5520, 7320, 375, 255, "12", 0, Centred, 12},
    {"Label9", Kind::Label, "Frame1", 6240, 7320, 375, 255, "14", 0, Centred, 14},
    {"Label9", Kind::Label, "Frame1", 7200, 7320, 375, 255, "16", 0, Centred, 16},
    {"Label9", Kind::Label, "Frame1", 8160, 7320, 375, 255, "18", 0, NoFlags, 18},
    {"Label9", Kind::Label, "Frame1", 9000, 7320, 375, 255, "20", 0, NoFlags, 20},
    {"Label8", Kind::Label, "Frame1", 9000, 7560, 375, 255, "n*10", 0, NoFlags, 1},
    {"Line4", Kind::Line, "Frame1", 2400, 7680, 3720, 7680, "", 0, Thick5},
    {"Label12", Kind::Label, "Frame1", 2400, 7800, 1455, 255, "Метод Симпсона"},
    {"Line6", Kind::Line, "Frame1", 7080, 7680, 8400, 7680, "", 0, Thick5 | Red},
    {"Label13", Kind::Label, "Frame1", 7080, 7800, 1455, 255, "Метод трапеций"},
    {"Command1", Kind::Button, nullptr, 6480, 8640, 1335, 495, "Построить"},
    {"toMain", Kind::Button, nullptr, 8040, 8640, 1335, 495, "На главную"},
};

} // namespace

CompareWindow::CompareWindow()
    : IntervalChartWindow("Pogr_compare", "Сравнение погрешностей", 10005, 9300, kControls,
                          "Picture1",
                          // The axes, their captions and the legend below them.
                          {"Line2", "Line3", "Label3", "Label6", "Label8", "Label9", "Label10",
                           "Label11", "Line4", "Label12", "Line6", "Label13"})
{
}

Result<void> CompareWindow::draw(PlotCanvas &canvas, const Result<double> &a,
                                 const Result<double> &b) const
{
    return drawComparisonChart(canvas, a, b);
}

QString CompareWindow::description(double a, double b) const
{
    return comparisonDescription(a, b);
}

} // namespace kvadrolab
