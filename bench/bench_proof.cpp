// SPDX-License-Identifier: GPL-3.0-or-later
// The whole proof of every course integrand (domain, integral, M1, M2, M4,
// M6), timed inside a running Gui application, with the enclosures' widths,
// beside what SciPy's quad does on the same row (tools/peer/scipy_quad.tsv,
// written by tools/peer/scipy_quad.py): its claimed and its true error, its
// time and its complaint. Then the hostile integrands that must still answer
// within a second.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_proof

#include "bench/threadclock.h"
#include "expression/parser.h"
#include "proof/derivativemax.h"
#include "proof/integral.h"

#include <QApplication>
#include <QFile>
#include <QMap>
#include <QStringList>
#include <QTextStream>
#include <QWidget>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace kvadrolab;

namespace {

struct Proof
{
    Result<Enclosure> integral = Refusal{Reason::NotProven};
    std::array<Result<DerivativeMax>, 4> maxima{
        Refusal{Reason::NotProven}, Refusal{Reason::NotProven}, Refusal{Reason::NotProven},
        Refusal{Reason::NotProven}};
};

Proof prove(const Program &program, double a, double b)
{
    Proof p;
    p.integral = certifiedIntegral(program, a, b);
    const int orders[] = {1, 2, 4, 6};
    for (int i = 0; i < 4; ++i)
        p.maxima[static_cast<std::size_t>(i)] = proveDerivativeMax(program, a, b, orders[i]);
    return p;
}

QString reasonWord(Reason r)
{
    switch (r) {
    case Reason::NotDefined:
        return QStringLiteral("undefined");
    case Reason::Pole:
        return QStringLiteral("pole");
    case Reason::NotSmooth:
        return QStringLiteral("not smooth");
    case Reason::NonFiniteResult:
        return QStringLiteral("beyond double");
    default:
        return QStringLiteral("not proven");
    }
}

QString refusedAt(const Refusal &why)
{
    return reasonWord(why.reason) +
           (why.x ? QStringLiteral(" at %1").arg(*why.x, 0, 'g', 8) : QString());
}

QMap<QString, QStringList> readPeer(const QString &path)
{
    QMap<QString, QStringList> rows;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return rows;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).chopped(1);
        if (line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1String("name\t")))
            continue;
        const QStringList c = line.split(QLatin1Char('\t'));
        if (c.size() >= 7)
            rows.insert(c[0], c);
    }
    return rows;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(200, 100);
    window.show();
    QApplication::processEvents();

    const QString root = QStringLiteral(KVADROLAB_SOURCE_DIR);
    const QMap<QString, QStringList> peer = readPeer(root + "/tools/peer/scipy_quad.tsv");
    QFile set(root + "/tests/data/integrands.tsv");
    if (!set.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "no benchmark set\n");
        return 1;
    }
    set.readLine();
    QTextStream out(stdout);
    out << QStringLiteral("%1 %2 %3 %4 | %5 %6 %7 %8  %9\n")
               .arg(QStringLiteral("name"), -16)
               .arg(QStringLiteral("proof ms"), 9)
               .arg(QStringLiteral("rad/max(1,|I|)"), 15)
               .arg(QStringLiteral("M gap (worst) or refusal"), -28)
               .arg(QStringLiteral("quad claims"), 11)
               .arg(QStringLiteral("true err"), 9)
               .arg(QStringLiteral("quad ms"), 8)
               .arg(QStringLiteral("evals"), 6)
               .arg(QStringLiteral("quad's complaint"));
    std::vector<double> all;
    while (!set.atEnd()) {
        const QStringList c = QString::fromUtf8(set.readLine()).chopped(1).split(QLatin1Char('\t'));
        if (c.size() < 15)
            continue;
        const Result<Program> program = parseExpression(c[1].toStdString());
        if (!program)
            continue;
        const double a = c[2].toDouble(), b = c[3].toDouble();
        std::vector<double> ms;
        Proof p;
        for (int run = 0; run < 5; ++run) {
            const double start = threadMs();
            p = prove(*program, a, b);
            ms.push_back(threadMs() - start);
        }
        const double t = median(ms);
        all.push_back(t);
        QString width = QStringLiteral("-");
        if (p.integral)
            width = QString::number(p.integral->rad / std::max(1.0, std::fabs(p.integral->mid)),
                                    'e', 1);
        else
            width = refusedAt(p.integral.refusal());
        double gap = 0;
        QString maxima;
        for (const auto &m : p.maxima) {
            if (!m) {
                maxima = QStringLiteral("M refused: ") + refusedAt(m.refusal());
                break;
            }
            if (m->upper > 0)
                gap = std::max(gap, (m->upper - m->lower) / m->upper);
        }
        if (maxima.isEmpty())
            maxima = QString::number(gap, 'e', 1);
        const QStringList q = peer.value(c[0], QStringList(7, QStringLiteral("?")));
        out << QStringLiteral("%1 %2 %3 %4 | %5 %6 %7 %8  %9\n")
                   .arg(c[0], -16)
                   .arg(t, 9, 'f', 2)
                   .arg(width, 15)
                   .arg(maxima, -28)
                   .arg(q[2], 11)
                   .arg(q[3], 9)
                   .arg(q[5], 8)
                   .arg(q[4], 6)
                   .arg(q[6]);
    }
    std::sort(all.begin(), all.end());
    out << QStringLiteral("whole proof over %1 integrands: median %2 ms, max %3 ms\n\n")
               .arg(all.size())
               .arg(all[all.size() / 2], 0, 'f', 2)
               .arg(all.back(), 0, 'f', 2);

    // Hostile but valid: each must answer (a proof or a refusal) within 1 s.
    const struct
    {
        const char *f;
        double a, b;
    } hostile[] = {{"sin(1/x)", 0.001, 1},     {"sin(1/x)", 1e-6, 1},      {"x^1000000", 0, 1},
                   {"exp(exp(exp(x)))", 0, 1}, {"exp(exp(exp(x)))", 0, 3}, {"sin(1/x)", 0, 1}};
    for (const auto &h : hostile) {
        const Program program = parseExpression(h.f).value();
        const double start = threadMs();
        const Proof p = prove(program, h.a, h.b);
        const double t = threadMs() - start;
        out << QStringLiteral("%1 on [%2; %3]: %4 ms, integral %5\n")
                   .arg(QString::fromLatin1(h.f), -18)
                   .arg(h.a)
                   .arg(h.b)
                   .arg(t, 0, 'f', 1)
                   .arg(p.integral ? QStringLiteral("proven") : refusedAt(p.integral.refusal()));
    }
    return 0;
}
