// SPDX-License-Identifier: GPL-3.0-or-later
#include "proof/integral.h"

#include "proof/balls.h"
#include "proof/domain.h"
#include "proof/exactends.h"
#include "proof/exactrule.h"
#include "proof/folding.h"
#include "proof/ranges.h"
#include "proof/removable.h"
#include "proof/taylor.h"

#include <acb_calc.h>

#include <cmath>
#include <memory>
#include <optional>

namespace kvadrolab {

namespace {

// One call of the integrand, as the work limit counts it: a run on a
// complex ball, each step weighed by what it costs there (a sine ten
// additions), and the integrator's own work around the call (its nodes, its
// queue of pieces), about 2 us whatever the program.
constexpr long long kIntegratorCallCost = 50;
long long integralCallCost(const Program &program)
{
    return complexRunCost(program) + kIntegratorCallCost;
}

// The program over complex balls, as acb_calc_integrate calls it: with
// order 0 at points and pieces of the real path, where f need only be
// defined; with order 1 on a box around a piece, where f must be
// holomorphic on the whole box or the value must be non-finite. Every
// function with a branch cut or a kink is therefore taken with Arb's
// analytic variant, or checked by hand against its cut, when asked for 1.
class ComplexProgram
{
public:
    ComplexProgram(const Program &program)
        : m_program(program), m_literals(std::make_unique<Ball[]>(program.steps.size())),
          m_stack(std::make_unique<ComplexBall[]>(program.stackDepth))
    {
        arb_const_e(m_e.get(), integralPrecision + 64);
        for (std::size_t i = 0; i < program.steps.size(); ++i)
            if (program.steps[i].op == Op::Number)
                m_readable = m_readable && literalBall(m_literals[i].get(), program.steps[i],
                                                       integralPrecision + 64);
    }

    bool readable() const { return m_readable; }
    // Where the work limit was reached, if it was.
    std::optional<double> reached() const { return m_reached; }
    long long spent() const { return m_spent; }

    // Past the work limit every call answers a non-finite value, which ends
    // the integration unproven; reached() then tells that apart from a
    // failure of the proof and says where on the path the work ran out.
    void evaluate(acb_t res, const acb_t z, bool analytic, slong prec)
    {
        m_spent += integralCallCost(m_program);
        if (m_spent > integralWorkLimit) {
            if (!m_reached)
                m_reached = arf_get_d(arb_midref(acb_realref(z)), ARF_RND_NEAR);
            return acb_indeterminate(res);
        }
        std::size_t top = 0;
        for (std::size_t i = 0; i < m_program.steps.size(); ++i) {
            const Step &step = m_program.steps[i];
            const std::size_t operands = operandCount(step.op);
            if (operands > 2)
                return acb_indeterminate(res);
            if (operands == 0) {
                if (top >= m_program.stackDepth)
                    return acb_indeterminate(res);
                acb_ptr v = m_stack[top++].get();
                leaf(step, m_literals[i].get(), v, z, prec);
            } else if (operands == 2) {
                if (top < 2)
                    return acb_indeterminate(res);
                --top;
                binary(*binaryOp(step.op), m_stack[top - 1].get(), m_stack[top].get(), analytic,
                       prec);
            } else {
                if (top < 1)
                    return acb_indeterminate(res);
                unary(step, m_stack[top - 1].get(), analytic, prec);
            }
        }
        if (top != 1)
            return acb_indeterminate(res);
        acb_set(res, m_stack[0].get());
    }

private:
    // A value step; no value (non-finite) for any other.
    void leaf(const Step &step, const arb_t literal, acb_t v, const acb_t z, slong prec) const
    {
        switch (step.op) {
        case Op::Number:
            return acb_set_arb(v, literal);
        case Op::Pi:
            return acb_const_pi(v, prec);
        case Op::E:
            return acb_set_arb(v, m_e.get());
        case Op::X:
            return acb_set(v, z);
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
            break;
        }
        acb_indeterminate(v);
    }

