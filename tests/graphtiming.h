// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Timing the function graph against the floor it cannot beat: the plain loop
// of the scalar integrand over the same points, in a process that never
// starts Qt Gui, so that nothing a Gui library does to the processor's state
// can reach it.

#include "canvas/plotcanvas.h"
#include "core/integrand.h"
#include "screens/charts.h"

#include <QCoreApplication>
#include <QProcess>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>
#include <vector>

namespace graphtiming {

inline constexpr char kPlainLoopArgument[] = "--plain-loop";

// Processor time of the calling thread where the system keeps it: the
// machines these run on are shared, and waiting for a core is not the
// program's cost.
inline double nowMs()
{
#ifdef CLOCK_THREAD_CPUTIME_ID
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
#else
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
#endif
}

template <typename Run> double medianMs(Run &&run, int times = 5)
{
    std::vector<double> ms;
    for (int i = 0; i < times; ++i) {
        const double start = nowMs();
        run();
        ms.push_back(nowMs() - start);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// f at every point the graph visits, x growing by repeated addition.
inline double plainLoopMs(double step)
{
    volatile double sink = 0;
    return medianMs([&] {
        double sum = 0;
        for (double x = 1; x <= 6; x += step)
            sum += kvadrolab::f(x);
        sink = sink + sum;
    });
}

// For main(), before any application object: the child's whole work.
inline bool runAsPlainLoopChild(int argc, char *argv[])
{
    if (argc != 3 || std::strcmp(argv[1], kPlainLoopArgument) != 0)
        return false;
    std::printf("%.6f\n", plainLoopMs(std::atof(argv[2])));
    return true;
}

// The same executable started again with kPlainLoopArgument.
inline std::optional<double> plainLoopInChildMs(double step)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QString::fromLatin1(kPlainLoopArgument), QString::number(step, 'g', 17)});
    if (!child.waitForFinished(60'000) || child.exitCode() != 0)
        return std::nullopt;
    bool ok = false;
    const double ms = child.readAllStandardOutput().trimmed().toDouble(&ok);
    return ok ? std::optional<double>(ms) : std::nullopt;
}

// One press's drawing, clear and setScale included, as the window makes it.
inline double graphMs(kvadrolab::PlotCanvas &canvas, double step)
{
    // Only the time is wanted here; the drawing tests check what is drawn.
    static_cast<void>(kvadrolab::drawFunctionGraph(canvas, step)); // warm
    return medianMs([&] { static_cast<void>(kvadrolab::drawFunctionGraph(canvas, step)); });
}

} // namespace graphtiming
