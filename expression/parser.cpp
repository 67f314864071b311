// SPDX-License-Identifier: GPL-3.0-or-later
#include "expression/parser.h"

#include "base/numberreader.h"
#include "expression/textreader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kvadrolab {

namespace {

constexpr char32_t kMinus = U'\u2212';
constexpr char32_t kPi = U'π';

struct FunctionName
{
    std::string_view name;
    Op op;
};

// Both notations: the one of Russian textbooks and the one of programming.
constexpr std::array kFunctions{
    FunctionName{"sin", Op::Sin},     FunctionName{"cos", Op::Cos},
    FunctionName{"tg", Op::Tan},      FunctionName{"tan", Op::Tan},
    FunctionName{"ctg", Op::Cot},     FunctionName{"cot", Op::Cot},
    FunctionName{"arcsin", Op::Asin}, FunctionName{"asin", Op::Asin},
    FunctionName{"arccos", Op::Acos}, FunctionName{"acos", Op::Acos},
    FunctionName{"arctg", Op::Atan},  FunctionName{"atan", Op::Atan},
    FunctionName{"arcctg", Op::Acot}, FunctionName{"arccot", Op::Acot},
    FunctionName{"sh", Op::Sinh},     FunctionName{"sinh", Op::Sinh},
    FunctionName{"ch", Op::Cosh},     FunctionName{"cosh", Op::Cosh},
    FunctionName{"th", Op::Tanh},     FunctionName{"tanh", Op::Tanh},
    FunctionName{"cth", Op::Coth},    FunctionName{"coth", Op::Coth},
    FunctionName{"exp", Op::Exp},     FunctionName{"ln", Op::Ln},
    FunctionName{"lg", Op::Lg},       FunctionName{"sqrt", Op::Sqrt},
    FunctionName{"cbrt", Op::Cbrt},   FunctionName{"abs", Op::Abs},
};

bool isDigit(char32_t c)
{
    return c >= '0' && c <= '9';
}

bool isSpace(char32_t c)
{
    // The no-break space comes with text copied from documents. A tab is a
    // control character: a field never receives one from the keyboard, so
    // one in the text came from a paste that brought more than the formula.
    return c == ' ' || c == U'\u00A0';
}

bool isControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == U'\u2028' || c == U'\u2029';
}

bool isSign(char32_t c)
{
    return c == '+' || c == '-' || c == kMinus;
}

// What waits on the operator stack for its right side or its closing bracket.
enum class Pending : std::uint8_t { Bracket, Call, Negate, Binary };

struct Entry
{
    Pending kind;
    Op op;                  // Call: the function; Binary: the operator
    std::size_t position;   // Bracket, Call: the '('; otherwise the sign
    std::size_t stepAt = 0; // Call: where its name starts
};

int precedence(const Entry &e)
{
    if (e.kind == Pending::Negate)
        return 3;
    const std::optional<BinaryOp> op = binaryOp(e.op);
    if (!op)
        return 4; // no operator: a Binary entry holds one of the five
    switch (*op) {
    case BinaryOp::Add:
    case BinaryOp::Sub:
        return 1;
    case BinaryOp::Mul:
    case BinaryOp::Div:
        return 2;
    case BinaryOp::Pow:
        return 4;
    }
    return 4;
}

Step makeStep(Op op, std::size_t position)
{
    Step s;
    s.op = op;
    s.position = position;
    return s;
}

Refusal refuse(Reason why, std::size_t position)
{
    return Refusal{why, Input::Integrand, position};
}

// An exact rational number: what an exponent built of typed decimals and the
// four operations is worth, with no rounding, so that x^((0,1+0,2)*10) is
// x^3 as typed (in doubles the exponent is 3.0000000000000004). Any step
// whose exact value leaves int64 gives up the fold (the exponent then stays
// a general one): nothing is ever rounded.
struct Fraction
{
    std::int64_t num = 0;
    std::int64_t den = 1; // > 0, and coprime with num
};

