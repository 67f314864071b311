// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/boundwindow.h"

#include "screens/chartmessages.h"

namespace kvadrolab {

const BoundWindow::Config &BoundWindow::trapezoid()
{
    static const Config config{
        .name = "Pogr_t",
        .caption = "Погрешность метода трапеций",
        .clientWidth = 9240,
        .clientHeight = 7215,
        .frame1Width = 9015,
        .frame1Height = 6135,
        .frame2Width = 5895,
        .frame2Height = 4095,
        .frame1Caption = "Расчет погрешности для метода трапеций",
        .label1 = "Предельная погрешность вычисления интеграла методом трапеций составляет:",
        .label2 = "где М2 - наибольшее значение функции                    в промежутке (a, b)",
        .formula = ":/pictures/bound_trapezoid.svg",
        .formulaWidth = 1215,
        .derivative = ":/pictures/d2.svg",
        .derivativeWidth = 735,
        .derivativeChild = false,
        .label3 = "=0.244",
        .label3Left = 1080,
        .chart = kTrapezoidChart,
        .label7 = "I*10^(-2)",
        .yTicks = {"26", "24", "22", "20", "18", "16", "14", "12", "10", "8", "6", "4", "2"},
        .yTickLefts = {120, 120, 120, 120, 120, 120, 120, 120, 120, 240, 240, 240, 240},
        .xTicksTop = 3720,
        .originLeft = 240,
        .originTop = 3720,
        .yAxisBottom = 3600,
        .buttonsTop = 6480,
        .ruleName = "метода трапеций",
    };
    return config;
}

const BoundWindow::Config &BoundWindow::simpson()
{
    static const Config config{
        .name = "Pogr_s",
        .caption = "Погрешность метода Симпсона",
        .clientWidth = 9165,
        .clientHeight = 7020,
        .frame1Width = 8895,
        .frame1Height = 6015,
        .frame2Width = 5775,
        .frame2Height = 3975,
        .frame1Caption = "Расчет погрешности для метода Симпсона",
        .label1 = "Предельная погрешность вычисления интеграла методом Симпсона составляет:",
        .label2 = "где М4 - наибольшее значение функции                      в промежутке (a, b)",
        .formula = ":/pictures/bound_simpson.svg",
        .formulaWidth = 1335,
        .derivative = ":/pictures/d4.svg",
        .derivativeWidth = 855,
        .derivativeChild = true,
        .label3 = "=105",
        .label3Left = 1200,
        .chart = kSimpsonChart,
        .label7 = "I*10^(-4)",
        .yTicks = {"117", "108", "99", "90", "81", "72", "63", "54", "45", "36", "27", "18", "9"},
        .yTickLefts = {0, 0, 120, 120, 120, 120, 120, 120, 120, 120, 120, 120, 240},
        .xTicksTop = 3600,
        .originLeft = 360,
        .originTop = 3480,
        .yAxisBottom = 3480,
        .buttonsTop = 6360,
        .ruleName = "метода Симпсона",
    };
    return config;
}

std::vector<Control> BoundWindow::controls(const Config &c)
{
    std::vector<Control> t = {
        {"Frame1", Kind::Frame, nullptr, 120, 240, c.frame1Width, c.frame1Height, c.frame1Caption},
        {"Label1", Kind::Label, "Frame1", 240, 360, 6975, 255, c.label1},
        {"Picture1", Kind::Picture, "Frame1", 6840, 240, c.formulaWidth, 735, c.formula},
        {"Label2", Kind::Label, "Frame1", 240, 720, 5535, 255, c.label2},
        {"Picture2", Kind::Picture, "Frame1", 3360, 720, c.derivativeWidth, 495, c.derivative},
        {"Picture3", Kind::Picture, "Frame1", 240, 1080, c.derivativeWidth, 495, c.derivative},
    };
    if (c.derivativeChild)
        t.push_back({"Picture5", Kind::Picture, "Picture3", 0, 0, 855, 495, c.derivative});
    const std::vector<Control> rest = {
        {"Label3", Kind::Label, "Frame1", c.label3Left, 1200, 615, 255, c.label3},
        {"Label6", Kind::Label, "Frame1", 3360, 1560, 2775, 255,
         "По условию n=[10;200] с шагом 10"},
        {"Label4", Kind::Label, "Frame1", 360, 1800, 1695, 255, "Введите значение a:"},
        {"Text1", Kind::Field, "Frame1", 2040, 1680, 615, 375, "1"},
        {"Label5", Kind::Label, "Frame1", 360, 2280, 1695, 255, "Введите значение b:"},
        {"Text2", Kind::Field, "Frame1", 2040, 2160, 615, 375, "6"},
        {"Frame2", Kind::Frame, "Frame1", 3000, 1920, c.frame2Width, c.frame2Height,
         "График зависимости погрешности I от числа разбиений n:"},
        {"Picture4", Kind::Canvas, "Frame2", 600, 480, 4935, 3015, "", 0, White},
        {"Line2", Kind::Line, "Frame2", 480, 480, 480, c.yAxisBottom},
        {"Line1", Kind::Line, "Frame2", 480, 3600, 5640, 3600},
        {"Label7", Kind::Label, "Frame2", 360, 240, 615, 255, c.label7},
    };
    t.insert(t.end(), rest.begin(), rest.end());
    // Each y tick caption ends at 375, just left of the axis at 480: the
    // longer ones start further left.
    for (int i = 0; i < kTicks; ++i) {
        const int left = c.yTickLefts[i];
        t.push_back({"Label12", Kind::Label, "Frame2", left, 360 + 240 * i, 375 - left, 255,
                     c.yTicks[i], 0, NoFlags, i});
    }
    t.push_back({"Label11", Kind::Label, "Frame2", c.originLeft, c.originTop, 255, 255, "0"});
    // x tick k stands under n = 10k; index 3 carries "4", as designed.
    struct XTick
    {
        int index, left;
        const char *text;
    };
    static constexpr XTick kXTicks[] = {
        {2, 960, "2"},    {3, 1440, "4"},   {6, 1920, "6"},   {8, 2400, "8"},   {10, 2760, "10"},
        {12, 3240, "12"}, {14, 3720, "14"}, {16, 4200, "16"}, {18, 4680, "18"}, {20, 5160, "20"},
    };
    for (const XTick &x : kXTicks)
        t.push_back({"Label9", Kind::Label, "Frame2", x.left, c.xTicksTop, 255, 255, x.text, 0,
                     x.index <= 16 ? Centred : NoFlags, x.index});
    const std::vector<Control> tail = {
        {"Label8", Kind::Label, "Frame2", 5400, c.xTicksTop, 375, 255, "n*10"},
        {"Command1", Kind::Button, nullptr, 5640, c.buttonsTop, 1335, 495, "Построить"},
        {"toMain", Kind::Button, nullptr, 7200, c.buttonsTop, 1335, 495, "На главную"},
    };
    t.insert(t.end(), tail.begin(), tail.end());
    return t;
}

BoundWindow::BoundWindow(const Config &config)
    : IntervalChartWindow(config.name, config.caption, config.clientWidth, config.clientHeight,
                          controls(config), "Picture4",
                          {"Line1", "Line2", "Label7", "Label8", "Label9", "Label11", "Label12"}),
      m_config(config)
{
}

Result<void> BoundWindow::draw(PlotCanvas &canvas, const Result<double> &a,
                               const Result<double> &b) const
{
    return drawBoundChart(canvas, m_config.chart, a, b);
}

QString BoundWindow::description(double a, double b) const
{
    return boundDescription(QString::fromUtf8(m_config.ruleName), a, b);
}

} // namespace kvadrolab
