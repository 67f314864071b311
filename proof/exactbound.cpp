// SPDX-License-Identifier: GPL-3.0-or-later
#include "proof/exactbound.h"

#include "proof/exactends.h"

#include <flint/fmpq.h>
#include <flint/fmpz.h>

#include <arf.h>

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

namespace {

class Whole
{
public:
    Whole() { fmpz_init(m_z); }
    ~Whole() { fmpz_clear(m_z); }
    Whole(const Whole &) = delete;
    Whole &operator=(const Whole &) = delete;

    fmpz *get() { return m_z; }

private:
    fmpz_t m_z;
};

// The least whole j >= 1 with j^k >= q, where q >= 0 is a whole number.
void leastRoot(fmpz *j, const fmpz *q, int k)
{
    fmpz_root(j, q, k); // the greatest j with j^k <= q
    Whole power;
    fmpz_pow_ui(power.get(), j, static_cast<ulong>(k));
    if (fmpz_cmp(power.get(), q) < 0)
        fmpz_add_ui(j, j, 1);
    if (fmpz_cmp_si(j, 1) < 0)
        fmpz_one(j);
}

std::optional<double> countAsDouble(const fmpz *j, long step)
{
    Whole n;
    fmpz_mul_si(n.get(), j, step);
    arf_t v;
    arf_init(v);
    arf_set_fmpz(v, n.get());
    const double d = arf_get_d(v, ARF_RND_NEAR);
    arf_clear(v);
    if (!std::isfinite(d))
        return std::nullopt;
    return d;
}

// (j step)^k >= q for the least j: j^k >= q / step^k, and as j^k is whole,
// j^k >= ceil(q / step^k).
std::optional<double> countInRationals(const fmpq *length, const fmpq *eps, int k, double maximum,
                                       double divisor, long step)
{
    Rational q, m, c;
    fmpq_pow_si(q.get(), length, k + 1);
    setDouble(m.get(), maximum);
    fmpq_mul(q.get(), q.get(), m.get());
    setDouble(c.get(), divisor);
    fmpq_div(q.get(), q.get(), c.get());
    fmpq_div(q.get(), q.get(), eps);
    fmpq_set_si(c.get(), step, 1);
    fmpq_pow_si(c.get(), c.get(), k);
    fmpq_div(q.get(), q.get(), c.get());
    Whole ceiling, j;
    fmpz_cdiv_q(ceiling.get(), fmpq_numref(q.get()), fmpq_denref(q.get()));
    leastRoot(j.get(), ceiling.get(), k);
    return countAsDouble(j.get(), step);
}

// The same in balls: j from the lower and the upper end of the root
// (q / step^k)^(1/k); where they differ, more bits, then the upper one.
std::optional<double> countInBalls(const ExactNumber &a, const ExactNumber &b,
                                   const ExactNumber &eps, int k, double maximum, double divisor,
                                   long step)
{
    Whole lower, upper;
    for (const slong prec : {128, 512, 4096}) {
        Ball ballA, ballB, e, q, t;
        if (!exactBall(ballA.get(), a, prec) || !exactBall(ballB.get(), b, prec) ||
            !exactBall(e.get(), eps, prec) || !arb_is_positive(e.get()))
            return std::nullopt;
        arb_sub(q.get(), ballB.get(), ballA.get(), prec);
        arb_abs(q.get(), q.get());
        arb_pow_ui(q.get(), q.get(), static_cast<ulong>(k + 1), prec);
        arb_set_d(t.get(), maximum);
        arb_mul(q.get(), q.get(), t.get(), prec);
        arb_set_d(t.get(), divisor);
        arb_div(q.get(), q.get(), t.get(), prec);
        arb_div(q.get(), q.get(), e.get(), prec);
        arb_root_ui(q.get(), q.get(), static_cast<ulong>(k), prec);
        arb_div_si(q.get(), q.get(), step, prec);
        if (!arb_is_finite(q.get()))
            return std::nullopt;
        arf_t end;
        arf_init(end);
        arb_get_lbound_arf(end, q.get(), prec);
        arf_get_fmpz(lower.get(), end, ARF_RND_CEIL);
        arb_get_ubound_arf(end, q.get(), prec);
        arf_get_fmpz(upper.get(), end, ARF_RND_CEIL);
        arf_clear(end);
        if (fmpz_equal(lower.get(), upper.get()))
            break;
    }
    if (fmpz_cmp_si(upper.get(), 1) < 0)
        fmpz_one(upper.get());
    return countAsDouble(upper.get(), step);
}

} // namespace

std::optional<double> smallestCountForBound(const ExactNumber &a, const ExactNumber &b, int k,
                                            double maximum, double divisor, long step,
                                            const ExactNumber &eps)
{
    if (k < 1 || step < 1 || !(maximum >= 0) || !std::isfinite(maximum) || !(divisor > 0) ||
        !std::isfinite(divisor))
        return std::nullopt;
    if (maximum == 0)
        return static_cast<double>(step);
    Rational ra, rb, re;
    if (setExact(ra.get(), a) && setExact(rb.get(), b) && setExact(re.get(), eps)) {
        if (fmpq_sgn(re.get()) <= 0)
            return std::nullopt;
        fmpq_sub(ra.get(), rb.get(), ra.get());
        fmpq_abs(ra.get(), ra.get());
        return countInRationals(ra.get(), re.get(), k, maximum, divisor, step);
    }
    return countInBalls(a, b, eps, k, maximum, divisor, step);
}

} // namespace kvadrolab
