// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "expression/program.h"

#include <cstddef>
#include <string_view>

namespace kvadrolab {

// The integrand language, f(x) as a student types it.
//
//   expression := term (('+' | '-' | '−') term)*
//   term       := signed (('*' | '/') signed | power)*   a power here starts with
//                                                      a name or '(' (implicit *)
//   signed     := ('+' | '-' | '−')* power
//   power      := operand ('^' signed)?            right-associative: 2^3^2 = 2^9
//   operand    := number | 'x' | 'pi' | 'π' | 'e' | function '(' expression ')'
//               | '(' expression ')'
//
// Decisions, and why:
// - Numbers are read exactly as the number fields read them (base/numberreader.h):
//   a comma or a point, an exponent "e3", "E-3", "e−3". So "2e3" is 2000 and
//   "2e-3" is 0.002, as in the fields; the letter after a number starts an
//   exponent only when a digit (or a sign and a digit) follows it at once, so
//   "2e" and "2e+x" are 2·e and 2·e + x. A comma never separates anything: no
//   function takes two arguments.
// - A sign binds less tightly than ^ and more tightly than * and /: −x^2 is
//   −(x^2), 2^-1 is 1/2 and 2^-x^2 is 2^(−(x^2)); −2·3 is (−2)·3.
// - Implicit multiplication: an operand followed by a name or an opening
//   bracket is multiplied by it, with the precedence of '*': "2x", "2(x+1)",
//   "x sin(x)", "(x+1)(x-1)", "2pi", "2e"; "2x^2" is 2·(x^2) since ^ binds
//   first, and "1/2x" is (1/2)·x, as '*' would give. An operand followed by a
//   number is refused ("x2", "(x+1)2", "2 3"): the number after a name reads
//   as an index and two numbers side by side as one.
// - A name is a whole run of letters: "xe", "sinx", "pix" are unknown names,
//   not products, so that a mistyped name is named instead of read as
//   something else; write "x e", "x*e", "sin(x)". "log" alone is refused as
//   ambiguous (ln or lg), in any case. Names are lowercase: "Pi", "SIN", "X"
//   are refused as NameInCapitals, and a Cyrillic "х" or "Х" standing alone
//   as CyrillicX, each named rather than called unknown.
// - A function takes its argument in brackets: "sin x" is refused, because
//   "sin x^2", "sin 2x" and "sin x cos x" are read differently by different
//   people. A call is one operand: sin(x)^2 is (sin x)^2.
// - An exponent built of number literals, signs, brackets and + - * / alone
//   is worked out exactly, from the literals' decimal values with no
//   rounding; where that value is a whole number within ±(2^31 − 1) (x^3,
//   x^-2, x^(−2), x^2,0, x^1e1, x^(4/2), x^((0,1+0,2)*10)) the power becomes
//   Op::PowInt at the '^': the same program as x^2, with no need of a
//   positive base. Every other exponent is Op::Pow (a^b for a > 0): a
//   fraction (x^0,5, x^(1/3)), one with pi, e, x, a function or a ^ in it,
//   or one whose exact working leaves int64.
// - Spaces are ' ' and the no-break space; a tab is a control character.
//
// Limits, so that hostile text is refused at once: at most kMaxExpressionLength
// characters, at most kMaxNesting brackets, signs and operators waiting for
// their right side at any one time; control characters and bytes that are not
// UTF-8 are refused with their position. The parser is a loop over the text
// with explicit stacks, and its work is linear in the length.
inline constexpr std::size_t kMaxExpressionLength = 10'000;
inline constexpr std::size_t kMaxNesting = 256;

// The text compiled to postfix steps, each with the character position it
// comes from, or a Refusal with the Reason, Input::Integrand and the position
// in characters from 0 (for UnclosedBracket the bracket left open). The
// program's stackDepth is the most values its steps hold at once.
Result<Program> parseExpression(std::string_view utf8);

} // namespace kvadrolab
