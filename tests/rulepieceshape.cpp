// SPDX-License-Identifier: GPL-3.0-or-later
// The polynomial through a piece's nodes, for the chart tests while the
// study's own library does not define it yet (tests/CMakeLists.txt adds this
// file only then). The charts call it; the tests build the pieces by hand.

#include "study/workbench.h"

namespace kvadrolab {

double RulePiece::shape(double at) const
{
    // Lagrange's form, as the declaration says.
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

} // namespace kvadrolab
