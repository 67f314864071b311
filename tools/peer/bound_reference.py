#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Prints the exact a-priori bounds tests/rulestest.cpp compares
ruleErrorBoundUp with: (b - a)^(k+1) M_k / (C n^k) as a rational from the
doubles given (Fraction(float) is exact), then rounded up to a double (the
smallest double >= it; the smallest subnormal for anything positive below
it; inf above DBL_MAX), printed as a C++ hex literal.

    python3 tools/peer/bound_reference.py
"""

import math
from fractions import Fraction

# name, derivative k, divisor C (exact: 472.5 is 945/2)
RULES = {
    "Left": (1, Fraction(2)),
    "Midpoint": (2, Fraction(24)),
    "Trapezoid": (2, Fraction(12)),
    "Simpson38": (4, Fraction(80)),
    "Boole": (6, Fraction(945, 2)),
    "Gauss3": (6, Fraction(2016000)),
}

# row name, rule, a, b, n, M_k: each a decimal as the test writes it, read as
# the nearest double.
ROWS = [
    ("left, b - a times h subnormal", "Left", 0.0, 1e-160, 1000.0, 1e30),
    ("left, subnormal result", "Left", 0.0, 1e-160, 1e6, 1e10),
    ("trapezoid, h = 1/3", "Trapezoid", 0.0, 1.0, 3.0, 1.0),
    ("3/8, h = 1/3", "Simpson38", 0.0, 1.0, 3.0, 1.0),
    ("gauss3, h = 1/3", "Gauss3", 0.0, 1.0, 3.0, 1.0),
    ("left, b - a rounds down", "Left", -(2.0**-60), 1.0, 1.0, 2.0),
    ("midpoint, h = 1/7", "Midpoint", 0.0, 1.0, 7.0, 3.0),
    ("trapezoid, subnormal M", "Trapezoid", -1e200, 1e200, 10.0, 5e-324),
    ("left, b - a overflows", "Left", -1.5e308, 1.5e308, 1e300, 1e-300),
    ("left, huge M overflows", "Left", -1e300, 1e300, 1.0, 1e300),
    ("boole, below every subnormal", "Boole", 0.0, 1e-300, 1e6, 1.0),
    ("gauss3, below every subnormal", "Gauss3", 0.0, 1e-300, 1e6, 1.0),
]


def rounded_up(x):
    try:
        f = float(x)  # correctly rounded to nearest
    except OverflowError:
        return math.inf
    if Fraction(f) < x:
        f = math.nextafter(f, math.inf)
    return f


for name, rule, a, b, n, m in ROWS:
    k, c = RULES[rule]
    length = abs(Fraction(b) - Fraction(a))
    exact = length ** (k + 1) * Fraction(m) / (c * Fraction(n) ** k)
    up = rounded_up(exact)
    literal = "inf" if up == math.inf else up.hex()
    print(f'{name!r:40} {rule:10} {literal}   # exact ~ {float(exact) if up != math.inf else "> DBL_MAX"}')
