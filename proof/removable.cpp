// SPDX-License-Identifier: GPL-3.0-or-later
#include "proof/removable.h"

#include "proof/balls.h"
#include "proof/domain.h"
#include "proof/exactbound.h"
#include "proof/exactends.h"
#include "proof/narrowing.h"
#include "proof/taylor.h"
#include "proof/taylorrun.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>
#include <system_error>

namespace kvadrolab {

// Why shifting both series is sound: where N and its first m - 1 derivatives
// vanish at c, N(x) = (x - c)^m N1(x) with
//   N1^(j)(x) / j! = 1/((m-1)! j!) int_0^1 (1-s)^(m-1) s^j N^(m+j)(c + s(x-c)) ds,
// and c + s(x - c) stays in any interval holding x and c. The weight is
// positive and integrates to (m-1)! j! / (m+j)!, so N1^(j)(x)/j! lies in the
// hull of N^(m+j)/(m+j)! over that interval: term m + j of N's series on a
// ball holding both. The quotient N/D away from c is N1/D1, and N1/D1 is
// its continuation through c wherever D1 has no zero.
std::optional<BallFailure> TaylorRun::cancelCommonPower(arb_poly_struct *left,
                                                        arb_poly_struct *right)
{
    const auto index = static_cast<std::size_t>(m_step - m_program.steps.data());
    if (index >= m_powers->size())
        return fail(Reason::NotProven, false);
    int m = (*m_powers)[index];
    if (m_discover) {
        if (!arb_is_zero(value(right)))
            return std::nullopt; // no zero here: the division's own checks decide
        // Terms past the series' length are exact zeros only below m_length,
        // where they were computed.
        const auto exactZero = [&](const arb_poly_struct *p, slong j) {
            return j >= p->length || arb_is_zero(p->coeffs + j);
        };
        m = 0;
        while (m < m_length && exactZero(right, m))
            ++m;
        if (m == m_length)
            return fail(Reason::NotProven, false); // no term left to divide by
        for (slong j = 0; j < m; ++j) {
            if (exactZero(left, j))
                continue;
            // The numerator vanishes to a lower order: a pole; or it cannot
            // be told from 0, and the quotient stays 0/0.
            const bool pole = !arb_contains_zero(left->coeffs + j);
            return fail(pole ? Reason::Pole : Reason::ZeroOverZero, true);
        }
        (*m_powers)[index] = m;
    }
    if (m == 0)
        return std::nullopt;
    if (m >= m_length)
        return fail(Reason::NotProven, false);
    arb_poly_shift_right(left, left, m);
    arb_poly_shift_right(right, right, m);
    m_length -= m;
    return std::nullopt;
}

// sqrt((x - c)^(2k) u) = |x - c|^k sqrt(u) and cbrt((x - c)^(3k) u) =
// (x - c)^k cbrt(u), u shorn of the zeros as in a division; for sqrt with k
// odd the ball must lie on the side x >= c.
bool TaylorRun::rootOfPower(const Step &step, arb_poly_struct *p,
                            std::optional<BallFailure> &failed)
{
    if (step.op != Op::Sqrt && step.op != Op::Cbrt)
        return false;
    const slong r = step.op == Op::Sqrt ? 2 : 3;
    const auto index = static_cast<std::size_t>(m_step - m_program.steps.data());
    if (index >= m_powers->size())
        return false;
    slong v = (*m_powers)[index];
    if (m_discover) {
        if (!arb_is_zero(value(p)))
            return false;
        v = 0;
        while (v < m_length && (v >= p->length || arb_is_zero(p->coeffs + v)))
            ++v;
        if (v == m_length || v % r != 0)
            return false; // the plain root decides
        (*m_powers)[index] = static_cast<int>(v);
    }
    if (v == 0)
        return false;
    if (v >= m_length) {
        failed = fail(Reason::NotProven, false);
        return true;
    }
    const slong n = m_length - v;
    Series unit, root, power, t;
    arb_poly_shift_right(unit.get(), p, v);
    Ball c, third;
    arb_set_d(c.get(), m_point);
    arb_sub(c.get(), m_x, c.get(), m_prec);
    arb_poly_set_coeff_arb(t.get(), 0, c.get());
    arb_poly_set_coeff_si(t.get(), 1, 1);
    arb_poly_pow_ui_trunc_binexp(power.get(), t.get(), static_cast<ulong>(v / r), n, m_prec);
    arb_srcptr u = value(unit.get());
    if (r == 2) {
        if (!arb_is_positive(u) || ((v / r) % 2 == 1 && !arb_is_nonnegative(c.get()))) {
            failed = fail(arb_is_negative(u) ? Reason::NotDefined : Reason::NotSmooth, false);
            return true;
        }
        arb_poly_sqrt_series(root.get(), unit.get(), n, m_prec);
    } else {
        const bool negative = arb_is_negative(u);
        if (!negative && !arb_is_positive(u)) {
            failed = fail(Reason::NotProven, false);
            return true;
        }
        arb_set_ui(third.get(), 1);
        arb_div_ui(third.get(), third.get(), 3, m_prec);
        if (negative)
            arb_poly_neg(unit.get(), unit.get());
        arb_poly_pow_arb_series(root.get(), unit.get(), third.get(), n, m_prec);
        if (negative)
            arb_poly_neg(root.get(), root.get());
    }
    arb_poly_mullow(p, power.get(), root.get(), n, m_prec);
    m_length = n;
    return true;
}

// ((x - c)^v u)^p = |x - c|^(v p) u^p for u > 0 and a constant rational
// p > 0, the base >= 0 where (x - c)^v is: for v or v p odd the ball must
// lie on the side x >= c. The exponent's steps are read exactly, since a
// ball around 1/3 cannot prove that 3 times it is 1.
bool TaylorRun::powerOfPower(arb_poly_t r, const arb_poly_struct *a, const arb_poly_struct *b,
                             std::optional<BallFailure> &failed)
{
    const auto index = static_cast<std::size_t>(m_step - m_program.steps.data());
    if (index >= m_powers->size() || b->length > 1 || m_top >= m_program.stackDepth)
        return false;
    slong v = (*m_powers)[index];
    if (m_discover) {
        if (!arb_is_zero(value(a)))
            return false;
        v = 0;
        while (v < m_length && (v >= a->length || arb_is_zero(a->coeffs + v)))
            ++v;
        if (v == m_length)
            return false; // the plain power decides
    }
    if (v == 0)
        return false;
    // The exponent is the value in the slot above the base's (binaryStep
    // has taken it off the stack), made by the steps from its first on.
    ExactNumber exponent;
    const std::size_t begin = m_begin[m_top];
    exponent.program.steps.assign(m_program.steps.begin() + static_cast<std::ptrdiff_t>(begin),
                                  m_program.steps.begin() + static_cast<std::ptrdiff_t>(index));
    const std::optional<long> k =
        exponent.program.steps.empty() ? std::nullopt : wholeMultiple(exponent, v);
    if (!k)
        return false;
    if (m_discover)
        (*m_powers)[index] = static_cast<int>(v);
    if (v >= m_length) {
        failed = fail(Reason::NotProven, false);
        return true;
    }
    const slong n = m_length - v;
    Series unit, power, t, lifted;
    arb_poly_shift_right(unit.get(), a, v);
    Ball c;
    arb_set_d(c.get(), m_point);
    arb_sub(c.get(), m_x, c.get(), m_prec);
    arb_srcptr u = value(unit.get());
    const bool oneSided = v % 2 == 1 || *k % 2 == 1;
    if (!arb_is_positive(u) || (oneSided && !arb_is_nonnegative(c.get()))) {
        // The base's sign is u's times (x - c)^v's: below 0 it is undefined.
        const bool below = arb_is_negative(u)
                               ? v % 2 == 0 || arb_is_positive(c.get())
                               : arb_is_positive(u) && v % 2 == 1 && arb_is_negative(c.get());
        failed = fail(below ? Reason::NotDefined : Reason::NotSmooth, false);
        return true;
    }
    arb_poly_set_coeff_arb(t.get(), 0, c.get());
    arb_poly_set_coeff_si(t.get(), 1, 1);
    arb_poly_pow_ui_trunc_binexp(power.get(), t.get(), static_cast<ulong>(*k), n, m_prec);
    arb_poly_pow_series(lifted.get(), unit.get(), b, n, m_prec);
    arb_poly_mullow(r, power.get(), lifted.get(), n, m_prec);
    m_length = n;
    return true;
}

namespace {

// The series of the cancelled quotient on the ball x (which holds the
// point), to `order`.
std::optional<BallFailure> cancelledSeries(arb_poly_t series, const Program &program, const arb_t x,
                                           slong order, const RemovablePoint &p)
{
    std::vector<int> powers = p.powers;
    TaylorRun run(program, x, order + p.cancelled, proofPrecision);
    run.cancel(&powers, false, p.x);
    if (auto failed = run.run(series))
        return failed;
    arb_poly_truncate(series, order + 1);
    return std::nullopt;
}

// Whether c is a removable point: the run at the exact point c, recording
// the powers it cancels. Its order-0 term is then the limit.
std::optional<BallFailure> discover(RemovablePoint &p, const Program &program, arb_t limit)
{
    constexpr slong slack = 24; // terms the cancellations may take
    Ball c;
    arb_set_d(c.get(), p.x);
    Series series;
    p.powers.assign(program.steps.size(), 0);
    TaylorRun run(program, c.get(), slack, proofPrecision);
    run.cancel(&p.powers, true, p.x);
    if (auto failed = run.run(series.get()))
        return failed;
    p.cancelled = std::accumulate(p.powers.begin(), p.powers.end(), 0);
    if (p.cancelled == 0)
        return BallFailure{Reason::NotProven, 0, false};
    arb_poly_get_coeff_arb(limit, series.get(), 0);
    return std::nullopt;
}

// The ball an enclosure stands for: its midpoint with the tail, wide enough
// to hold [lower; upper].
void ballOf(arb_t out, const Enclosure &e)
{
    Ball lower, upper;
    arb_set_d(out, e.mid);
    arb_set_d(lower.get(), e.midTail);
    arb_add(out, out, lower.get(), proofPrecision);
    arb_set_d(lower.get(), e.lower);
    arb_set_d(upper.get(), e.upper);
    arb_union(out, out, lower.get(), proofPrecision);
    arb_union(out, out, upper.get(), proofPrecision);
}

// The doubles near x with few digits, shortest first: a removable point
// the domain proof narrowed down to about ten digits is a number the
// student typed (0, 1, 0.5), not the double the narrowing stopped at.
std::vector<double> candidates(double x, double lo, double hi)
{
    std::vector<double> out;
    const double reach = (hi - lo) * 0x1p-30;
    const auto consider = [&](double c) {
        if (c >= lo && c <= hi && std::fabs(c - x) <= reach &&
            std::find(out.begin(), out.end(), c) == out.end())
            out.push_back(c);
    };
    consider(0);
    // to_chars and from_chars: the C locale's decimal comma must not enter.
    for (int digits = 1; digits <= 17; ++digits) {
        char text[40];
        const auto written =
            std::to_chars(text, text + sizeof text, x, std::chars_format::scientific, digits - 1);
        double c = 0;
        if (written.ec == std::errc{} && std::from_chars(text, written.ptr, c).ec == std::errc{})
            consider(c);
    }
    consider(lo);
    consider(hi);
    return out;
}

// The step whose value is the left operand of the division at `index`.
std::optional<std::size_t> numeratorOf(const Program &program, std::size_t index)
{
    std::vector<std::size_t> stack;
    for (std::size_t i = 0; i < program.steps.size(); ++i) {
        const std::size_t operands = operandCount(program.steps[i].op);
        if (operands > stack.size())
            return std::nullopt;
        if (i == index)
            return operands == 2 ? std::optional(stack[stack.size() - 2]) : std::nullopt;
        stack.resize(stack.size() - operands);
        stack.push_back(i);
    }
    return std::nullopt;
}

// A pole named by the domain proof is 0/0 where the division's numerator
// also reaches 0 on a small ball around the place.
bool zeroOverZero(const Program &program, const Refusal &why, double lo, double hi)
{
    if (!why.position || !why.x)
        return false;
    std::optional<std::size_t> division;
    for (std::size_t i = 0; i < program.steps.size(); ++i)
        if (binaryOp(program.steps[i].op) == BinaryOp::Div &&
            program.steps[i].position == *why.position)
            division = i;
    if (!division)
        return false;
    const std::optional<std::size_t> numerator = numeratorOf(program, *division);
    if (!numerator)
        return false;
    const double reach = (hi - lo) * 0x1p-30;
    Ball ball;
    intervalBall(ball.get(), std::fmax(lo, *why.x - reach), std::fmin(hi, *why.x + reach));
    EndValues values;
    Series series;
    TaylorRun run(program, ball.get(), 0, proofPrecision);
    run.record(&values);
    (void)run.run(series.get());
    return values.size() > *numerator && arb_contains_zero(values[*numerator].get());
}

bool unboundedAt(const Program &program, const EndValues &values);

// What f is at the double c, where the search found nothing to take:
// Improper where it is proven to have no bound there (but for its sign, ln
// of a value that is 0 at c, a quotient whose divisor is 0 at c and whose
// numerator is not, or a negative power of a base that is 0 there);
// Singular where some step is undefined at c itself (ln 0 in x ln x) and
// nothing more is known; nothing otherwise (a pole near c, not at it).
std::optional<Reason> singularityAt(const Program &program, double c, double lo, double hi)
{
    if (program.steps.empty())
        return std::nullopt;
    // f must have a value next to c, or nothing is a point of its (1/(x-x)
    // has none).
    const double reach = (hi - lo) * 0x1p-20;
    Ball beside;
    arb_set_d(beside.get(), c + reach <= hi ? c + reach : c - reach);
    Series value;
    if (taylorOnBall(value.get(), program, beside.get(), 0))
        return std::nullopt;
    Ball point;
    arb_set_d(point.get(), c);
    EndValues values;
    Series series;
    TaylorRun run(program, point.get(), 0, proofPrecision);
    run.record(&values);
    const std::optional<BallFailure> failed = run.run(series.get());
    if (unboundedAt(program, values))
        return Reason::Improper;
    if (failed && failed->everywhere && failed->reason == Reason::NotDefined)
        return Reason::Singular;
    return std::nullopt;
}
bool unboundedAt(const Program &program, const EndValues &values)
{
    std::size_t top = program.steps.size() - 1;
    while (top > 0 && program.steps[top].op == Op::Neg)
        --top;
    const auto zero = [&](std::size_t i) {
        return i < values.size() && arb_is_zero(values[i].get());
    };
    const auto nonzero = [&](std::size_t i) {
        return i < values.size() && !arb_contains_zero(values[i].get());
    };
    const auto negative = [&](std::size_t i) {
        return i < values.size() && arb_is_negative(values[i].get());
    };
    if (top == 0)
        return false;
    const std::optional<std::size_t> left = numeratorOf(program, top);
    const Op op = program.steps[top].op;
    if (op == Op::Ln || op == Op::Lg)
        return zero(top - 1);
    if (op == Op::PowInt)
        return program.steps[top].exponent < 0 && zero(top - 1);
    if (op == Op::Div)
        return left && nonzero(*left) && zero(top - 1);
    if (op == Op::Pow)
        return left && zero(*left) && negative(top - 1);
    return false;
}

// The neighbourhood of p within [lo; hi] where the cancelled quotient is
// proven finite on one ball: the widest of w/64, w/512, ... that holds.
bool proveNeighbourhood(RemovablePoint &p, const Program &program, double lo, double hi)
{
    const double width = hi - lo;
    for (int k = 0; k < 12; ++k) {
        const double reach = std::ldexp(width, -6 - 3 * k);
        const double u = std::fmax(lo, p.x - reach), v = std::fmin(hi, p.x + reach);
        if (!(u <= p.x && p.x <= v) || (u == p.x && v == p.x))
            return false;
        Ball ball;
        intervalBall(ball.get(), u, v);
        Series series;
        if (!cancelledSeries(series.get(), program, ball.get(), 0, p)) {
            p.lo = u;
            p.hi = v;
            return true;
        }
    }
    return false;
}

// The integral over [u; v] (holding the point) of the cancelled quotient:
// its Taylor polynomial at the exact point, of degree K - 1, integrated
// exactly, and the remainder, whose coefficient over the ball [u; v]
// bounds (x - c)^K f^(K)(xi)/K! for every x there.
bool modelIntegral(arb_t out, const Program &program, const RemovablePoint &p, double u, double v)
{
    constexpr slong K = 12;
    Ball c, ball, tu, tv, term, pu, pv, coeff;
    Series atPoint, onBall;
    arb_set_d(c.get(), p.x);
    if (cancelledSeries(atPoint.get(), program, c.get(), K - 1, p))
        return false;
    intervalBall(ball.get(), u, v);
    if (cancelledSeries(onBall.get(), program, ball.get(), K, p))
        return false;
    arb_set_d(tu.get(), u);
    arb_sub(tu.get(), tu.get(), c.get(), proofPrecision);
    arb_set_d(tv.get(), v);
    arb_sub(tv.get(), tv.get(), c.get(), proofPrecision);
    arb_set(pu.get(), tu.get());
    arb_set(pv.get(), tv.get());
    arb_zero(out);
    for (slong j = 0; j < K; ++j) {
        // a_j ((v - c)^(j+1) - (u - c)^(j+1)) / (j + 1)
        arb_poly_get_coeff_arb(coeff.get(), atPoint.get(), j);
        arb_sub(term.get(), pv.get(), pu.get(), proofPrecision);
        arb_mul(term.get(), term.get(), coeff.get(), proofPrecision);
        arb_div_ui(term.get(), term.get(), static_cast<ulong>(j + 1), proofPrecision);
        arb_add(out, out, term.get(), proofPrecision);
        arb_mul(pu.get(), pu.get(), tu.get(), proofPrecision);
        arb_mul(pv.get(), pv.get(), tv.get(), proofPrecision);
    }
    // |remainder| <= |a_K|max (|v - c|^(K+1) + |u - c|^(K+1)) / (K + 1).
    arb_poly_get_coeff_arb(coeff.get(), onBall.get(), K);
    mag_t size, part;
    mag_init(size);
    mag_init(part);
    arb_get_mag(size, pu.get());
    arb_get_mag(part, pv.get());
    mag_add(size, size, part);
    arb_get_mag(part, coeff.get());
    mag_mul(size, size, part);
    mag_div_ui(size, size, static_cast<ulong>(K + 1));
    arb_add_error_mag(out, size);
    mag_clear(size);
    mag_clear(part);
    return arb_is_finite(out);
}

// The exact decimal of a double: a Number step that reads back as c itself.
Step numberStep(double c, std::size_t position)
{
    // Every double is a finite decimal of at most 1074 places after the point.
    char text[1200];
    const auto written = std::to_chars(text, text + sizeof text, c, std::chars_format::fixed, 1100);
    std::string digits(text, written.ptr);
    digits.erase(digits.find_last_not_of('0') + 1);
    if (digits.back() == '.')
        digits.pop_back();
    Step s;
    s.op = Op::Number;
    s.position = position;
    s.value = c;
    s.literal = digits;
    return s;
}

Step plainStep(Op op, std::size_t position, std::int32_t exponent = 0)
{
    Step s;
    s.op = op;
    s.position = position;
    s.exponent = exponent;
    return s;
}

// m s^(m-1) f(c + s^m) (or f(c - s^m) on the left) as a program in s, the
// factor m s^(m-1) put into the numerator of the division f ends with
// (through signs and products), so that the cancellation in s meets both:
// 2s / sqrt(s^2) for 1/sqrt(x). Nothing where f ends with no division.
std::optional<Program> substituted(const Program &f, double c, int m, bool left)
{
    const std::size_t n = f.steps.size();
    std::vector<std::size_t> leftOf(n), rightOf(n), stack;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t operands = operandCount(f.steps[i].op);
        if (operands > stack.size() || operands > 2)
            return std::nullopt;
        if (operands == 2) {
            leftOf[i] = stack[stack.size() - 2];
            rightOf[i] = stack.back();
        } else if (operands == 1) {
            leftOf[i] = rightOf[i] = stack.back();
        }
        stack.resize(stack.size() - operands);
        stack.push_back(i);
    }
    if (stack.size() != 1)
        return std::nullopt;
    std::optional<std::size_t> division;
    for (std::vector<std::size_t> chain{n - 1}; !chain.empty() && !division;) {
        const std::size_t i = chain.back();
        chain.pop_back();
        const Op op = f.steps[i].op;
        if (op == Op::Div)
            division = i;
        else if (op == Op::Neg)
            chain.push_back(leftOf[i]);
        else if (op == Op::Mul)
            chain.insert(chain.end(), {leftOf[i], rightOf[i]});
    }
    if (!division)
        return std::nullopt;
    Program g;
    for (std::size_t i = 0; i < n; ++i) {
        const Step &s = f.steps[i];
        if (s.op == Op::X) {
            if (c != 0)
                g.steps.push_back(numberStep(c, s.position));
            g.steps.push_back(plainStep(Op::X, s.position));
            g.steps.push_back(plainStep(Op::PowInt, s.position, m));
            if (c != 0)
                g.steps.push_back(plainStep(left ? Op::Sub : Op::Add, s.position));
            else if (left)
                g.steps.push_back(plainStep(Op::Neg, s.position));
        } else {
            g.steps.push_back(s);
        }
        if (i == leftOf[*division]) {
            const std::size_t at = f.steps[*division].position;
            g.steps.push_back(numberStep(m, at));
            g.steps.push_back(plainStep(Op::X, at));
            g.steps.push_back(plainStep(Op::PowInt, at, m - 1));
            g.steps.push_back(plainStep(Op::Mul, at));
            g.steps.push_back(plainStep(Op::Mul, at));
        }
    }
    std::size_t depth = 0;
    for (const Step &s : g.steps) {
        depth = depth + 1 - operandCount(s.op);
        g.stackDepth = std::max(g.stackDepth, depth);
    }
    return g;
}

Result<std::vector<RemovablePoint>> definedWithLimits(const Program &program, double a, double b,
                                                      bool improper);

// The integral in s over [0; reach] of the substituted program: the
// integral of f over the piece next to the point on that side.
Result<Enclosure> improperSide(const Program &program, const RemovablePoint &p, bool left)
{
    const double reach = left ? p.leftReach : p.rightReach;
    const std::optional<Program> g = substituted(program, p.x, p.substitution, left);
    if (!g)
        return Refusal{Reason::Improper, {}, {}, p.x};
    const auto points = definedWithLimits(*g, 0, reach, false);
    if (!points)
        return Refusal{Reason::Improper, {}, {}, p.x};
    return points->empty() ? integrateDefined(*g, 0, reach)
                           : integrateWithLimits(*g, 0, reach, *points);
}

// An improper point at c: the first m whose substitution is proven defined
// on a piece of each side of c within [lo; hi], reaching s = 2^-k with
// (2^-k)^m at most a 64th of the interval and c -+ 2^(-k m) exact.
std::optional<RemovablePoint> improperPoint(const Program &program, double c, double lo, double hi)
{
    for (const int m : {2, 3, 6}) {
        RemovablePoint p;
        p.x = p.lo = p.hi = c;
        p.substitution = m;
        bool proven = true;
        for (const bool left : {true, false}) {
            const double room = left ? c - lo : hi - c;
            if (!(room > 0))
                continue;
            const int k = std::max(0, static_cast<int>(std::ceil((6 - std::log2(room)) / m)));
            const double reach = std::ldexp(1.0, -k), t = std::ldexp(1.0, -k * m);
            const double end = left ? c - t : c + t;
            const std::optional<Program> g = substituted(program, c, m, left);
            if (!g || t == 0 || (left ? c - end : end - c) != t || !(t <= room) ||
                !definedWithLimits(*g, 0, reach, false)) {
                proven = false;
                break;
            }
            (left ? p.lo : p.hi) = end;
            (left ? p.leftReach : p.rightReach) = reach;
        }
        if (proven && p.lo < p.hi)
            return p;
    }
    return std::nullopt;
}

} // namespace

