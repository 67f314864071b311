#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The charts of the function graph and error-bound windows drawn by
matplotlib (Debian's python3-matplotlib, Agg backend, no antialiasing), as a
yardstick for the program's own drawing. Prints the median time of repeated
runs of each picture: computing the points, building the figure and
rendering it into a 401 x 225 pixel image (the function graph's canvas; the
bound charts use their own canvas sizes).

Not part of the build or the tests. Run it next to the benchmarks:
    tools/peer/compare.sh build
"""

import statistics
import sys
import time

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

DPI = 100


def figure(width, height, x1, y1, x2, y2):
    fig = plt.figure(figsize=(width / DPI, height / DPI), dpi=DPI)
    ax = fig.add_axes([0, 0, 1, 1])
    ax.set_axis_off()
    ax.set_xlim(x1, x2)
    ax.set_ylim(y2, y1)  # y grows downward, as on the canvas
    return fig, ax


def line(ax, xs, ys, colour):
    ax.plot(xs, ys, color=colour, linewidth=72 / DPI, antialiased=False)


def function_graph(step):
    fig, ax = figure(401, 225, 1, -0.05, 6, 0)
    # The counter by repeated addition: cumsum adds in order, as the loop does.
    count = int(5 / step) + 2
    xs = np.cumsum(np.concatenate(([1.0], np.full(count, step))))
    xs = xs[: np.searchsorted(xs, 6.0, side="right") + 1]  # the first point past 6 ends the last segment
    q = np.log(xs) / xs
    line(ax, xs, -(q * q * q), "black")
    for i in range(0, 7):
        line(ax, [i, i], [-0.05, 0], "red")
    y = -0.05
    while y <= 0:
        line(ax, [0, 6], [y, y], "red")
        y += 0.01
    fig.canvas.draw()
    plt.close(fig)
    return len(xs) - 1


def bound_chart(width, height, bounds, top, left, grid):
    fig, ax = figure(width, height, left, top, 200 if left else 210, 0)
    for bound, colour in bounds:
        ns = np.arange(10, 211, 10)
        line(ax, ns, [bound(1.0, 6.0, int(n)) for n in ns], colour)
    for i in range(0, 201, 10):
        line(ax, [i, i], [top, 0], grid)
    step = -top / 13
    y = top
    while y <= 0:
        line(ax, [0, 210], [y, y], grid)
        y += step
    fig.canvas.draw()
    plt.close(fig)


def trapezoid(a, b, n):
    return -(0.244 * (b - a) ** 3) / (n * (n * 12))


def simpson(a, b, n):
    return -(105 * (b - a) ** 5) / ((n * 2) ** 4 * 180)


def median_ms(action, runs):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        action()
        times.append((time.perf_counter() - start) * 1e3)
    return statistics.median(times)


def main():
    cases = [
        ("Int_g step 0,001 (5000 segments)", lambda: function_graph(0.001), 15),
        ("Int_g step 0,000001 (5 million segments)", lambda: function_graph(0.000001), 5),
        ("Pogr_t", lambda: bound_chart(325, 197, [(trapezoid, "black")], -0.0255, 0, "red"), 15),
        ("Pogr_s", lambda: bound_chart(325, 197, [(simpson, "black")], -0.01145, 0, "red"), 15),
        (
            "Pogr_compare",
            lambda: bound_chart(
                581, 357, [(trapezoid, "red"), (simpson, "black")], -0.0255, 10, "blue"
            ),
            15,
        ),
    ]
    for name, action, runs in cases:
        print(f"matplotlib {matplotlib.__version__}: {name}: median {median_ms(action, runs):.2f} ms of {runs}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
