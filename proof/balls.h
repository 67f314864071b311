// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "expression/program.h"

// FLINT names its word types with macros: ulong is mp_limb_t. In a file that
// also includes Qt, Qt's headers come first, or the macro turns Qt's own
// typedef ulong and its ulong overloads into mp_limb_t ones, which clash
// where long has 32 bits and mp_limb_t 64 (Windows).
#include <acb.h>
#include <arb.h>
#include <arb_poly.h>

namespace kvadrolab {

// Owners of Arb's C values: each is initialised when made and cleared when it
// goes, on every path out of a function.
class Ball
{
public:
    Ball() { arb_init(m_ball); }
    ~Ball() { arb_clear(m_ball); }
    Ball(const Ball &) = delete;
    Ball &operator=(const Ball &) = delete;

    arb_ptr get() { return m_ball; }
    arb_srcptr get() const { return m_ball; }

private:
    arb_t m_ball;
};

class ComplexBall
{
public:
    ComplexBall() { acb_init(m_ball); }
    ~ComplexBall() { acb_clear(m_ball); }
    ComplexBall(const ComplexBall &) = delete;
    ComplexBall &operator=(const ComplexBall &) = delete;

    acb_ptr get() { return m_ball; }
    acb_srcptr get() const { return m_ball; }

private:
    acb_t m_ball;
};

class Series
{
public:
    Series() { arb_poly_init(m_poly); }
    ~Series() { arb_poly_clear(m_poly); }
    Series(const Series &) = delete;
    Series &operator=(const Series &) = delete;

    arb_poly_struct *get() { return m_poly; }
    const arb_poly_struct *get() const { return m_poly; }

private:
    arb_poly_t m_poly;
};

// The ball that holds every point of [lo; hi] (lo <= hi, both finite), and
// no more than that wherever half the width is a binary fraction of at most
// 30 bits: a piece ending at 0 or 1 does not reach past its end, so sqrt on
// [0; 1] stays defined.
void intervalBall(arb_t ball, double lo, double hi);

// A double at or below (above) the ball's lower (upper) end: an end of an
// enclosure read as a double, rounded outward.
double outwardDouble(const arb_t ball, bool upper);

// A typed decimal as the ball that holds its exact value (0.1 as 1/10, not
// the double next to it); false for a text that is no decimal.
bool literalBall(arb_t ball, const Step &step, slong prec);

// The middle of [lo; hi] (lo <= hi, both finite), a double within it even
// where hi - lo is beyond double.
double halfway(double lo, double hi);

// Where the proofs split a piece [lo; hi] (lo < hi, both finite): its
// middle, or for a piece of one sign spanning more than a factor of 4 its
// geometric middle. Halving [1; 1e300] leaves [1; 5.8e289] after 34 steps,
// a ball around 0 where ln is undefined; the geometric split reaches pieces
// of a factor of 4 in ten. Always strictly inside, unless lo and hi are
// neighbouring doubles (then lo).
double splitPoint(double lo, double hi);

// A piece of the interval in a proof's work list: its ends, and how many
// splits made it (the depth limits count them).
struct Piece
{
    double lo;
    double hi;
    int depth;
};

// The two halves of a piece split at mid (lo < mid < hi), pushed so that
// the left one is taken next: a depth-first walk goes from left to right,
// and the first place refused is the leftmost.
template <typename WorkList> void pushHalves(WorkList &work, const Piece &piece, double mid)
{
    work.push_back(Piece{mid, piece.hi, piece.depth + 1});
    work.push_back(Piece{piece.lo, mid, piece.depth + 1});
}

} // namespace kvadrolab
