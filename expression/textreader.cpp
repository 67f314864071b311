// SPDX-License-Identifier: GPL-3.0-or-later
#include "expression/textreader.h"

namespace kvadrolab {

std::optional<CodePoint> decodeUtf8(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return CodePoint{lead, 1};
    std::size_t length = 0;
    char32_t value = 0;
    char32_t smallest = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
        smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
        smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
        smallest = 0x10000;
    } else {
        return std::nullopt; // a continuation byte, or 0xF8..0xFF
    }
    if (text.size() - at < length)
        return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return std::nullopt;
        value = (value << 6) | (byte(i) & 0x3F);
    }
    // One character has one encoding: the longer forms of a small value are
    // the classic way past a filter; surrogates belong to UTF-16 alone.
    if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return std::nullopt;
    return CodePoint{value, length};
}

bool isNameCharacter(char32_t c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
        return true;
    if (c == U'π')
        return false;
    return (c >= 0x391 && c <= 0x3C9) || (c >= 0x400 && c <= 0x4FF);
}

} // namespace kvadrolab
