// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The course's benchmark set, tests/data/integrands.tsv, for the tests that
// go through it (their target defines KVADROLAB_BENCHMARK_SET as its path).

#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

namespace testsupport {

// Each row's cells, the header left out: name, f, a, b, then the proven
// values and the refusal's columns (tools/provenvalues writes them). Empty
// when the file cannot be read, which a test then fails on.
inline QList<QStringList> benchmarkSetRows()
{
    QList<QStringList> rows;
    QFile file(QStringLiteral(KVADROLAB_BENCHMARK_SET));
    if (!file.open(QIODevice::ReadOnly))
        return rows;
    file.readLine(); // the header
    while (!file.atEnd()) {
        QString line = QString::fromUtf8(file.readLine());
        if (line.endsWith(QLatin1Char('\n')))
            line.chop(1);
        rows.append(line.split(QLatin1Char('\t')));
    }
    return rows;
}

} // namespace testsupport
