#!/usr/bin/env python3
"""Runs `tarnova-cli reduce` and the independent reference (reduce_reference.py) on a matrix of
files and settings and compares the IRD texts line by line: texts exactly, numbers to six
significant digits.

  compare_reduce.py --cli PATH --samples DIR [--keep DIR] [--only SUBSTRING] [--verbose]

Exit status: 0 when every case agrees, 1 on a mismatch, 77 when scipy is missing (the test is
then skipped).
"""

import argparse
import math
import os
import re
import statistics
import subprocess
import sys
import tempfile

SKIP = 77

try:
    from scipy import stats
except ImportError:
    print("compare_reduce: python3-scipy is not installed; skipped")
    sys.exit(SKIP)

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import reduce_reference as reference  # noqa: E402

# Cases whose disagreement is understood and reported; the name is matched as a substring.
EXPECTED_FAILURES = {}

# --- the reference itself, against hand values and scipy's own regression -------------------


def check_reference():
    """Problems of the reference found by values worked out by hand and by scipy.stats
    .linregress; empty when it is sound."""
    problems = []

    def expect(what, got, want, tolerance=1e-9):
        if abs(got - want) > tolerance * max(1.0, abs(want)):
            problems.append("%s: %r, expected %r" % (what, got, want))

    P = reference.Peak
    # Denominator 100 and 200 at times 10 and 30: 150 at time 20, so 30 gives 0.2.
    points = reference.build_ratio_points([P("D", 10, 100, 1), P("N", 20, 3, 10),
                                           P("D", 30, 2, 100)], "N", "D")
    expect("interpolated ratio", points[0][1], 0.2)
    # D N N D N D gives three points; a disabled D is stepped over.
    peaks = [P("N", 0, 1, 1), P("D", 1, 1, 1), P("N", 2, 1, 1), P("N", 3, 1, 1),
             P("D", 4, 1, 1), P("N", 5, 1, 1), P("D", 6, 1, 1), P("N", 7, 1, 1)]
    expect("points between denominators", len(reference.build_ratio_points(peaks, "N", "D")), 3)
    peaks[4].flags = reference.DISABLED
    expect("points around a disabled denominator",
           len(reference.build_ratio_points(peaks, "N", "D")), 3)
    # Ar36 of 2 and 4 at times 10 and 30 under an Ar40 of 1000: 1000 - 295.5 * 3 = 113.5.
    ini = reference.IniFile(None)
    ini.sections = [("general", [("interferance", "1")]), ("interferance", [("s", "1")]),
                    ("s", [("item1", "Ar40,Ar36,295.5")])]
    peaks = [P("Ar40", 5, 1, 1), P("Ar36", 10, 2, 1), P("Ar40", 20, 2, 500),
             P("Ar36", 30, 4, 1), P("Ar40", 35, 1, 1)]
    reference.apply_corrections(peaks, ini, "s")
    expect("corrected height", peaks[2].height, 113.5)
    expect("corrected range", peaks[2].range, 1.0)
    expect("disabled before and after",
           (peaks[0].flags & reference.DISABLED) + (peaks[4].flags & reference.DISABLED), 2)
    # Percentage points.
    expect("t(0.025, 10)", reference.t_quantile(0.025, 10), 2.2281, 1e-4)
    expect("t(0.16, 5)", reference.t_quantile(0.16, 5), 1.1037, 1e-4)
    expect("F(0.05, 1, 10)", reference.f_quantile(0.05, 1, 10), 4.9646, 1e-4)
    expect("F(0.003, 1, 2)", reference.f_quantile(0.003, 1, 2), 331.83, 1e-4)
    # Statistics and line against scipy's regression.
    times = [1.5, 2.7, 3.1, 4.8, 6.0, 7.2, 8.9]
    values = [10.2, 10.9, 11.1, 11.8, 12.9, 13.1, 14.4]
    record = reference.Record("A", "")
    record.points = [(t, v, 0) for t, v in zip(times, values)]
    record.alpha, record.checkLevel = 0.05, 0.997
    reference.compute_statistics(record)
    reference.fit_line(record)
    line = stats.linregress(times, values)
    expect("slope", record.fit.slope, line.slope)
    expect("intercept", record.fit.intercept, line.intercept)
    expect("r", record.r, line.rvalue)
    expect("slope error", record.fit.slopeError, line.stderr)
    expect("intercept error", record.fit.interceptError, line.intercept_stderr)
    expect("unbiased deviation", record.stdDevUnbiased, statistics.stdev(values))
    expect("t limit", record.tLimit, stats.t.ppf(0.975, 6))
    n = len(times)
    expect("t of r", record.tOfR, abs(line.rvalue) * math.sqrt((n - 2) / (1 - line.rvalue ** 2)))
    expect("F value", record.fit.fValue, (abs(line.slope) / line.stderr) ** 2)
    # Values far from zero compared with their spread (NIST StRD NumAcc4): certified mean
    # 10000000.2 and standard deviation 0.1.
    record = reference.Record("A", "")
    values = [10000000.2] + [10000000.1, 10000000.3] * 500
    record.points = [(float(k + 1), v, 0) for k, v in enumerate(values)]
    record.alpha, record.checkLevel = 0.05, 0.997
    reference.compute_statistics(record)
    expect("NumAcc4 mean", record.mean, 10000000.2, 1e-14)
    expect("NumAcc4 deviation", record.stdDevUnbiased, 0.1, 1e-7)
    # Exact ties round away from zero (printf would give 1.234568E+06 and 1234.12).
    for fmt, value, text in (("%E", 1234568.5, "1.234569E+06"), ("%G", 1234.125, "1234.13"),
                             ("%E", -0.00048828125, "-4.882813E-04")):
        if reference.c_format(fmt, value) != text:
            problems.append("%s of %r: %s, expected %s"
                            % (fmt, value, reference.c_format(fmt, value), text))
    return problems


