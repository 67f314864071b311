// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace kvadrolab {

// Reads a fuzzer's bytes as a stream of values. A number is one kind byte,
// then either eight raw bytes of a double (kind below rawBelow) or one of the
// target's special values, so that the values that matter come up often.
struct FuzzReader
{
    const uint8_t *data;
    size_t size;
    std::span<const double> special;
    unsigned rawBelow;

    bool take(void *out, size_t n)
    {
        if (size < n)
            return false;
        std::memcpy(out, data, n);
        data += n;
        size -= n;
        return true;
    }

    bool number(double &v)
    {
        uint8_t kind;
        if (!take(&kind, 1))
            return false;
        if (kind < rawBelow)
            return take(&v, sizeof v);
        v = special[kind % special.size()];
        return true;
    }
};

} // namespace kvadrolab
