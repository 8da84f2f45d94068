#!/usr/bin/env python3
"""The outlier filter of `tarnova-cli reduce --filter` against an independent computation.

Random measurements of one label (a mean, a line or a parabola with noise, heavy tails and
gross outliers) are reduced with --filter chauvenet or sigma:K:ITERATIONS and --fit mean,
linear, parabolic or auto; the points the IRD marks as disabled must be the ones numpy and
scipy reject: residuals of numpy.polyfit (the mean: numpy.mean), s = sqrt(sum r^2 / (n - p)),
sigma passes |r| >= k s, Chauvenet n erfc(|z| / sqrt 2) < 0.5 (scipy.special.erfc), at least
3, 4, 2 active points left to the line, parabola and mean (the worst |z| first), the automatic
method's parabola where n >= 5 and the t test of b2 rejects 0 at 99.7 %. Cases that lie within
1e-7 of a threshold are drawn again.

  filter_reference.py --cli PATH [--cases N] [--seed S] [--keep DIR]

Exit status: 0 when every case agrees, 1 on a mismatch, 77 when numpy or scipy is missing.
"""

import argparse
import math
import os
import subprocess
import sys
import tempfile

SKIP = 77
try:
    import numpy as np
    from scipy import special, stats
except ImportError:
    print("filter_reference: python3-numpy or python3-scipy is not installed; skipped")
    sys.exit(SKIP)

MARGIN = 1e-7
TEST_LEVEL = 0.997
DEGREE = {"mean": 0, "linear": 1, "parabolic": 2}
FLOOR = {"mean": 2, "linear": 3, "parabolic": 4}


class Ambiguous(Exception):
    """A decision lies too near its threshold to be compared."""


def near(value, threshold):
    return abs(value - threshold) <= MARGIN * max(abs(threshold), 1e-300)


def pks_value(value):
    """The value text of a PKS peak line: "%15.8lE" with an exponent of three digits."""
    mantissa, exponent = ("%.8E" % value).split("E")
    return ("%sE%s%s" % (mantissa, exponent[0], exponent[1:].rjust(3, "0"))).rjust(15)


def fit(method, t, y):
    """The curve's residuals, its residual standard deviation (None without freedom) and the
    method that was fitted (the automatic one's choice)."""
    if method == "auto":
        method = "linear"
        if len(y) >= 5:
            x = np.vander(t, 3)
            coefficients, residual, _, _ = np.linalg.lstsq(x, y, rcond=None)
            r = y - x @ coefficients
            s2 = (r @ r) / (len(y) - 3)
            covariance = s2 * np.linalg.inv(x.T @ x)
            curvature = abs(coefficients[0]) / math.sqrt(covariance[0, 0])
            critical = stats.t.ppf(1 - (1 - TEST_LEVEL) / 2, len(y) - 3)
            if near(curvature, critical):
                raise Ambiguous("curvature test")
            if curvature > critical:
                method = "parabolic"
    degree = DEGREE[method]
    if degree == 0:
        r = y - y.mean()
    else:
        r = y - np.polyval(np.polyfit(t, y, degree), t)
    freedom = len(y) - degree - 1
    if freedom <= 0:
        return r, None, method
    return r, math.sqrt((r @ r) / freedom), method


def filtered(method, rule, t, y):
    """The indices the filter disables."""
    active = list(range(len(y)))
    if rule == "chauvenet":
        k, passes = None, 1
    else:
        _, k, passes = rule.split(":")
        k, passes = float(k), int(passes)
    out = []
    for _ in range(passes):
        r, s, fitted = fit(method, t[active], y[active])
        if s is None or s == 0:
            break
        n = len(active)
        room = n - FLOOR[fitted]
        if room <= 0:
            break
        found = []
        for position, index in enumerate(active):
            z = abs(r[position]) / s
            if k is None:
                criterion = n * special.erfc(z / math.sqrt(2))
                if near(criterion, 0.5):
                    raise Ambiguous("Chauvenet")
                rejected = criterion < 0.5
            else:
                if near(z, k):
                    raise Ambiguous("sigma")
                rejected = z >= k
            if rejected:
                found.append((-z, position, index))
        if not found:
            break
        found.sort()
        # The worst |z| first; equal |z| within the margin would make the cut ambiguous.
        if len(found) > room and near(found[room - 1][0], found[room][0]):
            raise Ambiguous("floor")
        chosen = [index for _, _, index in found[:room]]
        out.extend(chosen)
        active = [index for index in active if index not in chosen]
    return sorted(out)


