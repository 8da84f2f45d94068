#!/usr/bin/env python3
"""The reduction of a PKS measurement as a numpy/scipy script would do it, to time beside
`tarnova-cli reduce`: every label as numerator, denominator and abundance (ratios N/D for every
pair of distinct labels), each series fitted against time by a straight line, with the t and F
percentage points of scipy.stats. It prints one line per record.

Usage: numpy_reduce.py FILE.pks [TEST_LEVEL_PERCENT]
"""

import sys

import numpy as np
from scipy import stats


def read_pks(path):
    """Times, peak values and labels of the peak lines (the quoted header lines skipped)."""
    times, values, labels = [], [], []
    with open(path, "rb") as file:
        for line in file:
            if line.startswith(b'"') or not line.strip():
                continue
            hundredths, value, label = line.split(b",", 2)
            times.append(int(hundredths) / 100.0)
            values.append(float(value))
            labels.append(label.strip().strip(b'"'))
    order = np.argsort(np.array(times), kind="stable")
    return np.array(times)[order], np.array(values)[order], np.array(labels)[order]


def ratio_points(times, values, labels, numerator, denominator):
    """Numerator peaks between two denominator peaks over the interpolated denominator."""
    dens = np.flatnonzero(labels == denominator)
    nums = np.flatnonzero(labels == numerator)
    after = np.searchsorted(dens, nums)
    inside = (after > 0) & (after < len(dens))
    nums, after = nums[inside], after[inside]
    prev, nxt = dens[after - 1], dens[after]
    slope = (values[nxt] - values[prev]) / (times[nxt] - times[prev])
    signal = (times[nums] - times[prev]) * slope + values[prev]
    return times[nums], values[nums] / signal


def fit(x, y, alpha, check):
    n = len(y)
    mean, mean_t = y.mean(), x.mean()
    var, var_t = y.var(), x.var()
    cov = ((x - mean_t) * (y - mean)).mean()
    slope = cov / var_t
    intercept = mean - slope * mean_t
    fitted = slope * x + intercept
    se = ((y - fitted) ** 2).sum()
    sr = ((fitted - mean) ** 2).sum()
    a11 = (x**2).mean() / (n * var_t)
    t_line = stats.t.isf(alpha / 2, n - 2)
    f_value = sr * (n - 2) / se
    f_critical = stats.f.isf(1 - check, 1, n - 2)
    r = cov / np.sqrt(var * var_t)
    return (n, mean, np.sqrt(var), intercept, t_line * np.sqrt(se / (n - 2) * a11), slope, r,
            f_value > f_critical, stats.t.isf(alpha / 2, n - 1))


def main():
    path = sys.argv[1]
    check = float(sys.argv[2]) / 100.0 if len(sys.argv) > 2 else 0.997
    times, values, labels = read_pks(path)
    names = sorted(set(labels.tolist()))
    records = [(n, d) for n in names for d in names if n != d] + [(n, None) for n in names]
    for numerator, denominator in records:
        if denominator is None:
            x, y = times[labels == numerator], values[labels == numerator]
            name = numerator.decode()
        else:
            x, y = ratio_points(times, values, labels, numerator, denominator)
            name = numerator.decode() + "/" + denominator.decode()
        if len(y) < 3:
            print(name, "fail")
            continue
        print(name, *("%.6E" % v for v in fit(x, y, 0.32, check)))


if __name__ == "__main__":
    main()
