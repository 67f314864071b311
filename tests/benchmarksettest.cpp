// SPDX-License-Identifier: GPL-3.0-or-later
// The course integrands of tests/data/integrands.tsv, typed as a student types
// them, through the parser and the proof engine: every proven enclosure holds
// the reference mpmath computed (tools/peer/make_reference.py), and every
// integrand the set marks as undefined somewhere is refused there.

#include "tests/benchmarkset.h"
#include "expression/parser.h"
#include "proof/derivativemax.h"
#include "proof/integral.h"

#include <QFile>
#include <QTest>

#include <cmath>
#include <limits>

using namespace kvadrolab;

namespace {

struct Row
{
    QString name, f;
    double a, b;
    QString integral;
    QString maxima[4]; // M1, M2, M4, M6 as decimals, empty where the set has none
    QString reason, place;
};

QList<Row> loadSet()
{
    QList<Row> rows;
    for (const QStringList &c : testsupport::benchmarkSetRows()) {
        if (c.size() < 15)
            continue;
        rows.append({c[0],
                     c[1],
                     c[2].toDouble(),
                     c[3].toDouble(),
                     c[4],
                     {c[5], c[7], c[9], c[11]},
                     c[13],
                     c[14]});
    }
    return rows;
}

// The double nearest a 40-digit reference may lie outside a tight enclosure by
// half an ulp: the enclosure must reach the reference's neighbours.
bool encloses(double lower, double upper, double reference)
{
    const double inf = std::numeric_limits<double>::infinity();
    return lower <= std::nextafter(reference, inf) && std::nextafter(reference, -inf) <= upper;
}

constexpr int kOrders[] = {1, 2, 4, 6};

} // namespace

class BenchmarkSetTest : public QObject
{
    Q_OBJECT

    int m_provenMaxima = 0;
    int m_refusedMaxima = 0;

private slots:
    void theSetIsThere()
    {
        const QList<Row> rows = loadSet();
        QVERIFY(rows.size() >= 35);
    }

    void provenValuesHoldTheReference_data()
    {
        QTest::addColumn<int>("row");
        const QList<Row> rows = loadSet();
        for (int i = 0; i < rows.size(); ++i)
            if (rows[i].reason.isEmpty())
                QTest::newRow(rows[i].name.toUtf8().constData()) << i;
    }
    void provenValuesHoldTheReference()
    {
        QFETCH(int, row);
        const Row r = loadSet().at(row);
        const auto program = parseExpression(r.f.toStdString());
        QVERIFY2(program.ok(), qPrintable(r.f));
        const auto integral = certifiedIntegral(*program, r.a, r.b);
        QVERIFY2(integral.ok(), qPrintable(r.f));
        const double reference = r.integral.toDouble();
        QVERIFY2(encloses(integral->lower, integral->upper, reference),
                 qPrintable(QStringLiteral("[%1; %2] against %3")
                                .arg(integral->lower, 0, 'g', 17)
                                .arg(integral->upper, 0, 'g', 17)
                                .arg(r.integral)));
        // A radius a student can use: ten digits at least.
        QVERIFY(integral->rad <= 1e-10 * std::max(1.0, std::fabs(reference)));
        for (int k = 0; k < 4; ++k) {
            const auto m = proveDerivativeMax(*program, r.a, r.b, kOrders[k]);
            if (!m.ok()) {
                // A refused maximum claims nothing; the count below keeps
                // refusals the exception.
                qInfo("M%d of %s refused", kOrders[k], qPrintable(r.f));
                ++m_refusedMaxima;
                continue;
            }
            ++m_provenMaxima;
            const double true_max = r.maxima[k].toDouble();
            QVERIFY2(encloses(m->lower, m->upper, true_max),
                     qPrintable(QStringLiteral("M%1: [%2; %3] against %4")
                                    .arg(kOrders[k])
                                    .arg(m->lower, 0, 'g', 17)
                                    .arg(m->upper, 0, 'g', 17)
                                    .arg(r.maxima[k])));
        }
    }

    // Every maximum of the smooth integrands is proven (the set has no
    // refusal rows among them).
    void everyMaximumOfASmoothIntegrandIsProven()
    {
        qInfo("maxima proven: %d, refused: %d", m_provenMaxima, m_refusedMaxima);
        QVERIFY(m_provenMaxima > 0);
        QCOMPARE(m_refusedMaxima, 0);
    }

    // An integrand with a vertical tangent: the integral is proven, and each
    // maximum is refused at the place where its derivative has no bound.
    void roughIntegrandsKeepTheirIntegral()
    {
        int checked = 0;
        for (const Row &r : loadSet()) {
            if (r.reason.isEmpty() || r.integral.isEmpty())
                continue;
            const auto program = parseExpression(r.f.toStdString());
            QVERIFY(program.ok());
            const auto integral = certifiedIntegral(*program, r.a, r.b);
            QVERIFY(integral.ok());
            QVERIFY(encloses(integral->lower, integral->upper, r.integral.toDouble()));
            for (int k : kOrders) {
                const auto m = proveDerivativeMax(*program, r.a, r.b, k);
                QVERIFY(!m.ok());
                QCOMPARE(m.reason(), Reason::NotSmooth);
                QVERIFY(std::fabs(m.refusal().x.value_or(-1) - r.place.toDouble()) < 1e-6);
            }
            ++checked;
        }
        QVERIFY(checked > 0);
    }

    void undefinedIntegrandsAreRefusedWhereTheyFail_data()
    {
        QTest::addColumn<int>("row");
        const QList<Row> rows = loadSet();
        for (int i = 0; i < rows.size(); ++i)
            if (!rows[i].reason.isEmpty() && rows[i].integral.isEmpty())
                QTest::newRow(rows[i].name.toUtf8().constData()) << i;
    }
    void undefinedIntegrandsAreRefusedWhereTheyFail()
    {
        QFETCH(int, row);
        const Row r = loadSet().at(row);
        const auto program = parseExpression(r.f.toStdString());
        QVERIFY(program.ok());
        const auto integral = certifiedIntegral(*program, r.a, r.b);
        QVERIFY(!integral.ok());
        QVERIFY2(integral.refusal().x.has_value(), qPrintable(r.f));
        QVERIFY2(std::fabs(*integral.refusal().x - r.place.toDouble()) < 1e-6,
                 qPrintable(QString::number(*integral.refusal().x, 'g', 17)));
    }
};

QTEST_GUILESS_MAIN(BenchmarkSetTest)
#include "benchmarksettest.moc"