    static void binary(BinaryOp op, acb_t l, const acb_t r, bool analytic, slong prec)
    {
        switch (op) {
        case BinaryOp::Add:
            acb_add(l, l, r, prec);
            break;
        case BinaryOp::Sub:
            acb_sub(l, l, r, prec);
            break;
        case BinaryOp::Mul:
            acb_mul(l, l, r, prec);
            break;
        case BinaryOp::Div: // a box around 0 gives a non-finite quotient
            acb_div(l, l, r, prec);
            break;
        case BinaryOp::Pow:
            if (!analytic && realFromZero(l, r)) {
                // A piece of the real path where the base reaches 0: Arb's
                // power takes the logarithm of 0 and has no value, but t^p
                // for p > 0 rises from 0, and the domain proof has shown
                // the base >= 0 at every real point.
                powerFromZero(acb_realref(l), acb_realref(l), acb_realref(r), prec);
                break;
            }
            acb_pow_analytic(l, l, r, analytic, prec);
            break;
            acb_indeterminate(l); // no operator
            break;
        }
    }

    // Whether base^p is a real power from 0: both real, the base not above 0
    // everywhere, p > 0.
    static bool realFromZero(const acb_t base, const acb_t p)
    {
        return arb_is_zero(acb_imagref(base)) && arb_is_zero(acb_imagref(p)) &&
               arb_is_positive(acb_realref(p)) && !arb_is_positive(acb_realref(base));
    }

    // Whether the box reaches the real axis outside (-1; 1), where asin and
    // acos have their cuts.
    static bool touchesRealCut(const acb_t v)
    {
        if (!arb_contains_zero(acb_imagref(v)))
            return false;
        arb_t one;
        arb_init(one);
        arb_one(one);
        arb_t m;
        arb_init(m);
        arb_abs(m, acb_realref(v));
        const bool inside = arb_lt(m, one);
        arb_clear(m);
        arb_clear(one);
        return !inside;
    }

    // Whether the box reaches the imaginary axis outside (-i; i), atan's cuts.
    static bool touchesImaginaryCut(const acb_t v)
    {
        if (!arb_contains_zero(acb_realref(v)))
            return false;
        arb_t one, m;
        arb_init(one);
        arb_init(m);
        arb_one(one);
        arb_abs(m, acb_imagref(v));
        const bool inside = arb_lt(m, one);
        arb_clear(m);
        arb_clear(one);
        return !inside;
    }

    static void unary(const Step &step, acb_t v, bool analytic, slong prec)
    {
        switch (step.op) {
        case Op::Neg:
            acb_neg(v, v);
            break;
        case Op::Sin:
            acb_sin(v, v, prec);
            break;
        case Op::Cos:
            acb_cos(v, v, prec);
            break;
        case Op::Tan: // meromorphic: a box around a pole is non-finite
            acb_tan(v, v, prec);
            break;
        case Op::Cot:
            acb_cot(v, v, prec);
            break;
        case Op::Asin:
        case Op::Acos:
            if (analytic && touchesRealCut(v))
                return acb_indeterminate(v);
            if (step.op == Op::Asin)
                acb_asin(v, v, prec);
            else
                acb_acos(v, v, prec);
            break;
        case Op::Atan:
            if (analytic && touchesImaginaryCut(v))
                return acb_indeterminate(v);
            acb_atan(v, v, prec);
            break;
        case Op::Acot:
            // pi/2 - atan(z): the real arcctg, valued in (0; pi), with
            // atan's cuts and no break on the real axis.
            if (analytic && touchesImaginaryCut(v))
                return acb_indeterminate(v);
            arcCotangent(v, prec);
            break;
        case Op::Sinh:
            acb_sinh(v, v, prec);
            break;
        case Op::Cosh:
            acb_cosh(v, v, prec);
            break;
        case Op::Tanh:
            acb_tanh(v, v, prec);
            break;
        case Op::Coth: // meromorphic, like cot: a box around 0 is non-finite
            acb_coth(v, v, prec);
            break;
        case Op::Exp:
            acb_exp(v, v, prec);
            break;
        case Op::Ln:
        case Op::Lg:
            acb_log_analytic(v, v, analytic, prec);
            if (step.op == Op::Lg) {
                acb_t ln10;
                acb_init(ln10);
                acb_set_ui(ln10, 10);
                acb_log(ln10, ln10, prec);
                acb_div(v, v, ln10, prec);
                acb_clear(ln10);
            }
            break;
        case Op::Sqrt:
            acb_sqrt_analytic(v, v, analytic, prec);
            break;
        case Op::Cbrt:
            cubeRoot(v, analytic, prec);
            break;
        case Op::Abs:
            acb_real_abs(v, v, analytic, prec);
            break;
        case Op::PowInt: // a negative power of a box around 0 is non-finite
            acb_pow_si(v, v, step.exponent, prec);
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
            acb_indeterminate(v); // no function of one value
            break;
        }
    }

