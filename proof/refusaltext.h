// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"

#include <string>

namespace kvadrolab {

// The Russian words (UTF-8) for what the proofs refuse, shared by every
// place that shows them, so that a student reads the same reason in a
// window, in the command-line summary and in the JSON answer.

// The reason alone, without its place: «f не определена», «полюс»,
// «не удалось доказать в пределах вычислений». `order` names the derivative
// for NotSmooth (0 when the refusal is about f itself).
std::string proofReasonText(Reason reason, int order = 0);

// A place on the x axis as the reasons show it: eight significant digits,
// a decimal comma: «1,5707963».
std::string placeText(double x);

// A refusal's place found in [a; b], to the digits the subdivision narrowed
// it down to (placeDecimal), with a decimal comma.
std::string placeText(double x, double a, double b);

// The reason with its place in [a; b] where it has one: «f не определена
// при x ≈ 0», «полюс вблизи x ≈ 1,570796327»; a pole at an end itself (its
// input A or B): «полюс на конце x = 0,1».
std::string describeProofRefusal(const Refusal &why, double a, double b, int order = 0);

} // namespace kvadrolab