Result<std::vector<RemovablePoint>> proveDefinedWithLimits(const Program &program, double a,
                                                           double b)
{
    // The search proves many pieces and substitutions: all of them share
    // twice one domain proof's work, so that it ends as surely.
    SharedDomainWork work(2 * domainWorkLimit);
    return definedWithLimits(program, a, b, true);
}

Result<std::vector<RemovablePoint>>
proveDefinedWithLimits(const Program &program, const ExactNumber &a, const ExactNumber &b)
{
    SharedDomainWork work(2 * domainWorkLimit);
    ExactInterval ends;
    if (auto split = splitExactEnds(ends, a, b); !split)
        return split.refusal();
    if (!ends.loSliver && !ends.hiSliver)
        return proveDefinedWithLimits(program, a.value, b.value);
    const Result<void> plain = proveDefined(program, a, b);
    if (plain)
        return std::vector<RemovablePoint>{};
    // A failure at an end typed between two doubles is that end's own: no
    // limit is taken at a point that is not a double.
    const Refusal &why = plain.refusal();
    if (why.input && ((*why.input == ends.loInput && ends.loSliver) ||
                      (*why.input == ends.hiInput && ends.hiSliver)))
        return why;
    Result<std::vector<RemovablePoint>> inside =
        proveDefinedWithLimits(program, ends.innerLo, ends.innerHi);
    if (!inside)
        return inside;
    for (const bool lower : {true, false})
        if (auto sliver = proveSliverDefined(program, ends, lower); !sliver)
            return sliver.refusal();
    return inside;
}