std::int64_t gcd64(std::int64_t a, std::int64_t b)
{
    // Magnitudes as unsigned: |INT64_MIN| has no int64.
    std::uint64_t x = a < 0 ? 0 - static_cast<std::uint64_t>(a) : static_cast<std::uint64_t>(a);
    std::uint64_t y = b < 0 ? 0 - static_cast<std::uint64_t>(b) : static_cast<std::uint64_t>(b);
    while (y != 0)
        x = std::exchange(y, x % y);
    return static_cast<std::int64_t>(x); // no operand is ever INT64_MIN
}

std::optional<Fraction> reduced(std::int64_t num, std::int64_t den)
{
    if (den == 0 || num == INT64_MIN || den == INT64_MIN)
        return std::nullopt;
    if (den < 0) {
        num = -num;
        den = -den;
    }
    const std::int64_t g = gcd64(num, den);
    return Fraction{num / g, den / g};
}

std::optional<Fraction> operator-(const Fraction &a)
{
    return reduced(-a.num, a.den); // num is never INT64_MIN
}

std::optional<Fraction> combine(BinaryOp op, const Fraction &a, const Fraction &b)
{
    std::int64_t num = 0;
    std::int64_t den = 0;
    switch (op) {
    case BinaryOp::Add:
    case BinaryOp::Sub: {
        const std::int64_t g = gcd64(a.den, b.den);
        std::int64_t left = 0;
        std::int64_t right = 0;
        if (__builtin_mul_overflow(a.num, b.den / g, &left) ||
            __builtin_mul_overflow(b.num, a.den / g, &right) ||
            __builtin_mul_overflow(a.den, b.den / g, &den))
            return std::nullopt;
        if (op == BinaryOp::Add ? __builtin_add_overflow(left, right, &num)
                                : __builtin_sub_overflow(left, right, &num))
            return std::nullopt;
        return reduced(num, den);
    }
    case BinaryOp::Mul:
    case BinaryOp::Div: {
        // Division multiplies by the reciprocal; a zero divisor has none.
        const Fraction c = op == BinaryOp::Mul ? b : Fraction{b.den, b.num};
        if (c.den == 0)
            return std::nullopt;
        const std::int64_t g1 = gcd64(a.num, c.den);
        const std::int64_t g2 = gcd64(c.num, a.den);
        if (__builtin_mul_overflow(a.num / g1, c.num / g2, &num) ||
            __builtin_mul_overflow(a.den / g2, c.den / g1, &den))
            return std::nullopt;
        return reduced(num, den);
    }
    case BinaryOp::Pow:
        break; // a power: no exact fold
    }
    return std::nullopt;
}

