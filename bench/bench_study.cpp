// SPDX-License-Identifier: GPL-3.0-or-later
// The studies, timed as the user waits for them.
//  - The study of a typed f on course integrands: one whole study with
//    all nine rules, Romberg and adaptive Simpson at ε = 1e-6, split by its
//    stages (integral, M_k, rules, Romberg and adaptive: the double part;
//    then the rules' exact part, summed on exact nodes in balls); the M_k at the
//    study's gap beside the proof's default one; one step of the n slider
//    (ruleAtCount) at every n = 1..1000 of each rule; the samples of f and
//    its derivatives for their picture. Thread time,
//    the median of five runs, inside a running Gui application.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_study

#include "bench/threadclock.h"
#include "expression/parser.h"
#include "study/study.h"
#include "studywindow/chartsamples.h"

#include <QApplication>
#include <QTest>
#include <QTextStream>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace kvadrolab;

namespace {

struct Integrand
{
    const char *f;
    double a, b;
};

// Course integrands of tests/data/integrands.tsv, smooth and not.
const Integrand kIntegrands[] = {
    {"(ln(x)/x)^3", 1, 6},    {"exp(-x^2)", 0, 1}, {"1/(1+x^2)", 0, 1},
    {"x*sin(x)", 0, 3.14159}, {"sin(x)/x", 1, 2},  {"sqrt(1+x^2)", 0, 1},
    {"tan(x)", 0, 1},         {"x^x", 0.5, 2},     {"sqrt(x)", 0, 1},
};

void benchStudy(QTextStream &out)
{
    out << "Study, all 9 rules + Romberg + adaptive at eps = 1e-6, thread ms (median of 5)\n";
    out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 | %9 %10 | %11 %12\n")
               .arg("f", -14)
               .arg("whole", 8)
               .arg("double", 8)
               .arg("exact", 8)
               .arg("integral", 9)
               .arg("M1..M6", 8)
               .arg("rules", 8)
               .arg("romb+ad", 8)
               .arg("M 2^-20", 8)
               .arg("M 2^-40", 8)
               .arg("step max", 9)
               .arg("step med", 9);
    std::vector<double> wholes;
    for (const Integrand &in : kIntegrands) {
        const StudyInput input{parseExpression(in.f).value(), in.a, in.b, 1e-6,
                               MethodChoice{{allRules.begin(), allRules.end()}, true, true}};
        std::vector<double> whole, doubles, exact, integral, maxima, rules, rest;
        Result<Study> study = Refusal{Reason::NotProven};
        for (int run = 0; run < 5; ++run) {
            std::vector<double> stamps{threadMs()};
            StudyControl control;
            control.progress = [&](int, int) { stamps.push_back(threadMs()); };
            study = studyIntegral(input, control);
            stamps.push_back(threadMs());
            // Stages: the integral, M1, M2, M4, M6, nine rules, Romberg,
            // adaptive, then the nine rules' exact parts.
            whole.push_back(stamps.back() - stamps.front());
            if (stamps.size() < 26)
                continue;
            doubles.push_back(stamps[16] - stamps[0]);
            exact.push_back(stamps[25] - stamps[16]);
            integral.push_back(stamps[1] - stamps[0]);
            maxima.push_back(stamps[5] - stamps[1]);
            rules.push_back(stamps[14] - stamps[5]);
            rest.push_back(stamps[16] - stamps[14]);
        }
        wholes.push_back(median(whole));
        // The M_k alone, at the proof's default gap and at the study's.
        std::vector<double> coarse, fine;
        for (int run = 0; run < 5; ++run) {
            for (const double gap : {derivativeRelativeGap, kStudyMaximumGap}) {
                const double start = threadMs();
                for (const int k : studyOrders)
                    static_cast<void>(proveDerivativeMax(input.program, in.a, in.b, k, gap));
                (gap == kStudyMaximumGap ? fine : coarse).push_back(threadMs() - start);
            }
        }
        // One slider step per n and rule: the worst and the typical.
        std::vector<double> steps;
        if (study)
            for (const RuleKind kind : allRules)
                for (long n = 1; n <= 1000; ++n) {
                    if (!checkRuleCount(kind, n))
                        continue;
                    const double start = threadMs();
                    static_cast<void>(ruleAtCount(*study, kind, n));
                    steps.push_back(threadMs() - start);
                }
        const auto cell = [](const std::vector<double> &v, int width) {
            return v.empty() ? QStringLiteral("-").rightJustified(width)
                             : QString::number(median(v), 'f', 2).rightJustified(width);
        };
        out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 | %9 %10 | %11 %12%13\n")
                   .arg(in.f, -14)
                   .arg(cell(whole, 8))
                   .arg(cell(doubles, 8))
                   .arg(cell(exact, 8))
                   .arg(cell(integral, 9))
                   .arg(cell(maxima, 8))
                   .arg(cell(rules, 8))
                   .arg(cell(rest, 8))
                   .arg(cell(coarse, 8))
                   .arg(cell(fine, 8))
                   .arg(steps.empty()
                            ? QStringLiteral("-").rightJustified(9)
                            : QString::number(*std::max_element(steps.begin(), steps.end()), 'f', 3)
                                  .rightJustified(9))
                   .arg(steps.empty() ? QStringLiteral("-").rightJustified(9)
                                      : QString::number(median(steps), 'f', 3).rightJustified(9))
                   .arg(study ? QString() : QStringLiteral("  (refused)"));
        out.flush();
    }
    out << "slowest whole study: " << *std::max_element(wholes.begin(), wholes.end()) << " ms\n";

    // The heaviest slider step: three-point Gauss at n = 1000.
    const auto study = studyIntegral({parseExpression("(ln(x)/x)^3").value(), 1, 6, 1e-6,
                                      MethodChoice{{RuleKind::Gauss3}, false, false}});
    std::vector<double> gauss;
    for (int run = 0; run < 101; ++run) {
        const double start = threadMs();
        static_cast<void>(ruleAtCount(*study, RuleKind::Gauss3, 1000));
        gauss.push_back(threadMs() - start);
    }
    out << "ruleAtCount gauss3 n = 1000 on (ln(x)/x)^3: " << median(gauss)
        << " ms (median of 101)\n";
    // The picture of f, |f''| and |f''''|: 500 points each.
    std::vector<double> samples;
    for (int run = 0; run < 5; ++run) {
        const double start = threadMs();
        for (const int order : {0, 2, 4})
            static_cast<void>(derivativeSamples(study->input.program, 1, 6, order, 500));
        samples.push_back(threadMs() - start);
    }
    out << "derivativeSamples f, |f''|, |f''''| at 500 points each: " << median(samples)
        << " ms (median of 5)\n\n";
    out.flush();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(200, 100);
    window.show();
    QApplication::processEvents();
    QTextStream out(stdout);
    benchStudy(out);
    return 0;
}