# --- synthetic files --------------------------------------------------------------------------


def pks_value(value):
    """The value text of a PKS peak line: "%15.8lE" with an exponent of three digits."""
    text = "%.8E" % value
    mantissa, exponent = text.split("E")
    sign, digits = exponent[0], exponent[1:]
    return ("%sE%s%s" % (mantissa, sign, digits.rjust(3, "0"))).rjust(15)


def write_pks(path, comments, peaks):
    """peaks: (time in units, value, label); the time is stored in hundredths."""
    with open(path, "wb") as stream:
        for tag, text in comments:
            stream.write(b'"%s","%s"\r\n' % (tag.encode("cp932"), text.encode("cp932")))
        for time, value, label in peaks:
            stream.write(b'%5d,   %s, "%s"\r\n' % (int(round(time * 100)),
                                                  pks_value(value).encode(), label.encode()))


def write_dat(path, name, date, comment, weight, spike, peaks):
    """peaks: (label number, time, height, range)."""
    labels = {peak[0] for peak in peaks}
    with open(path, "wb") as stream:
        stream.write(b'"%s","%s"\r\n"%s"\r\n' % (name.encode(), date.encode(), comment.encode()))
        stream.write(b"%f\r\n%d,%f,%f\r\n" % ((weight,) + spike))
        stream.write(b"%d,%d\r\n0\r\n0\r\n0\r\n0\r\n" % (len(labels), len(peaks)))
        for label, time, height, range_ in peaks:
            stream.write(b"%d,%f,%f,%f\r\n" % (label, time, height, range_))


def jitter(k, size):
    """A small, fixed, irregular deviation: synthetic noise that every run repeats."""
    return size * (((k * 7919) % 101) / 50.0 - 1.0)


