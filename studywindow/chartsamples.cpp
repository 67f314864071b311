// SPDX-License-Identifier: GPL-3.0-or-later
#include "studywindow/chartsamples.h"

#include "proof/balls.h"
#include "proof/derivativemax.h"
#include "proof/taylor.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace kvadrolab {

namespace {

// The most points derivativeSamples computes, whatever it is asked for.
constexpr int kSampleLimit = 100000;

// The rule's nodes in one group of subintervals, and whether the group
// shares its end nodes with its neighbours (the closed Newton-Cotes rules).
bool sharesEnds(RuleKind kind)
{
    return kind == RuleKind::Trapezoid || kind == RuleKind::Simpson ||
           kind == RuleKind::Simpson38 || kind == RuleKind::Boole;
}

std::size_t nodesPerPiece(RuleKind kind)
{
    switch (kind) {
    case RuleKind::Gauss2:
        return 2;
    case RuleKind::Gauss3:
        return 3;
    default:
        return sharesEnds(kind) ? static_cast<std::size_t>(ruleInfo(kind).countMultiple) + 1 : 1;
    }
}

} // namespace

double RulePiece::shape(double at) const
{
    double sum = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        double term = y[i];
        for (std::size_t j = 0; j < x.size(); ++j)
            if (j != i)
                term *= (at - x[j]) / (x[i] - x[j]);
        sum += term;
    }
    return sum;
}

Result<std::vector<RulePiece>> rulePieces(const Program &program, RuleKind kind, double a, double b,
                                          long n)
{
    if (const Result<long> count = checkRuleCount(kind, n); !count)
        return count.refusal();
    if (n > kRuleDrawingLimit)
        return Refusal{Reason::CountOutOfRange, Input::Count};
    if (const Result<double> length = checkRuleInterval(a, b); !length)
        return length.refusal();
    // Summed with a negative h, the left rule takes the right ends of the
    // subintervals of [b; a] and the right rule the left ends: drawn from b,
    // each is the other.
    const bool reversed = b < a;
    RuleKind drawn = kind;
    if (reversed && kind == RuleKind::Left)
        drawn = RuleKind::Right;
    else if (reversed && kind == RuleKind::Right)
        drawn = RuleKind::Left;
    const double lo = std::min(a, b), hi = std::max(a, b);
    Result<RuleTable> table = ruleTable(drawn, program, lo, hi, n);
    if (!table)
        return table.refusal();

    const long group = ruleInfo(kind).countMultiple;
    const auto grid = [&](long j) {
        return j == n ? hi : lo + (hi - lo) * (static_cast<double>(j) / static_cast<double>(n));
    };
    // The table lists each node once in increasing x: a grid rule's group
    // shares its end nodes with its neighbours, the others' nodes lie inside
    // their own subinterval.
    const std::size_t perPiece = nodesPerPiece(kind);
    const std::size_t stride = sharesEnds(kind) ? perPiece - 1 : perPiece;
    const std::vector<RuleNode> &nodes = table->nodes;
    std::vector<RulePiece> pieces;
    for (long j = 0; j < n; j += group) {
        RulePiece piece;
        piece.from = grid(j);
        piece.to = grid(j + group);
        const std::size_t first = static_cast<std::size_t>(j / group) * stride;
        for (std::size_t i = first; i < first + perPiece && i < nodes.size(); ++i) {
            piece.x.push_back(nodes[i].x);
            piece.y.push_back(nodes[i].fx);
        }
        pieces.push_back(std::move(piece));
    }
    return pieces;
}

std::vector<Sample> derivativeSamples(const Program &program, double a, double b, int order,
                                      int points)
{
    std::vector<Sample> samples;
    if (order < 0 || order > derivativeOrderLimit || points < 1 || !std::isfinite(a) ||
        !std::isfinite(b))
        return samples;
    points = std::min(points, kSampleLimit);
    const double lo = std::min(a, b), hi = std::max(a, b);
    Ball at, factorial, coefficient;
    Series series;
    arb_fac_ui(factorial.get(), static_cast<ulong>(order), proofPrecision);
    for (int i = 0; i < points; ++i) {
        Sample s;
        s.x = points == 1 ? lo + (hi - lo) / 2
                          : (i == points - 1 ? hi : lo + (hi - lo) * (i / double(points - 1)));
        arb_set_d(at.get(), s.x);
        if (!taylorOnBall(series.get(), program, at.get(), order)) {
            // Trailing exact zeros are trimmed: a missing coefficient is 0.
            arb_poly_get_coeff_arb(coefficient.get(), series.get(), order);
            arb_mul(coefficient.get(), coefficient.get(), factorial.get(), proofPrecision);
            const double y = arf_get_d(arb_midref(coefficient.get()), ARF_RND_NEAR);
            if (std::isfinite(y) && arb_is_finite(coefficient.get()))
                s.y = order == 0 ? y : std::fabs(y);
        }
        samples.push_back(s);
    }
    return samples;
}

} // namespace kvadrolab