// The exact value of a literal as the number reader writes it: digits, an
// optional '.', digits, an optional "e" with an optional '-' and digits.
std::optional<Fraction> exactLiteral(std::string_view literal)
{
    std::string digits;
    std::int64_t power = 0; // of ten
    std::size_t i = 0;
    bool fraction = false;
    for (; i < literal.size() && literal[i] != 'e'; ++i) {
        if (literal[i] == '.') {
            fraction = true;
            continue;
        }
        digits += literal[i];
        power -= fraction ? 1 : 0;
    }
    if (i < literal.size()) {
        const bool negative = i + 1 < literal.size() && literal[i + 1] == '-';
        std::int64_t e = 0;
        // Saturates: an exponent this large leaves int64 either way.
        for (std::size_t k = i + (negative ? 2 : 1); k < literal.size(); ++k)
            e = std::min<std::int64_t>(e * 10 + (literal[k] - '0'), 100'000);
        power += negative ? -e : e;
    }
    while (!digits.empty() && digits.back() == '0') {
        digits.pop_back();
        ++power;
    }
    const auto first = digits.find_first_not_of('0');
    if (first == std::string::npos)
        return Fraction{0, 1};
    digits.erase(0, first);
    if (digits.size() > 18 || power > 18 || power < -18)
        return std::nullopt;
    std::int64_t num = std::stoll(digits);
    std::int64_t den = 1;
    for (; power > 0; --power)
        if (__builtin_mul_overflow(num, 10, &num))
            return std::nullopt;
    for (; power < 0; ++power)
        den *= 10;
    return reduced(num, den);
}

// The exponent of Op::PowInt: a whole number within int32, either sign.
std::optional<std::int32_t> wholeExponent(const std::optional<Fraction> &v)
{
    if (!v || v->den != 1 || v->num > INT32_MAX || v->num < -INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(v->num);
}

class Compiler
{
public:
    explicit Compiler(std::vector<char32_t> text) : m_text(std::move(text)) {}

    Result<Program> run();

private:
    char32_t at(std::size_t i) const { return i < m_text.size() ? m_text[i] : 0; }
    std::optional<Refusal> push(Entry e);
    void emitOperand(Step s);
    void emit(const Entry &e);
    void applyBinary(Op op, std::size_t position);
    std::optional<Refusal> number(std::size_t &i);
    std::optional<Refusal> name(std::size_t &i);

    std::vector<char32_t> m_text;
    std::vector<Entry> m_pending;
    std::vector<Step> m_steps;
    // Where each value now on the (compile-time) stack starts in m_steps, and
    // its exact value where it is built of number literals, signs and + - * /
    // alone: the right side of ^ with a whole value becomes Op::PowInt.
    std::vector<std::size_t> m_starts;
    std::vector<std::optional<Fraction>> m_constants;
};

std::optional<Refusal> Compiler::push(Entry e)
{
    if (m_pending.size() >= kMaxNesting)
        return refuse(Reason::NestingTooDeep, e.position);
    m_pending.push_back(e);
    return std::nullopt;
}

void Compiler::emitOperand(Step s)
{
    m_starts.push_back(m_steps.size());
    m_constants.push_back(s.op == Op::Number ? exactLiteral(s.literal) : std::nullopt);
    m_steps.push_back(std::move(s));
}

void Compiler::emit(const Entry &e)
{
    if (e.kind == Pending::Negate) {
        if (m_constants.back())
            m_constants.back() = -*m_constants.back();
        m_steps.push_back(makeStep(Op::Neg, e.position));
        return;
    }
    if (e.kind == Pending::Call) {
        m_constants.back() = std::nullopt; // a function's value is not worked out
        m_steps.push_back(makeStep(e.op, e.stepAt));
        return;
    }
    const std::size_t right = m_starts.back();
    const std::optional<Fraction> exponent = m_constants.back();
    m_starts.pop_back();
    m_constants.pop_back();
    std::optional<Fraction> &left = m_constants.back();
    if (e.op == Op::Pow) {
        left = std::nullopt; // nor is a power's: x^(2^2) stays a general power
        // The steps of a folded exponent go; the power keeps the position of
        // its '^', which a refusal at run time names.
        if (const auto whole = wholeExponent(exponent)) {
            m_steps.resize(right);
            Step s = makeStep(Op::PowInt, e.position);
            s.exponent = *whole;
            m_steps.push_back(std::move(s));
            return;
        }
    } else if (left) {
        left = exponent ? combine(*binaryOp(e.op), *left, *exponent) : std::nullopt;
    }
    m_steps.push_back(makeStep(e.op, e.position));
}

// Pops what binds at least as tightly as the arriving operator (^ is
// right-associative, so an arriving ^ leaves an earlier ^ waiting).
void Compiler::applyBinary(Op op, std::size_t position)
{
    const Entry arriving{Pending::Binary, op, position};
    const int p = precedence(arriving);
    while (!m_pending.empty()) {
        const Entry &top = m_pending.back();
        if (top.kind == Pending::Bracket || top.kind == Pending::Call)
            break;
        const int q = precedence(top);
        if (q < p || (q == p && op == Op::Pow))
            break;
        emit(top);
        m_pending.pop_back();
    }
}

std::optional<Refusal> Compiler::number(std::size_t &i)
{
    const std::size_t start = i;
    std::string ascii;
    bool separator = false;
    for (;; ++i) {
        const char32_t c = at(i);
        if (isDigit(c)) {
            ascii += static_cast<char>(c);
        } else if ((c == '.' || c == ',') && !separator) {
            ascii += '.';
            separator = true;
        } else {
            break;
        }
    }
    // The letter is an exponent only when digits follow it, as in the number
    // fields; otherwise it is the constant e, multiplied in.
    const char32_t e = at(i);
    if (e == 'e' || e == 'E') {
        const bool signed_ = isSign(at(i + 1));
        if (isDigit(at(i + (signed_ ? 2 : 1)))) {
            ascii += 'e';
            ++i;
            if (signed_) {
                if (at(i) != '+')
                    ascii += '-';
                ++i;
            }
            while (isDigit(at(i)))
                ascii += static_cast<char>(at(i++));
        }
    }
    const Result<ScannedNumber> scanned = scanNumber(ascii);
    // The text is the fields' grammar by construction: only its range fails.
    if (!scanned || scanned->length != ascii.size())
        return refuse(Reason::NumberOutOfRange, start);
    Step s = makeStep(Op::Number, start);
    s.value = scanned->value;
    s.literal = std::move(ascii);
    emitOperand(std::move(s));
    return std::nullopt;
}

std::optional<Refusal> Compiler::name(std::size_t &i)
{
    const std::size_t start = i;
    std::string word;
    bool ascii = true;
    while (isNameCharacter(at(i))) {
        ascii = ascii && at(i) < 0x80;
        word += static_cast<char>(at(i) & 0x7F);
        ++i;
    }
    if (!ascii) {
        // The Cyrillic х looks like x: it comes when the keyboard is left
        // in Russian, and the student sees nothing wrong in the text.
        const bool cyrillicX = i == start + 1 && (at(start) == U'х' || at(start) == U'Х');
        return refuse(cyrillicX ? Reason::CyrillicX : Reason::UnknownName, start);
    }
    if (word == "x") {
        emitOperand(makeStep(Op::X, start));
        return std::nullopt;
    }
    if (word == "pi" || word == "e") {
        emitOperand(makeStep(word == "e" ? Op::E : Op::Pi, start));
        return std::nullopt;
    }
    if (word == "log")
        return refuse(Reason::AmbiguousLog, start);
    const auto f = std::find_if(kFunctions.begin(), kFunctions.end(),
                                [&](const FunctionName &n) { return n.name == word; });
    if (f == kFunctions.end()) {
        // Names have one spelling, the lowercase one of the textbooks; a
        // name typed in capitals (Pi, Sin, X) is not guessed at, but named
        // with that spelling rather than called unknown.
        std::string lower = word;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
        if (lower == "log")
            return refuse(Reason::AmbiguousLog, start);
        const bool known = lower == "x" || lower == "pi" || lower == "e" ||
                           std::any_of(kFunctions.begin(), kFunctions.end(),
                                       [&](const FunctionName &n) { return n.name == lower; });
        return refuse(known ? Reason::NameInCapitals : Reason::UnknownName, start);
    }
    while (isSpace(at(i)))
        ++i;
    if (at(i) != '(')
        return refuse(Reason::FunctionNeedsBracket, start);
    const std::size_t bracket = i++;
    return push(Entry{Pending::Call, f->op, bracket, start});
}

Result<Program> Compiler::run()
{
    const std::size_t n = m_text.size();
    bool expectOperand = true;
    std::size_t i = 0;
    // Every pass consumes at least one character, or turns an implicit
    // product into an explicit one and then consumes one: at most 2n passes.
    while (true) {
        while (i < n && isSpace(m_text[i]))
            ++i;
        if (i == n)
            break;
        const char32_t c = m_text[i];
        const bool numberStart = isDigit(c) || ((c == '.' || c == ',') && isDigit(at(i + 1)));
        if (expectOperand) {
            std::optional<Refusal> why;
            if (numberStart) {
                why = number(i);
                expectOperand = false;
            } else if (isNameCharacter(c)) {
                const std::size_t before = m_steps.size();
                why = name(i);
                expectOperand = m_steps.size() == before; // a function waits for its argument
            } else if (c == kPi) {
                emitOperand(makeStep(Op::Pi, i++));
                expectOperand = false;
            } else if (c == '(') {
                why = push(Entry{Pending::Bracket, Op::Add, i});
                ++i;
            } else if (c == '-' || c == kMinus) {
                why = push(Entry{Pending::Negate, Op::Neg, i});
                ++i;
            } else if (c == '+') {
                ++i;
            } else if (c == ')' || c == '*' || c == '/' || c == '^') {
                why = refuse(Reason::ExpectedOperand, i);
            } else {
                why = refuse(isControl(c) ? Reason::ControlCharacter : Reason::UnexpectedCharacter,
                             i);
            }
            if (why)
                return *why;
            continue;
        }
        Op op = Op::Add;
        switch (c) {
        case '+':
            op = Op::Add;
            break;
        case '-':
        case kMinus:
            op = Op::Sub;
            break;
        case '*':
            op = Op::Mul;
            break;
        case '/':
            op = Op::Div;
            break;
        case '^':
            op = Op::Pow;
            break;
        case ')': {
            while (!m_pending.empty() && m_pending.back().kind != Pending::Bracket &&
                   m_pending.back().kind != Pending::Call) {
                emit(m_pending.back());
                m_pending.pop_back();
            }
            if (m_pending.empty())
                return refuse(Reason::UnmatchedClosingBracket, i);
            if (m_pending.back().kind == Pending::Call)
                emit(m_pending.back());
            m_pending.pop_back();
            ++i;
            continue;
        }
        default:
            if (c == '(' || c == kPi || isNameCharacter(c)) {
                // Implicit multiplication: the operand that follows is read
                // on the next pass.
                applyBinary(Op::Mul, i);
                if (auto why = push(Entry{Pending::Binary, Op::Mul, i}))
                    return *why;
                expectOperand = true;
                continue;
            }
            if (numberStart)
                return refuse(Reason::ExpectedOperator, i);
            return refuse(isControl(c) ? Reason::ControlCharacter : Reason::UnexpectedCharacter, i);
        }
        applyBinary(op, i);
        if (auto why = push(Entry{Pending::Binary, op, i}))
            return *why;
        expectOperand = true;
        ++i;
    }
    if (expectOperand) {
        if (m_steps.empty() && m_pending.empty())
            return refuse(Reason::EmptyExpression, 0);
        return refuse(Reason::ExpectedOperand, n);
    }
    while (!m_pending.empty()) {
        const Entry &top = m_pending.back();
        if (top.kind == Pending::Bracket || top.kind == Pending::Call)
            return refuse(Reason::UnclosedBracket, top.position);
        emit(top);
        m_pending.pop_back();
    }

    Program program;
    std::size_t depth = 0;
    for (const Step &s : m_steps) {
        depth = depth - operandCount(s.op) + 1;
        program.stackDepth = std::max(program.stackDepth, depth);
    }
    program.steps = std::move(m_steps);
    return program;
}

} // namespace

Result<Program> parseExpression(std::string_view utf8)
{
    // No character takes more than four bytes: a longer text is refused
    // before a byte of it is read.
    if (utf8.size() > 4 * kMaxExpressionLength)
        return refuse(Reason::ExpressionTooLong, kMaxExpressionLength);
    std::vector<char32_t> text;
    text.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        if (text.size() == kMaxExpressionLength)
            return refuse(Reason::ExpressionTooLong, kMaxExpressionLength);
        const std::optional<CodePoint> c = decodeUtf8(utf8, at);
        if (!c)
            return refuse(Reason::InvalidUtf8, text.size());
        if (isControl(c->value))
            return refuse(Reason::ControlCharacter, text.size());
        text.push_back(c->value);
        at += c->length;
    }
    return Compiler(std::move(text)).run();
}

} // namespace kvadrolab