def synthetic_files(folder):
    files = {}

    # Records of 1, 2 and 3 active points and one that gets none. Ar36 is the denominator at
    # 1, 3, 5, 7; Ar40 lies twice between them, Ar38 three times (and once before and after
    # them), Ar39 only outside them, "Ar37*" once (read as Ar37).
    small = os.path.join(folder, "syn_small.pks")
    write_pks(small, [("Sample:", "synthetic small"), ("Comments:", "1, 2 and 3 points")], sorted([
        (1.00, 2.031e-2, "Ar36"), (3.00, 2.047e-2, "Ar36"), (5.00, 2.019e-2, "Ar36"),
        (7.00, 2.008e-2, "Ar36"),
        (2.00, 6.128, "Ar40"), (4.00, 6.113, "Ar40"),
        (0.50, 3.961e-3, "Ar38"), (2.50, 3.947e-3, "Ar38"), (4.50, 3.988e-3, "Ar38"),
        (6.50, 3.902e-3, "Ar38"), (7.50, 3.899e-3, "Ar38"),
        (0.20, 2.2e-4, "Ar39"), (8.00, 2.4e-4, "Ar39"),
        (3.50, 2.95e-4, "Ar37*"),
    ]))
    files["syn_small"] = small

    # DAT form with integer labels and a drift over a longer run.
    drift = os.path.join(folder, "syn_drift.dat")
    peaks = []
    for cycle in range(12):
        base = 120.0 + 95.5 * cycle
        peaks.append((36, base, 3.412 - 0.004 * cycle + jitter(cycle, 0.003), 0.01))
        peaks.append((38, base + 11.5, 6.431 - 0.007 * cycle + jitter(cycle + 3, 0.005), 0.001))
        peaks.append((40, base + 23.0, 1.0081 - 0.0012 * cycle + jitter(cycle + 7, 0.0006),
                      10.0))
    write_dat(drift, "DRIFT-1 synthetic", "2026/12/01 09:30", "drift over twelve cycles",
              0.0125, (3, 0.125, 0.0025), peaks)
    files["syn_drift"] = drift

    # A signal that decays towards a level (the exponential's case) beside a steady one.
    curve = os.path.join(folder, "syn_curve.pks")
    rows = []
    for cycle in range(14):
        base = 10.0 + 25.0 * cycle
        rows.append((base, 1.0 + jitter(cycle, 0.002), "Ar36"))
        rows.append((base + 8.0, 2.0 * math.exp(-0.01 * (base + 8.0)) + 1.0
                     + jitter(cycle + 5, 0.004), "Ar40"))
    write_pks(curve, [("Sample:", "decaying signal")], rows)
    files["syn_curve"] = curve

    # Interference correction: Ar40 is corrected by Ar36 (peaks before the first and after the
    # last Ar36 are disabled), X by the absent ZZ (all disabled), Y by the single Q.
    corr = os.path.join(folder, "syn_corr.pks")
    rows = []
    for k in range(6):
        t = 1.0 + 2.0 * k
        rows.append((t, 1.61e-2 + jitter(k, 2e-4), "Ar36"))
        rows.append((t + 0.5, 5.023 + jitter(k + 1, 0.02), "Ar40"))
        rows.append((t + 0.7, 3.04e-3 + jitter(k + 2, 3e-5), "Ar38"))
        rows.append((t + 0.9, 1.1 + jitter(k + 4, 0.01), "X"))
        rows.append((t + 1.1, 2.2 + jitter(k + 5, 0.02) + 0.01 * k, "Y"))
    rows.append((0.5, 5.002, "Ar40"))
    rows.append((12.5, 4.998, "Ar40"))
    rows.append((4.3, 0.25, "Q"))
    write_pks(corr, [("Sample:", "corrections"), ("ID:", "C-1")], sorted(rows))
    files["syn_corr"] = corr

    # Labels: a blank inside, letter case, a trailing mark that is not part of the label; and
    # constant values, whose variance rounding makes slightly positive (K) or negative (L).
    labels = os.path.join(folder, "syn_labels.pks")
    rows = []
    for k in range(7):
        t = 2.0 + 3.0 * k
        rows.append((t, 2.45e-2 + jitter(k, 3e-4), "Ar36"))
        rows.append((t + 0.4, 7.245 + jitter(k + 1, 0.03), "Ar 40" if k % 2 else "Ar40*"))
        rows.append((t + 0.8, 7.251 + jitter(k + 2, 0.03), "ar40"))
        rows.append((t + 1.2, 7.261 + jitter(k + 3, 0.03), "Ar40"))
        rows.append((t + 1.6, 0.7, "K"))
        rows.append((t + 2.0, 1.111, "L"))
        if k < 3:
            rows.append((t + 2.4, 3.3 + 0.1 * k, "Ar40-long-label-abcdefghijklmnopqr"))
    write_pks(labels, [("Sample:", "labels")], sorted(rows))
    files["syn_labels"] = labels

    # Many points: record lines far longer than 2048 characters.
    long_run = os.path.join(folder, "syn_long.dat")
    peaks = []
    for cycle in range(1100):
        peaks.append((36, 10.0 + 2.0 * cycle, 2.5 + jitter(cycle, 0.02), 0.01))
        peaks.append((40, 11.0 + 2.0 * cycle, 7.4 + jitter(cycle + 5, 0.05) - 1e-4 * cycle,
                      1.0))
    write_dat(long_run, "LONG-1", "2026/12/02 08:00", "eleven hundred cycles", 0.5,
              (1, 2.0, 0.01), peaks)
    files["syn_long"] = long_run

    # The peaks of syn_small in a scrambled order: the calculation sorts them by time.
    with open(small, "rb") as stream:
        lines = stream.read().split(b"\r\n")
    header, body = lines[:2], [line for line in lines[2:] if line]
    shuffled = os.path.join(folder, "syn_shuffled.pks")
    with open(shuffled, "wb") as stream:
        scrambled = [body[(5 * i) % len(body)] for i in range(len(body))]  # 5 is prime to 14
        stream.write(b"\r\n".join(header + scrambled) + b"\r\n")
    files["syn_shuffled"] = shuffled

    # A label that cannot be recognised: no calculation at all.
    bad = os.path.join(folder, "syn_badlabel.pks")
    write_pks(bad, [("Sample:", "bad label")], [(1.0, 2.0, "Ar36"), (2.0, 3.0, "(Ar40)"),
                                                (3.0, 2.1, "Ar36")])
    files["syn_badlabel"] = bad

    # A label ending in a blank shows a blank in the last place of the label field: that row
    # is no peak.
    trailing = os.path.join(folder, "syn_trailing.pks")
    rows = [(1.0 + k, 2.0 + 0.01 * k + jitter(k, 0.003), "Ar36" if k % 2 else "Ar40")
            for k in range(12)]
    rows.insert(5, (5.5, 9.0, "Ar36 "))
    write_pks(trailing, [("Sample:", "trailing blank")], rows)
    files["syn_trailing"] = trailing

    # Peaks excluded with the measurement, after its own comments: two Ar40 by hand (one of
    # them twice at one time, where only one is excluded), a denominator Ar36, an Ar38 by a
    # correction (not counted), and one entry whose peak was edited away (left out).
    stored = os.path.join(folder, "syn_stored.pks")
    rows = []
    for k in range(9):
        t = 1.0 + 3.0 * k
        rows.append((t, 2.31e-2 + jitter(k, 2e-4), "Ar36"))
        rows.append((t + 1.0, 6.82 + jitter(k + 1, 0.02) - 0.003 * k, "Ar40"))
        rows.append((t + 2.0, 4.11e-3 + jitter(k + 2, 4e-5), "Ar38"))
    rows.append((5.0, 6.9, "Ar40"))
    write_pks(stored, [("Sample:", "stored exclusions"), ("#tarnova:excluded", "Ar40@5 hand"),
                       ("Operator:", "T."), ("#tarnova:excluded", "Ar40@11 hand"),
                       ("#tarnova:excluded", "Ar36@13 hand"),
                       ("#tarnova:excluded", "Ar38@15 correction"),
                       ("#tarnova:excluded", "Ar40@99.5 hand")], sorted(rows))
    files["syn_stored"] = stored
    return files