    static void arcCotangent(acb_t v, slong prec)
    {
        acb_t halfPi;
        acb_init(halfPi);
        acb_const_pi(halfPi, prec);
        acb_mul_2exp_si(halfPi, halfPi, -1);
        acb_atan(v, v, prec);
        acb_sub(v, halfPi, v, prec);
        acb_clear(halfPi);
    }

    // The real cube root continued as z^(1/3) to the right of the imaginary
    // axis and -(-z)^(1/3) to the left, so its only break is the axis itself,
    // like acb_real_abs: a holomorphic box must lie on one side.
    static void cubeRoot(acb_t v, bool analytic, slong prec)
    {
        if (arb_is_positive(acb_realref(v))) {
            acb_root_ui(v, v, 3, prec);
        } else if (arb_is_negative(acb_realref(v))) {
            acb_neg(v, v);
            acb_root_ui(v, v, 3, prec);
            acb_neg(v, v);
        } else if (!analytic && arb_is_zero(acb_imagref(v))) {
            // A real piece across 0: the root rises, so its range is the
            // roots of the ends.
            arb_t lo, hi;
            arb_init(lo);
            arb_init(hi);
            arb_get_lbound_arf(arb_midref(lo), acb_realref(v), prec);
            arb_get_ubound_arf(arb_midref(hi), acb_realref(v), prec);
            arb_neg(lo, lo);
            arb_root_ui(lo, lo, 3, prec);
            arb_neg(lo, lo);
            arb_root_ui(hi, hi, 3, prec);
            arb_union(acb_realref(v), lo, hi, prec);
            arb_zero(acb_imagref(v));
            arb_clear(lo);
            arb_clear(hi);
        } else {
            acb_indeterminate(v);
        }
    }

