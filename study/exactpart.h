// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "proof/removable.h"
#include "study/study.h"

namespace kvadrolab {

// For study/ alone: the exact part of a study, after its double part.

// The rule at n on the exact nodes, with its error against the study's
// integral and the rounding of `doubleSum`, the rule summed in doubles.
Result<ExactRuleValue> exactRuleValue(const Study &study, RuleKind kind, long n, double doubleSum);
// The same with f's removable points handed in (proveDefinedWithLimits), so
// that many counts prove them once.
Result<ExactRuleValue> exactRuleValue(const Study &study, RuleKind kind, long n, double doubleSum,
                                      const std::vector<RemovablePoint> &points);

// Whether the leading term of the rule's error cancels at the ends
// (StudyRule::endsCancelLeadingTerm), from f's series at the exact ends.
bool endsCancelLeadingTerm(const Study &study, RuleKind kind);

// Fills in the exact part of a rule whose double part is done (its rows,
// its curve points), within kStudyExactRuleWork, then takes the rows'
// orders and trust from the exact errors where it has them, and whether
// its leading error term cancels at the ends. Refused only
// when cancelled (between two sums).
Result<void> addExactPart(const Study &study, StudyRule &rule, const StudyControl &control);

} // namespace kvadrolab