namespace {

Result<std::vector<RemovablePoint>> definedWithLimits(const Program &program, double a, double b,
                                                      bool improper)
{
    // A pole, a root that the ball cannot tell from one of a negative
    // (sqrt(x^2) at 0), or a place the balls could not settle (cbrt(x)/x at
    // 0): each may be a point the cancellation takes.
    const auto searched = [](const Refusal &why) {
        return (why.reason == Reason::Pole || why.reason == Reason::NotDefined ||
                why.reason == Reason::NotProven) &&
               why.x;
    };
    if (auto defined = proveDefined(program, a, b); defined || !searched(defined.refusal()))
        return defined ? Result<std::vector<RemovablePoint>>(std::vector<RemovablePoint>{})
                       : Result<std::vector<RemovablePoint>>(defined.refusal());
    const double lo = std::fmin(a, b), hi = std::fmax(a, b);
    std::vector<RemovablePoint> points;
    std::vector<Piece> work{{lo, hi, 0}};
    while (!work.empty()) {
        const Piece piece = work.back();
        work.pop_back();
        const Result<void> defined = proveDefined(program, piece.lo, piece.hi);
        if (defined)
            continue;
        const Refusal &why = defined.refusal();
        if (!searched(why))
            return why;
        std::optional<RemovablePoint> found;
        std::optional<BallFailure> failedAt;
        const std::vector<double> near = candidates(*why.x, piece.lo, piece.hi);
        for (const double c : near) {
            RemovablePoint p;
            p.x = c;
            Ball limit;
            if (auto failed = discover(p, program, limit.get())) {
                if (!failedAt)
                    failedAt = failed;
                continue;
            }
            Result<Enclosure> value = enclosureOf(limit.get());
            if (!value)
                continue;
            p.limit = *value;
            found = std::move(p);
            break;
        }
        if (found && !proveNeighbourhood(*found, program, piece.lo, piece.hi))
            found.reset();
        // A true pole stays one (1/x), and no substitution helps it.
        const bool pole = failedAt && failedAt->reason == Reason::Pole && failedAt->everywhere;
        for (std::size_t i = 0; improper && !found && !pole && i < near.size(); ++i)
            found = improperPoint(program, near[i], piece.lo, piece.hi);
        if (!found || static_cast<int>(points.size()) >= removablePointLimit) {
            // Anything else there that is 0/0 is named so, since no limit
            // was proven; at a double, f has no bound.
            if (pole || why.reason != Reason::Pole)
                return why;
            if (zeroOverZero(program, why, piece.lo, piece.hi))
                return Refusal{Reason::ZeroOverZero, {}, why.position, why.x};
            if (!near.empty())
                if (const std::optional<Reason> what =
                        singularityAt(program, near.front(), piece.lo, piece.hi))
                    return Refusal{*what, {}, why.position, near.front()};
            return why;
        }
        if (found->hi < piece.hi)
            work.push_back({found->hi, piece.hi, piece.depth + 1});
        if (piece.lo < found->lo)
            work.push_back({piece.lo, found->lo, piece.depth + 1});
        points.push_back(std::move(*found));
    }
    std::sort(points.begin(), points.end(),
              [](const RemovablePoint &l, const RemovablePoint &r) { return l.x < r.x; });
    return points;
}

} // namespace

