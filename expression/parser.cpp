// SPDX-License-Identifier: GPL-3.0-or-later
#include "expression/parser.h"

#include "base/numberreader.h"
#include "expression/textreader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
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
    FunctionName{"sh", Op::Sinh},     FunctionName{"sinh", Op::Sinh},
    FunctionName{"ch", Op::Cosh},     FunctionName{"cosh", Op::Cosh},
    FunctionName{"th", Op::Tanh},     FunctionName{"tanh", Op::Tanh},
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
    // The no-break space comes with text copied from documents.
    return c == ' ' || c == '\t' || c == U'\u00A0';
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
    switch (e.op) {
    case Op::Add:
    case Op::Sub:
        return 1;
    case Op::Mul:
    case Op::Div:
        return 2;
    default:
        return 4; // Pow
    }
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

// A whole exponent typed as such: digits only, within the range of PowInt.
std::optional<std::int32_t> wholeLiteral(const Step &s)
{
    if (s.op != Op::Number || s.literal.empty() || s.literal.size() > 10)
        return std::nullopt;
    std::int64_t v = 0;
    for (char c : s.literal) {
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
    }
    if (v > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(v);
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
    // Where each value now on the (compile-time) stack starts in m_steps, so
    // that the right side of ^ can be recognised as a whole literal.
    std::vector<std::size_t> m_starts;
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
    m_steps.push_back(std::move(s));
}

void Compiler::emit(const Entry &e)
{
    if (e.kind == Pending::Negate) {
        m_steps.push_back(makeStep(Op::Neg, e.position));
        return;
    }
    if (e.kind == Pending::Call) {
        m_steps.push_back(makeStep(e.op, e.stepAt));
        return;
    }
    const std::size_t right = m_starts.back();
    m_starts.pop_back();
    if (e.op == Op::Pow) {
        const std::size_t length = m_steps.size() - right;
        std::optional<std::int32_t> whole;
        if (length == 1)
            whole = wholeLiteral(m_steps[right]);
        else if (length == 2 && m_steps[right + 1].op == Op::Neg)
            if (const auto w = wholeLiteral(m_steps[right]))
                whole = -*w;
        if (whole) {
            m_steps.resize(right);
            Step s = makeStep(Op::PowInt, e.position);
            s.exponent = *whole;
            m_steps.push_back(std::move(s));
            return;
        }
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
    if (!ascii)
        return refuse(Reason::UnknownName, start);
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
    if (f == kFunctions.end())
        return refuse(Reason::UnknownName, start);
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
        if (isControl(c->value) && c->value != '\t')
            return refuse(Reason::ControlCharacter, text.size());
        text.push_back(c->value);
        at += c->length;
    }
    return Compiler(std::move(text)).run();
}

} // namespace kvadrolab
