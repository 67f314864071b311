// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/codepage.h"

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>
#endif

namespace kvadrolab::report {

#ifdef Q_OS_WIN

// A Qt built without ICU knows no Windows-1251 codec by name; the platform's
// own converter is the one every Windows program uses. Without
// WC_NO_BEST_FIT_CHARS it maps "ā" to 'a' silently, and only the
// used-default flag tells an unmapped character from a real '?'.
std::optional<char> cp1251Byte(QStringView character)
{
    char out[8];
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(
        1251, WC_NO_BEST_FIT_CHARS, reinterpret_cast<const wchar_t *>(character.utf16()),
        int(character.size()), out, int(sizeof out), nullptr, &usedDefault);
    if (n != 1 || usedDefault)
        return std::nullopt;
    return out[0];
}

#else

// Checked by decoding the byte back: codecs differ in how they mark a
// character they cannot map (a substitute byte, an error flag that then stays
// set), so a round trip is the one test that holds for all of them.
std::optional<char> cp1251Byte(QStringView character)
{
    // Opened once per thread, not once per character: a report converts a
    // few hundred of them.
    thread_local QStringEncoder encoder("windows-1251");
    thread_local QStringDecoder decoder("windows-1251");
    encoder.resetState();
    decoder.resetState();
    const QByteArray one = encoder.encode(character);
    if (one.size() != 1 || QString(decoder.decode(one)) != character)
        return std::nullopt;
    return one.at(0);
}

#endif

} // namespace kvadrolab::report
