#!/usr/bin/env python3
"""Reads the tidy table of a batch reduction back with Python's csv and json modules and
compares every value with the IRD that a single reduction of the same measurement writes.

    check_tidy_table.py --cli PATH/tarnova-cli --source SOURCE_DIR
"""
import argparse
import csv
import json
import math
import os
import shutil
import subprocess
import sys
import tempfile

CHOICE = ["--numerator", "Ar37", "--numerator", "Ar38", "--numerator", "Ar40",
          "--denominator", "Ar36", "--abundance", "Ar36", "--abundance", "Ar40"]
NUMBER_COLUMNS = {"intercept", "intercept_error", "confidence_level", "slope", "slope_error",
                  "mean", "stddev", "mean_limit", "r", "test_level"}
COUNT_COLUMNS = {"points", "active_points", "excluded_points"}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def run(cli, arguments, folder):
    return subprocess.run([cli, "reduce"] + arguments, cwd=folder, capture_output=True)


def same_number(value, ird_text):
    """Whether value prints as the IRD's "%E" text (seven significant digits)."""
    if "%.6E" % value == ird_text:
        return True
    expected = float(ird_text)  # an exact tie may round the other way
    unit = 10.0 ** (math.floor(math.log10(abs(expected))) - 6) if expected else 1e-300
    return abs(value - expected) <= 0.5 * unit * (1 + 1e-9)


def ird_records(text):
    """The record lines of an IRD text, as lists of fields."""
    lines = text.decode("cp932").split("\r\n")
    blank = lines.index("")
    return [line.split("\t") for line in lines[blank + 1:]
            if line and not line.startswith("#")]


def compare_record(row, fields, where):
    name, kind, mean, stddev, level, limit, r, test_level, r_test = fields[:9]
    fit = fields[9:16] if len(fields) == 17 else []
    flags = fields[-1]
    if name:
        check(row["record"] == name, "%s: record %r, IRD %r" % (where, row["record"], name))
    check(row["type"] == {"R": "ratio", "A": "abundance"}[kind], where + ": type")
    check(row["points"] == len(flags), "%s: points %r, IRD %d" % (where, row["points"], len(flags)))
    check(row["active_points"] == flags.count("1"), where + ": active points")
    check(row["excluded_points"] == 0, where + ": excluded points")
    pairs = [("mean", mean), ("stddev", stddev), ("confidence_level", level),
             ("mean_limit", limit), ("r", r), ("test_level", test_level)]
    if fit:
        pairs += [("intercept", fit[0]), ("intercept_error", fit[1]), ("slope", fit[2]),
                  ("slope_error", fit[3])]
        if row["slope_error"] is not None:  # the test of the line needs three points
            pairs += [("confidence_level", fit[4]), ("test_level", fit[5])]
        if row["slope_test"] is not None:
            check(row["slope_test"] == fit[6], where + ": slope test")
    else:
        check(row["intercept"] is None and row["slope"] is None, where + ": a line without fit")
    for column, text in pairs:
        value = row[column]
        if value is None:  # a value the record does not have: the IRD writes 0 for it
            check(float(text) == 0.0, "%s: %s empty, IRD %s" % (where, column, text))
        else:
            check(same_number(value, text), "%s: %s %r, IRD %s" % (where, column, value, text))
    if row["r_test"] is not None:
        check(row["r_test"] == r_test, where + ": r test")
    check(row["method"] in (None, "linear"), where + ": method")
    complete = row["status"] == "ok"
    check(complete == (row["slope_error"] is not None), where + ": status " + row["status"])


def csv_rows_as_json(path):
    """The CSV rows with the JSON types: numbers as numbers, empty cells as None."""
    with open(path, newline="", encoding="utf-8") as stream:
        rows = list(csv.DictReader(stream))
    for row in rows:
        for column, text in row.items():
            if text == "":
                row[column] = None
            elif column in COUNT_COLUMNS:
                row[column] = int(text)
            elif column in NUMBER_COLUMNS:
                row[column] = float(text)
                if not math.isfinite(row[column]):
                    row[column] = None  # JSON holds no NaN or Inf
    return rows


