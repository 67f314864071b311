// SPDX-License-Identifier: GPL-3.0-or-later
// The hostile integrands a student can type, timed by stage: the domain,
// the integral (the domain's proof again, and the integrator), M1, M2, M4,
// M6 at the study's gap, the study's nine composite rules (their error
// curves), and kvadrolab-calc's rules at n = 10 000 000. Each stage prints
// its thread time and its outcome (the value, or the refusal's reason), so
// that the work limits, which count operations, can be checked against a
// second on this machine.
//   build/bench/bench_limits [row]

#include "bench/threadclock.h"
#include "calc/answer.h"
#include "expression/parser.h"
#include "proof/domain.h"
#include "study/study.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

using namespace kvadrolab;

namespace {

std::string product(int factors, const char *a, const char *b)
{
    std::string f;
    for (int i = 0; i < factors; ++i)
        f += std::string(i ? "*" : "") + (i % 2 == 0 ? a : b);
    return f;
}

// sin(1x) + sin(2x) + ... + sin(899x): 8881 characters.
std::string sinesSum()
{
    std::string f = "sin(1x)";
    for (int k = 2; k <= 899; ++k)
        f += "+sin(" + std::to_string(k) + "x)";
    return f;
}

const char *reasonName(Reason r)
{
    switch (r) {
    case Reason::WorkLimit:
        return "WorkLimit";
    case Reason::NotProven:
        return "NotProven";
    case Reason::NonFiniteResult:
        return "NonFiniteResult";
    case Reason::Cancelled:
        return "Cancelled";
    default:
        return "refused";
    }
}

struct Row
{
    std::string name;
    std::string f;
    double a, b;
};

template <typename T> std::string outcome(const Result<T> &r, double value)
{
    char text[64];
    if (r)
        std::snprintf(text, sizeof text, "%.12g", value);
    else
        std::snprintf(text, sizeof text, "%s", reasonName(r.reason()));
    return text;
}

void stage(const char *what, double ms, const std::string &result)
{
    std::printf("  %-22s %9.1f ms  %s\n", what, ms, result.c_str());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<Row> rows = {
        {"sin*cos six factors [0;100]", product(6, "sin(x)", "cos(x)"), 0, 100},
        {"sin(x)^1 x60 [0;100]", product(60, "sin(x)", "sin(x)"), 0, 100},
        {"sin(x)^1 x100 [0;100]", product(100, "sin(x)", "sin(x)"), 0, 100},
        {"sin(x)^1 x300 [0;100]", product(300, "sin(x)", "sin(x)"), 0, 100},
        {"899 sines [0;10]", sinesSum(), 0, 10},
    };
    for (const Row &row : rows) {
        if (argc > 1 && row.name.find(argv[1]) == std::string::npos)
            continue;
        std::printf("%s (%zu characters)\n", row.name.c_str(), row.f.size());
        const Program program = parseExpression(row.f).value();
        double start = threadMs();
        const Result<void> defined = proveDefined(program, row.a, row.b);
        stage("domain", threadMs() - start, outcome(defined, 0));
        start = threadMs();
        const Result<Enclosure> integral = certifiedIntegral(program, row.a, row.b);
        stage("integral", threadMs() - start, outcome(integral, integral ? integral->mid : 0));
        for (const int k : studyOrders) {
            start = threadMs();
            const auto m = proveDerivativeMax(program, row.a, row.b, k, kStudyMaximumGap);
            stage(("M" + std::to_string(k)).c_str(), threadMs() - start,
                  outcome(m, m ? m->upper : 0));
        }
        if (!integral)
            continue;
        // The rules' stage of a whole study: its time from the last M_k.
        std::vector<double> stamps;
        StudyControl control;
        control.progress = [&](int, int) { stamps.push_back(threadMs()); };
        const StudyInput input{program, row.a, row.b, 1e-6,
                               MethodChoice{{allRules.begin(), allRules.end()}, false, false}};
        // The M_k are proven on threads of their own: the whole study by
        // the wall and by all threads' processor time.
        const auto wall = std::chrono::steady_clock::now();
        const std::clock_t cpu = std::clock();
        start = threadMs();
        const Result<Study> study = studyIntegral(input, control);
        const double end = threadMs();
        stage("study, whole, wall",
              std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall)
                  .count(),
              study ? "answered" : reasonName(study.reason()));
        stage("study, all threads",
              1000.0 * static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC, "");
        if (stamps.size() > 5)
            stage("study, nine rules", end - stamps[4], "");
    }
    if (argc == 1 || std::strstr("calc", argv[1])) {
        const char *f = "sin(x)*exp(-x)+cos(x)/(1+x^2)+ln(2+x)*atan(x)";
        std::printf("kvadrolab-calc %s 0 1 --n 10000000\n", f);
        // The answer takes its nodes' values and its sums on every core: its
        // wall time and the processor time of all its threads are the figures.
        const auto wall = std::chrono::steady_clock::now();
        const std::clock_t cpu = std::clock();
        const Result<Answer> answer = answerFor(f, 0, 1, 10'000'000);
        const double cpuMs = 1000.0 * static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
        const double wallMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall)
                .count();
        const auto &trapezoid = answer->rules[3];
        stage("answer, wall", wallMs, outcome(trapezoid, trapezoid ? trapezoid->value : 0));
        stage("answer, all threads", cpuMs, "");
    }
    return 0;
}
