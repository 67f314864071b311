// SPDX-License-Identifier: GPL-3.0-or-later
#include "expression/constant.h"

#include "base/numberreader.h"
#include "expression/evaluator.h"
#include "expression/parser.h"

#include <cmath>

namespace kvadrolab {

Result<ExactNumber> readExactNumber(std::string_view utf8)
{
    // The parser reads numbers as the fields do, so one reading serves both:
    // a plain number is a program of one literal (and its signs).
    Result<Program> program = parseExpression(utf8);
    if (!program)
        return program.refusal();
    for (const Step &step : program->steps)
        if (step.op == Op::X)
            return Refusal{Reason::NotANumber, {}, step.position};
    // The field's own reading is the nearest double; double arithmetic on
    // the program is, for a literal with signs, the same value.
    const Result<double> number = readNumber(utf8);
    const double value = number ? *number : evaluate(*program, 0);
    if (!std::isfinite(value))
        return Refusal{Reason::NonFiniteInput, {}, std::size_t{0}};
    return ExactNumber{std::move(program).value(), value};
}

} // namespace kvadrolab
