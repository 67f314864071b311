// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringView>

#ifndef Q_OS_WIN
#include <QStringDecoder>
#include <QStringEncoder>
#endif

#include <optional>

namespace kvadrolab {

// Converts characters to Windows-1251, one at a time. One converter serves one
// report: it keeps state between characters and is not shared across threads.
class Cp1251
{
public:
    // The platform's converter: Windows' own code page 1251, elsewhere Qt's
    // codec of that name (which Qt has only when it is built with ICU).
    Cp1251();
#ifndef Q_OS_WIN
    // Qt's codec of the given name, in place of "windows-1251".
    explicit Cp1251(const char *qtCodecName);
#endif

    // Whether Windows-1251 can be written at all. Where it cannot, every
    // character, ASCII too, would come out as '?': such a converter must not
    // write a report.
    bool isValid() const;

    // The Windows-1251 byte of one character (one UTF-16 unit, or a surrogate
    // pair), or nothing where the code page has no byte for exactly that
    // character, or the converter is not valid. Never a look-alike: "ā" has
    // no byte, it does not become "a".
    std::optional<char> byte(QStringView character);

private:
#ifndef Q_OS_WIN
    QStringEncoder m_encoder;
    QStringDecoder m_decoder;
#endif
};

} // namespace kvadrolab
