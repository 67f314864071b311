// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "screens/intervalchartwindow.h"

#include <array>
#include <vector>

namespace kvadrolab {

// The error-bound chart of one rule, Pogr_t or Pogr_s.
class BoundWindow : public IntervalChartWindow
{
    Q_OBJECT

public:
    static constexpr int kTicks = 13; // y tick captions, from the top edge down

    // What the two windows of this kind do differently, item for item.
    struct Config
    {
        const char *name;
        const char *caption;
        int clientWidth, clientHeight; // twips
        int frame1Width, frame1Height;
        int frame2Width, frame2Height;
        const char *frame1Caption;
        const char *label1;
        const char *label2;
        const char *formula; // Picture1
        int formulaWidth;
        const char *derivative; // Picture2, Picture3 (and Picture5)
        int derivativeWidth;
        bool derivativeChild; // Picture3 holds Picture5, which covers it
        const char *label3;
        int label3Left;
        kvadrolab::BoundChart chart;
        const char *label7;
        std::array<const char *, kTicks> yTicks;
        std::array<int, kTicks> yTickLefts;
        int xTicksTop;             // the x tick captions and Label8
        int originLeft, originTop; // Label11 "0"
        int yAxisBottom;           // Line2
        int buttonsTop;
        const char *ruleName; // for the chart's description: "метода трапеций"
    };
    static const Config &trapezoid();
    static const Config &simpson();

    explicit BoundWindow(const Config &config);

private:
    static std::vector<kvadrolab::Control> controls(const Config &config);
    kvadrolab::Result<void> draw(PlotCanvas &canvas, const Result<double> &a,
                                 const Result<double> &b) const override;
    QString description(double a, double b) const override;

    const Config &m_config;
};

} // namespace kvadrolab
