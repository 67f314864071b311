#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Prints the reference values tests/studytest.cpp compares the study
study with, computed here by mpmath (Debian's python3-mpmath) and
independently of the program:

  - the integral at 50 digits (tanh-sinh quadrature);
  - every composite rule of the course summed exactly (at 30 digits, on the
    exact nodes) at the doubling table's counts, its error against the
    integral, Runge's estimate (I(n/2) - I(n)) / (2^p - 1) and the observed
    order log2(|e(n/2)| / |e(n)|);
  - "n для ε" by the a-priori bound, from the M_k of tests/data/integrands.tsv
    (mpmath's too): the smallest multiple n of the rule's group with
    |b - a|^(k+1) M_k / (C n^k) <= ε;
  - "n для ε" by the actual error: the smallest count of the rule from which
    |e(n)| stays <= ε up to n = 1000, with how close the nearest error comes
    to ε (a margin far above the doubles' rounding of the sums).

    /usr/bin/python3 tools/peer/study_reference.py   # about two minutes
"""

from mpmath import mp, mpf, log, sqrt, quad, ceil

RULES = [
    # name, order p, derivative k, group m, bound divisor C
    ("Left", 1, 1, 1, mpf(2)),
    ("Right", 1, 1, 1, mpf(2)),
    ("Midpoint", 2, 2, 1, mpf(24)),
    ("Trapezoid", 2, 2, 1, mpf(12)),
    ("Simpson", 4, 4, 2, mpf(180)),
    ("Simpson38", 4, 4, 3, mpf(80)),
    ("Boole", 6, 6, 4, mpf(945) / 2),
    ("Gauss2", 4, 4, 1, mpf(4320)),
    ("Gauss3", 6, 6, 1, mpf(2016000)),
]


def rule_sum(name, f, a, b, n):
    h = (b - a) / n
    grid = lambda j: a + (b - a) * j / n
    if name == "Left":
        return h * sum(f(grid(j)) for j in range(n))
    if name == "Right":
        return h * sum(f(grid(j)) for j in range(1, n + 1))
    if name == "Midpoint":
        return h * sum(f(a + (b - a) * (j + mpf(1) / 2) / n) for j in range(n))
    if name == "Gauss2":
        d = h / (2 * sqrt(3))
        s = 0
        for j in range(n):
            c = a + (b - a) * (j + mpf(1) / 2) / n
            s += f(c - d) + f(c + d)
        return h / 2 * s
    if name == "Gauss3":
        d = h / 2 * sqrt(mpf(3) / 5)
        s = 0
        for j in range(n):
            c = a + (b - a) * (j + mpf(1) / 2) / n
            s += 5 * f(c - d) + 8 * f(c) + 5 * f(c + d)
        return h / 18 * s
    y = [f(grid(j)) for j in range(n + 1)]
    if name == "Trapezoid":
        return h * (sum(y) - (y[0] + y[n]) / 2)
    if name == "Simpson":
        w = [1 if j in (0, n) else (4 if j % 2 else 2) for j in range(n + 1)]
        return h / 3 * sum(wj * yj for wj, yj in zip(w, y))
    if name == "Simpson38":
        w = [1 if j in (0, n) else (2 if j % 3 == 0 else 3) for j in range(n + 1)]
        return 3 * h / 8 * sum(wj * yj for wj, yj in zip(w, y))
    if name == "Boole":
        w = [7 if j in (0, n) else (32 if j % 2 else (12 if j % 4 == 2 else 14))
             for j in range(n + 1)]
        return 2 * h / 45 * sum(wj * yj for wj, yj in zip(w, y))
    raise ValueError(name)


def count_by_bound(length, M, k, m, C, eps):
    if M == 0:
        return m
    n = ceil((length ** (k + 1) * M / (C * eps)) ** (mpf(1) / k))
    n = int(n)
    n = (n + m - 1) // m * m
    while n > m and length ** (k + 1) * M / (C * (n - m) ** k) <= eps:
        n -= m
    while length ** (k + 1) * M / (C * n ** k) > eps:
        n += m
    return n


def study(title, f, a, b, maxima, tolerances):
    mp.dps = 50
    exact = quad(f, [a, b])
    print(f"== {title} on [{a}; {b}]")
    print(f"integral {mp.nstr(exact, 40)}")
    mp.dps = 30
    length = abs(b - a)
    for name, p, k, m, C in RULES:
        first = (10 + m - 1) // m * m
        rows = [first << r for r in range(7)]
        errors = {}
        values = {}
        for n in range(m, 1001, m):
            values[n] = rule_sum(name, f, a, b, n)
            errors[n] = values[n] - exact
        print(f"-- {name}")
        for n in rows:
            line = f"n={n} e={mp.nstr(errors[n], 12)}"
            half = n // 2
            if n % 2 == 0 and half % m == 0:
                runge = (values[half] - values[n]) / (2 ** p - 1)
                order = log(abs(errors[half]) / abs(errors[n]), 2)
                line += f" runge={mp.nstr(runge, 12)} order={mp.nstr(order, 6)}"
            print(line)
        for eps in tolerances:
            actual = None
            for n in sorted(errors, reverse=True):
                if abs(errors[n]) > eps:
                    break
                actual = n
            margin = min(abs(abs(e) - eps) / eps for e in errors.values())
            runge = None
            for n in rows:
                half = n // 2
                if n % 2 == 0 and half % m == 0:
                    if abs((values[half] - values[n]) / (2 ** p - 1)) <= eps:
                        runge = n
                        break
            bound = count_by_bound(length, maxima[k], k, m, C, eps)
            print(f"eps={eps} byBound={bound} byRunge={runge} byActualError={actual} "
                  f"(nearest |e| to eps: {mp.nstr(margin, 3)} relative)")


def main():
    mp.dps = 50
    # (ln x / x)^3 on [1; 6]; M_k from tests/data/integrands.tsv.
    study("(ln(x)/x)^3", lambda x: (log(x) / x) ** 3, mpf(1), mpf(6),
          {1: mpf("0.058955287538297096331"), 2: mpf("0.24397503069298456306"),
           4: mpf(108), 6: mpf(18810)},
          [mpf("1e-4"), mpf("1e-6"), mpf("1e-8")])
    # 1/(1+x^2) on [0; 1]: M1 = 3 sqrt(3) / 8, M2 = 2, M4 = 24, M6 = 720.
    study("1/(1+x^2)", lambda x: 1 / (1 + x * x), mpf(0), mpf(1),
          {1: mpf("0.64951905283832898507"), 2: mpf(2), 4: mpf(24), 6: mpf(720)},
          [mpf("1e-6"), mpf("1e-10")])


if __name__ == "__main__":
    main()
