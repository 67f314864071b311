// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/reportlines.h"

#include "numbers/numbertext.h"
#include "report/codepage.h"

namespace kvadrolab {

namespace {

// The fixed first fields of lines 2 to 7, spaces and slips included: readers
// of earlier reports compare them as they are.
constexpr char kHeading[] = "  Результат вычисления интешрала f(x)=(lnx/x)^3: ";
constexpr char kExactHeading[] = "  Истинное значение интеграла f(x) =  ";
// Always with a comma: this line is fixed text, not a formatted number.
constexpr char kExact[] = "0,1804790225 ";
constexpr char kComputed[] = "  Вычисленное значение                   =";
constexpr char kDeviation[] = "  Погрешность                                    = ";
constexpr char kCount[] = "  Число разбиений                             = ";

QString quoted(const QString &field)
{
    return QLatin1Char('"') + field + QLatin1Char('"');
}

QString quoted(const char *field)
{
    return quoted(QString::fromUtf8(field));
}

} // namespace

ReportContent reportContent(const QString &method, double integral, double deviation,
                            const QString &countField)
{
    // The count is not checked: whatever the field holds goes into the report,
    // so a reader sees what was typed when it was not a number.
    const auto count = readNumberField(countField);
    return {method, formatFixed(integral), formatFixed(deviation),
            count ? formatWhole(*count) : countField};
}

QStringList reportLines(const ReportContent &c)
{
    const QChar comma = QLatin1Char(',');
    return {
        quoted(c.method),
        quoted(kHeading),
        quoted(kExactHeading),
        quoted(kExact),
        quoted(kComputed) + comma + quoted(c.integral),
        quoted(kDeviation) + comma + quoted(c.deviation),
        quoted(kCount) + comma + quoted(c.count),
    };
}

QByteArray encodeLine(const QString &line, Cp1251 &codepage)
{
    QByteArray bytes;
    bytes.reserve(line.size() + 2);
    // Character by character, so that each one the code page lacks becomes
    // one '?', as a reader of the file expects. A surrogate pair is one
    // character and becomes one '?'.
    for (qsizetype i = 0; i < line.size(); ++i) {
        const bool pair =
            line.at(i).isHighSurrogate() && i + 1 < line.size() && line.at(i + 1).isLowSurrogate();
        const QStringView ch = QStringView(line).mid(i, pair ? 2 : 1);
        i += pair ? 1 : 0;
        // A control character (a line break pasted into n, say) would break
        // the seven-line layout that readers of the report rely on.
        const bool control =
            ch.size() == 1 && (ch.at(0).unicode() < 0x20 || ch.at(0).unicode() == 0x7f);
        const std::optional<char> byte = control ? std::nullopt : codepage.byte(ch);
        bytes += byte ? *byte : '?';
    }
    bytes += "\r\n";
    return bytes;
}

QByteArray encodeLine(const QString &line)
{
    Cp1251 codepage;
    return encodeLine(line, codepage);
}

Result<QByteArrayList> encodeReport(const ReportContent &content, Cp1251 &codepage)
{
    // Without the code page every character would be a '?': a file of
    // question marks is no report, and must never be called saved.
    if (!codepage.isValid())
        return Refusal{Reason::NoCodePage};
    QByteArrayList encoded;
    for (const QString &line : reportLines(content))
        encoded += encodeLine(line, codepage);
    return encoded;
}

} // namespace kvadrolab