INI_TEXT = """[general]
interferance=2
[peakeditor]
elem=7
time=8.5
height=6.3
range=7.4
peak=10.3
[regression]
conf95=false
usestddev=false
chklevel=99.7
[fileoutput]
header=true
comment=true
guidecomment=true
[interferance]
argon=2
synthetic=6
spaced=2
denominators=1
[argon]
item1=Ar40,Ar36,295.5
item2=40,36,295.5
[synthetic]
item1=Ar40,Ar36,295.5
item2=X,ZZ,1.5
item3=Y,Q,0.5
item4=Ar38,Ar36
item5=Ar38,Ar36,0.05
[spaced]
item1=Ar40, Ar36, 295.5
item2=Ar38,Ar36,0.05xyz
[denominators]
item1=Ar36,Ar38,0.01
"""

# The same sets, but the general count says there are none: the correction is not offered.
INI_NO_SETS = INI_TEXT.replace("interferance=2\n", "interferance=0\n", 1)
# A count of sets without their names: the settings cannot be confirmed.
INI_NAMELESS = INI_TEXT.split("[interferance]")[0]

# Settings taken from the file alone.
INI_OWN_SETTINGS = (INI_TEXT.replace("conf95=false", "conf95=true")
                    .replace("usestddev=false", "usestddev=true")
                    .replace("chklevel=99.7", "chklevel=95.5")
                    .replace("comment=true\nguidecomment=true", "comment=false\nguidecomment=true"))
