// SPDX-License-Identifier: GPL-3.0-or-later
#include "proof/domain.h"

#include "proof/balls.h"
#include "proof/narrowing.h"
#include "proof/taylor.h"

#include <cmath>
#include <optional>
#include <vector>

namespace kvadrolab {

Result<void> proveDefined(const Program &program, double a, double b)
{
    if (!std::isfinite(a))
        return Refusal{Reason::NonFiniteInput, Input::A};
    if (!std::isfinite(b))
        return Refusal{Reason::NonFiniteInput, Input::B};
    if (a == b)
        return Refusal{Reason::EmptyInterval, Input::B};
    const double lo = std::fmin(a, b), hi = std::fmax(a, b);

    // Depth first, left half first: the first piece that stays in doubt at
    // the narrowest width is the leftmost edge of f's domain or a pole. A
    // piece where no point is fit (a root of a wholly negative ball) is not
    // split: it only decides the reason, and the edge next to it names the
    // place.
    std::vector<Piece> work{{lo, hi, 0}};
    std::optional<BallFailure> nowhere;
    double nowhereAt = lo;
    long long spent = 0;
    while (!work.empty()) {
        spent += runCost(program, 0);
        if (spent > domainWorkLimit)
            return Refusal{Reason::WorkLimit, {}, {}, work.back().lo};
        const Piece piece = work.back();
        work.pop_back();
        const auto failed = valueOnInterval(program, piece.lo, piece.hi);
        if (!failed)
            continue;
        spent += 3 * runCost(program, 1); // the ends' values and the narrowing run
        if (failed->reason == Reason::NotANumber)
            return Refusal{failed->reason, {}, failed->position};
        if (failed->everywhere) {
            if (!nowhere) {
                nowhere = failed;
                nowhereAt = piece.lo;
            }
            continue;
        }
        const double mid = splitPoint(piece.lo, piece.hi);
        if (piece.depth >= domainSplitDepth || mid <= piece.lo || mid >= piece.hi) {
            // An edge next to points where f is nowhere defined is the end of
            // its domain, whatever the step found inside the last piece.
            const Reason why = nowhere ? nowhere->reason : failed->reason;
            return Refusal{why, {}, failed->position, mid};
        }
        pushHalves(work, piece, mid);
    }
    if (nowhere)
        return Refusal{nowhere->reason, {}, nowhere->position, nowhereAt};
    return {};
}

} // namespace kvadrolab
