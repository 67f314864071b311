// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The report as it must appear on disk, spelled out independently of the
// writer: the design's texts, and Windows-1251 by its table.

#include <QByteArray>
#include <QList>
#include <QString>

namespace reference {

// ASCII as is, the Russian alphabet from 0xC0 (А) to 0xFF (я).
inline QByteArray cp1251(const QString &text)
{
    QByteArray bytes;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80)
            bytes += char(u);
        else if (u >= 0x410 && u <= 0x44F)
            bytes += char(0xC0 + (u - 0x410));
        else
            qFatal("no table entry for U+%04X", unsigned(u));
    }
    return bytes;
}

inline const QString trapezoidMethod = QStringLiteral("  Используемый метод: Метод Трапеций  ");
inline const QString simpsonMethod = QStringLiteral("  Используемый метод: Метод Симпсона  ");

// The seven lines without their CR LF.
inline QList<QByteArray> lines(const QString &method, const QString &I, const QString &E,
                               const QString &count)
{
    const auto q = [](const QString &s) { return QLatin1Char('"') + s + QLatin1Char('"'); };
    return {
        cp1251(q(method)),
        cp1251(q(QStringLiteral("  Результат вычисления интешрала f(x)=(lnx/x)^3: "))),
        cp1251(q(QStringLiteral("  Истинное значение интеграла f(x) =  "))),
        cp1251(q(QStringLiteral("0,1804790225 "))),
        cp1251(q(QStringLiteral("  Вычисленное значение                   =")) + ',' + q(I)),
        cp1251(q(QStringLiteral("  Погрешность                                    = ")) + ',' +
               q(E)),
        cp1251(q(QStringLiteral("  Число разбиений                             = ")) + ',' +
               q(count)),
    };
}

inline QByteArray file(const QList<QByteArray> &lines)
{
    QByteArray bytes;
    for (const QByteArray &line : lines)
        bytes += line + "\r\n";
    return bytes;
}

// The starting trapezoid computation, a = 1, b = 6, n = 600, with a comma.
inline QByteArray trapezoidAtDefaults()
{
    return file(lines(trapezoidMethod, "0,1804789886", "-0,0000000339", "600"));
}

} // namespace reference