def measurement(rng):
    n = int(rng.integers(4, 26))
    hundredths = np.cumsum(rng.integers(50, 400, n)) + int(rng.integers(0, 500))
    t = hundredths / 100.0
    shape = rng.integers(0, 3)
    base = 100.0 + (0 if shape == 0 else -0.05 * t) + (0 if shape < 2 else 4e-4 * t * t)
    noise = 0.2 * (rng.standard_t(3, n) if rng.random() < 0.5 else rng.standard_normal(n))
    y = base + noise
    for index in rng.choice(n, size=int(rng.integers(0, 3)), replace=False):
        y[index] += rng.choice([-1, 1]) * rng.uniform(1.0, 5.0)
    texts = [pks_value(v) for v in y]
    return hundredths, t, texts, np.array([float(text) for text in texts])


def reduce_flags(cli, folder, hundredths, texts, method, rule):
    path = os.path.join(folder, "filter.pks")
    with open(path, "wb") as stream:
        stream.write(b'"Sample:","filter reference"\r\n')
        for time, text in zip(hundredths, texts):
            stream.write(b'%5d,   %s, "X"\r\n' % (time, text.encode()))
    run = subprocess.run([cli, "reduce", path, "--ini", os.path.join(folder, "none.ini"),
                          "--abundance", "X", "--fit", method, "--filter", rule,
                          "--output-flags", "none"], capture_output=True, check=False)
    if run.returncode != 0:
        return None, run.stderr.decode(errors="replace")
    for line in run.stdout.split(b"\r\n"):
        fields = line.split(b"\t")
        if len(fields) > 2 and fields[1] == b"A":
            # The point flags, longer than the counts of excluded points that may follow them.
            flags = max((f for f in fields if f and set(f) <= {ord("0"), ord("1")}), key=len)
            return [i for i, flag in enumerate(flags.decode()) if flag == "0"], ""
    return None, "no record line"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--cases", type=int, default=300)
    parser.add_argument("--seed", type=int, default=20)
    parser.add_argument("--keep")
    arguments = parser.parse_args()
    rng = np.random.default_rng(arguments.seed)
    rules = ["chauvenet", "sigma:2:1", "sigma:2.5:3", "sigma:1.5:10", "sigma:3:1", "sigma:0.8:50"]
    failures = 0
    compared = 0
    rejections = 0
    with tempfile.TemporaryDirectory() as scratch:
        folder = arguments.keep or scratch
        os.makedirs(folder, exist_ok=True)
        # The program's defaults: no filter, the test level 99.7 %.
        with open(os.path.join(folder, "none.ini"), "wb"):
            pass
        while compared < arguments.cases:
            hundredths, t, texts, y = measurement(rng)
            method = rng.choice(["mean", "linear", "parabolic", "auto"])
            rule = rng.choice(rules)
            try:
                expected = filtered(method, rule, t, y)
            except Ambiguous:
                continue
            got, problem = reduce_flags(arguments.cli, folder, hundredths, texts, method, rule)
            compared += 1
            rejections += len(expected)
            if got != expected:
                failures += 1
                print("case %d (%s, %s, %d points): reduce disabled %s, expected %s %s"
                      % (compared, method, rule, len(y), got, expected, problem))
    print("filter_reference: %d cases, %d points rejected, %d mismatches"
          % (compared, rejections, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
