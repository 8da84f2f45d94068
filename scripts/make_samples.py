#!/usr/bin/env python3
"""Writes the synthetic sample measurements in samples/ (deterministic; rerun to refresh).

argon_air.pks / argon_air.dat   an air argon standard, Ar36 to Ar40 over 15 cycles
argon_micromass.asc             the same kind of run as a Micromass ASC export (usual analysis)
helium_micromass.asc            a helium standard as a Micromass ASC export (helium analysis)
argon_micromass.dat             an argon run as a Micromass DAT binary file
"""
import math
import os
import random
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLES = os.path.join(HERE, "..", "samples")

# Air: 40Ar/36Ar = 295.5, 38Ar/36Ar = 0.188; 37Ar and 39Ar are at the blank level.
AR40_START = 6.2153  # volts
ISOTOPES = ["Ar36", "Ar37", "Ar38", "Ar39", "Ar40"]
OFFSETS = [0.00, 0.13, 0.26, 0.39, 0.52]  # minutes into a cycle


def exponent_form(value, width, decimals):
    """printf "%*.*E" with an exponent of at least three digits."""
    text = "%.*E" % (decimals, value)
    mantissa, exponent = text.split("E")
    sign, digits = exponent[0], exponent[1:]
    return ("%sE%s%03d" % (mantissa, sign, int(digits))).rjust(width)


def argon_cycles(rng, cycles, start):
    """(label, time in minutes, value in volts) for every peak, in measurement order."""
    peaks = []
    for cycle in range(cycles):
        # The gas is slowly used up; mass fractionation drifts a little over the run.
        depletion = math.exp(-0.0021 * cycle)
        drift = 1.0 + 0.00011 * cycle
        ar40 = AR40_START * depletion
        ar36 = ar40 / 295.5 * drift
        ar38 = ar36 * 0.188 * (1.0 + 0.00004 * cycle)
        values = {
            "Ar36": ar36 * rng.gauss(1.0, 0.0018),
            "Ar37": rng.gauss(3.1e-4, 0.25e-4),
            "Ar38": ar38 * rng.gauss(1.0, 0.0045),
            "Ar39": rng.gauss(2.2e-4, 0.2e-4),
            "Ar40": ar40 * rng.gauss(1.0, 0.0004),
        }
        for label, offset in zip(ISOTOPES, OFFSETS):
            time = round(start + cycle * 0.75 + offset, 2)
            peaks.append((label, time, float("%.9g" % values[label])))
    return peaks


def pks_split(value):
    exponent = math.trunc(math.log10(value))
    scale = 10.0 ** exponent
    height = value / scale
    if height < 1.0:
        height *= 10.0
        scale /= 10.0
    return height, scale


def write(name, data):
    with open(os.path.join(SAMPLES, name), "wb") as out:
        out.write(data)


def make_argon_air(rng):
    peaks = argon_cycles(rng, 15, 1.20)
    comments = [
        ("Sample:", "AS-12 air standard, pipette 3"),
        ("Date:", "2026/11/24 10:42"),
        ("ID:", "AR-2611-03"),
        ("Comments:", "大気アルゴン標準、ピペット2回分。ブランク補正前。"),
        ("Operator:", "K. Tanabe"),
    ]
    lines = ['"%s","%s"' % (tag, text) for tag, text in comments]
    for label, time, value in peaks:
        lines.append('%5d,   %s, "%s"' % (round(time * 100), exponent_form(value, 15, 8), label))
    write("argon_air.pks", ("\r\n".join(lines) + "\r\n").encode("cp932"))

    lines = [
        '"AS-12 air standard, pipette 3","2026/11/24 10:42"',
        '"Atmospheric argon, two pipettes, before blank correction"',
        "0.000000",
        "0,0.000000,0.000000",
        "5,%d" % len(peaks),
        "0", "0", "0", "0",
    ]
    for label, time, value in peaks:
        height, scale = pks_split(value)
        lines.append("%d,%f,%f,%f" % (int(label[2:]), time, height, scale))
    write("argon_air.dat", ("\r\n".join(lines) + "\r\n").encode("ascii"))


def make_micromass_asc(rng):
    lines = [
        '"Noble Gas Suite - Argon Analysis" "Version 2.31"',
        '"Sample" "AS-13 air standard"',
        '"Date" "25/11/2026 14:05"',
        '"Operator" "KT"',
        '"Cycle" "Mass" "Peak" "Type" "Value" "Time"',
        '"" "" "" "" "(V)" "(s)"',
    ]
    masses = {"Ar36": 35.968, "Ar37": 36.967, "Ar38": 37.963, "Ar39": 38.964, "Ar40": 39.962}
    for cycle in range(1, 11):
        lines.append('"" "Cycle %d"' % cycle)
        for label, time, value in argon_cycles(rng, 1, 0.0):
            seconds = 40.0 * (cycle - 1) + 7.5 + 6.0 * ISOTOPES.index(label)
            baseline = rng.gauss(1.8e-5, 0.3e-5)
            for kind, reading in (("Raw Data", value + baseline), ("Corrected", value)):
                lines.append('"%3d" %.3f "%-11s" "%-11s" %.6E %.1f'
                             % (cycle, masses[label], label, kind, reading, seconds))
    lines.append("")
    lines.append("End of analysis")
    write("argon_micromass.asc", ("\r\n".join(lines) + "\r\n").encode("ascii"))


def make_helium_asc(rng):
    cycles = 11
    lines = [
        '"Noble Gas Suite - Helium Sample"',
        '"Sample" "HE-STD-07 helium standard"',
        '"Date" "26/11/2026 09:15"',
        '"Operator" "KT"',
        '"Runs" 1',
        '"Blocks" 1',
        '"Cycles" %d' % cycles,
        '"Standard" "" 2.7300E-01 "ncc STP"',
        '"Cycle" "3He Peak" "3He Base" "4He Peak" "4He Base" "HD" "Time"',
        '"" "(cps)" "(cps)" "(V)" "(V)" "(cps)" "(s)"',
    ]
    for cycle in range(1, cycles):
        decay = math.exp(-0.004 * cycle)
        he3 = 45.3 * decay * rng.gauss(1.0, 0.012)
        he4 = 2.3456 * decay * rng.gauss(1.0, 0.0006)
        lines.append('"%d" %.3f %.3f %.6f %.6f %.2f %.1f'
                     % (cycle, he3 + 0.41, rng.gauss(0.41, 0.05), he4 + 0.00123,
                        rng.gauss(0.00123, 0.00002), rng.gauss(3.1, 0.4), 12.5 + 25.0 * cycle))
    write("helium_micromass.asc", ("\r\n".join(lines) + "\r\n").encode("ascii"))


def make_micromass_dat(rng):
    cycles = 12
    header = b"&" + b"24 NOVEMBER 2026 1042" + b"AR261124"
    header += struct.pack("<dd", float(len(ISOTOPES)), float(cycles))
    items = b"".join(label.encode("ascii").ljust(5) + struct.pack("<d", 36.0 + i)
                     for i, label in enumerate(ISOTOPES))
    data = b""
    for label, time, value in argon_cycles(rng, cycles, 0.0):
        data += struct.pack("<dd", value, round(time * 60.0, 2))
    write("argon_micromass.dat", header + items + data)


def main():
    rng = random.Random(20261124)
    make_argon_air(rng)
    make_micromass_asc(rng)
    make_helium_asc(rng)
    make_micromass_dat(rng)


if __name__ == "__main__":
    main()
