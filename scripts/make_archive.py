#!/usr/bin/env python3
"""Writes an archive of typical argon measurements for batch reductions (deterministic).

Each measurement is 15 cycles of Ar36 to Ar40, 75 peaks, as a PKS file (with --dat-every D
every D-th one as a DAT file, whose labels are mass numbers), with its own sample, ID and date,
and slowly drifting signals; with
--numerator Ar37 --numerator Ar38 --numerator Ar39 --numerator Ar40 --denominator Ar36
--abundance Ar36 --abundance Ar40 each gives 6 records. --damaged K replaces K of them, spread
over the archive, by damaged files of several kinds; --folders F spreads them over F
subfolders.

    make_archive.py FOLDER [--count N] [--damaged K] [--folders F] [--dat-every D] [--seed S]
"""
import argparse
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_samples import argon_cycles, exponent_form, pks_split  # noqa: E402


def pks_text(peaks, sample, ident, date):
    comments = [("Sample:", sample), ("ID:", ident), ("Date:", date),
                ("Comments:", "大気アルゴン、ピペット1回分。")]
    lines = ['"%s","%s"' % pair for pair in comments]
    for label, time, value in peaks:
        lines.append('%5d,   %s, "%s"' % (round(time * 100), exponent_form(value, 15, 8), label))
    return ("\r\n".join(lines) + "\r\n").encode("cp932")


def dat_text(peaks, sample, date):
    lines = ['"%s","%s"' % (sample, date), '"generated for a batch reduction"', "0.000000",
             "0,0.000000,0.000000", "5,%d" % len(peaks), "0", "0", "0", "0"]
    for label, time, value in peaks:
        height, scale = pks_split(value)
        lines.append("%d,%f,%f,%f" % (int(label[2:]), time, height, scale))
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


def damaged(kind, good):
    """A damaged file of the given kind, made from a good one."""
    if kind == 0:
        return good[: len(good) // 3]  # cut off in the middle of a line
    if kind == 1:
        return bytes(random.Random(len(good)).randrange(256) for _ in range(700))  # noise
    if kind == 2:
        return b""  # empty
    if kind == 3:
        return good.replace(b"E-00", b"X-00", 7)  # peak values that do not scan
    return good.split(b"\r\n")[0] + b"\r\n"  # a header without peaks


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("folder")
    parser.add_argument("--count", type=int, default=100)
    parser.add_argument("--damaged", type=int, default=0)
    parser.add_argument("--folders", type=int, default=1)
    parser.add_argument("--dat-every", type=int, default=0)
    parser.add_argument("--seed", type=int, default=1)
    arguments = parser.parse_args()
    rng = random.Random(arguments.seed)
    spacing = arguments.count // arguments.damaged if arguments.damaged else 0
    for index in range(arguments.count):
        folder = arguments.folder
        if arguments.folders > 1:
            folder = os.path.join(folder, "day%02d" % (index % arguments.folders))
        os.makedirs(folder, exist_ok=True)
        peaks = argon_cycles(rng, 15, round(rng.uniform(0.5, 2.0), 2))
        sample = "AS-%04d air standard" % index
        date = "2026/11/%02d %02d:%02d" % (1 + index % 28, index % 24, index % 60)
        if arguments.dat_every and index % arguments.dat_every == arguments.dat_every - 1:
            name, data = "run%05d.dat" % index, dat_text(peaks, sample, date)
        else:
            name, data = "run%05d.pks" % index, pks_text(peaks, sample, "AR-%05d" % index, date)
        if spacing and index % spacing == spacing // 2 and index // spacing < arguments.damaged:
            data = damaged(index // spacing % 5, data)
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
