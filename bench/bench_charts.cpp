// SPDX-License-Identifier: GPL-3.0-or-later
// "Построить" on each chart window, as the user presses it, and the memory
// the finest function graph needs.

#include "app/application.h"
#include "bench/threadclock.h"
#include "core/integrandblock.h"
#include "core/integrandblock_testing.h"
#include "screens/boundwindow.h"
#include "screens/comparewindow.h"
#include "screens/functiongraphwindow.h"
#include "studywindow/studywindow.h"
#include "tests/graphtiming.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

using namespace kvadrolab;
using kvadrolab::useFKernel;

// Heap use of this process, for the memory figure: every allocation through
// operator new is counted, with its high-water mark.
namespace {
std::atomic<long long> g_live{0}, g_peak{0};

void track(long long delta)
{
    const long long now = g_live += delta;
    long long peak = g_peak;
    while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
    }
}

long maxRssKiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}
} // namespace

void *operator new(std::size_t n)
{
    auto *p = static_cast<std::size_t *>(std::malloc(n + sizeof(std::max_align_t)));
    if (!p)
        throw std::bad_alloc();
    *p = n;
    track(static_cast<long long>(n));
    return reinterpret_cast<char *>(p) + sizeof(std::max_align_t);
}

void operator delete(void *q) noexcept
{
    if (!q)
        return;
    auto *p = reinterpret_cast<std::size_t *>(static_cast<char *>(q) - sizeof(std::max_align_t));
    track(-static_cast<long long>(*p));
    std::free(p);
}

void operator delete(void *q, std::size_t) noexcept
{
    operator delete(q);
}

