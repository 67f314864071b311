#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes tests/data/integrands.tsv: a benchmark set of integrands from course
exercise lists with reference values computed here, independently of the
program, by mpmath (Debian's python3-mpmath):

  - the integral to 40 significant digits: tanh-sinh quadrature on [a;b] at 50
    digits, checked against Gauss-Legendre on [a;(a+b)/2;b] and, where the
    row knows a closed form, against it; the script stops if any two
    disagree beyond 1e-35 relative;
  - M_k = max |f^(k)| over [a;b] for k = 1, 2, 4, 6 and a place where it is
    reached, to 20 digits: |f^(k)| is sampled at 2001 points (both ends among
    them), every sampled local maximum inside is refined by bisection on the
    zero of f^(k+1), and the winner is recomputed at 70 digits, which must
    agree to 1e-25; a few maxima worked by hand must come out;
  - integrands the program must refuse, with the reason and the place, each
    claim checked here on the function itself.

The integrand texts are in the program's language and are the only source of
the functions: a small translator below turns each text into mpmath calls, so
a typo in a text cannot hide behind a separately written Python function.
Interval ends are exact decimals; the references are for the ends exactly as
written. The output depends only on this file and mpmath: running the script
twice gives the same bytes.

    /usr/bin/python3 tools/peer/make_reference.py            # writes the file
    /usr/bin/python3 tools/peer/make_reference.py --check    # fails if it differs
"""

import os
import re
import sys

import mpmath
from mpmath import mp, mpf

OUTPUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                      "tests", "data", "integrands.tsv")

QUAD_DPS = 50
AGREE = mpf("1e-35")  # relative agreement the integral checks must reach
SCAN_DPS = 30  # enough to rank 2001 samples; the candidates are refined at 50
SAMPLES = 2000  # intervals of the scan, so 2001 points with both ends
ORDERS = (1, 2, 4, 6)
BISECTIONS = 200  # halvings of a bracket at most; 1e-3 * 2^-200 is far below 1e-30
RECHECK_DPS = 70
MAX_AGREE = mpf("1e-25")  # relative agreement of M_k at 50 and at 70 digits


class Undefined(ArithmeticError):
    """The integrand has no real value at that point."""


# --- The integrand language, evaluated in real mpmath arithmetic -----------

def _real(v):
    # mpmath answers outside a real domain with complex numbers or infinities;
    # the program refuses there, and so does this evaluator.
    if isinstance(v, mpmath.mpc) or not mpmath.isfinite(v):
        raise Undefined(v)
    return v


def _ln(v):
    if v <= 0:
        raise Undefined(v)
    return mpmath.log(v)


def _lg(v):
    return _ln(v) / mpmath.log(10)


def _sqrt(v):
    if v < 0:
        raise Undefined(v)
    return mpmath.sqrt(v)


def _cbrt(v):
    # The real cube root: mpmath's principal root of a negative is complex.
    return -mpmath.cbrt(-v) if v < 0 else mpmath.cbrt(v)


def _div(p, q):
    if q == 0:
        raise Undefined(q)
    return p / q


def _pow(p, q):
    if p == 0 and q <= 0:
        raise Undefined(p)
    if p < 0 and q != mpmath.nint(q):
        raise Undefined(p)
    return _real(mpmath.power(p, q))


def _asin(v):
    if abs(v) > 1:
        raise Undefined(v)
    return mpmath.asin(v)


def _acos(v):
    if abs(v) > 1:
        raise Undefined(v)
    return mpmath.acos(v)


FUNCTIONS = {
    "sin": mpmath.sin, "cos": mpmath.cos,
    "tan": lambda v: _real(mpmath.tan(v)),
    "cot": lambda v: _div(mpmath.cos(v), mpmath.sin(v)),
    "asin": _asin, "acos": _acos, "atan": mpmath.atan,
    "sinh": mpmath.sinh, "cosh": mpmath.cosh, "tanh": mpmath.tanh,
    "exp": mpmath.exp, "ln": _ln, "lg": _lg,
    "sqrt": _sqrt, "cbrt": _cbrt, "abs": mpmath.fabs,
}
TOKEN = re.compile(r"\s*(?:(\d+\.\d+|\d+)|([a-z]+)|(.))")


class Arithmetic:
    """What a compiled integrand computes with. The default is real mpmath at
    the working precision, refusing outside the domain."""

    def __init__(self, functions=None, number=mpf, pi=lambda: +mpmath.pi,
                 e=lambda: +mpmath.e, div=None, pow=None):
        self.functions = FUNCTIONS if functions is None else functions
        self.number = number
        self.pi = pi
        self.e = e
        self.div = _div if div is None else div
        self.pow = _pow if pow is None else pow


def compile_integrand(text, arithmetic=None):
    """Turns an integrand text into a function of one number. Only the
    program's vocabulary is accepted; '^' binds tighter than '*' and '/', a
    leading minus applies after '^' (so -x^2 is -(x^2)), and a^b^c is refused
    so that no row depends on the associativity of '^'."""
    return _Builder(text, arithmetic or Arithmetic()).build()


class _Builder:
    """Recursive-descent reader of the integrand text into a closure tree.
    Depth is bounded by the text's length, which is a few dozen characters."""

    def __init__(self, text, arithmetic):
        self.text = text
        self.ar = arithmetic
        self.tokens = []
        for m in TOKEN.finditer(text):
            number, name, sym = m.groups()
            if number is not None:
                self.tokens.append(("num", number))
            elif name is not None:
                if name not in self.ar.functions and name not in ("x", "pi", "e"):
                    raise ValueError("%s: unknown name %s" % (text, name))
                self.tokens.append(("name", name))
            elif sym is not None and sym.strip():
                if sym not in "+-*/^()":
                    raise ValueError("%s: unknown sign %r" % (text, sym))
                self.tokens.append(("sym", sym))
        self.pos = 0

    def peek(self):
        return self.tokens[self.pos] if self.pos < len(self.tokens) else (None, None)

    def take(self, sym=None):
        tok = self.peek()
        if tok[0] is None or (sym is not None and tok != ("sym", sym)):
            raise ValueError("%s: expected %s at token %d" % (self.text, sym, self.pos))
        self.pos += 1
        return tok

    def build(self):
        node = self.sum()
        if self.pos != len(self.tokens):
            raise ValueError("%s: unread text from token %d" % (self.text, self.pos))
        return node

    def sum(self):
        node = self.product()
        while self.peek() in (("sym", "+"), ("sym", "-")):
            op = self.take()[1]
            right = self.product()
            node = (lambda l, r: lambda x: l(x) + r(x))(node, right) if op == "+" else \
                   (lambda l, r: lambda x: l(x) - r(x))(node, right)
        return node

    def product(self):
        node = self.unary()
        while self.peek() in (("sym", "*"), ("sym", "/")):
            op = self.take()[1]
            right = self.unary()
            div = self.ar.div
            node = (lambda l, r: lambda x: l(x) * r(x))(node, right) if op == "*" else \
                   (lambda l, r: lambda x: div(l(x), r(x)))(node, right)
        return node

    def unary(self):
        if self.peek() == ("sym", "-"):
            self.take()
            inner = self.unary()
            return lambda x: -inner(x)
        if self.peek() == ("sym", "+"):
            self.take()
            return self.unary()
        return self.power()

    def power(self):
        base = self.atom()
        if self.peek() == ("sym", "^"):
            self.take()
            if self.peek() == ("sym", "-"):
                self.take()
                expo = self.atom()
                exponent = lambda x: -expo(x)
            else:
                exponent = self.atom()
            if self.peek() == ("sym", "^"):
                raise ValueError("%s: a^b^c" % self.text)
            pw = self.ar.pow
            return lambda x: pw(base(x), exponent(x))
        return base

    def atom(self):
        kind, value = self.take()
        if kind == "num":
            number = self.ar.number
            return lambda x: number(value)
        if kind == "name":
            if value == "x":
                return lambda x: x
            if value == "pi":
                return lambda x: self.ar.pi()
            if value == "e":
                return lambda x: self.ar.e()
            self.take("(")
            arg = self.sum()
            self.take(")")
            fn = self.ar.functions[value]
            return lambda x: fn(arg(x))
        if value == "(":
            inner = self.sum()
            self.take(")")
            return inner
        raise ValueError("%s: unexpected %s" % (self.text, value))


# --- The set ------------------------------------------------------------------

PI = "3.14159265358979323846"  # pi to 20 decimals: an end must be a number
HALF_PI = "1.57079632679489661923"

class Exact:
    """A row's integral in closed form, where no handy antiderivative is."""

    def __init__(self, value):
        self.value = value


# name, integrand text, a, b, antiderivative (mpmath), Exact or None.
# These are a third, symbolic check where a course table gives one.
L = mpmath
SET = [
    ("√(1+x²)", "sqrt(1+x^2)", "0", "1",
     lambda x: (x * L.sqrt(1 + x**2) + L.asinh(x)) / 2),
    ("x·sin x", "x*sin(x)", "0", PI, lambda x: L.sin(x) - x * L.cos(x)),
    ("1/ln x", "1/ln(x)", "2", "3", lambda x: L.li(x)),
    ("(ln x/x)³", "(ln(x)/x)^3", "1", "6",
     lambda x: -(L.log(x)**3 / 2 + 3 * L.log(x)**2 / 4 + 3 * L.log(x) / 4 + mpf(3) / 8) / x**2),
    ("e^(−x²)", "exp(-x^2)", "0", "1", lambda x: L.sqrt(L.pi) / 2 * L.erf(x)),
    ("1/(1+x²)", "1/(1+x^2)", "0", "1", lambda x: L.atan(x)),
    ("x²·ln x", "x^2*ln(x)", "1", "2", lambda x: x**3 / 3 * L.log(x) - x**3 / 9),
    ("sin x/x", "sin(x)/x", "1", "2", lambda x: L.si(x)),
    ("√x·cos x", "sqrt(x)*cos(x)", "0.5", "1.5", None),
    ("∛x", "cbrt(x)", "1", "8", lambda x: 3 * L.cbrt(x)**4 / 4),
    ("x·∛(1+x²)", "x*cbrt(1+x^2)", "0", "2", lambda x: 3 * L.cbrt(1 + x**2)**4 / 8),
    ("tg x", "tan(x)", "0", "1", lambda x: -L.log(L.cos(x))),
    ("ctg x", "cot(x)", "0.5", "1.5", lambda x: L.log(L.sin(x))),
    ("arctg x", "atan(x)", "0", "1", lambda x: x * L.atan(x) - L.log(1 + x**2) / 2),
    ("arcsin x", "asin(x)", "0", "0.5", lambda x: x * L.asin(x) + L.sqrt(1 - x**2)),
    ("arccos(x/2)", "acos(x/2)", "0", "1", lambda x: x * L.acos(x / 2) - L.sqrt(4 - x**2)),
    ("1/√(1−x²)", "1/sqrt(1-x^2)", "0", "0.5", lambda x: L.asin(x)),
    ("√(4−x²)", "sqrt(4-x^2)", "0", "1",
     lambda x: x / 2 * L.sqrt(4 - x**2) + 2 * L.asin(x / 2)),
    ("x·ch x", "x*cosh(x)", "0", "1", lambda x: x * L.sinh(x) - L.cosh(x)),
    ("1/ch x", "1/cosh(x)", "0", "2", lambda x: L.atan(L.sinh(x))),
    ("th x", "tanh(x)", "0", "2", lambda x: L.log(L.cosh(x))),
    ("sh x/x", "sinh(x)/x", "1", "2", lambda x: L.shi(x)),
    ("lg x", "lg(x)", "1", "10", lambda x: (x * L.log(x) - x) / L.log(10)),
    ("eˣ·cos x", "exp(x)*cos(x)", "0", "1",
     lambda x: L.exp(x) * (L.sin(x) + L.cos(x)) / 2),
    ("eˣ/x", "exp(x)/x", "1", "2", lambda x: L.ei(x)),
    ("x·e^(−x)", "x*exp(-x)", "0", "2", lambda x: -(x + 1) * L.exp(-x)),
    ("x²·eˣ", "x^2*exp(x)", "0", "1", lambda x: L.exp(x) * (x**2 - 2 * x + 2)),
    ("e^(x/2)", "e^(x/2)", "0", "2", lambda x: 2 * L.exp(x / 2)),
    ("2ˣ", "2^x", "0", "1", lambda x: L.power(2, x) / L.log(2)),
    ("xˣ", "x^x", "0.5", "1.5", None),
    ("ln(1+x)/(1+x²)", "ln(1+x)/(1+x^2)", "0", "1", Exact(lambda: L.pi * L.log(2) / 8)),
    ("ln(1+x²)", "ln(1+x^2)", "0", "1",
     lambda x: x * L.log(1 + x**2) - 2 * x + 2 * L.atan(x)),
    ("√x·ln x", "sqrt(x)*ln(x)", "1", "4",
     lambda x: L.power(x, 1.5) * (2 * L.log(x) / 3 - mpf(4) / 9)),
    ("1/(1+x³)", "1/(1+x^3)", "0", "1",
     lambda x: L.log((x + 1)**2 / (x**2 - x + 1)) / 6 + L.atan((2 * x - 1) / L.sqrt(3)) / L.sqrt(3)),
    ("1/(x²+3x+2)", "1/(x^2+3*x+2)", "0", "1", lambda x: L.log((x + 1) / (x + 2))),
    ("(x²+1)/(x⁴+1)", "(x^2+1)/(x^4+1)", "0", "1", Exact(lambda: L.pi / (2 * L.sqrt(2)))),
    ("1/(2+cos x)", "1/(2+cos(x))", "0", "2",
     lambda x: 2 / L.sqrt(3) * L.atan(L.tan(x / 2) / L.sqrt(3))),
    ("cos² x", "cos(x)^2", "0", HALF_PI, lambda x: x / 2 + L.sin(2 * x) / 4),
    ("sin(x²)", "sin(x^2)", "0", "1",
     lambda x: L.sqrt(L.pi / 2) * L.fresnels(x * L.sqrt(2 / L.pi))),
    ("e^(sin x)", "exp(sin(x))", "0", "2", None),
    ("|cos x|", "abs(cos(x))", "0", "1", lambda x: L.sin(x)),
    ("1/√(1+x⁴)", "1/sqrt(1+x^4)", "0", "1", Exact(lambda: L.ellipk(mpf(1) / 2) / 2)),
]

# Maxima worked by hand, (name, k): (M_k, place). They check the search itself,
# which the 70-digit recheck cannot: that only re-evaluates the place found.
KNOWN_MAXIMA = {
    ("1/(1+x²)", 1): (lambda: 3 * L.sqrt(3) / 8, lambda: 1 / L.sqrt(3)),
    ("1/(1+x²)", 6): (lambda: mpf(720), lambda: mpf(0)),
    ("e^(−x²)", 1): (lambda: L.sqrt(2 / L.e), lambda: 1 / L.sqrt(2)),
    ("e^(−x²)", 6): (lambda: mpf(120), lambda: mpf(0)),
    # f' = sin x + x cos x, largest in size at the right end
    ("x·sin x", 1): (lambda: abs(L.sin(mpf(PI)) + mpf(PI) * L.cos(mpf(PI))), lambda: mpf(PI)),
    ("cos² x", 1): (lambda: mpf(1), lambda: L.pi / 4),
    ("cos² x", 2): (lambda: mpf(2), lambda: mpf(0)),  # and at the right end
    ("e^(sin x)", 2): (lambda: +L.e, lambda: L.pi / 2),
    ("arctg x", 2): (lambda: 3 * L.sqrt(3) / 8, lambda: 1 / L.sqrt(3)),
    ("x·e^(−x)", 4): (lambda: mpf(4), lambda: mpf(0)),
    ("∛x", 6): (lambda: mpf(880) / 729 * 14, lambda: mpf(1)),
}

# Integrands the program must refuse: name, text, a, b, reason, place, and for
# the one whose integral is still proven, its exact value.
#   pole                   f is unbounded next to the place
#   undefined-below        f has no real value left of the place, inside [a;b]
#   not-finite             f has no finite value at the place (an end)
#   derivative-not-finite  the integral stands, but f' is unbounded at the place
REFUSALS = [
    ("1/x across 0", "1/x", "-1", "1", "pole", "0", None),
    ("√(x−1) from 0", "sqrt(x-1)", "0", "2", "undefined-below", "1", None),
    ("tg x across π/2", "tan(x)", "0", "2", "pole", HALF_PI, None),
    ("ln x from 0", "ln(x)", "0", "1", "not-finite", "0", None),
    ("√x from 0", "sqrt(x)", "0", "1", "derivative-not-finite", "0",
     lambda x: 2 * L.power(x, 1.5) / 3),
]


# --- Numbers ------------------------------------------------------------------

def digits(v, n):
    """v to n significant digits, positional, '.' decimal, trailing zeros kept."""
    return mpmath.nstr(v, n, strip_zeros=False, min_fixed=-mpmath.inf,
                       max_fixed=mpmath.inf)


def fail(msg):
    sys.exit("make_reference: " + msg)


def relative(p, q):
    return abs(p - q) / max(abs(p), abs(q), mpf(10) ** -QUAD_DPS)


def integral(name, f, a, b, antiderivative, gauss=True):
    """The integral at QUAD_DPS digits, after every check agrees."""
    with mp.workdps(QUAD_DPS):
        value, err = mpmath.quad(f, [a, b], method="tanh-sinh", error=True)
        checks = []
        if gauss:
            checks.append(("gauss-legendre split",
                           mpmath.quad(f, [a, (a + b) / 2, b], method="gauss-legendre")))
        else:
            checks.append(("tanh-sinh split",
                           mpmath.quad(f, [a, (a + b) / 2, b], method="tanh-sinh")))
        if isinstance(antiderivative, Exact):
            checks.append(("closed form", antiderivative.value()))
        elif antiderivative is not None:
            checks.append(("antiderivative", antiderivative(b) - antiderivative(a)))
        worst = mpf(0)
        for label, other in checks:
            d = relative(value, other)
            if d > AGREE:
                fail("%s: tanh-sinh %s and %s %s differ by %s relative"
                     % (name, digits(value, 45), label, digits(other, 45), mpmath.nstr(d, 3)))
            worst = max(worst, d)
        return value, [label for label, _ in checks], worst


def derivative(f, x, k):
    return mpmath.diff(f, x, k)


def refine(f, k, lo, hi):
    """A zero of f^(k+1) bracketed by lo < hi, by bisection: the place of an
    inside maximum of |f^(k)|. None when the ends do not bracket a sign change
    (then the sampled point itself stands)."""
    flo = derivative(f, lo, k + 1)
    fhi = derivative(f, hi, k + 1)
    if flo == 0:
        return lo
    if fhi == 0:
        return hi
    if (flo > 0) == (fhi > 0):
        return None
    for _ in range(BISECTIONS):
        mid = (lo + hi) / 2
        if hi - lo <= mpf(10) ** -35 * (1 + abs(mid)):
            break
        fm = derivative(f, mid, k + 1)
        if fm == 0:
            return mid
        if (fm > 0) == (flo > 0):
            lo, flo = mid, fm
        else:
            hi = mid
    return (lo + hi) / 2


def maxima(name, f, a, b):
    """For each k of ORDERS: (M_k, place, agreement of the 70-digit recheck)."""
    with mp.workdps(SCAN_DPS):
        xs = [a + (b - a) * i / SAMPLES for i in range(SAMPLES + 1)]
        xs[-1] = b
        table = []
        for x in xs:
            d = list(mpmath.diffs(f, x, max(ORDERS)))
            table.append([abs(d[k]) for k in ORDERS])
    results = []
    for j, k in enumerate(ORDERS):
        g = [row[j] for row in table]
        with mp.workdps(QUAD_DPS):
            candidates = [a, b]
            for i in range(1, SAMPLES):
                if g[i] >= g[i - 1] and g[i] >= g[i + 1] and g[i] > 0:
                    place = refine(f, k, xs[i - 1], xs[i + 1])
                    candidates.append(xs[i] if place is None else place)
            best, where = None, None
            for x in candidates:
                v = abs(derivative(f, x, k))
                # A tie (a symmetric f, or a plateau met twice) goes to the
                # leftmost place, so that the file does not depend on the
                # order candidates were found in.
                if best is None or v > best * (1 + mpf(10) ** -30) or (
                        abs(v - best) <= best * mpf(10) ** -30 and x < where):
                    best, where = v, x
        if best == 0 or best < mpf(10) ** -20:
            fail("%s: M%d is %s, too close to zero to be a maximum" % (name, k, best))
        with mp.workdps(RECHECK_DPS):
            again = abs(derivative(f, where, k))
        d = relative(best, again)
        if d > MAX_AGREE:
            fail("%s: M%d at 50 and 70 digits differ by %s" % (name, k, mpmath.nstr(d, 3)))
        results.append((best, where, d))
    return results


def place_text(x, a_text, b_text, a, b):
    # An end is written as typed, so that a reader sees the maximum sits there.
    if x == a:
        return a_text
    if x == b:
        return b_text
    return digits(x, 20)


# --- The refusals' own checks ---------------------------------------------------

def defined(f, x):
    try:
        f(x)
        return True
    except (Undefined, ZeroDivisionError):
        return False


def check_refusal(name, f, a, b, reason, p):
    with mp.workdps(QUAD_DPS):
        tiny = mpf(10) ** -20
        if not (a <= p <= b):
            fail("%s: place outside [a;b]" % name)
        if reason == "pole":
            # |f| grows like 1/distance on both sides, within the interval;
            # the distances stay well above the 1e-20 the place is written to.
            for side in (-1, 1):
                near, nearer = f(p + side * tiny * 10**5), f(p + side * tiny * 10**3)
                if not (abs(near) > 10 ** 12 and abs(nearer) > 50 * abs(near)):
                    fail("%s: no pole at %s" % (name, p))
        elif reason == "undefined-below":
            if defined(f, p - tiny) or defined(f, a) or not defined(f, p + tiny) \
                    or not defined(f, p):
                fail("%s: not a lower edge of the domain at %s" % (name, p))
        elif reason == "not-finite":
            if defined(f, p) or not defined(f, p + tiny):
                fail("%s: finite at %s" % (name, p))
        elif reason == "derivative-not-finite":
            if not defined(f, p):
                fail("%s: f itself undefined at %s" % (name, p))
            d1 = mpmath.diff(f, p + tiny, 1)
            d2 = mpmath.diff(f, p + tiny / 10000, 1)
            if not (d1 > 10 ** 8 and d2 > 10 * d1):
                fail("%s: f' bounded at %s" % (name, p))
        else:
            fail("%s: unknown reason %s" % (name, reason))


# --- The file --------------------------------------------------------------------

HEADER = ["name", "f", "a", "b", "integral", "M1", "x1", "M2", "x2", "M4", "x4",
          "M6", "x6", "reason", "place"]


def rows(log):
    for name, text, a_text, b_text, antiderivative in SET:
        f = compile_integrand(text)
        with mp.workdps(QUAD_DPS):
            a, b = mpf(a_text), mpf(b_text)
        value, checks, worst = integral(name, f, a, b, antiderivative)
        row = [name, text, a_text, b_text, digits(value, 40)]
        found = maxima(name, f, a, b)
        by_hand = 0
        for k, (best, where, _) in zip(ORDERS, found):
            if (name, k) in KNOWN_MAXIMA:
                by_hand += 1
                with mp.workdps(QUAD_DPS):
                    value, place = (g() for g in KNOWN_MAXIMA[(name, k)])
                    if relative(best, value) > mpf(10) ** -30 or abs(where - place) > mpf(10) ** -25:
                        fail("%s: M%d %s at %s, by hand %s at %s" % (
                            name, k, digits(best, 25), digits(where, 25),
                            digits(value, 25), digits(place, 25)))
            row += [digits(best, 20), place_text(where, a_text, b_text, a, b)]
        row += ["", ""]
        log("%-16s %-20s integral: %s agree to %s; M_k rechecked to %s%s"
            % (name, text, " and ".join(checks), mpmath.nstr(worst, 2),
               mpmath.nstr(max(d for _, _, d in found), 2),
               "; %d by hand" % by_hand if by_hand else ""))
        yield row
    for name, text, a_text, b_text, reason, p_text, antiderivative in REFUSALS:
        f = compile_integrand(text)
        with mp.workdps(QUAD_DPS):
            a, b, p = mpf(a_text), mpf(b_text), mpf(p_text)
        check_refusal(name, f, a, b, reason, p)
        value_text = ""
        if antiderivative is not None:
            # An end singularity: Gauss-Legendre cannot reach 1e-35 on it, so
            # the second rule is tanh-sinh on the split interval.
            value, checks, worst = integral(name, f, a, b, antiderivative, gauss=False)
            value_text = digits(value, 40)
            log("%-16s %-20s integral: %s agree to %s" % (
                name, text, " and ".join(checks), mpmath.nstr(worst, 2)))
        log("%-16s %-20s refused: %s at %s (checked)" % (name, text, reason, p_text))
        yield [name, text, a_text, b_text, value_text] + [""] * 8 + [reason, p_text]


def main():
    check = "--check" in sys.argv[1:]
    log = lambda s: print(s, file=sys.stderr, flush=True)
    lines = ["\t".join(HEADER)]
    for row in rows(log):
        if any("\t" in cell or "\n" in cell for cell in row):
            fail("%s: a tab or newline inside a cell" % row[0])
        lines.append("\t".join(row))
    text = "\n".join(lines) + "\n"
    path = os.path.normpath(OUTPUT)
    if check:
        with open(path, encoding="utf-8") as old:
            if old.read() != text:
                fail("%s differs from what the script computes" % path)
        log("%s is up to date" % path)
        return
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8", newline="\n") as out:
        out.write(text)
    log("wrote %d rows to %s" % (len(lines) - 1, path))


if __name__ == "__main__":
    main()