def make_archive(folder, source):
    subprocess.run([sys.executable, os.path.join(source, "scripts", "make_archive.py"), folder,
                    "--count", "24", "--damaged", "4", "--seed", "7"], check=True)
    for sample in ("argon_micromass.asc", "argon_micromass.dat", "argon_air.dat"):
        shutil.copy(os.path.join(source, "samples", sample), folder)
    # Two cycles: every record has a line but no errors; and an abundance of a label that
    # appears once.
    lines = ['"Sample:","two cycles, short"', '"ID:","S-2"']
    for cycle, (ar36, ar37, ar38, ar40) in enumerate([(0.021, 3e-4, 0.004, 6.2),
                                                      (0.0208, 3.1e-4, 0.0039, 6.19)]):
        for offset, (label, value) in enumerate([("Ar36", ar36), ("Ar37", ar37),
                                                 ("Ar38", ar38), ("Ar40", ar40)]):
            lines.append('%5d,   %.8E, "%s"' % (100 + cycle * 75 + offset * 13, value, label))
    lines.append('%5d,   %.8E, "Ar36"' % (400, 0.0207))
    with open(os.path.join(folder, "short.pks"), "wb") as out:
        out.write(("\r\n".join(lines) + "\r\n").encode("cp932"))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--source", required=True)
    arguments = parser.parse_args()
    cli = os.path.abspath(arguments.cli)
    work = tempfile.mkdtemp(prefix="tarnova_tidy_table_")
    try:
        archive = os.path.join(work, "archive")
        make_archive(archive, arguments.source)
        with open(os.path.join(work, "TARNOVA.INI"), "w") as ini:
            ini.write("[regression]\r\nconf95=true\r\n")
        common = CHOICE + ["--ini", "TARNOVA.INI", "--jobs", "2"]
        batch = run(cli, ["archive", "--table", "t.csv", "--output", "ird"] + common, work)
        check(batch.returncode == 1, "exit status %d with damaged files" % batch.returncode)
        json_run = run(cli, ["archive", "--table", "t.json", "--quiet"] + common, work)
        check(json_run.returncode == 1 and json_run.stderr.count(b"\n") >= 5,
              "JSON run: %d, %r" % (json_run.returncode, json_run.stderr))
        stdout_run = run(cli, ["archive", "--table", "-", "--table-format", "json"] + common, work)
        with open(os.path.join(work, "t.json"), "rb") as stream:
            check(stdout_run.stdout == stream.read(), "--table - differs from the table file")
        with open(os.path.join(work, "t.json"), encoding="utf-8") as stream:
            json_rows = json.load(stream)
        csv_rows = csv_rows_as_json(os.path.join(work, "t.csv"))
        check(len(csv_rows) == len(json_rows), "the CSV and JSON tables differ in length")
        for csv_row, json_row in zip(csv_rows, json_rows):
            check(csv_row == json_row, "CSV %r, JSON %r" % (csv_row, json_row))
        check(len(json_rows) > 100, "only %d rows" % len(json_rows))

        names = sorted(name for name in os.listdir(archive))
        files = []
        for row in json_rows:
            if not files or files[-1] != row["file"]:
                files.append(row["file"])
        check(files == ["archive/" + name for name in names], "rows not in the order of names")
        reduced = 0
        for name in names:
            path = "archive/" + name
            rows = [row for row in json_rows if row["file"] == path]
            single = run(cli, [path, "--output", "single.IRD"] + CHOICE + ["--ini", "TARNOVA.INI"],
                         work)
            if single.returncode != 0:
                check(len(rows) == 1 and rows[0]["status"].startswith("failed: "),
                      path + ": a failed measurement gives one failed row")
                check(path.encode() + b": " in batch.stderr, path + ": not named on stderr")
                continue
            reduced += 1
            with open(os.path.join(work, "single.IRD"), "rb") as stream:
                single_ird = stream.read()
            stem = os.path.splitext(name)[0]
            irds = [os.path.join(work, "ird", stem + ".IRD"),
                    os.path.join(work, "ird", name + ".IRD")]
            written = [p for p in irds if os.path.exists(p)]
            check(len(written) == 1, path + ": IRD file not written")
            if written:
                with open(written[0], "rb") as stream:
                    check(stream.read() == single_ird, path + ": the IRD differs from its own")
            records = ird_records(single_ird)
            check(len(rows) == len(records), "%s: %d rows, %d records" %
                  (path, len(rows), len(records)))
            for number, (row, fields) in enumerate(zip(rows, records)):
                compare_record(row, fields, "%s record %d" % (path, number))
            check(rows[0]["format"] in ("PKS", "DAT", "Micromass ASC", "Micromass DAT"),
                  path + ": format")
        check(reduced >= 20, "only %d measurements reduced" % reduced)
        short = [row for row in json_rows if row["file"] == "archive/short.pks"]
        check(short and short[0]["sample"] == "two cycles, short" and short[0]["id"] == "S-2",
              "sample and ID of short.pks")
        check(any(row["status"] == "no errors: two active points" for row in short),
              "short.pks has records without errors")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for failure in failures[:40]:
        print("FAIL:", failure)
    print("%d problems" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
