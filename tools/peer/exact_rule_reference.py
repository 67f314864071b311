#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The composite rules on exact nodes at 50 digits (mpmath), for the rows of
tests/exactruletest.cpp: I(n) of a rule, its error I(n) - I against the
integral, and the a-priori bound (b - a)^(k+1) M_k / (C n^k) with M_k from
the closed-form derivative. The ends are the doubles the test hands in
(3.141592653589793 is the double next to pi, taken exactly).

    python3 tools/peer/exact_rule_reference.py
"""
from mpmath import mp, mpf, cos, sin, sqrt, quad, log, exp, fabs

mp.dps = 50

WEIGHTS = {  # (offsets in units of h within a panel, weights, panel width in h)
    "midpoint": ([mpf(1) / 2], [1], 1),
    "left": ([0], [1], 1),
    "simpson": ([0, 1, 2], [mpf(1) / 3, mpf(4) / 3, mpf(1) / 3], 2),
    "boole": ([0, 1, 2, 3, 4], [mpf(w) * 2 / 45 for w in (7, 32, 12, 32, 7)], 4),
    "gauss3": ([mpf(1) / 2 - sqrt(mpf(3) / 5) / 2, mpf(1) / 2, mpf(1) / 2 + sqrt(mpf(3) / 5) / 2],
               [mpf(5) / 18, mpf(8) / 18, mpf(5) / 18], 1),
}


def rule(name, f, a, b, n):
    a, b = mpf(a), mpf(b)
    h = (b - a) / n
    offsets, weights, width = WEIGHTS[name]
    total = mpf(0)
    for panel in range(n // width):
        for o, w in zip(offsets, weights):
            total += w * f(a + (panel * width + o) * h)
    return total * h


def show(label, value):
    print(f"{label}: {mp.nstr(value, 20)}")


def main():
    f = lambda x: (1 - cos(x)) / x**2
    a, b = 1e-8, 2e-8
    exact = quad(f, [a, b])
    show("(1-cos x)/x^2 [1e-8;2e-8] integral", exact)
    show("  midpoint n=1 I(1)", rule("midpoint", f, a, b, 1))
    show("  midpoint n=1 error", rule("midpoint", f, a, b, 1) - exact)
    # f'' = (x^2 cos x - 4 x sin x - 6 cos x + 6) / x^4 ... its largest |f''| on
    # the piece is at the left end, within 1e-17 of 1/12.
    d2 = lambda x: mp.diff(f, x, 2)
    m2 = max(fabs(d2(mpf(a))), fabs(d2(mpf(b))))
    show("  M2", m2)
    show("  midpoint n=1 bound", (mpf(b) - mpf(a)) ** 3 * m2 / 24)

    g = lambda x: x * sin(x)
    pi_d = 3.141592653589793
    exact = quad(g, [0, pi_d])
    show("x sin x [0;pi_d] integral", exact)
    show("  boole n=600 error", rule("boole", g, 0, pi_d, 600) - exact)
    show("  gauss3 n=600 error", rule("gauss3", g, 0, pi_d, 600) - exact)

    c = lambda x: x**3
    show("x^3 [0;2] simpson n=4 error", rule("simpson", c, 0, 2, 4) - 4)

    s = lambda x: (x + mpf(10) ** 16) - mpf(10) ** 16
    show("(x+1e16)-1e16 [0;1] left n=4 I(4)", rule("left", s, 0, 1, 4))
    show("(x+1e16)-1e16 [0;1] midpoint n=4 I(4)", rule("midpoint", s, 0, 1, 4))

    r = lambda x: (sqrt(1 + x) - 1) / x
    exact = quad(r, [mpf(1e-6), mpf(2e-6)])
    show("(sqrt(1+x)-1)/x [1e-6;2e-6] midpoint n=1 error",
         rule("midpoint", r, 1e-6, 2e-6, 1) - exact)


main()