    const Program &m_program;
    std::unique_ptr<Ball[]> m_literals;
    std::unique_ptr<ComplexBall[]> m_stack;
    Ball m_e;
    bool m_readable = true;
    long long m_spent = 0;
    std::optional<double> m_reached;
};

int integrand(acb_ptr res, const acb_t z, void *param, slong order, slong prec)
{
    static_cast<ComplexProgram *>(param)->evaluate(res, z, order != 0, prec);
    return 0;
}

// The absolute goal: 2^-64 times the size the integral can have at most,
// (b - a) sup |f| from one real ball over [a; b], when that is below 1. A
// fixed 2^-64 would leave an integral of 1e-37 over a short piece with no
// digit of its own; an integral that cancels to about 0 over a long
// interval keeps 2^-64, since its relative goal cannot be met.
void absoluteGoal(mag_t goal, const Program &program, double a, double b)
{
    mag_set_ui_2exp_si(goal, 1, -integralGoalBits);
    Ball piece, range;
    intervalBall(piece.get(), a, b);
    Series values;
    if (taylorOnBall(values.get(), program, piece.get(), 0))
        return; // one ball over all of [a; b] is in doubt somewhere: keep 2^-64
    arb_poly_get_coeff_arb(range.get(), values.get(), 0);
    mag_t size, width;
    mag_init(size);
    mag_init(width);
    arb_get_mag(size, range.get());
    // A ball over all of [a; b] can overreach by far where f cancels (1 -
    // cos x near 0); four times the largest |f| at the ends and the middle
    // sizes the goal then, where that is smaller and not 0.
    {
        mag_t sampled, at;
        mag_init(sampled);
        mag_init(at);
        Ball point;
        for (const double x : {a, halfway(a, b), b}) {
            arb_set_d(point.get(), x);
            if (!taylorOnBall(values.get(), program, point.get(), 0)) {
                arb_poly_get_coeff_arb(range.get(), values.get(), 0);
                arb_get_mag(at, range.get());
                mag_max(sampled, sampled, at);
            }
        }
        mag_mul_2exp_si(sampled, sampled, 2);
        if (!mag_is_zero(sampled) && mag_cmp(sampled, size) < 0)
            mag_swap(size, sampled);
        mag_clear(sampled);
        mag_clear(at);
    }
    mag_set_d(width, b - a); // b - a to nearest: a goal is a size, not a bound
    mag_mul(size, size, width);
    if (mag_cmp_2exp_si(size, 0) < 0 && !mag_is_zero(size)) {
        mag_mul_2exp_si(size, size, -integralGoalBits);
        mag_swap(goal, size);
    }
    mag_clear(size);
    mag_clear(width);
}

// The integral of f from a to b (finite doubles) as Arb encloses it, in
// `out`: the real part of the complex integral.
Result<void> integralBall(arb_t out, const Program &program, double a, double b)
{
    // Proven defined, the program may drop a root's condition: sqrt(x)^2 is
    // x, holomorphic where the root was not.
    const Program folded = foldRootPowers(program);
    ComplexProgram f(folded);
    if (!f.readable())
        return Refusal{Reason::NotANumber};

    ComplexBall result, from, to;
    acb_set_d(from.get(), a);
    acb_set_d(to.get(), b);
    mag_t tolerance;
    mag_init(tolerance);
    absoluteGoal(tolerance, folded, a, b);
    acb_calc_integrate_opt_t options;
    acb_calc_integrate_opt_init(options);
    // The integrator's own count of calls stays out of the way: the work
    // counted in the calls decides.
    options->eval_limit = integralWorkLimit / integralCallCost(program) + 2;
    options->depth_limit = integralQueueLimit;
    const int status = acb_calc_integrate(result.get(), integrand, &f, from.get(), to.get(),
                                          integralGoalBits, tolerance, options, integralPrecision);
    arb_srcptr re = acb_realref(result.get());
    mag_clear(tolerance);

    if (f.reached())
        return Refusal{Reason::WorkLimit, {}, {}, f.reached()};
    if (status != ARB_CALC_SUCCESS || !arb_is_finite(re))
        return Refusal{Reason::NotProven};
    arb_set(out, re);
    return {};
}

// The integral over a sliver at an end: its length times f's range over it,
// which holds the mean of f there.
Result<void> addSliver(arb_t sum, const Program &program, const ExactInterval &ends, bool lower)
{
    Ball sliver, length, inner;
    sliverBall(sliver.get(), ends, lower);
    Series values;
    if (taylorOnBall(values.get(), program, sliver.get(), 0))
        return Refusal{Reason::NotProven};
    Ball range;
    arb_poly_get_coeff_arb(range.get(), values.get(), 0);
    arb_set_d(inner.get(), lower ? ends.innerLo : ends.innerHi);
    if (lower)
        arb_sub(length.get(), inner.get(), ends.lo.get(), proofPrecision);
    else
        arb_sub(length.get(), ends.hi.get(), inner.get(), proofPrecision);
    arb_addmul(sum, length.get(), range.get(), proofPrecision);
    return {};
}

} // namespace

Result<Enclosure> enclosureOf(const arb_t re)
{
    if (!arb_is_finite(re))
        return Refusal{Reason::NotProven};
    Enclosure e;
    e.lower = outwardDouble(re, false);
    e.upper = outwardDouble(re, true);
    // Proven, but beyond what a double holds (an integral of 1e400).
    if (!std::isfinite(e.lower) || !std::isfinite(e.upper))
        return Refusal{Reason::NonFiniteResult};
    e.mid = arf_get_d(arb_midref(re), ARF_RND_NEAR);
    {
        arf_t tail;
        arf_init(tail);
        arf_set_d(tail, e.mid);
        arf_sub(tail, arb_midref(re), tail, ARF_PREC_EXACT, ARF_RND_DOWN);
        e.midTail = arf_get_d(tail, ARF_RND_NEAR);
        arf_clear(tail);
    }
    if (const Result<Enclosure> fine = enclosureOfBall(re); fine && fine->mid == e.mid)
        e.fineRad = fine->fineRad;
    // The radius grows until the doubles mid -+ rad, as rounded to nearest,
    // reach past both ends; a few ulps at most.
    e.rad = std::fmax(e.mid - e.lower, e.upper - e.mid);
    for (int i = 0; i < 64 && (e.mid - e.rad > e.lower || e.mid + e.rad < e.upper); ++i)
        e.rad = std::nextafter(e.rad, INFINITY);
    if (e.mid - e.rad > e.lower || e.mid + e.rad < e.upper || !std::isfinite(e.rad))
        return Refusal{Reason::NotProven};
    return e;
}

Result<Enclosure> integrateDefined(const Program &program, double a, double b)
{
    if (!std::isfinite(a))
        return Refusal{Reason::NonFiniteInput, Input::A};
    if (!std::isfinite(b))
        return Refusal{Reason::NonFiniteInput, Input::B};
    Ball re;
    if (auto done = integralBall(re.get(), program, a, b); !done)
        return done.refusal();
    return enclosureOf(re.get());
}

Result<Enclosure> integrateDefined(const Program &program, const ExactNumber &a,
                                   const ExactNumber &b)
{
    ExactInterval ends;
    if (auto split = splitExactEnds(ends, a, b); !split)
        return split.refusal();
    // Between the inner doubles as before, from lo to hi: the goal is sized
    // on the ball over the piece, which wants its ends in order.
    Ball sum;
    if (auto done = integralBall(sum.get(), program, ends.innerLo, ends.innerHi); !done)
        return done.refusal();
    if (ends.loSliver)
        if (auto done = addSliver(sum.get(), program, ends, true); !done)
            return done.refusal();
    if (ends.hiSliver)
        if (auto done = addSliver(sum.get(), program, ends, false); !done)
            return done.refusal();
    if (ends.reversed)
        arb_neg(sum.get(), sum.get());
    return enclosureOf(sum.get());
}

Result<Enclosure> certifiedIntegral(const Program &program, double a, double b)
{
    return certifiedIntegral(program, ExactNumber::fromDouble(a), ExactNumber::fromDouble(b));
}

Result<Enclosure> certifiedIntegral(const Program &program, const ExactNumber &a,
                                    const ExactNumber &b)
{
    const Result<std::vector<RemovablePoint>> points = proveDefinedWithLimits(program, a, b);
    if (!points)
        return points.refusal();
    if (points->empty())
        return integrateDefined(program, a, b);
    ExactInterval ends;
    if (auto split = splitExactEnds(ends, a, b); !split)
        return split.refusal();
    // A removable 0/0 is integrated through by its limit: one point does not
    // change the integral. The integrator's goal is sized on the ball over
    // the piece, which wants its ends in order: the reversed integral is the
    // forward one negated.
    Result<Enclosure> forward = integrateWithLimits(program, ends.innerLo, ends.innerHi, *points);
    if (!forward)
        return forward.refusal();
    Enclosure e = *forward;
    if (ends.loSliver || ends.hiSliver) {
        // An end typed between two doubles adds its sliver to what lies
        // between the inner doubles.
        Ball sum;
        arf_t lo, hi;
        arf_init(lo);
        arf_init(hi);
        arf_set_d(lo, forward->lower);
        arf_set_d(hi, forward->upper);
        arb_set_interval_arf(sum.get(), lo, hi, proofPrecision);
        arf_clear(lo);
        arf_clear(hi);
        for (const bool lower : {true, false})
            if (lower ? ends.loSliver : ends.hiSliver)
                if (auto done = addSliver(sum.get(), program, ends, lower); !done)
                    return done.refusal();
        Result<Enclosure> whole = enclosureOf(sum.get());
        if (!whole)
            return whole.refusal();
        e = *whole;
    }
    if (!ends.reversed)
        return e;
    Enclosure r = e;
    r.mid = -e.mid;
    r.midTail = -e.midTail;
    r.lower = -e.upper;
    r.upper = -e.lower;
    return r;
}

} // namespace kvadrolab
