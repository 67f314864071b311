// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/answer.h"

#include "expression/parser.h"

#include <utility>

namespace kvadrolab {

namespace {

// No method is chosen, so no count is sought for ε; the study only asks that
// it be a number > 0.
constexpr double kUnusedTolerance = 1;

} // namespace

Result<Answer> answerFor(std::string_view f, double a, double b, long n)
{
    return answerFor(f, ExactNumber::fromDouble(a), ExactNumber::fromDouble(b), n);
}

Result<Answer> answerFor(std::string_view f, const ExactNumber &a, const ExactNumber &b, long n)
{
    Result<Program> program = parseExpression(f);
    if (!program)
        return program.refusal();
    // The study with no method chosen: the integral and the M_k, proven as
    // the study window proves them, and each rule at n from the same study.
    StudyInput input;
    input.program = std::move(program).value();
    input.a = a.value;
    input.b = b.value;
    input.exactA = a;
    input.exactB = b;
    input.tolerance = kUnusedTolerance;
    const Result<Study> study = studyIntegral(input);
    if (!study)
        return study.refusal();

    Answer answer;
    answer.f = std::string(f);
    answer.a = a.value;
    answer.b = b.value;
    answer.integral = study->integral;
    answer.limits = study->limits;
    answer.maxima = study->provenMaxima;
    // The nodes the rules share are valued once.
    answer.rules = everyRuleAtAnyCount(*study, n);
    return answer;
}

} // namespace kvadrolab
