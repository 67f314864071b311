// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"

#include <QString>

#include <optional>

namespace kvadrolab::numbers {

// Reads a number field as typed, as kvadrolab::readNumber() reads a text
// (base/numberreader.h), with any Unicode spaces around it.
Result<double> readNumber(const QString &text);

// Fixed point with `decimals` digits after the separator of the user's locale,
// at least one digit before it, '-' for negative values, no grouping.
QString formatFixed(double value, int decimals = 10);

// A whole number, halves rounded away from zero, in the same form.
QString formatWhole(double value);

} // namespace kvadrolab::numbers