std::optional<BallFailure> taylorNearLimits(arb_poly_t series, const Program &program,
                                            const arb_t x, slong order,
                                            const std::vector<RemovablePoint> &points)
{
    const RemovablePoint *near = nullptr;
    Ball hull, joined, c;
    mag_t own;
    mag_init(own);
    bool twoPoints = false;
    for (const RemovablePoint &p : points) {
        arb_set_d(c.get(), p.x);
        // f has no bound at an improper point, nor its derivatives.
        if (p.substitution != 0 && arb_contains(x, c.get()))
            twoPoints = true;
        if (p.substitution != 0)
            continue;
        arb_union(joined.get(), x, c.get(), proofPrecision);
        // Near: the ball joined with the point is at most three times as wide.
        mag_mul_ui(own, arb_radref(x), 3);
        if (!arb_contains(x, c.get()) && mag_cmp(arb_radref(joined.get()), own) > 0)
            continue;
        twoPoints = twoPoints || near;
        near = &p;
        arb_swap(hull.get(), joined.get());
    }
    mag_clear(own);
    if (twoPoints)
        return BallFailure{near ? Reason::NotProven : Reason::NotSmooth, 0, false};
    if (!near)
        return taylorOnBall(series, program, x, order);
    return cancelledSeries(series, program, hull.get(), order, *near);
}

