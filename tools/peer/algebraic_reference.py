#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reference values for the proofs at algebraic points (roots and real powers
that end at 0, squares under a root, abs, values past the doubles): the
integrals and maxima that tests/prooftest.cpp checks, each from a closed form
where there is one and from mpmath.quad split at the trouble point where
there is not, at 50 digits. Run: python3 tools/peer/algebraic_reference.py"""

from mpmath import mp, mpf, quad, sqrt, cbrt, sin, atan, asinh, log, pi, fabs

mp.dps = 50

c = mpf('1e-30')
rows = [
    # ∫₀¹ x^p = 1/(p + 1)
    ("cbrt(x) on [0; 1]", mpf(3) / 4, quad(cbrt, [0, 1])),
    ("x^0.3 on [0; 1]", 1 / mpf('1.3'), quad(lambda x: x**mpf('0.3'), [0, 1])),
    ("x^0.25 on [0; 1]", mpf('0.8'), quad(lambda x: x**mpf('0.25'), [0, 1])),
    ("x^pi on [0; 1]", 1 / (pi + 1), quad(lambda x: x**pi, [0, 1])),
    ("(1-x)^0.3 on [0; 1]", 1 / mpf('1.3'), quad(lambda x: (1 - x)**mpf('0.3'), [0, 1])),
    ("x*cbrt(x) on [0; 1]", mpf(3) / 7, quad(lambda x: x * cbrt(x), [0, 1])),
    ("x*cbrt(x) on [-1; 2]", mpf(3) / 7 * (1 + mpf(2)**(mpf(7) / 3)),
     quad(lambda x: x * cbrt(x) if x >= 0 else fabs(x)**(mpf(4) / 3), [-1, 0, 2])),
    ("sqrt(x^3) on [0; 1]", mpf(2) / 5, quad(lambda x: sqrt(x**3), [0, 1])),
    ("sqrt(x^2) on [0; 1]", mpf(1) / 2, quad(lambda x: sqrt(x**2), [0, 1])),
    ("sqrt((x-1)^2) on [0; 2]", mpf(1), quad(lambda x: fabs(x - 1), [0, 1, 2])),
    ("sqrt(abs(x)) on [-1; 2]", mpf(2) / 3 * (1 + 2 * sqrt(2)),
     quad(lambda x: sqrt(fabs(x)), [-1, 0, 2])),
    ("sqrt(abs(sin(x))) on [0; 4]", None, quad(lambda x: sqrt(fabs(sin(x))), [0, pi, 4])),
    # x sqrt(x^2+c)/2 + c/2 ln(x + sqrt(x^2+c)) from 0 to 1
    ("sqrt(x^2+1e-30) on [0; 1]",
     (sqrt(1 + c) + c * log((1 + sqrt(1 + c)) / sqrt(c))) / 2,
     quad(lambda x: sqrt(x**2 + c), [0, mpf('1e-15'), 1])),
    # x ln(x^2+c) - 2x + 2 sqrt(c) atan(x/sqrt(c)) from 0 to 1
    ("ln(x^2+1e-30) on [0; 1]", log(1 + c) - 2 + 2 * sqrt(c) * atan(1 / sqrt(c)),
     quad(lambda x: log(x**2 + c), [0, mpf('1e-15'), 1])),
    # (x sqrt(1+x^2) + asinh x)/2 from 0 to 1e11
    ("sqrt(1+x^2) on [0; 1e11]", (mpf('1e11') * sqrt(1 + mpf('1e22')) + asinh(mpf('1e11'))) / 2,
     None),
    # atan(x/sqrt(c))/sqrt(c) from 0 to 1
    ("1/(x^2+1e-30) on [0; 1]", atan(1 / sqrt(c)) / sqrt(c),
     quad(lambda x: 1 / (x**2 + c), [0, mpf('1e-15'), 1])),
    ("1/(1+x^2) on [-3e10; 3e10]", 2 * atan(mpf('3e10')), None),
    # ln((1 + d)/d), d = 1e-400
    ("1/(x+1e-400) on [0; 1]", log((1 + mpf('1e-400')) / mpf('1e-400')), None),
]

for name, closed, numeric in rows:
    print(name)
    if closed is not None:
        print("  closed form:", mp.nstr(closed, 25))
    if numeric is not None:
        print("  mpmath.quad:", mp.nstr(numeric, 25))
    if closed is not None and numeric is not None:
        assert fabs(closed - numeric) < mpf('1e-20') * max(1, fabs(closed)), name

# M1 of x|x| on [-1; 1]: f' = 2|x|, largest at the ends.
print("M1 of x*abs(x) on [-1; 1]:", mp.nstr(mp.diff(lambda x: x * fabs(x), 1), 25))
# M1 of x cbrt(x) on [-1; 2]: f' = 4/3 cbrt(x), largest at 2.
print("M1 of x*cbrt(x) on [-1; 2]:", mp.nstr(mp.diff(lambda x: x * cbrt(x), 2), 25))
# M1..M3 of x^pi on [0; 1], at 1.
for k in (1, 2, 3):
    print("M%d of x^pi on [0; 1]:" % k, mp.nstr(mp.diff(lambda x: x**pi, 1, k), 25))
