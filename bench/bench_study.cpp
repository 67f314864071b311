// SPDX-License-Identifier: GPL-3.0-or-later
// One press of "Исследовать" at the defaults: the whole convergence study,
// about 750 000 evaluations of f.

#include "study/convergence.h"

#include <QTest>

using namespace kvadrolab;

class BenchStudy : public QObject
{
    Q_OBJECT

private slots:
    void wholeStudy_data()
    {
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("b");
        QTest::newRow("[1;6]") << 1.0 << 6.0;
        QTest::newRow("[2;3]") << 2.0 << 3.0;
    }

    void wholeStudy()
    {
        QFETCH(double, a);
        QFETCH(double, b);
        double sum = 0;
        QBENCHMARK
        {
            const auto s = studyConvergence(a, b, 1e-6);
            sum += s.value().simpson.curve.back().bound;
        }
        QVERIFY(sum > 0);
    }
};

QTEST_GUILESS_MAIN(BenchStudy)
#include "bench_study.moc"
