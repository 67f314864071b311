// SPDX-License-Identifier: GPL-3.0-or-later
// The quadrature rules over the largest sample table, 1001 points.

#include "core/quadrature.h"

#include <QTest>

using namespace kvadrolab;

class BenchCore : public QObject
{
    Q_OBJECT

private slots:
    void trapezoid1001()
    {
        SampleTable y{};
        double sum = 0;
        QBENCHMARK
        {
            sum += kvadrolab::trapezoid(1, 6, 1000, y).value();
        }
        QVERIFY(sum > 0);
    }

    void simpson1001()
    {
        SampleTable y{};
        double sum = 0;
        QBENCHMARK
        {
            sum += kvadrolab::simpson(1, 6, 1000, y).value();
        }
        QVERIFY(sum > 0);
    }
};

QTEST_GUILESS_MAIN(BenchCore)
#include "bench_core.moc"
