#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The order without I of the doubling table, p* = log2(|I(n/2) - I(n/4)| /
# |I(n) - I(n/2)|), from the composite rules summed in mpmath at 50 digits:
# the reference of studytest's orderWithoutI rows and studywindowtest's.
from mpmath import mp, sin, log, pi

mp.dps = 50


def left(f, a, b, n):
    h = (b - a) / n
    return h * sum(f(a + i * h) for i in range(n))


def trapezoid(f, a, b, n):
    h = (b - a) / n
    return h * (sum(f(a + i * h) for i in range(1, n)) + (f(a) + f(b)) / 2)


def simpson(f, a, b, n):
    h = (b - a) / n
    inner = sum((4 if i % 2 else 2) * f(a + i * h) for i in range(1, n))
    return h / 3 * (f(a) + inner + f(b))


def orders(name, rule, f, a, b, counts):
    for n in counts:
        p = log(abs(rule(f, a, b, n // 2) - rule(f, a, b, n // 4)) /
                abs(rule(f, a, b, n) - rule(f, a, b, n // 2)), 2)
        print(name, n, mp.nstr(p, 17))


def xsinx(x):
    return x * sin(x)


def lnx3(x):
    return (log(x) / x) ** 3


counts = (20, 40, 80, 160, 320, 640)
orders("x*sin(x) [0;pi] left", left, xsinx, mp.mpf(0), pi, counts)
orders("x*sin(x) [0;pi] trapezoid", trapezoid, xsinx, mp.mpf(0), pi, counts)
orders("(ln(x)/x)^3 [1;6] trapezoid", trapezoid, lnx3, mp.mpf(1), mp.mpf(6), counts)
orders("(ln(x)/x)^3 [1;6] simpson", simpson, lnx3, mp.mpf(1), mp.mpf(6), (40, 80, 160, 320, 640))
