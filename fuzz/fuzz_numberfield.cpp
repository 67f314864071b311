// SPDX-License-Identifier: GPL-3.0-or-later
// The number-field reader against an independent statement of its grammar:
// it must accept exactly the texts the pattern describes (when their value is
// a finite double), and return the value a C-locale strtod gives for them.
// (The reader's own tests pin down the separators, signs and locales; this
// looks for the inputs nobody thought of.)

#include "numbers/numbertext.h"

#include <QString>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <regex>
#include <string>

namespace {

const std::regex &grammar()
{
    static const std::regex re(
        R"(^\s*[+\-]?([0-9]+([.,][0-9]*)?|[.,][0-9]+)([eE][+\-]?[0-9]+)?\s*$)");
    return re;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    const QString text = QString::fromUtf8(bytes);
    const auto value = kvadrolab::readNumberField(text);

    // The oracle sees the same text with U+2212 as '-' and only ASCII spaces.
    QString plain = text.trimmed();
    plain.replace(QChar(0x2212), QLatin1Char('-'));
    bool ascii = true;
    for (QChar c : plain)
        ascii = ascii && c.unicode() < 128 && c != QLatin1Char('\0');
    const std::string s = plain.toStdString();
    const bool matches = ascii && std::regex_match(s, grammar());

    if (!matches) {
        if (value)
            __builtin_trap(); // accepted something outside the grammar
        return 0;
    }
    std::string c = s;
    for (char &ch : c)
        if (ch == ',')
            ch = '.';
    const double expected = std::strtod(c.c_str(), nullptr);
    if (std::isfinite(expected) != value.ok())
        __builtin_trap(); // refused a finite number, or accepted an infinite one
    // Below the smallest subnormal a number reads as a zero of its sign;
    // strtod may round it to a subnormal instead: both are "as near to zero".
    const bool tiny = std::fabs(expected) < 1e-300 && value && *value == 0;
    if (value && *value != expected && !tiny)
        __builtin_trap(); // read a different value
    return 0;
}
