// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "proof/decimal.h"
#include "proof/derivativemax.h"
#include "proof/integral.h"
#include "rules/compositerule.h"

#include <QFont>
#include <QString>

namespace kvadrolab {
struct Study;
}

#include <string>

// How the study window writes its numbers and its reasons: one place, so
// that the tables, the captions, the screen reader and the study sheet say
// the same thing in the same words.
namespace kvadrolab {

// "метод трапеций", "метод Гаусса, 3 узла".
QString methodName(RuleKind kind);
// The same, short, for a legend or a check box: "трапеции", "Гаусс, 3 узла".
QString methodShortName(RuleKind kind);
inline const QString &rombergName()
{
    static const QString name = QStringLiteral("метод Ромберга");
    return name;
}
inline const QString &adaptiveName()
{
    static const QString name = QStringLiteral("адаптивный Симпсон");
    return name;
}

// The most characters of f a heading, a chart's title or a file name give.
inline constexpr int kShortFormulaLimit = 60;

// f as typed, for a heading, a title or a file name: whole up to `limit`
// characters, else its first characters and an ellipsis ("…"), never cut
// inside a surrogate pair. The CSV and the sheet give f whole.
QString shortFormula(const QString &formula, int limit = kShortFormulaLimit);

// What a study is of, as every heading and title names it:
// "f(x) = x*sin(x), [0; pi]", f shortened, the ends as typed.
QString studySubject(const QString &formula, const QString &a, const QString &b);

// A file name without its extension, built from f and [a; b] as typed and
// safe on Linux, Windows and macOS: no separator, no character Windows
// refuses, no trailing dot or space, f shortened.
// "x·sin(x) на [0; pi]".
QString studyFileStem(const QString &formula, const QString &a, const QString &b);

// A power of ten set with superscript signs ("1,5·10^−6" as 1,5·10⁻⁶,
// "10^12" as 10¹²) where `font` has all of them; the text as it is
// otherwise. Without a font: the application's, and the text as it is
// where there is no application (a test of the texts alone).
QString withSuperscripts(const QString &text, const QFont &font);
QString withSuperscripts(const QString &text);

// A decimal text of proof/decimal.h as the window shows numbers: the
// locale's separator, a power of ten as "·10⁻⁷" (withSuperscripts), a real
// minus sign.
QString shownDecimal(const std::string &text);

// A rule's value, Richardson's value: twelve significant digits.
QString valueText(double v);
// An error, an estimate, a bound: three significant digits.
QString errorText(double v);
// An observed order: two decimals.
QString orderText(double v);
// A count with the locale's grouping.
QString countText(long n);

// An enclosed small number (a rule's error, a sum's rounding) as the tables
// show it: the midpoint to three digits where the enclosure excludes 0,
// "0" where it is exactly 0, else "|name| ≤ r" with r the farther end
// rounded up: nothing below what is proven is shown as a digit.
QString enclosedSmallText(const Enclosure &e, const QString &name);
// Whether an enclosure tells its number from 0.
bool excludesZero(const Enclosure &e);
// A number that is not proven (a double sum's error): marked, its note says
// why (unprovenNote).
QString unprovenText(const QString &shown);
const QString &unprovenNote();

// The rule's own a-priori bound: "(b − a)·h²·M2/12".
QString boundFormula(RuleKind kind);
// The bound's formula with this study's h and proven upper M_k at n.
QString boundAtText(RuleKind kind, double a, double b, long n, double maximumUpper);
// Runge's trust criterion for a rule of order p in numbers:
// "|p_набл − 2| ≤ 0,5".
QString rungeCriterion(int order);
// The derivative the leading term of a rule of order p has at the ends:
// "f", "f′", "f‴", "f⁽⁵⁾".
QString leadingDerivative(int order);

// The proven integral as value ± radius: the midpoint to 17 digits and a
// radius rounded up so that the printed pair holds the truth.
QString integralText(const Enclosure &integral);
// A line for each removable 0/0 the study took by its limit, each after a
// line break: «в x = 0 взят предел f: 1»; empty where there is none.
QString limitLines(const Study &study);
// The digits of the integral that are certain ("0,180479022549").
QString certainDigits(double lower, double upper);

// A proven bound, rounded away from what it bounds, ten digits.
QString boundText(double v, Rounding rounding);
// Where a maximum is reached: "x = 1" at an end of the interval, where the
// place is exact, "x ≈ 1,1088452" inside it.
QString placeOfMaximum(const DerivativeMax &m, double a, double b);

// A refusal of the proofs with its place in [a; b]: «производная порядка 2
// не ограничена или не существует вблизи x ≈ 0».
QString proofRefusalText(const Refusal &why, double a, double b, int order = 0);

// Why a rule does not take n: «n должно быть чётным», «n должно делиться на 3».
QString countRefusalText(RuleKind kind, const Refusal &why);

// A whole study's refusal as the window's one message: the field at fault,
// the place where f is not defined, the typo in f.
QString studyRefusalText(const Refusal &why, const QString &formula, double a, double b);

// A refusal of the text of field a, b or ε (why.input) as the one reader of
// numbers gives it (StudyInputs::number): not a number, or a value out of
// range, as studyRefusalText says it; a typo of the expression named with
// its place in `text`: «В поле a (начало отрезка) ошибка: Неизвестное имя …».
QString fieldRefusalText(const Refusal &why, const QString &text);

// The text of f with the character at `position` (in characters, from 0)
// marked, as rich text: where the parser stopped reading.
QString markedFormula(const QString &text, std::size_t position);

} // namespace kvadrolab
