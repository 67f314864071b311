// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "rules/compositerule.h"

#include <string>

namespace kvadrolab {

// The Russian words (UTF-8) for the composite rules, shared by the study
// window, its sheet and the command-line companion, so that a student reads
// a rule's name and its refusals the same everywhere.

// The Russian name of a rule: «трапеций», «Симпсона 3/8».
std::string ruleTitle(RuleKind kind);

// The words for a rule's refusal: the rule's own group for an n that does
// not fit it («n должно делиться на 3»), the proofs' words for the rest.
std::string ruleRefusalText(RuleKind kind, const Refusal &why);

// The line that says f was taken as its limit at a removable 0/0, given the
// point and the limit as the caller prints numbers: «в x = 0 взят предел f: 1».
std::string limitText(const std::string &x, const std::string &value);

} // namespace kvadrolab
