// SPDX-License-Identifier: GPL-3.0-or-later
#include "proof/derivativemax.h"

#include "proof/balls.h"
#include "proof/domain.h"
#include "proof/exactends.h"
#include "proof/folding.h"
#include "proof/removable.h"
#include "proof/taylor.h"
#include "proof/work.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <queue>
#include <utility>
#include <vector>

namespace kvadrolab {

namespace {

// A piece with its proven bound, queued by that bound.
struct BoundedPiece
{
    Piece piece;
    double upper; // |f^(k)| <= upper on [lo; hi]

    bool operator<(const BoundedPiece &other) const { return upper < other.upper; }
};

class Search
{
public:
    // The points it values are those of [lo; hi]; until one of them shows
    // f^(k) != 0, the lower bound 0 holds at lo, the first point valued.
    Search(const Program &program, int order, double lo, double hi,
           const std::vector<RemovablePoint> &points)
        : m_program(program), m_order(order), m_lo(lo), m_hi(hi), m_at(lo), m_points(points)
    {
        arb_fac_ui(m_factorial.get(), static_cast<ulong>(order), proofPrecision);
    }

    long long work() const { return m_work; }
    // A point value above the largest double: M_k is past the doubles, and
    // at() is that point.
    bool beyond() const { return m_beyond; }
    double lower() const { return m_lower; }
    double at() const { return m_at; }

    // f^(k) over the ball: the k-th Taylor coefficient times k!.
    std::optional<BallFailure> derivative(arb_t out, const arb_t ball)
    {
        m_work += seriesRunCost(m_program, m_order);
        if (auto failed = taylorNearLimits(m_series.get(), m_program, ball, m_order, m_points))
            return failed;
        arb_poly_get_coeff_arb(out, m_series.get(), m_order);
        arb_mul(out, out, m_factorial.get(), proofPrecision);
        return std::nullopt;
    }

    // A point value: a proven lower bound of M_k wherever f^(k) is defined.
    // Leaves |f^(k)(t)| in `value`, for the mean value bound. The place kept
    // is the first point that reached the lower bound: a later one only
    // replaces it by exceeding it, so a tie stays with the earlier point.
    bool pointValue(arb_t value, double t)
    {
        // A point outside [lo; hi] bounds nothing there and is no place.
        if (!(m_lo <= t && t <= m_hi))
            return false;
        Ball point;
        arb_set_d(point.get(), t);
        if (derivative(value, point.get()))
            return false;
        arb_abs(value, value);
        if (!m_beyond && beyondDouble(value)) {
            m_beyond = true;
            m_lower = std::numeric_limits<double>::max();
            m_at = t;
            return true;
        }
        found(value, t);
        return true;
    }

    // |f^(k)(t)| in `value` reached: the lower bound rises to it where it
    // is larger.
    void found(const arb_t value, double t)
    {
        const double d = outward(value, false);
        if (d > m_lower) {
            m_lower = d;
            m_at = t;
        }
    }

    // An upper bound of |f^(k)| on [lo; hi]: the second-order bound where
    // f^(k+2) is bounded there, the first-order one elsewhere.
    std::optional<BallFailure> upperBound(double &upper, double lo, double hi)
    {
        Ball ball;
        intervalBall(ball.get(), lo, hi);
        if (secondOrderBound(upper, ball.get(), lo, hi))
            return std::nullopt;
        return firstOrderBound(upper, ball.get(), lo, hi);
    }

