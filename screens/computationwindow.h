// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/quadrature.h"
#include "forms/formbuilder.h"
#include "forms/secondarywindow.h"

#include <array>
#include <optional>
#include <vector>

class QLineEdit;

namespace kvadrolab {

class PlotCanvas;

// "Решение методом трапеций" and "Решение методом Симпсона": a, b and n in,
// the integral I and its deviation E from the exact value out, and a report
// of the last computation written on request.
class ComputationWindow : public SecondaryWindow
{
    Q_OBJECT

public:
    // What the two windows of this kind do differently.
    struct Config
    {
        const char *name;
        const char *caption;
        int clientWidth, clientHeight; // twips
        const char *frameCaption;      // Frame1
        const char *ruleCaption;       // Frame3, around the result I
        const char *reportFileName;    // of the starting report path
        std::array<const char *, 7> tabOrder;
        kvadrolab::Result<double> (*rule)(double a, double b, double n, kvadrolab::SampleTable &y);
        double (*deviation)(double I);
        const char *reportMethod; // the report's first line
    };
    static const Config &trapezoid();
    static const Config &simpson();

    explicit ComputationWindow(const Config &config, QWidget *parent = nullptr);

    // I and E of the last computation that went through; none before the first.
    struct Computed
    {
        double integral;
        double deviation;
    };
    std::optional<Computed> result() const { return m_result; }

    // Where the report goes until the user types another path: the designed
    // "C:\" path on Windows, the same file name in the home folder elsewhere.
    static QString startingReportPath(const Config &config);

private:
    static std::vector<kvadrolab::Control> controls(const Config &config,
                                                    const QString &reportPath);
    void compute();
    void saveReport();
    QLineEdit *field(const char *name) const;

    const Config &m_config;
    kvadrolab::Form m_form;
    PlotCanvas *m_integralArea;
    PlotCanvas *m_deviationArea;
    kvadrolab::SampleTable m_samples{};
    std::optional<Computed> m_result;
};

} // namespace kvadrolab
