// SPDX-License-Identifier: GPL-3.0-or-later
// The typed integrand's evaluation against the compiled f, inside a running
// Gui application as the function graph will run it: evaluations per second
// of (ln(x)/x)^3 by the block evaluator, by the single-point one, and by the
// plain loop of core's f over the same points.

#include "bench/threadclock.h"
#include "core/integrand.h"
#include "core/vectorstate.h"
#include "expression/evaluator.h"
#include "expression/parser.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <vector>

using namespace kvadrolab;

namespace {

template <typename Run> double medianMs(Run &&run)
{
    std::vector<double> ms;
    for (int i = 0; i < 7; ++i) {
        const double start = threadMs();
        run();
        ms.push_back(threadMs() - start);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

} // namespace

class BenchExpression : public QObject
{
    Q_OBJECT

private slots:
    void integrandAgainstCompiled_data()
    {
        QTest::addColumn<int>("points");
        QTest::newRow("1 000 000 points on [1; 6]") << 1'000'000;
        QTest::newRow("500 000 points (the graph at step 0,00001)") << 500'000;
        QTest::newRow("1000 points") << 1000;
    }

    void integrandAgainstCompiled()
    {
        QFETCH(int, points);
        // A shown window, so that Qt has painted before the loops run, as it
        // has when a window draws its graph.
        QWidget window;
        window.resize(300, 200);
        window.show();
        QTest::qWait(20);

        const Result<Program> program = parseExpression("(ln(x)/x)^3");
        QVERIFY(program.ok());
        std::vector<double> x(points);
        for (int i = 0; i < points; ++i)
            x[i] = 1 + 5.0 * i / (points - 1);
        std::vector<double> y(points);
        // Each is repeated to last a few milliseconds at least.
        const int rounds = std::max(1, 2'000'000 / points);
        volatile double sink = 0;

        clearUpperVectorState();
        const double compiled = medianMs([&] {
            for (int r = 0; r < rounds; ++r) {
                double sum = 0;
                for (double v : x)
                    sum += kvadrolab::f(v);
                sink = sink + sum;
            }
        });
        clearUpperVectorState();
        const double block = medianMs([&] {
            for (int r = 0; r < rounds; ++r) {
                evaluate(*program, x.data(), y.data(), x.size());
                sink = sink + y[r % points];
            }
        });
        clearUpperVectorState();
        const double single = medianMs([&] {
            for (int r = 0; r < rounds; ++r) {
                double sum = 0;
                for (double v : x)
                    sum += evaluate(*program, v);
                sink = sink + sum;
            }
        });
        for (int i = 0; i < points; ++i)
            QCOMPARE(y[i], kvadrolab::f(x[i]));

        const double n = double(points) * rounds;
        const auto rate = [n](double ms) { return n / (ms * 1e3); }; // millions per second
        qInfo("%d points x %d: compiled f %.1f M/s, block evaluator %.1f M/s (%.2fx the "
              "compiled time), single-point evaluator %.1f M/s (%.2fx); processor time, "
              "median of 7",
              points, rounds, rate(compiled), rate(block), block / compiled, rate(single),
              single / compiled);
    }
};

QTEST_MAIN(BenchExpression)
#include "bench_expression.moc"