    // The bound from one run of order k + 2 over the piece and one at its
    // middle m: f^(k)(m + t) = f^(k)(m) + f^(k+1)(m) t + f^(k+2)(xi) t^2 / 2
    // with xi in the piece, so |f^(k)| is at most the largest |p0 + p1 t +
    // q t^2| over t in [lo - m; hi - m] and q at either end of its ball:
    // taken at the ends of t and at the vertex. Near an inner maximum it
    // falls short of the truth by the width of q's ball times t^2, that is
    // as the cube of the width, so a peak is settled in a few pieces where
    // the mean value form takes dozens. The plain enclosure and the mean
    // value form, read from the same run, bound it too, and the least of
    // the three is kept. False, with nothing spent beyond the one run,
    // where f^(k+2) is not bounded over the piece (the first-order bound
    // then decides).
    bool secondOrderBound(double &upper, const arb_t ball, double lo, double hi)
    {
        const long top = m_order + 2;
        m_work += seriesRunCost(m_program, top);
        if (taylorNearLimits(m_series.get(), m_program, ball, top, m_points))
            return false;
        Ball plain, slope, q;
        coefficient(plain.get(), m_series.get(), m_order, 0);
        coefficient(slope.get(), m_series.get(), m_order, 1);
        coefficient(q.get(), m_series.get(), m_order, 2);
        upper = outward(plain.get(), true);
        const double mid = halfway(lo, hi);
        if (!(lo <= mid && mid <= hi))
            return true;
        Ball point, p0, p1;
        arb_set_d(point.get(), mid);
        m_work += seriesRunCost(m_program, top);
        if (taylorNearLimits(m_series.get(), m_program, point.get(), top, m_points))
            return true;
        coefficient(p0.get(), m_series.get(), m_order, 0);
        coefficient(p1.get(), m_series.get(), m_order, 1);
        Ball value;
        arb_abs(value.get(), p0.get());
        found(value.get(), mid);

        // t at the two ends of the piece, each as a ball around lo - m and hi - m.
        Ball tLo, tHi, middle, reach;
        arb_set_d(middle.get(), mid);
        arb_set_d(tLo.get(), lo);
        arb_sub(tLo.get(), tLo.get(), middle.get(), proofPrecision);
        arb_set_d(tHi.get(), hi);
        arb_sub(tHi.get(), tHi.get(), middle.get(), proofPrecision);
        arb_union(reach.get(), tLo.get(), tHi.get(), proofPrecision);

        // The mean value form: |f^(k)(m)| + |f^(k+1)| max|t|.
        Ball form;
        arb_abs(form.get(), slope.get());
        Ball far;
        arb_abs(far.get(), reach.get());
        arb_mul(form.get(), form.get(), far.get(), proofPrecision);
        arb_add(form.get(), form.get(), value.get(), proofPrecision);
        if (arb_is_finite(form.get()))
            upper = std::fmin(upper, outward(form.get(), true));

        // The quadratic, for q at each end of its ball.
        double largest = 0;
        for (const bool high : {false, true}) {
            Ball end;
            if (high)
                arb_get_ubound_arf(arb_midref(end.get()), q.get(), proofPrecision);
            else
                arb_get_lbound_arf(arb_midref(end.get()), q.get(), proofPrecision);
            for (const arb_srcptr t : {tLo.get(), tHi.get()})
                largest = std::fmax(largest, quadraticAt(p0.get(), p1.get(), end.get(), t));
            // The vertex -p1 / (2 q), where it may lie within the piece.
            if (arb_contains_zero(end.get()))
                continue;
            Ball vertex;
            arb_div(vertex.get(), p1.get(), end.get(), proofPrecision);
            arb_mul_2exp_si(vertex.get(), vertex.get(), -1);
            arb_neg(vertex.get(), vertex.get());
            if (arb_overlaps(vertex.get(), reach.get()))
                largest =
                    std::fmax(largest, quadraticAt(p0.get(), p1.get(), end.get(), vertex.get()));
        }
        if (std::isfinite(largest))
            upper = std::fmin(upper, largest);
        return true;
    }

    // f^(k+j)(x) / j! from a series at x: its (k + j)-th coefficient times
    // (k + j)! / j!.
    static void coefficient(arb_t out, const arb_poly_t series, int order, int j)
    {
        arb_poly_get_coeff_arb(out, series, order + j);
        Ball scale;
        arb_fac_ui(scale.get(), static_cast<ulong>(order + j), proofPrecision);
        if (j > 1) {
            Ball jFactorial;
            arb_fac_ui(jFactorial.get(), static_cast<ulong>(j), proofPrecision);
            arb_div(scale.get(), scale.get(), jFactorial.get(), proofPrecision);
        }
        arb_mul(out, out, scale.get(), proofPrecision);
    }

