// SPDX-License-Identifier: GPL-3.0-or-later
// The function graph at full speed inside a running Gui application: the
// AVX upper halves are clean where the hot loops run, whatever Qt left in
// them, and the graph stays within a small factor of the plain loop of f.

#include "canvas/plotcanvas.h"
#include "core/errorbound.h"
#include "core/integrandblock.h"
#include "core/integrandblock_testing.h"
#include "core/quadrature.h"
#include "core/vectorstate.h"
#include "core/vectorstate_testing.h"
#include "screens/charts.h"
#include "screens/functiongraphwindow.h"
#include "tests/apptest.h"
#include "tests/graphtiming.h"

#include <QImage>
#include <QScopeGuard>

#include <functional>

using namespace kvadrolab;
using kvadrolab::upperVectorStateInUse;
using kvadrolab::useFKernel;

namespace {

// Leaves the upper halves of ymm0 in use, as a library compiled for AVX2 may.
void dirtyUpperState()
{
#if (defined(__x86_64__) || defined(_M_X64)) && defined(__GNUC__)
    if (avxUsable())
        asm volatile("vpcmpeqd %%ymm0, %%ymm0, %%ymm0" ::: "xmm0");
#endif
}

PlotCanvas *graphCanvas(FunctionGraphWindow &w)
{
    return w.findChild<PlotCanvas *>(QStringLiteral("Picture2"));
}

} // namespace

class TestGraphSpeed : public QObject
{
    Q_OBJECT

private slots:
    // Each hot loop is entered with dirty upper halves and must run, and
    // end, with clean ones: it calls nothing that could dirty them again.
    void hotLoopsRunWithCleanUpperState_data()
    {
        QTest::addColumn<int>("loop");
        QTest::addColumn<FKernel>("kernel");
        // The wide kernels end with vzeroupper themselves; with the baseline
        // one only the canvas's own clearing keeps its loop clean.
        QTest::newRow("function graph press, step 0,001") << 0 << currentFKernel();
        QTest::newRow("function graph press, baseline kernel") << 0 << FKernel::Baseline;
        QTest::newRow("trapezoid, n = 1000") << 1 << currentFKernel();
        QTest::newRow("Simpson, n = 1000") << 2 << currentFKernel();
        QTest::newRow("error-bound curve") << 3 << currentFKernel();
        QTest::newRow("graph points") << 4 << currentFKernel();
        QTest::newRow("graph points, baseline kernel") << 4 << FKernel::Baseline;
    }
    void hotLoopsRunWithCleanUpperState()
    {
        QFETCH(int, loop);
        QFETCH(FKernel, kernel);
        if (upperVectorStateInUse() < 0)
            QSKIP("the processor does not report the state in use (no XGETBV1)");
        const FKernel chosen = currentFKernel();
        QVERIFY(useFKernel(kernel));
        const auto restore = qScopeGuard([chosen] { useFKernel(chosen); });
        FunctionGraphWindow w;
        w.show();
        PlotCanvas *canvas = graphCanvas(w);
        SampleTable y{};
        std::vector<double> xs(1000, 2.5), ys(1000);
        const std::function<void()> run[] = {
            // What each call leaves in the AVX registers is what is measured.
            [&] { static_cast<void>(drawFunctionGraph(*canvas, 0.001)); },
            [&] { static_cast<void>(trapezoid(1, 6, 1000, y)); },
            [&] { static_cast<void>(simpson(1, 6, 1000, y)); },
            [&] { static_cast<void>(boundCurve(trapezoidBound, 1, 6)); },
            [&] { negatedFBlock(xs.data(), ys.data(), xs.size()); },
        };
        // No test macro between the readings: Qt's own code could change the
        // state behind the test's back.
        dirtyUpperState();
        const int before = upperVectorStateInUse();
        run[loop]();
        const int after = upperVectorStateInUse();
        QCOMPARE(before, 1);
        QCOMPARE(after, 0);
    }

    // Qt's own drawing leaves the state dirty on processors where it picks
    // its AVX2 paths; the canvas's clear() is such a call, and the graph,
    // which runs right after it, still ends clean.
    void graphAfterQtFillEndsClean()
    {
        if (upperVectorStateInUse() < 0)
            QSKIP("the processor does not report the state in use (no XGETBV1)");
        FunctionGraphWindow w;
        w.show();
        QImage img(400, 300, QImage::Format_RGB32);
        clearUpperVectorState();
        img.fill(Qt::gray);
        const int afterFill = upperVectorStateInUse();
        QVERIFY(drawFunctionGraph(*graphCanvas(w), 0.01).ok());
        const int afterGraph = upperVectorStateInUse();
        qInfo("QImage::fill leaves the AVX upper halves %s", afterFill ? "dirty" : "clean");
        QCOMPARE(afterGraph, 0);
    }

    // The program's graph against the plain loop of scalar f over the same
    // points in a process without Qt Gui; a dirty state made it about 30
    // times slower on processors that pay for it.
    void graphWithinThreeTimesThePlainLoop()
    {
#ifdef KVADROLAB_SANITIZED
        QSKIP("timings mean nothing under the sanitizers");
#elif !defined(NDEBUG)
        QSKIP("timings of an unoptimised build mean nothing");
#endif
        constexpr double kStep = 0.00001;
        FunctionGraphWindow w;
        w.show();
        QTest::qWait(10); // let the window paint once, as it does before a press
        const double graph = graphtiming::graphMs(*graphCanvas(w), kStep);
        const std::optional<double> plain = graphtiming::plainLoopInChildMs(kStep);
        QVERIFY2(plain && *plain > 0, "the plain loop's child process did not report");
        const double ratio = graph / *plain;
        qInfo("step 0,00001: graph %.3f ms, plain loop of f %.3f ms, ratio %.2f", graph, *plain,
              ratio);
        QVERIFY2(ratio <= 3, qPrintable(QStringLiteral("ratio %1").arg(ratio)));
    }
};

int main(int argc, char *argv[])
{
    if (graphtiming::runAsPlainLoopChild(argc, argv))
        return 0;
    return runAppTest<TestGraphSpeed>(argc, argv);
}

#include "graphspeedtest.moc"
