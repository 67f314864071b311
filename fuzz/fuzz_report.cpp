// SPDX-License-Identifier: GPL-3.0-or-later
// The report as a window writes it, from arbitrary kept values and an
// arbitrary n field, encoded in memory (never a path on disk). Whatever the
// input, the report stays seven lines of Windows-1251 with its fixed fields.

#include "report/reportlines.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace kvadrolab;
    double values[2];
    if (size < sizeof values + 1)
        return 0;
    std::memcpy(values, data, sizeof values);
    const bool simpson = data[sizeof values] & 1;
    const QString nField =
        QString::fromUtf8(reinterpret_cast<const char *>(data) + sizeof values + 1,
                          qsizetype(size - sizeof values - 1));

    const ReportContent content =
        reportContent(QString::fromUtf8(simpson ? kSimpsonMethod : kTrapezoidMethod), values[0],
                      values[1], nField);
    const QStringList lines = reportLines(content);
    if (lines.size() != 7)
        __builtin_trap();
    QByteArray file;
    for (const QString &line : lines) {
        const QByteArray bytes = encodeLine(line);
        // One byte per character (a surrogate pair is one), then CR LF.
        if (!bytes.endsWith("\r\n") || bytes.size() > line.size() + 2)
            __builtin_trap();
        file += bytes;
    }
    if (file.count("\r\n") != 7 || file.count('\r') != 7 || file.count('\n') != 7)
        __builtin_trap();
    // The fixed fields do not move, whatever the values.
    static const QByteArray line4 = QByteArray("\"0,1804790225 \"\r\n");
    if (!file.contains(line4) || !file.startsWith("\"  \xC8\xF1\xEF"))
        __builtin_trap();
    return 0;
}