    // The upper end of |p0 + p1 t + q t^2|, rounded up.
    static double quadraticAt(const arb_t p0, const arb_t p1, const arb_t q, const arb_t t)
    {
        Ball g;
        arb_mul(g.get(), q, t, proofPrecision);
        arb_add(g.get(), g.get(), p1, proofPrecision);
        arb_mul(g.get(), g.get(), t, proofPrecision);
        arb_add(g.get(), g.get(), p0, proofPrecision);
        return arb_is_finite(g.get()) ? outward(g.get(), true) : INFINITY;
    }

    // The plain enclosure of f^(k) over the piece, or the mean value form
    // |f^(k)(m)| + |f^(k+1)| max|t - m| where f^(k+1) exists there,
    // whichever is smaller; the latter tightens as the square of the width
    // near an inner maximum.
    std::optional<BallFailure> firstOrderBound(double &upper, const arb_t ball, double lo,
                                               double hi)
    {
        Ball d;
        if (auto failed = derivative(d.get(), ball))
            return failed;
        upper = outward(d.get(), true);
        const double mid = halfway(lo, hi);
        Ball center;
        if (!pointValue(center.get(), mid))
            return std::nullopt;
        m_work += seriesRunCost(m_program, m_order + 1);
        if (taylorNearLimits(m_series.get(), m_program, ball, m_order + 1, m_points))
            return std::nullopt;
        // f^(k+1) = (k+1)! c_(k+1) = (k+1) k! c_(k+1).
        Ball slope, reach, other, middle;
        arb_poly_get_coeff_arb(slope.get(), m_series.get(), m_order + 1);
        arb_mul_ui(slope.get(), slope.get(), static_cast<ulong>(m_order + 1), proofPrecision);
        arb_mul(slope.get(), slope.get(), m_factorial.get(), proofPrecision);
        arb_abs(slope.get(), slope.get());
        // The middle is a double next to the true one: the reach is the
        // larger of its distances to the ends, each computed as a ball.
        arb_set_d(middle.get(), mid);
        arb_set_d(other.get(), lo);
        arb_sub(reach.get(), middle.get(), other.get(), proofPrecision);
        arb_set_d(other.get(), hi);
        arb_sub(other.get(), other.get(), middle.get(), proofPrecision);
        arb_union(reach.get(), reach.get(), other.get(), proofPrecision);
        arb_mul(slope.get(), slope.get(), reach.get(), proofPrecision);
        arb_add(slope.get(), slope.get(), center.get(), proofPrecision);
        if (arb_is_finite(slope.get()))
            upper = std::fmin(upper, outward(slope.get(), true));
        return std::nullopt;
    }

    // Whether every point of the ball is larger in size than any double.
    static bool beyondDouble(const arb_t value)
    {
        arf_t end, largest;
        arf_init(end);
        arf_init(largest);
        arb_get_abs_lbound_arf(end, value, 53);
        arf_set_d(largest, std::numeric_limits<double>::max());
        const bool beyond = arf_cmp(end, largest) > 0;
        arf_clear(end);
        arf_clear(largest);
        return beyond;
    }

    // A double at or beyond the ball's upper end of |value| (upper), or at
    // or below its lower end.
    static double outward(const arb_t value, bool upper)
    {
        arf_t end;
        arf_init(end);
        if (upper)
            arb_get_abs_ubound_arf(end, value, 53);
        else
            arb_get_abs_lbound_arf(end, value, 53);
        const double d = arf_get_d(end, upper ? ARF_RND_CEIL : ARF_RND_FLOOR);
        arf_clear(end);
        return d;
    }

    // f^(k) and f^(k+1) at the point t, each exactly where its ball has
    // radius 0; false where the series cannot be taken there.
    bool exactPoint(arb_t value, arb_t slope, double t)
    {
        Ball point;
        arb_set_d(point.get(), t);
        m_work += seriesRunCost(m_program, m_order + 1);
        if (taylorNearLimits(m_series.get(), m_program, point.get(), m_order + 1, m_points))
            return false;
        coefficient(value, m_series.get(), m_order, 0);
        coefficient(slope, m_series.get(), m_order, 1);
        return true;
    }

