// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/answertext.h"

#include "expression/refusaltext.h"
#include "proof/decimal.h"
#include "proof/refusaltext.h"
#include "study/ruletext.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <system_error>

namespace kvadrolab {

namespace {

constexpr int kJsonDigits = 17;
// A rule's bound in the summary, rounded up: six digits, so that rounding
// up adds at most a millionth of it (1/96 reads 0,0104167) where three
// added up to a percent (0,0105).
constexpr int kBoundDigits = 6;

// The largest double is 1.7976931348623157e308. A quantity past it (an
// upper bound rounded up to infinity, a difference that overflowed) has no
// JSON number a reader could keep: the JSON prints null and says which way
// it lies, the summary says it in place of the number.
constexpr const char *kAboveDoubles = "> 1.8e308";
constexpr const char *kBelowDoubles = "< -1.8e308";
constexpr const char *kAboveDoublesShown = "> 1,8·10^308";
constexpr const char *kBelowDoublesShown = "< -1,8·10^308";

bool isExpressionReason(Reason reason)
{
    switch (reason) {
    case Reason::EmptyExpression:
    case Reason::ExpressionTooLong:
    case Reason::NestingTooDeep:
    case Reason::InvalidUtf8:
    case Reason::ControlCharacter:
    case Reason::UnexpectedCharacter:
    case Reason::UnknownName:
    case Reason::NameInCapitals:
    case Reason::CyrillicX:
    case Reason::AmbiguousLog:
    case Reason::FunctionNeedsBracket:
    case Reason::ExpectedOperand:
    case Reason::ExpectedOperator:
    case Reason::UnclosedBracket:
    case Reason::UnmatchedClosingBracket:
    case Reason::NumberOutOfRange:
        return true;
    default:
        return false;
    }
}

// The whole answer's reason: the parser's sentence for a text that is no
// expression (it quotes the text), the proofs' words otherwise.
std::string wholeReason(const Refusal &why, std::string_view f)
{
    if (isExpressionReason(why.reason))
        return describeExpressionRefusal(why, f);
    return proofReasonText(why.reason);
}

// A JSON string: the text is valid UTF-8 (the parser refuses anything
// else before an answer exists), so only quotes, backslashes and control
// characters need escapes.
std::string jsonString(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", u);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// A number of the JSON: its digits, or null and, for a quantity past every
// double, the side it lies on (printed beside it as "beyond").
struct JsonNumber
{
    std::string text;
    std::string beyond; // empty when text is the number, or for a NaN
};

JsonNumber number(double v, Rounding rounding)
{
    if (std::isfinite(v))
        return {decimalText(v, kJsonDigits, rounding), {}};
    // No computation here yields a NaN; were one to arrive, null says
    // nothing false about it.
    if (std::isnan(v))
        return {"null", {}};
    return {"null", v > 0 ? kAboveDoubles : kBelowDoubles};
}

// The integral's radius, rounded up from the distance to the printed
// midpoint: a radius within a few units of the largest double could round
// past it, and its digits must read back as a double.
JsonNumber radius(const std::string &mid, const Enclosure &e)
{
    std::string text = radiusText(mid, e.lower, e.upper, kJsonDigits);
    double read = 0;
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), read);
    if (parsed.ec != std::errc{} || !std::isfinite(read))
        return {"null", kAboveDoubles};
    return {std::move(text), {}};
}

// ", \"key\": " and the number, and the companion that says what the object's
// null lies beyond, appended at the object's end.
std::string member(const std::string &key, const JsonNumber &n)
{
    return ", \"" + key + "\": " + n.text;
}

std::string beyond(const std::string &key, const JsonNumber &n)
{
    return n.beyond.empty() ? std::string() : ", \"" + key + "\": \"" + n.beyond + "\"";
}

std::string where(const Refusal &why, double a, double b)
{
    return why.x && std::isfinite(*why.x) ? placeDecimal(*why.x, a, b) : "null";
}

std::string refusedJson(const std::string &reason, const Refusal &why, const Answer &answer)
{
    return "{\"refused\": " + jsonString(reason) +
           ", \"where\": " + where(why, answer.a, answer.b) + "}";
}

std::string maximumJson(const Result<DerivativeMax> &m, int order, const Answer &answer)
{
    if (!m)
        return refusedJson(proofReasonText(m.reason(), order), m.refusal(), answer);
    const JsonNumber upper = number(m->upper, Rounding::Up);
    return "{\"lower\": " + number(m->lower, Rounding::Down).text + member("upper", upper) +
           member("x", number(m->at, Rounding::Nearest)) + beyond("beyond", upper) + "}";
}

// An enclosure as {"mid", "rad"}, the radius rounded up from the printed
// midpoint as the integral's is; a refusal (the exact sum past its work
// limit, a node f has no value at) as {"refused", "where"}.
std::string enclosureJson(const Result<Enclosure> &e, const Answer &answer)
{
    if (!e)
        return refusedJson(proofReasonText(e.reason()), e.refusal(), answer);
    const std::string mid = number(e->mid, Rounding::Nearest).text;
    // The fine ball holds the truth within fineRad of mid + midTail, and mid
    // is printed so that it reads back as itself: the radius about it is
    // |midTail| + fineRad, taken up, far below a double's rounding where
    // the sum is exact (x^3 under Simpson).
    if (std::isfinite(e->fineRad)) {
        const double rad = std::nextafter(std::fabs(e->midTail) + e->fineRad, INFINITY);
        if (std::isfinite(rad) && rad <= e->rad)
            return "{\"mid\": " + mid + member("rad", number(rad, Rounding::Up)) + "}";
    }
    const JsonNumber rad = radius(mid, *e);
    return "{\"mid\": " + mid + member("rad", rad) + beyond("beyond", rad) + "}";
}

std::string ruleJson(RuleKind kind, const Result<RuleAnswer> &rule, const Answer &answer)
{
    if (!rule)
        return refusedJson(ruleRefusalText(kind, rule.refusal()), rule.refusal(), answer);
    const JsonNumber error = number(rule->error, Rounding::Nearest);
    std::string out = "{\"n\": " + std::to_string(rule->n) +
                      member("value", number(rule->value, Rounding::Nearest)) +
                      member("error", error);
    JsonNumber bound;
    if (rule->bound)
        bound = number(*rule->bound, Rounding::Up);
    else
        bound.text = refusedJson(proofReasonText(rule->bound.reason(), ruleInfo(kind).derivative),
                                 rule->bound.refusal(), answer);
    const auto exactPart = [&](const Enclosure ExactRuleValue::*part) -> Result<Enclosure> {
        if (!rule->exact)
            return rule->exact.refusal();
        return (*rule->exact).*part;
    };
    return out + member("bound", bound) + beyond("errorBeyond", error) + beyond("beyond", bound) +
           ", \"exact\": " + enclosureJson(exactPart(&ExactRuleValue::value), answer) +
           ", \"exact_error\": " + enclosureJson(exactPart(&ExactRuleValue::error), answer) + "}";
}

// A text with a decimal comma, as the windows show numbers.
std::string comma(std::string text)
{
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

// A number of the summary: its digits with a decimal comma, or the side of
// the doubles it lies past.
std::string shown(double v, int significant, Rounding rounding)
{
    if (std::isfinite(v))
        return comma(decimalText(v, significant, rounding));
    if (std::isnan(v))
        return "—";
    return v > 0 ? kAboveDoublesShown : kBelowDoublesShown;
}

// The integral with as many significant digits as its width leaves
// certain, then the radius (two digits, up) that still holds it around the
// shortened midpoint.
std::string provenIntegralText(const Enclosure &e)
{
    int digits = kJsonDigits;
    const double width = e.upper - e.lower;
    const double size = std::fmax(std::fabs(e.lower), std::fabs(e.upper));
    if (width > 0 && size > 0) {
        const int leading = static_cast<int>(std::floor(std::log10(size)));
        const int last = static_cast<int>(std::floor(std::log10(width)));
        digits = std::clamp(leading - last + 1, 1, kJsonDigits);
    }
    const std::string mid = decimalText(e.mid, digits, Rounding::Nearest);
    return comma(mid) + " ± " + comma(radiusText(mid, e.lower, e.upper, 2));
}

std::string derivativeName(int order)
{
    switch (order) {
    case 1:
        return "f′";
    case 2:
        return "f″";
    default:
        return "f⁽" + std::string(order == 4 ? "⁴" : "⁶") + "⁾";
    }
}

// Pads a UTF-8 text to `width` characters (code points).
std::string padded(const std::string &text, std::size_t width)
{
    std::size_t characters = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++characters;
    // At least one space: a value as wide as its column must not run into
    // the next.
    return text + std::string(characters < width ? width - characters : 1, ' ');
}

} // namespace

std::string answerJson(const Answer &answer)
{
    const Enclosure &e = answer.integral;
    // The enclosure's ends are doubles (certifiedIntegral refuses any other),
    // and so are its midpoint and the ends of the interval.
    const std::string mid = number(e.mid, Rounding::Nearest).text;
    const JsonNumber rad = radius(mid, e);
    std::string out =
        "{\"f\": " + jsonString(answer.f) + member("a", number(answer.a, Rounding::Nearest)) +
        member("b", number(answer.b, Rounding::Nearest)) + ", \"integral\": {\"mid\": " + mid +
        member("rad", rad) + beyond("beyond", rad) + "}";
    out += ", \"limits\": [";
    for (std::size_t i = 0; i < answer.limits.size(); ++i)
        out += std::string(i > 0 ? ", " : "") +
               "{\"x\": " + number(answer.limits[i].x, Rounding::Nearest).text +
               member("value", number(answer.limits[i].value, Rounding::Nearest)) + "}";
    out += "]";
    for (std::size_t i = 0; i < studyOrders.size(); ++i)
        out += ", \"M" + std::to_string(studyOrders[i]) +
               "\": " + maximumJson(answer.maxima[i], studyOrders[i], answer);
    out += ", \"rules\": {";
    for (std::size_t i = 0; i < allRules.size(); ++i) {
        if (i > 0)
            out += ", ";
        out += jsonString(ruleInfo(allRules[i]).name) + ": " +
               ruleJson(allRules[i], answer.rules[i], answer);
    }
    return out + "}}\n";
}

std::string refusalJson(const Refusal &why, std::string_view f, double a, double b)
{
    const std::string position =
        why.position ? std::to_string(*why.position + 1) : std::string("null");
    return "{\"refused\": " + jsonString(wholeReason(why, f)) + ", \"where\": " + where(why, a, b) +
           ", \"position\": " + position + "}\n";
}

std::string answerSummary(const Answer &answer)
{
    std::string out = "f(x) = " + answer.f + " на [" +
                      shown(answer.a, kJsonDigits, Rounding::Nearest) + "; " +
                      shown(answer.b, kJsonDigits, Rounding::Nearest) + "]\n";
    if (answer.a > answer.b)
        out += "(a > b: интеграл и правила взяты с обратным знаком, M_k — на [b; a])\n";
    out += "Интеграл = " + provenIntegralText(answer.integral) + "\n";
    for (const PointLimit &limit : answer.limits)
        out += limitText(shown(limit.x, kJsonDigits, Rounding::Nearest),
                         shown(limit.value, kJsonDigits, Rounding::Nearest)) +
               "\n";
    out += "\n";

    for (std::size_t i = 0; i < studyOrders.size(); ++i) {
        const int order = studyOrders[i];
        const Result<DerivativeMax> &m = answer.maxima[i];
        std::string label = "M";
        label += std::to_string(order) + " = max|" + derivativeName(order) + "|";
        out += padded(label, 16);
        if (!m) {
            out += describeProofRefusal(m.refusal(), answer.a, answer.b, order) + "\n";
            continue;
        }
        out += "∈ [" + shown(m->lower, 10, Rounding::Down) + "; " +
               shown(m->upper, 10, Rounding::Up) + "], достигается при x ≈ " + placeText(m->at) +
               "\n";
    }

    out += "\nСоставные правила:\n";
    out += padded("  метод", 27) + padded("n", 9) + padded("значение", 24) +
           padded("отклонение", 12) + "оценка погрешности\n";
    for (std::size_t i = 0; i < allRules.size(); ++i) {
        const RuleKind kind = allRules[i];
        const Result<RuleAnswer> &rule = answer.rules[i];
        out += padded("  " + ruleTitle(kind), 27);
        if (!rule) {
            out += ruleRefusalText(kind, rule.refusal()) + "\n";
            continue;
        }
        out += padded(std::to_string(rule->n), 9) +
               padded(shown(rule->value, 17, Rounding::Nearest), 24) +
               padded(shown(rule->error, 3, Rounding::Nearest), 12);
        if (rule->bound && std::isfinite(*rule->bound))
            out += "≤ " + shown(*rule->bound, kBoundDigits, Rounding::Up);
        else if (rule->bound)
            out += shown(*rule->bound, kBoundDigits, Rounding::Up);
        else
            out += describeProofRefusal(rule->bound.refusal(), answer.a, answer.b,
                                        ruleInfo(kind).derivative);
        out += "\n";
    }
    return out;
}

std::string refusalSummary(const Refusal &why, std::string_view f, double a, double b)
{
    if (isExpressionReason(why.reason))
        return describeExpressionRefusal(why, f) + "\n";
    std::string text = describeProofRefusal(why, a, b);
    if (why.reason == Reason::NonFiniteInput || why.reason == Reason::EmptyInterval)
        return text + "\n";
    return "Интеграл не доказан: " + text + "\n";
}

} // namespace kvadrolab
