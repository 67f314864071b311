// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "report/codepage.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QStringList>

#include <optional>

namespace kvadrolab {

// The method lines of the two computation windows.
inline constexpr char kTrapezoidMethod[] = "  Используемый метод: Метод Трапеций  ";
inline constexpr char kSimpsonMethod[] = "  Используемый метод: Метод Симпсона  ";

// What one report says. The numbers arrive as the texts that are to be
// written, already formatted the way the window formats its results.
struct ReportContent
{
    QString method;    // line 1, one of the method lines above
    QString integral;  // line 5: I
    QString deviation; // line 6: E
    QString count;     // line 7: the number of subintervals
};

// The report of one computation, from what its window keeps: I and E in the
// result format, and the text the n field holds at the moment of saving,
// written as a whole number when it is a number and as typed otherwise.
ReportContent reportContent(const QString &method, double integral, double deviation,
                            const QString &countField);

// The seven lines: each field between double quotes, two fields joined by a
// comma, no line ends.
QStringList reportLines(const ReportContent &content);

// One line in Windows-1251, ended by CR LF. A character the code page has no
// byte for, and a control character, is written as '?'. The converter must be
// valid; the second form uses the platform's own.
QByteArray encodeLine(const QString &line, Cp1251 &codepage);
QByteArray encodeLine(const QString &line);

// The seven lines in Windows-1251, each ended by CR LF; refused with
// NoCodePage where the converter cannot write that code page at all.
Result<QByteArrayList> encodeReport(const ReportContent &content, Cp1251 &codepage);

} // namespace kvadrolab
