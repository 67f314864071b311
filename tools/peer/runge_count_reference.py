#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Prints "n по Рунге" as tests/studytest.cpp checks it, by mpmath and
independently of the program: the smallest n <= 1000 whose n / 2 is a count
of the rule no less than the doubling table's first n (10, or 12 for 3/8 and
Boole, rounded up to the rule's group) and whose Runge estimate
|I(n/2) - I(n)| / (2^p - 1) <= eps, the rules summed exactly at 30 digits
(study_reference.rule_sum), with how close the estimate comes to eps.

    /usr/bin/python3 tools/peer/runge_count_reference.py   # a few minutes
"""

import sys
from mpmath import mp, mpf, log

sys.path.insert(0, __file__.rsplit("/", 1)[0])
from study_reference import RULES, rule_sum  # noqa: E402


def runge_counts(title, f, a, b, names, tolerances):
    mp.dps = 30
    print(f"== {title} on [{a}; {b}]")
    for name, p, k, m, C in RULES:
        if name not in names:
            continue
        first = (10 + m - 1) // m * m
        values = {}
        for n in range(m, 1001, m):
            values[n] = rule_sum(name, f, a, b, n)
        for eps in tolerances:
            found = None
            for n in range(2, 1001, 2):
                half = n // 2
                if half < first or half % m or n not in values:
                    continue
                estimate = abs(values[half] - values[n]) / (2 ** p - 1)
                if estimate <= eps:
                    found = (n, estimate)
                    break
            if found:
                print(f"{name} eps={eps} byRunge={found[0]} "
                      f"(estimate / eps = {mp.nstr(found[1] / eps, 6)})")
            else:
                print(f"{name} eps={eps} byRunge=None")


def main():
    every = [r[0] for r in RULES]
    g = lambda x: (log(x) / x) ** 3
    runge_counts("(ln(x)/x)^3", g, mpf(1), mpf(6), every,
                 [mpf("1e-4"), mpf("1e-6"), mpf("1e-8"), mpf("1e-12")])
    runge_counts("1/(1+x^2)", lambda x: 1 / (1 + x * x), mpf(0), mpf(1), every,
                 [mpf("1e-6"), mpf("1e-10")])
    runge_counts("(ln(x)/x)^3", g, mpf(2), mpf(3), ["Trapezoid", "Simpson"],
                 [mpf("1e-6"), mpf("1e-10")])


if __name__ == "__main__":
    main()
