// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringView>

#include <optional>

namespace kvadrolab::report {

// The Windows-1251 byte of one character (one UTF-16 unit, or a surrogate
// pair), or nothing where the code page has no byte for exactly that
// character. Never a look-alike: "ā" has no byte, it does not become "a".
std::optional<char> cp1251Byte(QStringView character);

} // namespace kvadrolab::report
