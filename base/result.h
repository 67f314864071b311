// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cassert>
#include <cstddef>
#include <optional>
#include <utility>
#include <variant>

namespace kvadrolab {

// Every reason the program gives for not doing what it was asked. The
// libraries return these; only a window turns one into words.
enum class Reason {
    // What was handed in.
    NotANumber,           // a text is not a number
    NonFiniteInput,       // a number is NaN or infinite
    NotWhole,             // a count has a fractional part
    CountOutOfRange,      // a count lies outside what the caller accepts
    OddCount,             // Simpson's rule takes pairs of subintervals
    CountNotMultiple,     // a rule groups its subintervals: n must be a multiple of that group
    NodeNotPositive,      // some node x <= 0, where ln x is undefined
    EmptyInterval,        // a == b: there is nothing to study
    ToleranceNotPositive, // a tolerance is not > 0
    ZeroStep,             // a step of 0 never moves
    TooManySegments,      // a picture would take more segments than its limit
    // What came out.
    NonFiniteResult,       // the arithmetic overflowed double
    BeyondSinglePrecision, // a value for the canvas has no float
    // What could not be proven about an integrand (the place is x, the step
    // of the program at fault its position).
    NotDefined, // some point lies outside the domain (a root or logarithm of a negative)
    Pole,       // the function grows without bound near x (a division by zero)
    NotSmooth,  // defined, but a derivative of the order asked has no bound near x
    NotProven,  // ball arithmetic could not settle it within its precision
    WorkLimit,  // the proof took more steps than its stated limit
    Cancelled,  // the user stopped the work before it ended
    // 0/0 near x where no limit is proven (not removable, or x no double).
    ZeroOverZero,
    // f has no bound as it nears x, though its integral there may exist.
    Improper,
    // f is not analytic at x, and neither its bound nor its limit is proven.
    Singular,
    // Files.
    MissingFolder, // the folder of the path does not exist
    IsAFolder,     // the path names a folder
    NoPermission,  // the folder or the file takes no writing
    WriteFailed,   // the system refused a write (a full disk, a lost device)
    NoCodePage,    // the converter cannot write Windows-1251
    // The integrand's text (expression/parser.h); the position is where in it.
    EmptyExpression,         // nothing but spaces
    ExpressionTooLong,       // more characters than the language reads
    NestingTooDeep,          // more brackets, signs and operators pending than the limit
    InvalidUtf8,             // bytes that are no UTF-8
    ControlCharacter,        // NUL, a line break and the like
    UnexpectedCharacter,     // a character the language has no use for
    UnknownName,             // neither x, a constant nor a function
    NameInCapitals,          // Pi, Sin, X: a known name typed in capitals
    CyrillicX,               // the Cyrillic х (or Х) typed for the variable x
    AmbiguousLog,            // log: ln or lg?
    FunctionNeedsBracket,    // sin x: the argument goes in brackets
    ExpectedOperand,         // a number, x, a constant, a function or a bracket was due
    ExpectedOperator,        // a number right after an operand: a sign was due
    UnclosedBracket,         // position: the bracket that is never closed
    UnmatchedClosingBracket, // a ')' with no '(' to close
    NumberOutOfRange,        // a number beyond the double range
};

// Which of the inputs a call was handed is at fault. A window keeps the one
// map from these to its fields.
enum class Input { A, B, Count, Tolerance, Step, Path, Integrand };

// A reason and, where there is one, its place: the input at fault, a position
// in a typed text (in characters, from 0), a place on the x axis.
struct Refusal
{
    Reason reason;
    std::optional<Input> input = {};
    std::optional<std::size_t> position = {};
    std::optional<double> x = {};

    friend bool operator==(const Refusal &, const Refusal &) = default;
};

// A value, or the reason it could not be had: the one replaces the other, so
// a refused result has no value to read by mistake.
template <typename T> class [[nodiscard]] Result
{
public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(Refusal why) : m_state(std::in_place_index<1>, std::move(why)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    // Only for a result that is ok(): reading a refused one throws.
    const T &value() const & { return std::get<0>(m_state); }
    T &&value() && { return std::get<0>(std::move(m_state)); }
    const T &operator*() const & { return value(); }
    const T *operator->() const { return &value(); }

    // Only for a result that is not ok().
    const Refusal &refusal() const { return std::get<1>(m_state); }
    Reason reason() const { return refusal().reason; }

private:
    std::variant<T, Refusal> m_state;
};

// Done, or the reason it could not be done.
template <> class [[nodiscard]] Result<void>
{
public:
    Result() = default;
    Result(Refusal why) : m_why(std::move(why)) {}

    bool ok() const { return !m_why.has_value(); }
    explicit operator bool() const { return ok(); }

    const Refusal &refusal() const
    {
        assert(m_why);
        return *m_why;
    }
    Reason reason() const { return refusal().reason; }

private:
    std::optional<Refusal> m_why;
};

} // namespace kvadrolab
