// SPDX-License-Identifier: GPL-3.0-or-later
#include "proof/exactbound.h"

#include "proof/exactends.h"

#include <flint/fmpq.h>
#include <flint/fmpz.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kvadrolab {

namespace {

class Rational
{
public:
    Rational() { fmpq_init(m_q); }
    ~Rational() { fmpq_clear(m_q); }
    Rational(const Rational &) = delete;
    Rational &operator=(const Rational &) = delete;

    fmpq *get() { return m_q; }
    const fmpq *get() const { return m_q; }

private:
    fmpq_t m_q;
};

// A power of ten this large (a literal such as 1e-99999, read as 0 by the
// fields) is left to the balls rather than written out in digits.
constexpr long kMaxDecimalExponent = 100000;

void setDouble(fmpq *q, double d)
{
    arf_t v;
    arf_init(v);
    arf_set_d(v, d);
    fmpz_t mantissa, exponent;
    fmpz_init(mantissa);
    fmpz_init(exponent);
    arf_get_fmpz_2exp(mantissa, exponent, v);
    fmpz_set(fmpq_numref(q), mantissa);
    fmpz_one(fmpq_denref(q));
    const slong e = fmpz_get_si(exponent);
    if (e >= 0)
        fmpq_mul_2exp(q, q, static_cast<ulong>(e));
    else
        fmpq_div_2exp(q, q, static_cast<ulong>(-e));
    fmpz_clear(mantissa);
    fmpz_clear(exponent);
    arf_clear(v);
}

// A literal as the parser keeps it: digits, at most one '.', then "e" with
// an optional sign and digits.
bool setDecimal(fmpq *q, const std::string &literal)
{
    std::string digits;
    long scale = 0;
    std::size_t i = 0;
    bool point = false;
    for (; i < literal.size() && literal[i] != 'e' && literal[i] != 'E'; ++i) {
        const char c = literal[i];
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            digits += c;
            if (point)
                --scale;
        } else {
            return false;
        }
    }
    if (digits.empty())
        return false;
    if (i < literal.size()) {
        const std::string exponent = literal.substr(i + 1);
        if (exponent.empty() || exponent.size() > 12 ||
            exponent.find_first_not_of("+-0123456789") != std::string::npos)
            return false;
        scale += std::stol(exponent);
    }
    if (scale > kMaxDecimalExponent || scale < -kMaxDecimalExponent)
        return false;
    fmpz_t m, ten;
    fmpz_init(m);
    fmpz_init(ten);
    const bool read = fmpz_set_str(m, digits.c_str(), 10) == 0;
    fmpz_ui_pow_ui(ten, 10, static_cast<ulong>(scale < 0 ? -scale : scale));
    if (scale >= 0) {
        fmpz_mul(fmpq_numref(q), m, ten);
        fmpz_one(fmpq_denref(q));
    } else {
        fmpq_set_fmpz_frac(q, m, ten);
    }
    fmpz_clear(m);
    fmpz_clear(ten);
    return read;
}

// The exact number as a rational, where its program is one.
bool setExact(fmpq *q, const ExactNumber &number)
{
    if (number.program.steps.empty()) {
        if (!std::isfinite(number.value))
            return false;
        setDouble(q, number.value);
        return true;
    }
    std::vector<std::unique_ptr<Rational>> stack;
    for (const Step &step : number.program.steps) {
        const auto binary = binaryOp(step.op);
        if (operandCount(step.op) == 0) {
            if (step.op != Op::Number)
                return false;
            stack.push_back(std::make_unique<Rational>());
            if (!setDecimal(stack.back()->get(), step.literal))
                return false;
        } else if (binary) {
            if (stack.size() < 2)
                return false;
            fmpq *right = stack.back()->get();
            fmpq *left = stack[stack.size() - 2]->get();
            switch (*binary) {
            case BinaryOp::Add:
                fmpq_add(left, left, right);
                break;
            case BinaryOp::Sub:
                fmpq_sub(left, left, right);
                break;
            case BinaryOp::Mul:
                fmpq_mul(left, left, right);
                break;
            case BinaryOp::Div:
                if (fmpq_is_zero(right))
                    return false;
                fmpq_div(left, left, right);
                break;
            case BinaryOp::Pow:
                return false;
            }
            stack.pop_back();
        } else if (step.op == Op::Neg && !stack.empty()) {
            fmpq_neg(stack.back()->get(), stack.back()->get());
        } else if (step.op == Op::PowInt && !stack.empty()) {
            fmpq *base = stack.back()->get();
            if (fmpq_is_zero(base) && step.exponent < 0)
                return false;
            if (std::abs(static_cast<long>(step.exponent)) > 4096)
                return false;
            fmpq_pow_si(base, base, step.exponent);
        } else {
            return false; // pi, e, a function: no rational
        }
    }
    if (stack.size() != 1)
        return false;
    fmpq_set(q, stack.back()->get());
    return true;
}

} // namespace

bool atMostExact(double value, const ExactNumber &limit)
{
    if (std::isnan(value))
        return false;
    if (std::isinf(value))
        return value < 0;
    Rational v, l;
    if (setExact(l.get(), limit)) {
        setDouble(v.get(), value);
        return fmpq_cmp(v.get(), l.get()) <= 0;
    }
    Ball ball, d;
    if (!exactBall(ball.get(), limit, 256))
        return false;
    arb_set_d(d.get(), value);
    return arb_le(d.get(), ball.get());
}

std::optional<long> wholeMultiple(const ExactNumber &p, long v)
{
    Rational q;
    if (!setExact(q.get(), p) || fmpq_sgn(q.get()) <= 0)
        return std::nullopt;
    fmpq_mul_si(q.get(), q.get(), v);
    if (!fmpz_is_one(fmpq_denref(q.get())) || !fmpz_fits_si(fmpq_numref(q.get())))
        return std::nullopt;
    return fmpz_get_si(fmpq_numref(q.get()));
}

} // namespace kvadrolab
