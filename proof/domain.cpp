// SPDX-License-Identifier: GPL-3.0-or-later
#include "proof/domain.h"

#include "proof/balls.h"
#include "proof/exactends.h"
#include "proof/narrowing.h"
#include "proof/taylor.h"

#include <cmath>
#include <optional>
#include <vector>

namespace kvadrolab {

namespace {

thread_local SharedDomainWork *sharedWork = nullptr;

} // namespace

SharedDomainWork::SharedDomainWork(long long limit) : limit(limit), m_owner(sharedWork == nullptr)
{
    if (m_owner)
        sharedWork = this;
}

SharedDomainWork::~SharedDomainWork()
{
    if (m_owner)
        sharedWork = nullptr;
}

namespace {

// f proven defined and finite on [lo; hi], doubles with lo < hi.
Result<void> definedBetween(const Program &program, double lo, double hi)
{
    // Depth first, left half first: the first piece that stays in doubt at
    // the narrowest width is the leftmost edge of f's domain or a pole. A
    // piece where no point is fit (a root of a wholly negative ball) is not
    // split: it only decides the reason, and the edge next to it names the
    // place.
    std::vector<Piece> work{{lo, hi, 0}};
    std::optional<BallFailure> nowhere;
    double nowhereAt = lo;
    long long ownSpent = 0;
    long long &spent = sharedWork ? sharedWork->spent : ownSpent;
    const long long limit = sharedWork ? sharedWork->limit : domainWorkLimit;
    const long long pieceCost = seriesRunCost(program, 0);
    const long long doubtCost = 3 * seriesRunCost(program, 1);
    while (!work.empty()) {
        // Refused before a piece the budget cannot pay for in full, so a
        // shared budget is never overdrawn however many proofs draw on it.
        if (spent + pieceCost + doubtCost > limit)
            return Refusal{Reason::WorkLimit, {}, {}, work.back().lo};
        spent += pieceCost;
        const Piece piece = work.back();
        work.pop_back();
        const auto failed = valueOnInterval(program, piece.lo, piece.hi);
        if (!failed)
            continue;
        spent += doubtCost; // the ends' values and the narrowing run
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

// f on one ball at an end: a refusal for it (the end's input for a pole,
// whose place is the end itself), or nothing where f is defined on all of
// it. A value undefined at the end point alone (a root of a negative number)
// is left to the search when `polesOnly`, since the search names the edge of
// the domain; `everywhere` tells whether no point of the ball was fit.
std::optional<Refusal> failureAtEnd(const Program &program, const arb_t ball, Input input,
                                    double place, bool polesOnly, bool *everywhere = nullptr)
{
    Series value;
    const auto failed = taylorOnBall(value.get(), program, ball, 0);
    if (!failed)
        return std::nullopt;
    if (failed->reason == Reason::NotANumber)
        return Refusal{failed->reason, {}, failed->position};
    if (failed->reason == Reason::Pole)
        return Refusal{Reason::Pole, input, failed->position, place};
    if (polesOnly)
        return std::nullopt;
    if (everywhere)
        *everywhere = failed->everywhere;
    return Refusal{failed->reason, {}, failed->position, place};
}

} // namespace

Result<void> proveDefined(const Program &program, double a, double b)
{
    return proveDefined(program, ExactNumber::fromDouble(a), ExactNumber::fromDouble(b));
}

Result<void> proveDefined(const Program &program, const ExactNumber &a, const ExactNumber &b)
{
    ExactInterval ends;
    if (auto split = splitExactEnds(ends, a, b); !split)
        return split.refusal();
    // A pole at an end is the end's, whichever end: the search over the
    // inside would only find it in the last piece next to the end.
    if (auto at = failureAtEnd(program, ends.lo.get(), ends.loInput, ends.loValue, true))
        return *at;
    if (auto at = failureAtEnd(program, ends.hi.get(), ends.hiInput, ends.hiValue, true))
        return *at;
    Ball sliver;
    std::optional<Refusal> nowhereFirst;
    if (ends.loSliver) {
        sliverBall(sliver.get(), ends, true);
        bool everywhere = false;
        auto at =
            failureAtEnd(program, sliver.get(), ends.loInput, ends.loValue, false, &everywhere);
        // f undefined on all of the first sliver: the inside goes on so, up
        // to the edge of the domain, which the search there names.
        if (at && everywhere && at->reason != Reason::Pole)
            nowhereFirst = at;
        else if (at)
            return *at;
    }
    if (auto inside = definedBetween(program, ends.innerLo, ends.innerHi); !inside)
        return inside;
    if (nowhereFirst)
        return *nowhereFirst;
    if (ends.hiSliver) {
        sliverBall(sliver.get(), ends, false);
        if (auto at = failureAtEnd(program, sliver.get(), ends.hiInput, ends.hiValue, false))
            return *at;
    }
    return {};
}

Result<void> proveSliverDefined(const Program &program, const ExactInterval &ends, bool lower)
{
    if (!(lower ? ends.loSliver : ends.hiSliver))
        return {};
    const Input input = lower ? ends.loInput : ends.hiInput;
    const double place = lower ? ends.loValue : ends.hiValue;
    if (auto at = failureAtEnd(program, (lower ? ends.lo : ends.hi).get(), input, place, true))
        return *at;
    Ball sliver;
    sliverBall(sliver.get(), ends, lower);
    if (auto at = failureAtEnd(program, sliver.get(), input, place, false))
        return *at;
    return {};
}

} // namespace kvadrolab
