// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "calc/answer.h"

#include <string>
#include <string_view>

namespace kvadrolab {

// The two ways the command-line companion writes an answer (UTF-8, ending
// in a line break). Every bound is printed rounded outward: the printed
// interval still holds what the double one held.

// One JSON object: f, a, b, the integral's mid and rad, M1, M2, M4, M6
// (lower, upper, x), and the nine rules (n, value, error, bound), numbers to
// 17 significant digits; a quantity refused stands as
// {"refused": reason, "where": x or null}. Every number is a double: one
// past them all is null, and its object ends with "beyond": "> 1.8e308" (for
// an M_k's upper, the integral's rad, a rule's bound) or "errorBeyond":
// "> 1.8e308" or "< -1.8e308" (for a rule's error).
std::string answerJson(const Answer &answer);

// The refusal of the whole answer for f on [a; b]: {"refused": reason, "where": x or null,
// "position": column or null}, the column counted from 1 in f's characters.
std::string refusalJson(const Refusal &why, std::string_view f, double a, double b);

// The readable Russian summary: the integral with as many digits as are
// proven, the M_k with their places, a table of the rules. A quantity past
// every double reads "> 1,8e+308" (or "< -1,8e+308") in place of its number.
std::string answerSummary(const Answer &answer);

// The refusal of the whole answer in a sentence.
std::string refusalSummary(const Refusal &why, std::string_view f, double a, double b);

} // namespace kvadrolab