Result<Enclosure> integrateWithLimits(const Program &program, double lo, double hi,
                                      const std::vector<RemovablePoint> &points)
{
    Ball total, piece;
    double from = lo;
    const auto plain = [&](double to) -> Result<void> {
        if (!(from < to))
            return {};
        Result<Enclosure> part = integrateDefined(program, from, to);
        if (!part)
            return part.refusal();
        ballOf(piece.get(), *part);
        arb_add(total.get(), total.get(), piece.get(), proofPrecision);
        return {};
    };
    for (const RemovablePoint &p : points) {
        if (p.x < lo || p.x > hi)
            continue;
        if (p.substitution != 0) {
            Ball sides;
            for (const bool left : {true, false}) {
                if ((left ? p.leftReach : p.rightReach) == 0)
                    continue;
                Result<Enclosure> side = improperSide(program, p, left);
                if (!side)
                    return side.refusal();
                ballOf(piece.get(), *side);
                arb_add(sides.get(), sides.get(), piece.get(), proofPrecision);
            }
            if (auto part = plain(p.lo); !part)
                return part.refusal();
            arb_add(total.get(), total.get(), sides.get(), proofPrecision);
            from = p.hi;
            continue;
        }
        // Narrower pieces around the point until the remainder is below
        // 2^-70 of the piece's polynomial part.
        double u = std::fmax(p.lo, lo), v = std::fmin(p.hi, hi);
        bool done = false;
        for (int k = 0; k < 10 && !done; ++k) {
            if (k > 0) {
                u = p.x - (p.x - u) / 16;
                v = p.x + (v - p.x) / 16;
            }
            if (!modelIntegral(piece.get(), program, p, u, v))
                continue;
            mag_t rad, size;
            mag_init(rad);
            mag_init(size);
            mag_set(rad, arb_radref(piece.get()));
            arb_get_mag_lower(size, piece.get());
            mag_mul_2exp_si(size, size, -70);
            done = mag_cmp(rad, size) <= 0 || k == 9;
            mag_clear(rad);
            mag_clear(size);
        }
        if (!done)
            return Refusal{Reason::NotProven, {}, {}, p.x};
        Ball model;
        arb_swap(model.get(), piece.get());
        if (auto part = plain(u); !part)
            return part.refusal();
        arb_add(total.get(), total.get(), model.get(), proofPrecision);
        from = v;
    }
    if (auto part = plain(hi); !part)
        return part.refusal();
    return enclosureOf(total.get());
}

} // namespace kvadrolab
