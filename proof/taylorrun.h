// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// For proof/ alone: one run of a program on series, whose arithmetic is in
// taylor.cpp and whose narrowing by a piece's end values is in narrowing.cpp.

#include "proof/balls.h"
#include "proof/taylor.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace kvadrolab {

// Every step's value at one end of a piece, in step order (a deque: balls
// stay where they are made).
using EndValues = std::deque<Ball>;

// Every step's arithmetic on the series of its operands (taylor.cpp). The
// checks come before the series functions, because Arb answers a root of a
// negative ball with a NaN that says nothing of where or why.
class TaylorRun
{
public:
    TaylorRun(const Program &program, const arb_t x, slong order, slong prec)
        : m_program(program), m_x(x), m_length(order + 1), m_order(order), m_prec(prec),
          m_stack(std::make_unique<Series[]>(program.stackDepth)), m_producer(program.stackDepth),
          m_flat(program.stackDepth), m_begin(program.stackDepth), m_kinks(program.stackDepth)
    {
    }

    // Records every step's value (the order-0 term) into `values`, up to the
    // step that fails.
    void record(EndValues *values) { m_record = values; }

    // The narrowing run: order 1 on a piece [lo; hi], with every step's
    // value at the two ends. An operand whose derivative is >= 0 (or <= 0)
    // over the piece is monotone there, so its range is the hull of its end
    // values (x^2 + 1e-30 on [0; h], whose slope is 0 at 0), which is narrower than the ball's own
    // where the ball overreaches (1 - x^2 near x = 1). Where a derivative does not exist (a root at
    // 0) the run carries the value alone and narrows nothing downstream.
    void narrowBy(const EndValues *lo, const EndValues *hi)
    {
        m_lo = lo;
        m_hi = hi;
    }

    // The series of the whole program into `out`, or the step that failed.
    std::optional<BallFailure> run(arb_poly_t out);

    // A removable 0/0 at a point c (removable.cpp): `powers` holds, per step,
    // the power of (x - c) cancelled from both operands of that division.
    // Discovering (the run at the exact point c), a division by an exact
    // zero counts the leading exact zeros and records them; otherwise the
    // recorded powers are cancelled on a ball that holds c. Each cancelled
    // power shortens the series by one term. A square or cube root of
    // (x - c)^(r k) u is taken as (x - c)^k times the root of u likewise,
    // and a constant rational power p of (x - c)^v u with v p whole as
    // (x - c)^(v p) u^p.
    void cancel(std::vector<int> *powers, bool discover, double c)
    {
        m_powers = powers;
        m_discover = discover;
        m_point = c;
    }

private:
    std::optional<BallFailure> fail(Reason why, bool everywhere) const
    {
        return BallFailure{why, m_step ? m_step->position : 0, everywhere};
    }

    arb_poly_struct *top(std::size_t below) { return m_stack[m_top - 1 - below].get(); }

    // The value term of a series: the range of the operand over the ball.
    static arb_srcptr value(const arb_poly_struct *p)
    {
        static const Ball zero;
        return p->length > 0 ? p->coeffs : zero.get();
    }

    std::optional<BallFailure> push();
    std::optional<BallFailure> apply(const Step &step);

    // On the narrowing run, the operand in `slot` taken as the hull of its
    // end values where it is monotone over the piece (narrowing.cpp).
    void narrow(std::size_t slot);

    // Where a slot's series stops being f's derivatives: across a kink of
    // |u| (u crossing 0 in the ball) the coefficients from `from` on hold
    // both one-sided derivatives, not a derivative. A product with a factor
    // that vanishes where u does smooths it: x|x| has a first derivative,
    // 2|x|, and no second. `argBegin`/`argEnd` are the steps of that u, when
    // there is one u alone.
    struct Kinks
    {
        slong from = 0; // m_length or more: every coefficient is a derivative
        std::size_t argBegin = 0;
        std::size_t argEnd = 0;
        std::size_t position = 0; // the |u| step's place in the typed text
    };

    // The slot's series through one kink of |u| at most, and that u's steps.
    bool singleKink(const Kinks &k) const { return k.from < m_length && k.argEnd > k.argBegin; }

    // How many times the value of steps [begin; end) vanishes where the
    // steps [argBegin; argEnd) do, as far as its form shows: 1 for u itself,
    // |u| and -u, n times that for a power n; 0 where it does not show.
    slong vanishing(std::size_t begin, std::size_t end, std::size_t argBegin,
                    std::size_t argEnd) const;

    // The kinks of a step's result from its operands' (slots `first` on).
    Kinks kinksOf(const Step &step, std::size_t first, std::size_t index) const;

    // A kink or a vertical tangent in the ball: a value, but no derivative.
    // Refused where derivatives were asked for; the narrowing run goes on
    // with the value alone.
    std::optional<BallFailure> kinked();

    std::optional<BallFailure> pushLeaf(const Step &step);
    std::optional<BallFailure> binaryStep(BinaryOp op, arb_poly_struct *left,
                                          arb_poly_struct *right);
    std::optional<BallFailure> power(arb_poly_t r, const arb_poly_struct *a,
                                     const arb_poly_struct *b);
    std::optional<BallFailure> powerFromZeroSeries(arb_poly_t r, const arb_poly_struct *a,
                                                   const arb_t p);
    std::optional<BallFailure> unaryStep(const Step &step, arb_poly_struct *p);
    std::optional<BallFailure> cubeRoot(arb_poly_t r, const arb_poly_struct *p);
    std::optional<BallFailure> cancelCommonPower(arb_poly_struct *left, arb_poly_struct *right);
    // Whether it took the step (a root of a power of x - c), with `failed`
    // set where that failed.
    bool rootOfPower(const Step &step, arb_poly_struct *p, std::optional<BallFailure> &failed);
    // Likewise for a constant rational power p of (x - c)^v u with v p whole
    // (x^(1/3) at c = 0 after x = s^3), the result into r.
    bool powerOfPower(arb_poly_t r, const arb_poly_struct *a, const arb_poly_struct *b,
                      std::optional<BallFailure> &failed);
    std::optional<BallFailure> wholePower(arb_poly_t r, const arb_poly_struct *p,
                                          std::int32_t exponent);

    // The range of a monotone function over the ball c: the union of its
    // values at c's two ends, each an exact point.
    void throughEnds(arb_t out, const arb_t c, void (*fn)(arb_t, const arb_t, slong));

    const Program &m_program;
    arb_srcptr m_x;
    slong m_length;
    slong m_order;
    slong m_prec;
    std::unique_ptr<Series[]> m_stack;
    std::vector<std::size_t> m_producer; // the step that left each slot's value
    std::vector<bool> m_flat;            // a slot's derivative term is not to be read
    std::vector<std::size_t> m_begin;    // the first step of each slot's value
    std::vector<Kinks> m_kinks;          // where each slot's derivatives stop
    std::size_t m_top = 0;
    const Step *m_step = nullptr;
    bool m_kink = false;
    bool m_absKink = false; // the step was |u| across 0, taken with both signs
    EndValues *m_record = nullptr;
    const EndValues *m_lo = nullptr;
    const EndValues *m_hi = nullptr;
    std::vector<int> *m_powers = nullptr;
    bool m_discover = false;
    double m_point = 0;
};

} // namespace kvadrolab
