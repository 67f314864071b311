// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "expression/program.h"

namespace kvadrolab {

// The program with a root and the power that undoes it taken together:
// sqrt(u)^2 is u, cbrt(u)^3 and cbrt(u^3) are u (sqrt(u)^(2m) is u^m,
// cbrt(u)^(3m) and cbrt(u^(3m)) are u^m),
// sqrt(u^2) is |u| (sqrt(u^(2m)) is |u|^m), and sqrt(u^n) for an odd n is
// u^(n/2), a power with n/2 derivatives at u = 0; u*sqrt(u) is u^1.5 and
// u*cbrt(u) is |u|^(4/3), with a first derivative. The same f wherever the
// program is defined, but without the root's vertical tangent at u = 0, so
// sqrt(x)^2 has M1 = 1 on [0; 1]. It drops the condition u >= 0 that
// sqrt(u)^2 asks for: only for a program already proven defined.
Program foldRootPowers(const Program &program);

} // namespace kvadrolab
