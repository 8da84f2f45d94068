#!/usr/bin/env python3
"""Writes one long argon measurement as a PKS file (deterministic), for timing large sheets.

PEAKS peaks of Ar36 to Ar40 in turn: runs of 15 cycles such as make_archive.py writes, one
after the other, each from a fresh pipette of air, so that every value stays in the range the
grid's default formats show.

    make_long_measurement.py FILE [--peaks N] [--seed S]
"""
import argparse
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_archive import pks_text  # noqa: E402
from make_samples import argon_cycles  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("file")
    parser.add_argument("--peaks", type=int, default=100000)
    parser.add_argument("--seed", type=int, default=1)
    arguments = parser.parse_args()
    rng = random.Random(arguments.seed)
    peaks = []
    start = 1.20
    while len(peaks) < arguments.peaks:
        peaks += argon_cycles(rng, 15, start)
        start += 15 * 0.75
    peaks = peaks[: arguments.peaks]
    with open(arguments.file, "wb") as out:
        out.write(pks_text(peaks, "AS-long air standard", "AR-LONG", "2026/11/30 09:00"))


if __name__ == "__main__":
    main()
