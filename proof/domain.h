// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "expression/constant.h"
#include "expression/program.h"
#include "proof/work.h"

namespace kvadrolab {

// How much work a domain proof may take, in the units of seriesRunCost
// (proof/work.h): a piece examined costs one run of the program on a ball,
// and three runs of order 1 more where it is in doubt (see
// valueOnInterval); some 0.3 s at the limit. And the depth of the narrowest
// piece it splits before it names a place (2^-34 of the interval: the place
// to about ten digits).
inline constexpr long long domainWorkLimit = 30'000'000;
inline constexpr int domainSplitDepth = 34;

// While one of these lives on a thread, every domain proof made there
// spends from its one budget instead of a limit of its own, and refuses
// WorkLimit once it is spent: for a search that proves many pieces and
// substitutions (proof/removable.h), whose proofs would otherwise add up
// without end. Nested ones leave the outermost in charge.
class SharedDomainWork
{
public:
    explicit SharedDomainWork(long long limit);
    ~SharedDomainWork();
    SharedDomainWork(const SharedDomainWork &) = delete;
    SharedDomainWork &operator=(const SharedDomainWork &) = delete;

    long long limit;
    long long spent = 0;

private:
    bool m_owner;
};

// Done when f is proven defined and finite at every point of [a; b] (either
// order of the ends). Otherwise NotDefined or Pole, with x the place where f
// stops being defined or grows without bound (to about ten digits) and the
// position of the step at fault; NotANumber for a literal Arb cannot read;
// WorkLimit past the limits above; EmptyInterval or NonFiniteInput for the
// ends (input A or B).
Result<void> proveDefined(const Program &program, double a, double b);

// The same between the exact numbers typed (0.1 is 1/10, pi/2 is pi halved),
// either order. A pole at an end itself is refused as Pole with that end's
// input (A or B) and its double as the place: 1/(x - 0.1) on [0.1; 1].
// NonFiniteInput or EmptyInterval as splitExactEnds (proof/exactends.h)
// refuses the ends.
Result<void> proveDefined(const Program &program, const ExactNumber &a, const ExactNumber &b);

} // namespace kvadrolab
