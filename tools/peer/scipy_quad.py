#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A by-hand tool, not part of the build, the tests or the install lists: it
needs Debian's python3-scipy (apt-get install python3-scipy), which the
project does not install.

SciPy's quad (QUADPACK's adaptive Gauss-Kronrod, in doubles) on every row of
tests/data/integrands.tsv, beside the reference value: the value quad returns,
the error it claims, the error it really has, how many times it evaluated f,
and its median time of 5 runs. The integrands are compiled from the same
texts by the same reader as the references, evaluated in numpy doubles the
way a plain double evaluator does (1/0 is inf, sqrt(-1) is nan), so the rows
the program refuses show what a double-only integrator makes of them.

The time includes Python's cost of calling f, which dominates; the number of
evaluations is the figure to set beside another integrator's.

    /usr/bin/python3 tools/peer/scipy_quad.py [tests/data/integrands.tsv] [--tsv OUT]

With --tsv it also writes the rows as tab-separated values (name, quad,
claimed, true_error, evals, ms, complaint), which bench/bench_proof prints
beside the proofs: tools/peer/scipy_quad.tsv is such a file.
"""

import os
import statistics
import sys
import time
import warnings

import numpy as np
import scipy
import mpmath
from mpmath import mp, mpf
from scipy.integrate import IntegrationWarning, quad

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_reference  # noqa: E402

RUNS = 5

DOUBLE = make_reference.Arithmetic(
    functions={
        "sin": np.sin, "cos": np.cos, "tan": np.tan,
        "cot": lambda v: np.cos(v) / np.sin(v),
        "asin": np.arcsin, "acos": np.arccos, "atan": np.arctan,
        "sinh": np.sinh, "cosh": np.cosh, "tanh": np.tanh,
        "exp": np.exp, "ln": np.log, "lg": np.log10,
        "sqrt": np.sqrt, "cbrt": np.cbrt, "abs": np.abs,
    },
    number=np.float64,  # the nearest double to the typed literal
    pi=lambda: np.float64(np.pi),
    e=lambda: np.float64(np.e),
    div=np.divide,
    pow=np.power,
)


def read(path):
    with open(path, encoding="utf-8") as f:
        header = f.readline().rstrip("\n").split("\t")
        for line in f:
            yield dict(zip(header, line.rstrip("\n").split("\t")))


def first_sentence(text):
    # QUADPACK's messages run over several indented lines.
    return " ".join(text.split()).split(". ")[0].rstrip(".")


def run(f, a, b):
    """quad's value, claimed error, evaluations, its complaint (or ''), and the
    median time of RUNS calls in milliseconds."""
    times = []
    for _ in range(RUNS):
        with warnings.catch_warnings(record=True) as caught:
            warnings.simplefilter("always")
            start = time.perf_counter()
            out = quad(f, a, b, full_output=1)
            times.append(time.perf_counter() - start)
    value, claimed, info = out[0], out[1], out[2]
    message = out[3] if len(out) > 3 else ""
    notes = [first_sentence(str(w.message)) for w in caught
             if issubclass(w.category, (IntegrationWarning, RuntimeWarning))]
    if message:
        notes.insert(0, first_sentence(message))
    return value, claimed, info["neval"], "; ".join(dict.fromkeys(notes)), \
        statistics.median(times) * 1000


def main():
    args = sys.argv[1:]
    tsv = None
    if "--tsv" in args:
        i = args.index("--tsv")
        tsv = open(args[i + 1], "w", encoding="utf-8")
        del args[i:i + 2]
    path = args[0] if args else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "data",
        "integrands.tsv")
    np.seterr(all="ignore")
    mp.dps = 50
    print("scipy %s, numpy %s, %s cores, load %s" % (
        scipy.__version__, np.__version__, os.cpu_count(),
        open("/proc/loadavg").read().split()[0]))
    if tsv:
        tsv.write("# scipy %s, numpy %s, median of %d runs\n" % (
            scipy.__version__, np.__version__, RUNS))
        tsv.write("name\tquad\tclaimed\ttrue_error\tevals\tms\tcomplaint\n")
    cols = "%-16s %-23s %-23s %-9s %-9s %-7s %5s %8s  %s"
    print(cols % ("name", "reference", "quad", "claimed", "true err", "true/cl",
                  "evals", "ms", "quad's complaint / expected refusal"))
    for row in read(path):
        f = make_reference.compile_integrand(row["f"], DOUBLE)
        a, b = float(row["a"]), float(row["b"])
        value, claimed, evals, note, ms = run(f, a, b)
        if row["integral"]:
            ref = mpf(row["integral"])
            err = abs(mpf(value) - ref)
            ratio = err / claimed if claimed > 0 else mpmath.inf
            true_text = mpmath.nstr(err, 2)
            ratio_text = mpmath.nstr(ratio, 2)
            ref_text = mpmath.nstr(ref, 17)
        else:
            true_text = ratio_text = "-"
            ref_text = "refused"
        if row["reason"]:
            note = "[%s at %s] %s" % (row["reason"], row["place"], note)
        print(cols % (row["name"], ref_text, repr(value), "%.1e" % claimed,
                      true_text, ratio_text, evals, "%.3f" % ms, note))
        if tsv:
            tsv.write("\t".join([row["name"], repr(value), "%.1e" % claimed, true_text,
                                  str(evals), "%.3f" % ms, note]) + "\n")


if __name__ == "__main__":
    main()
