// SPDX-License-Identifier: GPL-3.0-or-later
#include "proof/taylor.h"

#include "proof/balls.h"
#include "proof/ranges.h"
#include "proof/taylorrun.h"

#include <algorithm>

namespace kvadrolab {

std::optional<BallFailure> TaylorRun::run(arb_poly_t out)
{
    for (const Step &step : m_program.steps) {
        m_step = &step;
        m_kink = false;
        m_absKink = false;
        if (auto failed = apply(step))
            return failed;
        if (m_top > 0 && m_record) {
            m_record->emplace_back();
            arb_set(m_record->back().get(), value(top(0)));
        }
        // A value Arb cannot bound (an overflow of its own exponents, a
        // cancellation past the precision) is no proof of anything.
        if (m_top > 0 && !_arb_vec_is_finite(top(0)->coeffs, top(0)->length))
            return fail(Reason::NotProven, false);
    }
    if (m_top != 1)
        return fail(Reason::NotProven, false);
    // Past a kink the coefficients are no derivatives: |x - 2| has no f'
    // at 2, x|x| no f'' at 0. Counted against the series' own length: a
    // cancellation at a removable point shortens it by the terms it drops.
    if (m_order > 0 && !m_lo && m_kinks[0].from < m_length)
        return BallFailure{Reason::NotSmooth, m_kinks[0].position, false};
    arb_poly_set(out, top(0));
    return std::nullopt;
}

slong TaylorRun::vanishing(std::size_t begin, std::size_t end, std::size_t argBegin,
                           std::size_t argEnd) const
{
    // Steps are compared one by one; a long u is not looked for, which only
    // leaves a product rougher than it is.
    constexpr std::size_t longest = 64;
    const std::size_t argLength = argEnd - argBegin;
    if (argLength == 0 || argLength > longest)
        return 0;
    const auto same = [&](std::size_t b, std::size_t e) {
        if (e - b != argLength)
            return false;
        for (std::size_t i = 0; i < argLength; ++i) {
            const Step &s = m_program.steps[b + i], &t = m_program.steps[argBegin + i];
            if (s.op != t.op || s.exponent != t.exponent || s.literal != t.literal)
                return false;
        }
        return true;
    };
    slong times = 1;
    while (end > begin) {
        if (same(begin, end))
            return times;
        const Step &last = m_program.steps[end - 1];
        if (last.op == Op::PowInt && last.exponent > 0)
            times = std::min<slong>(times * last.exponent, m_length);
        else if (last.op != Op::Abs && last.op != Op::Neg)
            return 0;
        --end;
    }
    return 0;
}

TaylorRun::Kinks TaylorRun::kinksOf(const Step &step, std::size_t first, std::size_t index) const
{
    const Kinks k = m_kinks[first];
    if (operandCount(step.op) == 1) {
        // |u|^n: |u| vanishes at its own kink, so each factor beyond the
        // first smooths the power by that much (|x|^3 has f'' = 6|x|).
        if (step.op == Op::PowInt && step.exponent > 1 && singleKink(k)) {
            Kinks smoother = k;
            const slong times = vanishing(m_begin[first], index, k.argBegin, k.argEnd);
            smoother.from = std::min<slong>(k.from + (step.exponent - 1) * times, m_length);
            return smoother;
        }
        return k;
    }
    const Kinks &l = k, &r = m_kinks[first + 1];
    const std::size_t split = m_begin[first + 1];
    // A constant power p of a base that is 0 at its own kink (|u|^(4/3)):
    // every derivative of t^p below p is 0 at t = 0, so each term with a
    // one-sided coefficient of the base is 0 there, and the series is
    // taken only below p (powerFromZeroSeries).
    if (step.op == Op::Pow && singleKink(l) && r.from >= m_length &&
        vanishing(m_begin[first], split, l.argBegin, l.argEnd) > 0)
        return r;
    // A product's kinked factor times one that vanishes at that kink.
    if (step.op == Op::Mul) {
        if (singleKink(r) && l.from > r.from) {
            Kinks smoother = r;
            smoother.from =
                std::min(l.from, r.from + vanishing(m_begin[first], split, r.argBegin, r.argEnd));
            return smoother;
        }
        if (singleKink(l) && r.from > l.from) {
            Kinks smoother = l;
            smoother.from =
                std::min(r.from, l.from + vanishing(split, index, l.argBegin, l.argEnd));
            return smoother;
        }
    }
    if (l.from != r.from)
        return l.from < r.from ? l : r;
    // Two kinks at the same order: no one u to smooth them by.
    Kinks both = l;
    both.argEnd = both.argBegin;
    return both;
}

std::optional<BallFailure> TaylorRun::push()
{
    if (m_top >= m_program.stackDepth)
        return fail(Reason::NotProven, false);
    ++m_top;
    return std::nullopt;
}

std::optional<BallFailure> TaylorRun::apply(const Step &step)
{
    const std::size_t operands = operandCount(step.op);
    const bool binary = operands == 2;
    const bool leaf = operands == 0;
    if (operands > 2 || m_top < operands)
        return fail(Reason::NotProven, false);
    const std::size_t index = static_cast<std::size_t>(m_step - m_program.steps.data());
    if (leaf) {
        if (auto failed = pushLeaf(step))
            return failed;
        m_producer[m_top - 1] = index;
        m_flat[m_top - 1] = false;
        m_begin[m_top - 1] = index;
        m_kinks[m_top - 1] = Kinks{m_length, 0, 0, 0};
        return std::nullopt;
    }
    bool flat = false;
    for (std::size_t i = m_top - operands; i < m_top; ++i) {
        narrow(i);
        flat = flat || m_flat[i];
    }
    const std::size_t first = m_top - operands;
    const std::size_t begin = m_begin[first];
    Kinks kinks = kinksOf(step, first, index);
    const slong length = m_length;
    std::optional<BallFailure> failed;
    if (binary) {
        --m_top;
        failed = binaryStep(*binaryOp(step.op), m_stack[m_top - 1].get(), m_stack[m_top].get());
    } else if (!(m_powers && rootOfPower(step, top(0), failed))) {
        failed = unaryStep(step, top(0));
    }
    // A cancelled power of x - c (removable.cpp) shifts the series down by
    // the terms it shortened it by, and where its coefficients stop being
    // derivatives with it.
    kinks.from = std::max<slong>(0, kinks.from - (length - m_length));
    m_producer[m_top - 1] = index;
    m_flat[m_top - 1] = flat || m_kink;
    m_begin[m_top - 1] = begin;
    if (m_absKink) {
        // |u| across 0: its own kink at u = 0, the one u of the slot
        // unless u has kinks of its own.
        const bool alone = kinks.from >= m_length;
        kinks.from = std::min<slong>(kinks.from, 1);
        kinks.argBegin = begin;
        kinks.argEnd = alone ? index : begin;
        kinks.position = step.position;
    }
    m_kinks[m_top - 1] = kinks;
    return failed;
}

std::optional<BallFailure> TaylorRun::kinked()
{
    if (m_order == 0)
        return std::nullopt;
    if (!m_lo)
        return fail(Reason::NotSmooth, false);
    m_kink = true;
    return std::nullopt;
}

std::optional<BallFailure> TaylorRun::pushLeaf(const Step &step)
{
    if (auto full = push())
        return full;
    arb_poly_struct *p = top(0);
    Ball c;
    switch (step.op) {
    case Op::Number:
        if (!literalBall(c.get(), step, m_prec))
            return fail(Reason::NotANumber, true);
        break;
    case Op::Pi:
        arb_const_pi(c.get(), m_prec);
        break;
    case Op::E:
        arb_const_e(c.get(), m_prec);
        break;
    case Op::X: // the ball itself, moving at rate 1
        arb_poly_zero(p);
        arb_poly_set_coeff_arb(p, 0, m_x);
        if (m_length > 1)
            arb_poly_set_coeff_si(p, 1, 1);
        return std::nullopt;
    case Op::Neg:
    case Op::Sin:
    case Op::Cos:
    case Op::Tan:
    case Op::Cot:
    case Op::Asin:
    case Op::Acos:
    case Op::Atan:
    case Op::Acot:
    case Op::Sinh:
    case Op::Cosh:
    case Op::Tanh:
    case Op::Coth:
    case Op::Exp:
    case Op::Ln:
    case Op::Lg:
    case Op::Sqrt:
    case Op::Cbrt:
    case Op::Abs:
    case Op::PowInt:
    case Op::Add:
    case Op::Sub:
    case Op::Mul:
    case Op::Div:
    case Op::Pow:
        return fail(Reason::NotProven, false); // no value to push
    }
    arb_poly_set_arb(p, c.get());
    return std::nullopt;
}

std::optional<BallFailure> TaylorRun::binaryStep(BinaryOp op, arb_poly_struct *left,
                                                 arb_poly_struct *right)
{
    Series r;
    switch (op) {
    case BinaryOp::Add:
    case BinaryOp::Sub: {
        const bool subtract = op == BinaryOp::Sub;
        if (subtract)
            arb_poly_sub_series(r.get(), left, right, m_length, m_prec);
        else
            arb_poly_add_series(r.get(), left, right, m_length, m_prec);
        if (r.get()->length > 0)
            keepSign(r.get()->coeffs, value(left), value(right), subtract, m_prec);
        break;
    }
    case BinaryOp::Mul:
        arb_poly_mullow(r.get(), left, right, m_length, m_prec);
        break;
    case BinaryOp::Div:
        if (m_powers)
            if (auto failed = cancelCommonPower(left, right))
                return failed;
        if (arb_contains_zero(value(right)))
            return fail(Reason::Pole, arb_is_zero(value(right)));
        arb_poly_div_series(r.get(), left, right, m_length, m_prec);
        break;
    case BinaryOp::Pow: {
        std::optional<BallFailure> failed;
        if (!(m_powers && powerOfPower(r.get(), left, right, failed)))
            failed = power(r.get(), left, right);
        if (failed)
            return failed;
        break;
    }
        return fail(Reason::NotProven, false); // no operator
    }
    arb_poly_swap(left, r.get());
    return std::nullopt;
}

// a^b is exp(b ln a), so a must be positive, except that a constant
// positive power of a ball reaching down to 0 has a value there (x^0.5 at
// 0) though no derivative to speak of.
std::optional<BallFailure> TaylorRun::power(arb_poly_t r, const arb_poly_struct *a,
                                            const arb_poly_struct *b)
{
    arb_srcptr base = value(a);
    if (arb_is_positive(base)) {
        arb_poly_pow_series(r, a, b, m_length, m_prec);
        return std::nullopt;
    }
    if (arb_is_negative(base))
        return fail(Reason::NotDefined, true);
    const bool constantPositive = b->length <= 1 && arb_is_positive(value(b));
    if (!constantPositive || !arb_is_nonnegative(base)) {
        // Only a constant negative power of a ball down to 0 has a pole
        // there; 0 to a power that varies, or a negative base, is undefined.
        const bool pole = arb_is_nonnegative(base) && b->length <= 1 && arb_is_negative(value(b));
        return fail(pole ? Reason::Pole : Reason::NotDefined, false);
    }
    if (m_order > 0 && !m_lo)
        return powerFromZeroSeries(r, a, value(b));
    if (auto failed = kinked())
        return failed;
    // t^b rises with t for b > 0: its range is [0, (upper end)^b].
    Ball high;
    powerFromZero(high.get(), base, value(b), m_prec);
    arb_poly_set_arb(r, high.get());
    return std::nullopt;
}

// u^p for a base u >= 0 that reaches 0 in the ball and a constant p > k:
// t^p has the derivatives binom(p, i) i! t^(p - i) for i <= k, each bounded
// and rising from 0 since p - i > 0, so f = g(u) has its first k
// derivatives by the chain rule (Faa di Bruno), which composing g's Taylor
// coefficients with u - u(t) gives. For k >= p some derivative has no bound
// at u = 0 (x^0.3 at 0).
std::optional<BallFailure> TaylorRun::powerFromZeroSeries(arb_poly_t r, const arb_poly_struct *a,
                                                          const arb_t p)
{
    Ball order;
    arb_set_si(order.get(), m_order);
    if (!arb_gt(p, order.get()))
        return fail(Reason::NotSmooth, false);
    Series g, h;
    Ball binomial, exponent, term;
    arb_one(binomial.get());
    for (slong i = 0; i <= m_order; ++i) {
        arb_sub_si(exponent.get(), p, i, m_prec);
        powerFromZero(term.get(), value(a), exponent.get(), m_prec);
        arb_mul(term.get(), term.get(), binomial.get(), m_prec);
        arb_poly_set_coeff_arb(g.get(), i, term.get());
        // binom(p, i + 1) = binom(p, i) (p - i) / (i + 1)
        arb_mul(binomial.get(), binomial.get(), exponent.get(), m_prec);
        arb_div_si(binomial.get(), binomial.get(), i + 1, m_prec);
    }
    arb_poly_set(h.get(), a);
    arb_poly_set_coeff_si(h.get(), 0, 0);
    arb_poly_compose_series(r, g.get(), h.get(), m_length, m_prec);
    return std::nullopt;
}

std::optional<BallFailure> TaylorRun::unaryStep(const Step &step, arb_poly_struct *p)
{
    Series r, s;
    arb_srcptr c = value(p);
    const slong n = m_length;
    switch (step.op) {
    case Op::Neg:
        arb_poly_neg(r.get(), p);
        break;
    case Op::Sin:
        arb_poly_sin_series(r.get(), p, n, m_prec);
        break;
    case Op::Cos:
        arb_poly_cos_series(r.get(), p, n, m_prec);
        break;
    case Op::Tan:
    case Op::Cot: {
        // tan = sin/cos and cot = cos/sin: a pole wherever the divisor
        // has a zero in the ball.
        arb_poly_sin_cos_series(s.get(), r.get(), p, n, m_prec);
        arb_poly_struct *num = step.op == Op::Tan ? s.get() : r.get();
        arb_poly_struct *den = step.op == Op::Tan ? r.get() : s.get();
        if (arb_contains_zero(value(den)))
            return fail(Reason::Pole, false);
        Series q;
        arb_poly_div_series(q.get(), num, den, n, m_prec);
        arb_poly_swap(r.get(), q.get());
        break;
    }
    case Op::Asin:
    case Op::Acos: {
        Ball one, minusOne;
        arb_one(one.get());
        arb_set_si(minusOne.get(), -1);
        if (arb_gt(c, one.get()) || arb_lt(c, minusOne.get()))
            return fail(Reason::NotDefined, true);
        if (!arb_ge(c, minusOne.get()) || !arb_le(c, one.get()))
            return fail(Reason::NotDefined, false);
        if (!arb_gt(c, minusOne.get()) || !arb_lt(c, one.get())) {
            // At +-1 the derivative is infinite; the value is not.
            if (auto failed = kinked())
                return failed;
            // Arb bounds asin by its slope, which is infinite there; both
            // are monotone, so the ends' values bound the range instead.
            Ball v;
            throughEnds(v.get(), c, step.op == Op::Asin ? arb_asin : arb_acos);
            arb_poly_set_arb(r.get(), v.get());
            break;
        }
        if (step.op == Op::Asin)
            arb_poly_asin_series(r.get(), p, n, m_prec);
        else
            arb_poly_acos_series(r.get(), p, n, m_prec);
        break;
    }
    case Op::Atan:
        arb_poly_atan_series(r.get(), p, n, m_prec);
        break;
    case Op::Acot: {
        // pi/2 - arctg: defined everywhere, valued in (0; pi).
        Ball halfPi;
        arb_const_pi(halfPi.get(), m_prec);
        arb_mul_2exp_si(halfPi.get(), halfPi.get(), -1);
        arb_poly_atan_series(s.get(), p, n, m_prec);
        arb_poly_neg(s.get(), s.get());
        arb_poly_set_arb(r.get(), halfPi.get());
        arb_poly_add_series(r.get(), r.get(), s.get(), n, m_prec);
        break;
    }
    case Op::Sinh:
    case Op::Cosh:
    case Op::Tanh:
    case Op::Coth: {
        Series ch;
        arb_poly_sinh_cosh_series(r.get(), ch.get(), p, n, m_prec);
        if (step.op == Op::Cosh) {
            arb_poly_swap(r.get(), ch.get());
        } else if (step.op == Op::Tanh) { // cosh >= 1: no pole
            arb_poly_div_series(s.get(), r.get(), ch.get(), n, m_prec);
            arb_poly_swap(r.get(), s.get());
        } else if (step.op == Op::Coth) {
            // cosh/sinh: sinh is 0 at 0 alone, a pole as 1/x has.
            if (arb_contains_zero(value(r.get())))
                return fail(Reason::Pole, arb_is_zero(value(r.get())));
            arb_poly_div_series(s.get(), ch.get(), r.get(), n, m_prec);
            arb_poly_swap(r.get(), s.get());
        }
        break;
    }
    case Op::Exp:
        arb_poly_exp_series(r.get(), p, n, m_prec);
        break;
    case Op::Ln:
    case Op::Lg:
        if (arb_is_nonpositive(c))
            return fail(Reason::NotDefined, true);
        if (!arb_is_positive(c))
            return fail(arb_is_nonnegative(c) ? Reason::Pole : Reason::NotDefined, false);
        arb_poly_log_series(r.get(), p, n, m_prec);
        if (step.op == Op::Lg) {
            Ball ln10;
            arb_log_ui(ln10.get(), 10, m_prec);
            arb_poly_scalar_div(r.get(), r.get(), ln10.get(), m_prec);
        }
        break;
    case Op::Sqrt:
        if (arb_is_negative(c))
            return fail(Reason::NotDefined, true);
        if (!arb_is_nonnegative(c))
            return fail(Reason::NotDefined, false);
        if (!arb_is_positive(c)) {
            if (auto failed = kinked())
                return failed;
            Ball v;
            arb_sqrtpos(v.get(), c, m_prec);
            arb_poly_set_arb(r.get(), v.get());
            break;
        }
        arb_poly_sqrt_series(r.get(), p, n, m_prec);
        break;
    case Op::Cbrt:
        if (auto failed = cubeRoot(r.get(), p))
            return failed;
        break;
    case Op::Abs:
        if (arb_is_positive(c)) {
            arb_poly_set(r.get(), p);
        } else if (arb_is_negative(c)) {
            arb_poly_neg(r.get(), p);
        } else if (m_order == 0 || m_lo) {
            // The kink at 0: a value; the narrowing run reads no slope of it.
            if (auto failed = kinked())
                return failed;
            Ball v;
            absRange(v.get(), c, m_prec);
            arb_poly_set_arb(r.get(), v.get());
        } else {
            // Either sign: each coefficient as +-u's, both one-sided
            // derivatives of |u| where u is 0, its derivatives elsewhere.
            Ball v;
            absRange(v.get(), c, m_prec);
            arb_poly_set(r.get(), p);
            arb_poly_set_coeff_arb(r.get(), 0, v.get());
            for (slong j = 1; j < r.get()->length; ++j) {
                arb_ptr coefficient = r.get()->coeffs + j;
                mag_t size;
                mag_init(size);
                arb_get_mag(size, coefficient);
                arf_zero(arb_midref(coefficient));
                mag_swap(arb_radref(coefficient), size);
                mag_clear(size);
            }
            m_absKink = true;
        }
        break;
    case Op::PowInt:
        if (auto failed = wholePower(r.get(), p, step.exponent))
            return failed;
        break;
    case Op::Number:
    case Op::Pi:
    case Op::E:
    case Op::X:
    case Op::Add:
    case Op::Sub:
    case Op::Mul:
    case Op::Div:
    case Op::Pow:
        return fail(Reason::NotProven, false); // no function of one value
    }
    arb_poly_swap(p, r.get());
    return std::nullopt;
}

// The real cube root: odd, so a negative ball is the mirror of a positive
// one; across 0 it has a value but an infinite slope.
std::optional<BallFailure> TaylorRun::cubeRoot(arb_poly_t r, const arb_poly_struct *p)
{
    arb_srcptr c = value(p);
    Ball third;
    arb_set_ui(third.get(), 1);
    arb_div_ui(third.get(), third.get(), 3, m_prec);
    if (arb_is_positive(c) || arb_is_negative(c)) {
        const bool negative = arb_is_negative(c);
        Series mirrored;
        arb_poly_set(mirrored.get(), p);
        if (negative)
            arb_poly_neg(mirrored.get(), mirrored.get());
        arb_poly_pow_arb_series(r, mirrored.get(), third.get(), m_length, m_prec);
        if (negative)
            arb_poly_neg(r, r);
        return std::nullopt;
    }
    if (auto failed = kinked())
        return failed;
    // Rising everywhere: the range is the roots of the ends.
    Ball v;
    throughEnds(v.get(), c, realCubeRoot);
    arb_poly_set_arb(r, v.get());
    return std::nullopt;
}

void TaylorRun::throughEnds(arb_t out, const arb_t c, void (*fn)(arb_t, const arb_t, slong))
{
    Ball lo, hi;
    arb_get_lbound_arf(arb_midref(lo.get()), c, m_prec);
    arb_get_ubound_arf(arb_midref(hi.get()), c, m_prec);
    fn(lo.get(), lo.get(), m_prec);
    fn(hi.get(), hi.get(), m_prec);
    arb_union(out, lo.get(), hi.get(), m_prec);
}

std::optional<BallFailure> TaylorRun::wholePower(arb_poly_t r, const arb_poly_struct *p,
                                                 std::int32_t exponent)
{
    const std::int64_t e = exponent;
    if (e >= 0) {
        arb_poly_pow_ui_trunc_binexp(r, p, static_cast<ulong>(e), m_length, m_prec);
        // Arb's power of a ball touching 0 reaches below 0 even for x^2;
        // the range from the ends does not.
        if (e >= 2 && arb_contains_zero(value(p))) {
            Ball range;
            powerRange(range.get(), value(p), e, m_prec);
            arb_poly_set_coeff_arb(r, 0, range.get());
        }
        return std::nullopt;
    }
    if (arb_contains_zero(value(p)))
        return fail(Reason::Pole, arb_is_zero(value(p)));
    Series inverse;
    arb_poly_inv_series(inverse.get(), p, m_length, m_prec);
    arb_poly_pow_ui_trunc_binexp(r, inverse.get(), static_cast<ulong>(-e), m_length, m_prec);
    return std::nullopt;
}

std::optional<BallFailure> taylorOnBall(arb_poly_t series, const Program &program, const arb_t x,
                                        slong order, slong prec)
{
    if (order < 0 || program.steps.empty())
        return BallFailure{Reason::NotProven, 0, true};
    return TaylorRun(program, x, order, prec).run(series);
}

Result<void> taylorSeries(arb_poly_t series, const Program &program, const arb_t x, slong order,
                          slong prec)
{
    const auto failed = taylorOnBall(series, program, x, order, prec);
    if (!failed)
        return {};
    return Refusal{failed->reason, {}, failed->position, arf_get_d(arb_midref(x), ARF_RND_NEAR)};
}

} // namespace kvadrolab
