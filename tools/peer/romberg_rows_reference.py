#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Prints Romberg's rows for ε as tests/studytest.cpp checks them, by mpmath
and independently of the program: the table R(k, j) with 11 rows summed at
40 digits, the first row k >= 1 with |R(k, k) - R(k - 1, k - 1)| <= eps, and
the first row from which |R(k, k) - I| <= eps to the last row.

    /usr/bin/python3 tools/peer/romberg_rows_reference.py
"""

from mpmath import mp, mpf, log, quad, exp


def romberg(f, a, b, rows):
    table = []
    for k in range(rows):
        n = 2 ** k
        h = (b - a) / n
        t = h * (sum(f(a + j * h) for j in range(n + 1)) - (f(a) + f(b)) / 2)
        row = [t]
        for j in range(1, k + 1):
            row.append((4 ** j * row[j - 1] - table[k - 1][j - 1]) / (4 ** j - 1))
        table.append(row)
    return table


def rows_for(title, f, a, b, tolerances):
    mp.dps = 40
    exact = quad(f, [a, b])
    table = romberg(f, a, b, 11)
    for eps in tolerances:
        by_estimate = next((k for k in range(1, len(table))
                            if abs(table[k][-1] - table[k - 1][-1]) <= eps), None)
        by_error = None
        for k in reversed(range(len(table))):
            if abs(table[k][-1] - exact) > eps:
                break
            by_error = k
        print(f"{title} [{a}; {b}] eps={mp.nstr(eps, 3)} byEstimate={by_estimate} "
              f"byError={by_error}")


def main():
    mp.dps = 40
    rows_for("(ln(x)/x)^3", lambda x: (log(x) / x) ** 3, mpf(1), mpf(6),
             [mpf("1e-4"), mpf("1e-6"), mpf("1e-8")])
    rows_for("exp(x)", exp, mpf(0), mpf(1), [mpf("1e-6"), mpf("1e-12")])


if __name__ == "__main__":
    main()
