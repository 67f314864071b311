// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/codepage.h"

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <QString>
#endif

namespace kvadrolab {

#ifdef Q_OS_WIN

// A Qt built without ICU knows no Windows-1251 codec by name; the platform's
// own converter is the one every Windows program uses.
Cp1251::Cp1251() = default;

bool Cp1251::isValid() const
{
    return IsValidCodePage(1251);
}

// Without WC_NO_BEST_FIT_CHARS the converter maps "ā" to 'a' silently, and
// only the used-default flag tells an unmapped character from a real '?'.
std::optional<char> Cp1251::byte(QStringView character)
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

Cp1251::Cp1251() : Cp1251("windows-1251") {}

Cp1251::Cp1251(const char *qtCodecName) : m_encoder(qtCodecName), m_decoder(qtCodecName) {}

// An invalid encoder does not fail loudly: it turns every character into
// nothing, which the writer would print as '?'. Both directions are needed
// for the round trip below.
bool Cp1251::isValid() const
{
    return m_encoder.isValid() && m_decoder.isValid();
}

// Checked by decoding the byte back: codecs differ in how they mark a
// character they cannot map (a substitute byte, an error flag that then stays
// set), so a round trip is the one test that holds for all of them.
std::optional<char> Cp1251::byte(QStringView character)
{
    if (!isValid())
        return std::nullopt;
    m_encoder.resetState();
    m_decoder.resetState();
    const QByteArray one = m_encoder.encode(character);
    if (one.size() != 1 || QString(m_decoder.decode(one)) != character)
        return std::nullopt;
    return one.at(0);
}

#endif

} // namespace kvadrolab