    // Whether |f^(k)| <= c on [lo; hi], one of whose ends is x, where
    // f^(k)(x) = sign c: there s f^(k) falls away from x (s f^(k+1) <= 0 to
    // the right of x, >= 0 to its left), so it stays <= c, and s f^(k) >= -c
    // keeps the other sign within c too. Where f^(k+1)(x) is exactly 0
    // (`flat`), s f^(k+1)(y) = s f^(k+2)(xi) (y - x) has the sign needed on
    // either side wherever s f^(k+2) <= 0.
    bool fallsAway(double lo, double hi, double x, int sign, bool flat, double c)
    {
        Ball ball;
        intervalBall(ball.get(), lo, hi);
        const long top = m_order + 2;
        m_work += seriesRunCost(m_program, top);
        const bool second = !taylorNearLimits(m_series.get(), m_program, ball.get(), top, m_points);
        if (!second) {
            m_work += seriesRunCost(m_program, m_order + 1);
            if (taylorNearLimits(m_series.get(), m_program, ball.get(), m_order + 1, m_points))
                return false;
        }
        Ball value, slope, room;
        coefficient(value.get(), m_series.get(), m_order, 0);
        coefficient(slope.get(), m_series.get(), m_order, 1);
        if (sign < 0) {
            arb_neg(value.get(), value.get());
            arb_neg(slope.get(), slope.get());
        }
        arb_set_d(room.get(), c);
        arb_add(room.get(), room.get(), value.get(), proofPrecision);
        if (!arb_is_nonnegative(room.get()))
            return false;
        if (x == hi)
            arb_neg(slope.get(), slope.get());
        if (arb_is_nonpositive(slope.get()))
            return true;
        if (!second || !flat)
            return false;
        Ball curve;
        coefficient(curve.get(), m_series.get(), m_order, 2);
        if (sign < 0)
            arb_neg(curve.get(), curve.get());
        return arb_is_nonpositive(curve.get());
    }

private:
    const Program &m_program;
    int m_order;
    double m_lo;
    double m_hi;
    Ball m_factorial;
    Series m_series;
    long long m_work = 0;
    double m_lower = 0;
    double m_at;
    bool m_beyond = false;
    // Removable points: f is taken as its continuous extension there.
    const std::vector<RemovablePoint> &m_points;
};

// M_k over [lo; hi], doubles with lo < hi where f is proven defined.
Result<DerivativeMax> maxBetween(const Program &program, double lo, double hi, int order,
                                 double relativeGap, const std::vector<RemovablePoint> &points)
{
    // Proven defined, the program may drop a root's condition for its
    // derivatives: sqrt(x)^2 is x. Not where a removable point names the
    // program's own steps.
    const Program folded = points.empty() ? foldRootPowers(program) : program;
    Search search(folded, order, lo, hi, points);
    Ball scratch;
    // The ends are points too: a maximum there is found exactly.
    search.pointValue(scratch.get(), lo);
    search.pointValue(scratch.get(), hi);

    // Pieces in doubt (f^(k) without a bound somewhere in them) are split
    // first, depth first, down to the narrowest width, where they name the
    // place; the others wait in the heap by their bound.
    std::vector<Piece> doubtful{{lo, hi, 0}};
    std::priority_queue<BoundedPiece> bounded;
    while (!doubtful.empty() || !bounded.empty()) {
        // 1/(x + 1e-400) is defined on [0; 1], but its value at 0 is past
        // the doubles, and so is every derivative's: M_k is proven at least
        // that, and no double bounds it from above.
        if (search.beyond())
            break;
        if (search.work() > derivativeWorkLimit)
            break;
        Piece piece;
        if (!doubtful.empty()) {
            piece = doubtful.back();
            doubtful.pop_back();
        } else {
            const BoundedPiece &top = bounded.top();
            if (top.upper <= search.lower() * (1 + relativeGap) ||
                top.piece.depth >= derivativeSplitDepth)
                break;
            const Piece widest = top.piece;
            bounded.pop();
            pushHalves(doubtful, widest, splitPoint(widest.lo, widest.hi));
            continue;
        }
        double upper = 0;
        const auto failed = search.upperBound(upper, piece.lo, piece.hi);
        if (!failed) {
            bounded.push({piece, upper});
            continue;
        }
        const double mid = splitPoint(piece.lo, piece.hi);
        if (failed->everywhere || piece.depth >= derivativeSplitDepth || mid <= piece.lo ||
            mid >= piece.hi) {
            // f itself is proven defined and finite on all of [a; b]: a
            // ball that left a root's domain or met a zero divisor is a
            // derivative without a bound (sqrt(1 - x^2) at -1), not a
            // point where f stops.
            const bool fDefined =
                failed->reason == Reason::NotDefined || failed->reason == Reason::Pole;
            return Refusal{fDefined ? Reason::NotSmooth : failed->reason,
                           {},
                           failed->position,
                           failed->everywhere ? piece.lo : mid};
        }
        pushHalves(doubtful, piece, mid);
    }
    // Pieces still in doubt when the work ran out leave f^(k) unbounded as
    // far as anything is proven.
    DerivativeMax m;
    m.order = order;
    m.lower = search.lower();
    m.at = search.at();
    if (search.beyond()) {
        m.upper = std::numeric_limits<double>::infinity();
        return m;
    }
    if (!doubtful.empty())
        return Refusal{Reason::WorkLimit, {}, {}, doubtful.back().lo};
    m.upper = bounded.empty() ? m.lower : std::fmax(bounded.top().upper, m.lower);
    return m;
}

} // namespace

Result<DerivativeMax> proveDerivativeMax(const Program &program, double a, double b, int order,
                                         double relativeGap)
{
    return proveDerivativeMax(program, ExactNumber::fromDouble(a), ExactNumber::fromDouble(b),
                              order, relativeGap);
}

Result<DerivativeMax> proveDerivativeMax(const Program &program, const ExactNumber &a,
                                         const ExactNumber &b, int order, double relativeGap)
{
    if (order < 0 || order > derivativeOrderLimit)
        return Refusal{Reason::CountOutOfRange, Input::Count};
    const Result<std::vector<RemovablePoint>> points = proveDefinedWithLimits(program, a, b);
    if (!points)
        return points.refusal();
    ExactInterval ends;
    if (auto split = splitExactEnds(ends, a, b); !split)
        return split.refusal();
    // The search between the inner doubles, whose points are all inside
    // [a; b], so its lower bound and place hold; each sliver then adds the
    // bound of f^(k) over its one ball.
    Result<DerivativeMax> m =
        maxBetween(program, ends.innerLo, ends.innerHi, order, relativeGap, *points);
    if (!m)
        return m;
    DerivativeMax found = *m;
    for (const bool lower : {true, false}) {
        if (!(lower ? ends.loSliver : ends.hiSliver))
            continue;
        Ball sliver, factorial, d;
        sliverBall(sliver.get(), ends, lower);
        Series series;
        const double place = lower ? ends.loValue : ends.hiValue;
        // f is proven defined on the sliver too: a failure there is its
        // derivative's, as in the search.
        if (auto failed =
                points->empty()
                    ? taylorOnBall(series.get(), foldRootPowers(program), sliver.get(), order)
                    : taylorNearLimits(series.get(), program, sliver.get(), order, *points)) {
            const bool fDefined =
                failed->reason == Reason::NotDefined || failed->reason == Reason::Pole;
            return Refusal{
                fDefined ? Reason::NotSmooth : failed->reason, {}, failed->position, place};
        }
        arb_poly_get_coeff_arb(d.get(), series.get(), order);
        arb_fac_ui(factorial.get(), static_cast<ulong>(order), proofPrecision);
        arb_mul(d.get(), d.get(), factorial.get(), proofPrecision);
        found.upper = std::fmax(found.upper, Search::outward(d.get(), true));
    }
    return found;
}

namespace {

// A point where f^(k) was valued exactly: |f^(k)(x)| = value, its sign, and
// whether f^(k+1)(x) is exactly 0.
struct ExactPoint
{
    double x;
    double value;
    int sign;
    bool flat;
};

// |f^(k)(x)| where it and its sign are exact as a double; nothing otherwise.
std::optional<ExactPoint> exactPointValue(Search &search, double x)
{
    Ball value, slope;
    if (!search.exactPoint(value.get(), slope.get(), x) || !arb_is_exact(value.get()))
        return std::nullopt;
    const arf_struct *mid = arb_midref(value.get());
    if (!arf_is_finite(mid) || arf_is_zero(mid))
        return std::nullopt;
    const double d = arf_get_d(mid, ARF_RND_NEAR);
    if (!arf_equal_d(mid, d))
        return std::nullopt;
    return ExactPoint{x, std::fabs(d), d < 0 ? -1 : 1, bool(arb_is_zero(slope.get()))};
}

} // namespace

DerivativeMax settleDerivativeMax(const Program &program, const ExactNumber &a,
                                  const ExactNumber &b, const DerivativeMax &m)
{
    if (!(m.lower < m.upper) || !std::isfinite(m.upper) || m.order < 0 ||
        m.order > derivativeOrderLimit)
        return m;
    const Result<std::vector<RemovablePoint>> points = proveDefinedWithLimits(program, a, b);
    // At a removable point f is a limit, whose derivatives are no exact balls.
    if (!points || !points->empty())
        return m;
    ExactInterval ends;
    if (!splitExactEnds(ends, a, b))
        return m;
    const Program folded = foldRootPowers(program);
    const double lo = ends.innerLo, hi = ends.innerHi;
    Search search(folded, m.order, lo, hi, *points);

    // The candidates: the ends where no sliver lies beyond them, and the
    // place the proof found; those that reach the largest exact value.
    std::vector<ExactPoint> found;
    for (const auto &[x, candidate] : {std::pair{lo, !ends.loSliver}, std::pair{hi, !ends.hiSliver},
                                       std::pair{m.at, lo <= m.at && m.at <= hi}})
        if (candidate)
            if (const std::optional<ExactPoint> p = exactPointValue(search, x))
                found.push_back(*p);
    double c = 0;
    for (const ExactPoint &p : found)
        c = std::fmax(c, p.value);
    std::vector<ExactPoint> peaks;
    for (const ExactPoint &p : found)
        if (p.value == c && std::none_of(peaks.begin(), peaks.end(),
                                         [&](const ExactPoint &q) { return q.x == p.x; }))
            peaks.push_back(p);
    std::sort(peaks.begin(), peaks.end(),
              [](const ExactPoint &p, const ExactPoint &q) { return p.x < q.x; });
    if (peaks.empty() || !(m.lower <= c && c < m.upper))
        return m;

    // The slivers between an end typed and its inner double: one ball each.
    for (const bool lower : {true, false}) {
        if (!(lower ? ends.loSliver : ends.hiSliver))
            continue;
        Ball sliver, factorial, d;
        sliverBall(sliver.get(), ends, lower);
        Series series;
        if (taylorOnBall(series.get(), folded, sliver.get(), m.order))
            return m;
        arb_poly_get_coeff_arb(d.get(), series.get(), m.order);
        arb_fac_ui(factorial.get(), static_cast<ulong>(m.order), proofPrecision);
        arb_mul(d.get(), d.get(), factorial.get(), proofPrecision);
        if (!(Search::outward(d.get(), true) <= c))
            return m;
    }

    // The pieces, split first at the peaks inside, so that each peak is the
    // end of the pieces beside it.
    std::vector<Piece> work;
    double from = lo;
    for (const ExactPoint &p : peaks)
        if (from < p.x && p.x < hi) {
            work.push_back({from, p.x, 0});
            from = p.x;
        }
    work.push_back({from, hi, 0});
    while (!work.empty()) {
        // A point above c, or the work spent: c is not proven the maximum.
        if (search.lower() > c || search.work() > derivativeSettleWorkLimit)
            return m;
        const Piece piece = work.back();
        work.pop_back();
        bool settled = false;
        for (const ExactPoint &p : peaks)
            if ((p.x == piece.lo || p.x == piece.hi) &&
                search.fallsAway(piece.lo, piece.hi, p.x, p.sign, p.flat, c)) {
                settled = true;
                break;
            }
        if (settled)
            continue;
        double upper = 0;
        if (search.upperBound(upper, piece.lo, piece.hi))
            return m;
        if (upper <= c)
            continue;
        const double mid = splitPoint(piece.lo, piece.hi);
        if (piece.depth >= derivativeSplitDepth || !(piece.lo < mid && mid < piece.hi))
            return m;
        pushHalves(work, piece, mid);
    }
    if (search.lower() > c)
        return m;
    DerivativeMax settled = m;
    settled.lower = c;
    settled.upper = c;
    if (m.lower != c)
        settled.at = peaks.front().x;
    return settled;
}

} // namespace kvadrolab
