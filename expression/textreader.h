// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace kvadrolab {

// One code point of a UTF-8 text and the bytes it takes.
struct CodePoint
{
    char32_t value;
    std::size_t length;
};

// The code point at byte `at`, or nothing where the bytes there are not
// UTF-8 (a stray continuation byte, a truncated sequence, an overlong form, a
// surrogate, a value beyond U+10FFFF). `at` must lie inside the text.
std::optional<CodePoint> decodeUtf8(std::string_view text, std::size_t at);

// Whether a character belongs to a name of the integrand language: Latin,
// Greek (but π, which is a name on its own) and Cyrillic letters. Cyrillic
// ones are read so that a Cyrillic "х" typed for x is named in the refusal.
bool isNameCharacter(char32_t c);

} // namespace kvadrolab