# Narrow columns: labels wider than the Elem field, times to a tenth, heights to two decimals.
# The calculation takes the values the file gave all the same.
INI_NARROW = (INI_TEXT.replace("elem=7", "elem=3").replace("time=8.5", "time=9.1")
              .replace("height=6.3", "height=7.2"))
# Heights shown to a tenth and to nine decimals.
INI_HEIGHT_61 = INI_TEXT.replace("height=6.3", "height=6.1")
INI_HEIGHT_129 = INI_TEXT.replace("height=6.3", "height=12.9")

# --- the matrix -------------------------------------------------------------------------------

SETTINGS = [
    ("68u997", ["--conf68", "--unbiased", "--test-level", "99.7"]),
    ("95u997", ["--conf95", "--unbiased", "--test-level", "99.7"]),
    ("68s997", ["--conf68", "--stddev", "--test-level", "99.7"]),
    ("95s997", ["--conf95", "--stddev", "--test-level", "99.7"]),
    ("68u95", ["--conf68", "--unbiased", "--test-level", "95"]),
    ("95u95", ["--conf95", "--unbiased", "--test-level", "95"]),
    ("68s95", ["--conf68", "--stddev", "--test-level", "95"]),
    ("95s95", ["--conf95", "--stddev", "--test-level", "95"]),
]