class BenchCharts : public QObject
{
    Q_OBJECT

private slots:
    // First, while the process's high-water marks are still those of setup.
    void functionGraphMemory()
    {
        FunctionGraphWindow w;
        w.findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("0,000001"));
        for (const char *press : {"first press (creates the canvas image)", "second press"}) {
            const long rssBefore = maxRssKiB();
            const long long heapBefore = g_live;
            g_peak = heapBefore;
            w.plot();
            const long long heapPeak = g_peak - heapBefore;
            qInfo("step 0,000001, %s: extra heap at peak %lld bytes, growth of max RSS %ld KiB",
                  press, heapPeak, maxRssKiB() - rssBefore);
            QVERIFY(heapPeak < 5 << 20);
        }
    }

    void functionGraph_data()
    {
        QTest::addColumn<QString>("step");
        QTest::newRow("step 0,001 (5000 segments)") << QStringLiteral("0,001");
        QTest::newRow("step 0,000001 (5 million segments)") << QStringLiteral("0,000001");
    }

    void functionGraph()
    {
        QFETCH(QString, step);
        FunctionGraphWindow w;
        w.findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(step);
        QBENCHMARK
        {
            w.plot();
        }
    }

    // The machine these run on is shared; the processor time of this thread
    // shows what the plot costs when it has a core to itself.
    void functionGraphCpuTime_data() { functionGraph_data(); }

    void functionGraphCpuTime()
    {
        QFETCH(QString, step);
        FunctionGraphWindow w;
        w.findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(step);
        std::vector<double> runs;
        for (int i = 0; i < 9; ++i) {
            const double start = threadMs();
            w.plot();
            runs.push_back(threadMs() - start);
        }
        std::sort(runs.begin(), runs.end());
        qInfo("processor time of the press: median %.3f ms, least %.3f ms of 9", runs[4], runs[0]);
    }

    // The program's own drawing of the graph against the plain loop of scalar
    // f over the same points in a child process that never starts Qt Gui:
    // the floor on this machine, measured in the same run.
    void graphAgainstPlainLoop_data()
    {
        QTest::addColumn<double>("step");
        QTest::addColumn<FKernel>("kernel");
        const FKernel widest = currentFKernel();
        QTest::newRow("step 0,00001 (the suite's ratio)") << 0.00001 << widest;
        QTest::newRow("step 0,000001 (5 million segments)") << 0.000001 << widest;
        QTest::newRow("step 0,001 (5000 segments)") << 0.001 << widest;
        // What processors without AVX-512 or AVX2 get.
        QTest::newRow("step 0,000001, AVX2 kernel") << 0.000001 << FKernel::Avx2;
        QTest::newRow("step 0,000001, baseline kernel") << 0.000001 << FKernel::Baseline;
    }

    void graphAgainstPlainLoop()
    {
        QFETCH(double, step);
        QFETCH(FKernel, kernel);
        const FKernel chosen = currentFKernel();
        if (!useFKernel(kernel))
            QSKIP("this processor cannot run this kernel");
        const auto restore = qScopeGuard([chosen] { useFKernel(chosen); });
        FunctionGraphWindow w;
        w.show();
        QTest::qWait(10);
        const double graph =
            graphtiming::graphMs(*w.findChild<PlotCanvas *>(QStringLiteral("Picture2")), step);
        const std::optional<double> plain = graphtiming::plainLoopInChildMs(step);
        QVERIFY(plain);
        qInfo("step %g: graph %.4f ms, plain loop of f without Gui %.4f ms, ratio %.2f "
              "(processor time, median of 5 each)",
              step, graph, *plain, graph / *plain);
    }

    void boundChart_data()
    {
        QTest::addColumn<int>("window");
        QTest::newRow("Pogr_t") << 0;
        QTest::newRow("Pogr_s") << 1;
        QTest::newRow("Pogr_compare") << 2;
    }

    void boundChart()
    {
        QFETCH(int, window);
        if (window == 2) {
            CompareWindow w;
            QBENCHMARK
            {
                w.plot();
            }
            return;
        }
        BoundWindow w(window == 0 ? BoundWindow::trapezoid() : BoundWindow::simpson());
        QBENCHMARK
        {
            w.plot();
        }
    }

    // "Исследовать" of the study window, from the press until everything is
    // shown (the study runs on its own thread: wall time), and one step of n
    // with every rule chosen (the window's own thread: processor time).
    void studyPress_data()
    {
        QTest::addColumn<QString>("f");
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("everyRule");
        QTest::newRow("(ln x/x)^3 [1;6], two rules") << "(ln(x)/x)^3"
                                                     << "1"
                                                     << "6" << false;
        QTest::newRow("(ln x/x)^3 [1;6], every rule") << "(ln(x)/x)^3"
                                                      << "1"
                                                      << "6" << true;
        QTest::newRow("x sin(x) [0;3], every rule") << "x sin(x)"
                                                    << "0"
                                                    << "3" << true;
        QTest::newRow("sqrt(x) [0;1], every rule") << "sqrt(x)"
                                                   << "0"
                                                   << "1" << true;
    }

    void studyPress()
    {
        QFETCH(QString, f);
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, everyRule);
        StudyWindow w;
        w.show();
        w.findChild<QLineEdit *>(QStringLiteral("Formula"))->setText(f);
        w.findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(a);
        w.findChild<QLineEdit *>(QStringLiteral("Text2"))->setText(b);
        if (everyRule)
            for (QCheckBox *box : w.findChildren<QCheckBox *>())
                box->setChecked(true);
        std::vector<double> runs;
        for (int i = 0; i < 5; ++i) {
            QSignalSpy done(&w, &StudyWindow::studied);
            QElapsedTimer clock;
            clock.start();
            w.study();
            QVERIFY(done.wait(60000));
            runs.push_back(clock.nsecsElapsed() / 1e6);
        }
        std::sort(runs.begin(), runs.end());
        QVERIFY(w.shownStudy());

        auto *count = w.findChild<QSpinBox *>(QStringLiteral("Count"));
        std::vector<double> steps;
        for (int n = 1; n <= 200; ++n) {
            const double start = threadMs();
            count->setValue(n);
            QCoreApplication::processEvents();
            steps.push_back(threadMs() - start);
        }
        std::sort(steps.begin(), steps.end());
        qInfo("press until shown: median %.1f ms of 5; a step of n = 1..200: median %.2f ms, "
              "slowest %.2f ms",
              runs[2], steps[steps.size() / 2], steps.back());
    }
};

int main(int argc, char *argv[])
{
    if (graphtiming::runAsPlainLoopChild(argc, argv))
        return 0;
    QApplication app(argc, argv);
    kvadrolab::configureApplication(app);
    BenchCharts bench;
    return QTest::qExec(&bench, argc, argv);
}

#include "bench_charts.moc"