def selections(elements):
    first, last = elements[0], elements[-1]
    middle = elements[len(elements) // 2]
    second = elements[1] if len(elements) > 1 else first
    yield "allnum", ["--all-numerators", "--denominator", first]
    yield "pair", ["--numerator", last, "--denominator", first, "--abundance", middle]
    yield "allab", ["--all-abundances"]
    yield "cross", ["--numerator", first, "--numerator", last, "--denominator", last,
                    "--denominator", second]


def case(name, path, options, ini="default", cwd=None):
    return {"name": name, "path": path, "options": options, "ini": ini, "cwd": cwd}


def cases(files, elements_of):
    broad = [name for name in files if name not in ("syn_badlabel", "syn_long")]
    for name in broad:
        path = files[name]
        elements = elements_of(path)
        for selection_name, selection in selections(elements):
            settings = SETTINGS if selection_name == "allnum" else SETTINGS[:2] + SETTINGS[6:]
            for settings_name, options in settings:
                yield case("%s/%s/%s" % (name, selection_name, settings_name), path,
                           selection + options)
        pair = list(selections(elements))[1][1]
        for flags in ("header", "header,comment", "guidecomment", "comment,guidecomment",
                      "none"):
            yield case("%s/pair/flags=%s" % (name, flags), path,
                       pair + ["--output-flags", flags])
        yield case("%s/pair/settings-of-the-ini" % name, path, pair, "own")
        # Points on a line leave the parabola's b2 as rounding noise (three points of
        # syn_labels; syn_drift's abundance drifts exactly linearly at full precision;
        # syn_stored's Ar38 has a b2 of 1e-20 next to its error of 1e-7); an exponential
        # needs a curvature that only syn_curve has.
        methods = ("parabolic", "mean", "auto")
        if name in ("syn_labels", "syn_drift", "syn_stored"):
            methods = ("mean", "auto")
        if name == "syn_curve":
            methods += ("exponential",)
        for method in methods:
            for settings_name, options in SETTINGS[:2]:
                yield case("%s/pair/fit=%s/%s" % (name, method, settings_name), path,
                           pair + options + ["--fit", method, "--output-flags",
                                             "header,guidecomment"])
    for name in ("argon_air.pks", "argon_micromass.asc", "argon_micromass.dat"):
        if name in files:
            yield case("%s/correction" % name, files[name],
                       ["--all-numerators", "--denominator", "Ar36", "--abundance", "Ar40",
                        "--correction", "argon", "--conf95"])
    if "argon_air.pks" in files:
        for ini in ("height61", "height129"):
            yield case("argon_air.pks/%s" % ini, files["argon_air.pks"],
                       ["--all-numerators", "--denominator", "Ar36", "--all-abundances"], ini)
    if "argon_air.dat" in files:
        yield case("argon_air.dat/correction", files["argon_air.dat"],
                   ["--numerator", "40", "--denominator", "36", "--abundance", "40",
                    "--correction", "argon"])
        yield case("argon_air.dat/relative-path", "argon_air.dat",
                   ["--numerator", "40", "--denominator", "36"], cwd=os.path.dirname(
                       files["argon_air.dat"]))
        # A test level is a number from 0 to 100; 120 and -5 are refused.
        for level in ("50", "99.99", "100", "0", "120", "-5"):
            yield case("argon_air.dat/test-level-%s" % level, files["argon_air.dat"],
                       ["--all-numerators", "--denominator", "36", "--test-level", level])
    small = files["syn_small"]
    points123 = ["--numerator", "Ar40", "--numerator", "Ar38", "--numerator", "Ar39",
                 "--numerator", "Ar37", "--denominator", "Ar36", "--abundance", "Ar40",
                 "--abundance", "Ar37"]
    for settings_name, options in SETTINGS:
        yield case("syn_small/points123/%s" % settings_name, small, points123 + options)
    yield case("syn_small/points123/narrow-columns", small, points123, "narrow")
    yield case("syn_drift/narrow-columns", files["syn_drift"],
               ["--all-numerators", "--all-abundances", "--denominator", "38"], "narrow")
    yield case("syn_small/only-failing-records", small,
               ["--numerator", "Ar39", "--denominator", "Ar36"])
    yield case("syn_small/ratio-with-itself", small,
               ["--numerator", "Ar36", "--denominator", "Ar36"])
    yield case("syn_small/no-denominator", small, ["--numerator", "Ar40"])
    yield case("syn_small/unknown-label", small,
               ["--numerator", "Xe129", "--numerator", "Ar40", "--denominator", "Ar36"])
    yield case("syn_long/allnum", files["syn_long"], ["--all-numerators", "--all-abundances",
                                                      "--denominator", "36"])
    yield case("syn_badlabel/allab", files["syn_badlabel"], ["--all-abundances"])
    yield case("syn_drift/to-file", files["syn_drift"],
               ["--all-numerators", "--denominator", "36", "--output", "OUTPUT"])
    corr = files["syn_corr"]
    for settings_name, options in SETTINGS[:2] + SETTINGS[6:]:
        yield case("syn_corr/correction/%s" % settings_name, corr,
                   ["--abundance", "Ar40", "--abundance", "X", "--abundance", "Y",
                    "--abundance", "Ar38", "--numerator", "Ar40", "--denominator", "Ar38",
                    "--correction", "synthetic"] + options)
    corrected = ["--abundance", "Ar40", "--numerator", "Ar40", "--denominator", "Ar38",
                 "--correction"]
    yield case("syn_corr/unknown-set", corr, corrected + ["nosuchset"])
    yield case("syn_corr/set-name-in-capitals", corr, corrected + ["SYNTHETIC"])
    # " Ar36" with its blank is no label of the sheet: every Ar40 peak is disabled.
    yield case("syn_corr/blanks-in-items", corr,
               ["--abundance", "Ar36", "--abundance", "Ar40", "--abundance", "Ar38",
                "--numerator", "Ar40", "--denominator", "Ar38", "--correction", "spaced"])
    yield case("syn_corr/denominator-corrected", corr,
               ["--abundance", "Ar36", "--numerator", "Ar40", "--denominator", "Ar36",
                "--correction", "denominators"])
    yield case("syn_corr/sets-not-counted", corr, corrected + ["synthetic"], "nosets")
    stored = files["syn_stored"]
    every = ["--all-numerators", "--denominator", "Ar36", "--all-abundances"]
    for settings_name, options in SETTINGS[:2]:
        yield case("syn_stored/every/%s" % settings_name, stored, every + options)
    yield case("syn_stored/ignore-stored", stored, every + ["--ignore-stored"])
    yield case("syn_stored/exclude-for-the-run", stored,
               every + ["--exclude", "Ar38@3", "--exclude", "Ar40@26"])
    yield case("syn_stored/exclude-and-ignore-stored", stored,
               every + ["--ignore-stored", "--exclude", "Ar40@5"])
    yield case("syn_stored/fit=mean", stored, every + ["--fit", "mean"])
    yield case("syn_stored/exclude-names-no-peak", stored, every + ["--exclude", "Ar40@5.01"])
    yield case("syn_small/exclude", small, points123 + ["--exclude", "Ar38@4.5"])
    yield case("syn_corr/sets-not-named", corr, corrected + ["synthetic"], "nameless")


# --- comparison -------------------------------------------------------------------------------

NUMBER = re.compile(rb"[+-]?(\d+\.?\d*([eE][+-]?\d+)?|NAN|INF)")


def as_number(field):
    if not NUMBER.fullmatch(field):
        return None
    return reference.atof(field.decode("ascii"))


def same_number(expected, actual):
    """Agreement to six significant digits, in the text form of the expected field."""
    a, b = as_number(expected), as_number(actual)
    if a is None or b is None:
        return False
    if a != a or b != b:
        return a != a and b != b
    shape = re.compile(rb"\d")
    if shape.sub(b"9", expected.lstrip(b"-")) != shape.sub(b"9", actual.lstrip(b"-")):
        return False
    if "%.5E" % a == "%.5E" % b:
        return True
    return abs(a - b) <= 1e-6 * max(abs(a), abs(b))


def compare_texts(expected, actual):
    """Mismatch descriptions, empty when the two IRD texts agree."""
    problems = []
    if not actual.endswith(b"\r\n"):
        problems.append("the output does not end with CR LF")
    expected_lines = expected.split(b"\r\n")
    actual_lines = actual.split(b"\r\n")
    if len(expected_lines) != len(actual_lines):
        problems.append("%d lines expected, %d written" % (len(expected_lines) - 1,
                                                          len(actual_lines) - 1))
    for number, (want, got) in enumerate(zip(expected_lines, actual_lines), 1):
        if want == got:
            continue
        want_fields, got_fields = want.split(b"\t"), got.split(b"\t")
        bad = []
        if len(want_fields) != len(got_fields):
            bad.append("%d fields expected, %d written" % (len(want_fields), len(got_fields)))
        for column, (w, g) in enumerate(zip(want_fields, got_fields), 1):
            if w != g and not same_number(w, g):
                bad.append("field %d: expected %r, written %r" % (column, w, g))
        if bad:
            problems.append("line %d:\n    expected: %r\n    written:  %r\n    %s"
                            % (number, want, got, "\n    ".join(bad)))
    return problems


class Runner:
    def __init__(self, cli, inis):
        self.cli = cli
        self.inis = inis
        self.ini = inis["default"]
        self.sheets = {}

    def sheet(self, path, ini="default"):
        if (path, ini) not in self.sheets:
            try:
                self.sheets[path, ini] = reference.read_sheet(self.cli, path, self.inis[ini])
            except reference.ReductionError:
                self.sheets[path, ini] = (reference.DataNote(), [])
        return self.sheets[path, ini]

    def elements(self, path):
        note, rows = self.sheet(path)
        ini = reference.IniFile(self.ini)
        return reference.build_element_list(reference.extract_peaks(rows, ini.elem_width()))

    def expected(self, path, options, ini, cwd):
        args = reference.argument_parser().parse_args(["--cli", self.cli, path, "--ini",
                                                       self.inis[ini]] + options)
        full_path = os.path.join(cwd or os.getcwd(), path)
        note, rows = self.sheet(full_path, ini)
        note.path = os.fsencode(os.path.abspath(full_path))
        try:
            return (reference.reduce_sheet(note, rows, args, reference.IniFile(self.inis[ini])),
                    "")
        except reference.ReductionError as error:
            return None, str(error)

    def actual(self, path, options, ini, cwd, output):
        options = [output if option == "OUTPUT" else option for option in options]
        done = subprocess.run([self.cli, "reduce", path, "--ini", self.inis[ini]] + options,
                              capture_output=True, cwd=cwd)
        text = done.stdout
        if "--output" in options and done.returncode == 0:
            with open(output, "rb") as stream:
                text = stream.read()
            os.remove(output)
        return (text if done.returncode == 0 else None,
                done.stderr.decode("utf-8", "replace").strip())


def main(argv):
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--samples", required=True)
    parser.add_argument("--keep", help="folder to keep the synthetic files and INI in")
    parser.add_argument("--only", help="run only the cases whose name contains this")
    parser.add_argument("--verbose", action="store_true")
    args = parser.parse_args(argv)

    problems = check_reference()
    if problems:
        print("compare_reduce: the reference itself is wrong:\n  " + "\n  ".join(problems))
        return 1
    listing = subprocess.run([args.cli], capture_output=True).stderr.decode("utf-8", "replace")
    missing = [name for name in ("info", "reduce") if "tarnova-cli %s " % name not in listing]
    if missing:
        print("compare_reduce: tarnova-cli has no %s command; skipped" % " or ".join(missing))
        return SKIP

    with tempfile.TemporaryDirectory(prefix="tarnova-reduce-") as scratch:
        folder = args.keep or scratch
        os.makedirs(folder, exist_ok=True)
        inis = {}
        for key, text in (("default", INI_TEXT), ("nosets", INI_NO_SETS),
                          ("nameless", INI_NAMELESS), ("own", INI_OWN_SETTINGS),
                          ("narrow", INI_NARROW), ("height61", INI_HEIGHT_61),
                          ("height129", INI_HEIGHT_129)):
            inis[key] = os.path.join(folder, "reduce-%s.ini" % key)
            with open(inis[key], "w", newline="\r\n") as stream:
                stream.write(text)
        files = {name: os.path.abspath(os.path.join(args.samples, name))
                 for name in sorted(os.listdir(args.samples))}
        files.update(synthetic_files(folder))
        runner = Runner(os.path.abspath(args.cli), inis)

        failed, expected_failures, count = [], [], 0
        for each in cases(files, runner.elements):
            name, path, options = each["name"], each["path"], each["options"]
            if args.only and args.only not in name:
                continue
            count += 1
            want, want_error = runner.expected(path, options, each["ini"], each["cwd"])
            got, got_error = runner.actual(path, options, each["ini"], each["cwd"],
                                           os.path.join(folder, "output.ird"))
            if want is None or got is None:
                problems = [] if (want is None) == (got is None) else [
                    "reference: %s; tarnova-cli: %s" % (want_error or "IRD written",
                                                       got_error or "IRD written")]
            else:
                problems = compare_texts(want, got)
            known = next((why for key, why in EXPECTED_FAILURES.items() if key in name), None)
            if problems and known:
                expected_failures.append(name)
                print("XFAIL %s (%s)" % (name, known))
            elif problems:
                failed.append(name)
                print("FAIL  %s\n  tarnova-cli reduce %s %s\n  %s"
                      % (name, path, " ".join(options), "\n  ".join(problems)))
            elif known:
                print("XPASS %s (listed as: %s)" % (name, known))
            elif args.verbose:
                print("ok    %s" % name)
        print("%d cases: %d agree, %d differ, %d expected differences"
              % (count, count - len(failed) - len(expected_failures), len(failed),
                 len(expected_failures)))
        return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
