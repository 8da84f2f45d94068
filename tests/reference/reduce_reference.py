#!/usr/bin/env python3
"""Independent reduction of a peak file to isotope-ratio data (IRD).

Written apart from the C++ calculation, to check `tarnova-cli reduce` against it: the peak rows
come from `tarnova-cli info` (so the file readers are not written twice): the cell texts, which
tell the peak rows, and with --exact the labels and values the file gave, at full precision.
Everything after that (the peak list, the element list, the records, the corrections, the data
points, the statistics, the line and its tests, the IRD text) is done here again. The
fits beyond the line (--fit parabolic, exponential, mean, auto) are numpy's least squares and
scipy's curve_fit.

Percentage points of t and F are the true ones (scipy.stats). Floating-point steps follow the
order of the operations of the reduction, so that rounding agrees to far below six digits.

Command line: the same as `tarnova-cli reduce`, with --cli naming the tarnova-cli to ask for
the rows:
  reduce_reference.py --cli PATH FILE [--ini INI] [--numerator L]... [--denominator L]...
      [--abundance L]... [--all-numerators] [--all-abundances] [--conf95|--conf68]
      [--stddev|--unbiased] [--test-level PCT] [--correction SET] [--fit METHOD]
      [--output-flags LIST]
      [--output OUT]
"""

import argparse
import decimal
import math
import os
import re
import subprocess
import sys

from scipy import stats

INF = float("inf")
# The processor's default NaN of an invalid operation (0/0, the root of a negative number) has
# its sign bit set; the C library prints it as "-NAN".
NAN = -float("nan")

METHOD_NAME = "一次回帰".encode("cp932")
METHOD_HEADS = b"intercept\terror\tangle\terror\tconf. level\ttest level\ttest"
RECORD_HEADS = (b"record name\trecord type(R or A)\taverage\tstddev\tconflevel\tconflimit\tr"
                b"\ttestlevel\ttest")

# calcFlags bits
ALL_NUMERATORS = 0x1
ALL_ABUNDANCES = 0x2
CONF95 = 0x100
USE_STDDEV = 0x1000
CORRECT = 0x2000

# output flags
HEADER = 0x1
COMMENT = 0x2
GUIDE_COMMENT = 0x100
OUTPUT_FLAG_NAMES = {"header": HEADER, "comment": COMMENT, "guidecomment": GUIDE_COMMENT}

# status bits of a record
NO_ITEM = 0x1
STATS = 0x10
STATS_PAIRS = 0x20
LINE = 0x40
LINE_ERRORS = 0x80

DISABLED = 0x1
# Why a peak is disabled, beside DISABLED; neither: by hand.
BY_FILTER = 0x2
BY_CORRECTION = 0x4
REASONS = {b"hand": DISABLED, b"filter": DISABLED | BY_FILTER,
           b"correction": DISABLED | BY_CORRECTION}
# The tags of the entries a measurement keeps of its reduction.
EXCLUDED_TAG = b"#tarnova:excluded"
STORED_TAGS = (EXCLUDED_TAG, b"#tarnova:method", b"#tarnova:filter")


class ReductionError(Exception):
    """The reduction stops, as the program would with a message and no results."""


# --- IEEE double arithmetic where Python would raise -------------------------------------------

def div(a, b):
    try:
        return a / b
    except ZeroDivisionError:
        if a == 0 or math.isnan(a):
            return NAN
        return math.copysign(INF, a) * math.copysign(1.0, b)


def sqrt(x):
    if math.isnan(x) or x < 0:
        return NAN
    return math.sqrt(x)


# --- C library conversions ------------------------------------------------------------------

C_SPACE = " \t\n\v\f\r"
_STRTOD = re.compile(r"[ \t\n\v\f\r]*([+-]?(?:(?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?"
                     r"|inf(?:inity)?|nan(?:\([0-9A-Za-z_]*\))?))", re.IGNORECASE)


def strtod_prefix(text):
    """Value and length of the longest leading decimal number, as strtod takes it; (0, 0) when
    the text does not start with a number."""
    match = _STRTOD.match(text)
    if not match:
        return 0.0, 0
    body = match.group(1)
    lower = body.lower().lstrip("+-")
    if lower.startswith("nan"):
        value = NAN
    elif lower.startswith("inf"):
        value = -INF if body.startswith("-") else INF
    else:
        value = float(body)
    return value, match.end()


def atof(text):
    return strtod_prefix(text)[0]


def away_from_zero(value, significant):
    """value, or the next double away from zero when its exact decimal expansion lies exactly
    half way between two numbers of `significant` significant digits: the program rounds such
    a tie away from zero, where printf (and Python's %) round it to even."""
    if value == 0 or math.isnan(value) or math.isinf(value):
        return value
    with decimal.localcontext() as context:
        context.prec = 2000
        exact = decimal.Decimal(value)
        scaled = abs(exact.scaleb(significant - 1 - exact.adjusted()))
        if scaled - scaled.to_integral_value(rounding=decimal.ROUND_FLOOR) == decimal.Decimal(
                "0.5"):
            return math.nextafter(value, math.copysign(INF, value))
    return value


def c_format(fmt, value):
    """printf-style text as the C library writes it (NaN and infinity in its spelling), with
    exact ties of %E and %G rounded away from zero as the program writes them."""
    if isinstance(value, float) and fmt in ("%E", "%.6E"):
        value = away_from_zero(value, 7)
    elif isinstance(value, float) and fmt == "%G":
        value = away_from_zero(value, 6)
    if isinstance(value, float) and (math.isnan(value) or math.isinf(value)):
        upper = fmt[-1].isupper()
        word = "nan" if math.isnan(value) else "inf"
        sign = "-" if math.copysign(1.0, value) < 0 else ""
        text = sign + (word.upper() if upper else word)
        width = re.match(r"%(\d*)", fmt).group(1)
        return text.rjust(int(width)) if width else text
    return fmt % value


# --- INI file, with the platform's private-profile rules ------------------------------------

class IniFile:
    def __init__(self, path):
        self.sections = []  # [(name, [(key, value)])] in file order
        if path is None or not os.path.isfile(path):
            return
        with open(path, "rb") as stream:
            data = stream.read()
        current = None
        for raw in data.replace(b"\r\n", b"\n").split(b"\n"):
            line = raw.decode("latin-1").strip()
            if line.startswith("["):
                end = line.find("]")
                name = line[1:end] if end > 0 else line[1:]
                current = (name.strip(), [])
                self.sections.append(current)
            elif current is not None and "=" in line:
                key, value = line.split("=", 1)
                current[1].append((key.strip(), value.strip()))

    def _section(self, section):
        for name, keys in self.sections:
            if name.lower() == section.lower():
                return keys
        return None

    def read(self, section, key):
        keys = self._section(section)
        if keys is None:
            return None
        for name, value in keys:
            if name.lower() == key.lower():
                return value
        return None

    def keys(self, section):
        keys = self._section(section)
        return [name for name, _ in keys] if keys else []

    def read_bool(self, section, key, default):
        text = self.read(section, key)
        if text is None or text == "==nothing==":
            return default
        if text.upper() in ("TRUE", "YES") or text == "1":
            return True
        if text.upper() in ("FALSE", "NO") or text == "0":
            return False
        return default

    def read_number(self, section, key, default):
        text = self.read(section, key)
        if text is None:
            return default
        value, used = strtod_prefix(text)
        if used == 0 or used != len(text) or text[0] in C_SPACE:
            return default
        return value

    def read_int(self, section, key, default):
        text = self.read(section, key)
        if text is None:
            return default
        match = re.match(r"[ \t]*([+-]?\d+)", text)
        return int(match.group(1)) if match else 0

    def elem_width(self):
        """Width of the Elem column: the [peakeditor] elem key, read as a column format; a width
        the grid refuses leaves the built-in 7."""
        text = self.read("peakeditor", "elem")
        if text is None:
            return 7
        match = re.fullmatch(r"(\d+)\.(\d+)", text) or re.fullmatch(r"(\d+)\.?()", text)
        if not match:
            return 7
        width = int(match.group(1))
        decimals = int(match.group(2) or 0)
        return width if width >= 1 and decimals == 0 else 7


# --- the sheet as `tarnova-cli info` shows it -----------------------------------------------

class DataNote:
    def __init__(self):
        self.form = None  # "DAT", "PKS" or None (no note)
        self.path = None  # bytes
        self.tags = []  # PKS form: [(tag bytes, text bytes)]
        self.fields = {}  # DAT form: NAME, DATE, COMMENT (bytes), SPIKEID (int), WEIGHT, ...


def _unescape(text):
    """The document's bytes (code page 932) of a note text that `info` printed either as they
    are or converted to UTF-8."""
    raw = text.encode("utf-8", "surrogateescape")
    if any("\udc80" <= character <= "\udcff" for character in text):
        return raw
    try:
        return text.encode("cp932")
    except UnicodeEncodeError:
        return raw


def read_sheet(cli, path, ini_path=None, file_format=None):
    """Runs `tarnova-cli info` without and with --exact and returns (DataNote, rows); a row is
    the five cell texts Elem, Time, Height, Range, Peak and the row as --exact prints it: the
    label and the four values at full precision (empty for a row that holds nothing)."""
    outputs = []
    for extra in ([], ["--exact"]):
        command = [cli, "info", path] + extra
        if ini_path:
            command += ["--ini", ini_path]
        if file_format:
            command += ["--format", file_format]
        done = subprocess.run(command, capture_output=True)
        if done.returncode != 0:
            raise ReductionError("info failed: " + done.stderr.decode("utf-8", "replace").strip())
        outputs.append(parse_info(done.stdout))
    (note, cells), (_, exact) = outputs
    if len(exact) != len(cells):
        raise ReductionError("info --exact printed another number of rows")
    return note, [(row, values) for row, values in zip(cells, exact)]


def parse_info(output):
    """The note and the rows of the text of `info`: "format", "note" with PKS, DAT or none, the
    note's lines (a tag and its text, or the DAT fields by name), "rows" with their number, and
    one line of five tab-separated cell texts per row."""
    note = DataNote()
    lines = output.decode("utf-8", "surrogateescape").split("\n")
    index = 0
    while index < len(lines) and not lines[index].startswith("note\t"):
        index += 1
    if index == len(lines):
        raise ReductionError("info printed no note line")
    form = lines[index].split("\t", 1)[1].strip()
    note.form = form if form in ("PKS", "DAT") else None
    index += 1
    while index < len(lines) and not re.fullmatch(r"rows\t\d+", lines[index]):
        name, _, text = lines[index].partition("\t")
        if note.form == "PKS":
            note.tags.append((_unescape(name), _unescape(text)))
        elif name in ("NAME", "DATE", "COMMENT"):
            note.fields[name] = _unescape(text)
        elif name == "SPIKEID":
            note.fields[name] = int(text)
        elif name in ("WEIGHT", "SPIKEVOL", "SPIKEERROR"):
            note.fields[name] = float(text)
        index += 1
    if index == len(lines):
        raise ReductionError("info printed no rows line")
    count = int(lines[index].split("\t")[1])
    rows = [line.split("\t") if line else [] for line in lines[index + 1:index + 1 + count]]
    if len(rows) != count or any(len(row) not in (0, 5) for row in rows):
        raise ReductionError("info printed malformed rows")
    return note, rows


# --- peak list and element list ---------------------------------------------------------------

LABEL_CHARACTERS = set("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                       "+,-./:;<=!#$%& ")
LABEL_LIMIT = 29


class Peak:
    __slots__ = ("time", "height", "range", "flags", "elem")

    def __init__(self, elem, time, height, range_, flags=0):
        self.elem = elem
        self.time = time
        self.height = height
        self.range = range_
        self.flags = flags

    def value(self):
        return self.height * self.range


def recognise_label(text):
    rest = text.lstrip(C_SPACE)
    length = 0
    while length < len(rest) and rest[length] in LABEL_CHARACTERS:
        length += 1
    return rest[:length][:LABEL_LIMIT]


def extract_peaks(rows, elem_width):
    """The peak rows: a row whose label field does not end in a blank, with the recognised part
    of the label and the values the file gave, whatever the cells show."""
    peaks = []
    for cells, exact in rows:
        elem_text = cells[0] if cells else ""
        mark = elem_text[elem_width - 1] if len(elem_text) >= elem_width else "\0"
        if mark == " " or not exact:
            continue
        label = recognise_label(exact[0])
        if not label:
            raise ReductionError("Impossible to recognize name.")
        peaks.append(Peak(label, float(exact[1]), float(exact[2]), float(exact[3])))
    if not peaks:
        raise ReductionError("No peak in editor.")
    return peaks


def sort_peaks(peaks):
    return sorted(peaks, key=lambda peak: peak.time)


def build_element_list(peaks):
    labels = []
    for peak in peaks:
        if peak.elem not in labels:
            labels.append(peak.elem)
    return sorted(labels, key=lambda label: label.encode("latin-1"))


# --- records ------------------------------------------------------------------------------------

class LineFit:
    def __init__(self):
        for name in ("slope", "slopeErrorPlain", "slopeError", "intercept", "interceptErrorPlain",
                     "interceptError", "residualPerPoint", "residualVariance",
                     "regressionPerPoint", "regressionVariance", "tLine", "errorRatio", "a11",
                     "a12", "a22", "checkLevel", "fValue", "fCritical"):
            setattr(self, name, 0.0)


class Record:
    def __init__(self, numerator, denominator):
        self.numerator = numerator
        self.denominator = denominator
        self.sheetName = ""
        self.status = 0
        for name in ("mean", "variance", "varianceUnbiased", "stdDev", "stdDevUnbiased",
                     "maxValue", "minValue", "sumSquares", "meanTime", "varianceTime",
                     "varianceTimeUnbiased", "stdDevTime", "stdDevTimeUnbiased", "maxTime",
                     "minTime", "sumSquaresTime", "covariance", "r", "tOfR", "tCritical",
                     "alpha", "tLimit", "checkLevel"):
            setattr(self, name, 0.0)
        self.points = None  # [(time, value, flags)]
        self.activeCount = 0
        self.fit = None


def create_records(elements, selection):
    numerators = [e for e in elements if selection[e] & 0x1]
    denominators = [e for e in elements if selection[e] & 0x2]
    abundances = [e for e in elements if selection[e] & 0x4]
    if len(numerators) * len(denominators) + len(abundances) < 1:
        raise ReductionError("No result.")
    records = [Record(label, "") for label in abundances]
    for denominator in denominators:
        for numerator in numerators:
            if numerator != denominator:
                records.append(Record(numerator, denominator))
    return records


# --- interference correction ------------------------------------------------------------------

_ITEM = re.compile(r"([^,]+),([^,]+),")


def parse_correction_item(text):
    """The item pattern "%[^,],%[^,],%lf": corrected label, interfering label and factor."""
    match = _ITEM.match(text)
    if not match:
        return None
    value, used = strtod_prefix(text[match.end():])
    if used == 0:
        return None
    return match.group(1), match.group(2), value


def correction_item_count(ini, set_name):
    """How many items a set has: its count, or its last present item where that comes first;
    -1 when section "interferance" counts none for it."""
    count = ini.read_int("interferance", set_name, -1) if ini.read(
        "interferance", set_name) is not None else -1
    if count < 1:
        return -1
    numbers = [int(key[4:]) for key in ini.keys(set_name)
               if key.lower().startswith("item") and key[4:].isdigit() and key[4] != "0"]
    return min(count, max(numbers, default=0))


def apply_corrections(peaks, ini, set_name):
    count = correction_item_count(ini, set_name)
    if count < 0:
        return 0
    for k in range(1, count + 1):
        text = ini.read(set_name, "item%d" % k)
        item = parse_correction_item(text if text is not None else " --NOENTORY-- ")
        if item is None:
            continue
        corrected, interfering, factor = item
        last = before_last = None
        met = 0
        for i, peak in enumerate(peaks):
            if peak.elem == interfering:
                met += 1
                before_last, last = last, i
                if before_last is None:
                    continue
                b0, b1 = peaks[before_last], peaks[last]
                for j in range(before_last + 1, last):
                    target = peaks[j]
                    if target.elem != corrected:
                        continue
                    if target.range != 1:
                        target.height = target.height * target.range
                        target.range = 1.0
                    signal = (div(b1.value() - b0.value(), b1.time - b0.time)
                              * (target.time - b0.time) + b0.value())
                    target.height = target.height - factor * signal
            elif met == 0 and peak.elem == corrected:
                peak.flags |= DISABLED | BY_CORRECTION
        if met >= 2:
            for peak in peaks[last + 1:]:
                if peak.elem == corrected:
                    peak.flags |= DISABLED | BY_CORRECTION
    return 1


# --- data points, statistics and the line -------------------------------------------------------

def build_ratio_points(peaks, numerator, denominator):
    points = []
    previous = None
    for i, peak in enumerate(peaks):
        if peak.elem != denominator or peak.flags & DISABLED:
            continue
        if previous is not None:
            before = peaks[previous]
            slope = div(peak.value() - before.value(), peak.time - before.time)
            for j in range(previous + 1, i):
                target = peaks[j]
                if target.elem != numerator or target.flags & DISABLED:
                    continue
                d = (target.time - before.time) * slope + before.value()
                points.append((target.time, div(target.value(), d), 0))
        previous = i
    return points or None


def build_abundance_points(peaks, label):
    points = [(peak.time, peak.value(), peak.flags)
              for peak in peaks if peak.elem == label]
    return points or None


# --- stored exclusions ----------------------------------------------------------------------

def hundredths(time):
    """A time as a PKS file writes it: whole hundredths, fractions cut off."""
    scaled = time * 100
    nearest = round(scaled)
    return nearest if abs(scaled - nearest) <= 1e-9 * max(1.0, abs(scaled)) \
        else math.trunc(scaled)


def parse_exclusion(text, reason_required):
    """(label, hundredths, flags) of "LABEL@TIME REASON" (or "LABEL@TIME", by hand)."""
    match = re.fullmatch(rb"(.+)@(-?)(\d+)(?:\.(\d{1,2}))?(?: (hand|filter|correction))?", text)
    if not match or len(match.group(1)) > LABEL_LIMIT or (reason_required and
                                                          not match.group(5)):
        return None
    time = int(match.group(3)) * 100 + int((match.group(4) or b"0").ljust(2, b"0"))
    return (match.group(1).decode("cp932"), -time if match.group(2) else time,
            REASONS[match.group(5) or b"hand"])


def exclude_peaks(peaks, exclusions):
    """Disables the peak each exclusion names (the first of its label and time not taken yet,
    labels compared as recognised); the exclusions that name none."""
    taken = set()
    unmatched = []
    for label, time, flags in exclusions:
        for i, peak in enumerate(peaks):
            if i not in taken and peak.elem == (recognise_label(label) or label) \
                    and hundredths(peak.time) == time:
                taken.add(i)
                peak.flags = flags
                break
        else:
            unmatched.append((label, time))
    return unmatched


def exclusion_count(record, peaks):
    """Points of record excluded by hand and by the filter: its disabled points and, for a
    ratio, its disabled numerator peaks between two enabled denominator peaks."""
    counts = [0, 0]

    def count(flags):
        if flags & BY_FILTER:
            counts[1] += 1
        elif not flags & BY_CORRECTION:
            counts[0] += 1
    if record.points is None:
        return counts
    for _, _, flags in record.points:
        if flags & DISABLED:
            count(flags)
    if record.denominator:
        pending = []
        after = False
        for peak in peaks:
            if peak.elem == record.denominator and not peak.flags & DISABLED:
                if after:
                    for flags in pending:
                        count(flags)
                pending, after = [], True
            elif after and peak.elem == record.numerator and peak.flags & DISABLED:
                pending.append(peak.flags)
    return counts


def t_quantile(p, df):
    """t with P(T > t) = p; 0 for p = 0 (the program's rule); negative (failure) without a
    degree of freedom or for a p that is no probability."""
    if df < 1 or not 0 <= p <= 1:
        return -1.0
    if p == 0:
        return 0.0
    return float(stats.t.isf(p, df))


def f_quantile(p, m, n):
    """f with P(F > f) = p; 0 for p = 0; negative (failure) as t_quantile."""
    if m < 1 or n < 1 or not 0 <= p <= 1:
        return -1.0
    if p == 0:
        return 0.0
    return float(stats.f.isf(p, m, n))


def corrected_mean(mean, deviation_sum, n):
    """The first mean plus the mean deviation from it; an infinite value keeps it infinite."""
    correction = deviation_sum / n
    return mean + correction if math.isfinite(correction) else mean


def corrected_squares(squares, deviation_sum, n):
    """A centred sum of squares corrected to the improved mean; below zero it is no spread."""
    corrected = squares - deviation_sum * deviation_sum / n
    return 0.0 if corrected < 0 else corrected


def correlation_t(r, freedom):
    """|r| sqrt(f / (1 - r^2)): 0 without freedom (two points), infinite for a perfect line."""
    if freedom == 0:
        return 0.0
    unexplained = 1 - r * r
    return abs(r * sqrt(div(float(freedom), 0.0 if unexplained < 0 else unexplained)))


def compute_statistics(record):
    record.status &= ~0xFFFF
    record.sheetName = ("%s/%s" % (record.numerator, record.denominator)
                        if record.denominator else record.numerator)
    sy = sx = syy = sxx = 0.0
    n = 0
    for time, value, flags in record.points:
        if flags & DISABLED:
            continue
        sy += value
        sx += time
        syy += value * value
        sxx += time * time
        if n == 0:
            record.maxValue = record.minValue = value
            record.maxTime = record.minTime = time
        else:
            record.maxValue = value if value > record.maxValue else record.maxValue
            record.minValue = value if value < record.minValue else record.minValue
            record.maxTime = time if time > record.maxTime else record.maxTime
            record.minTime = time if time < record.minTime else record.minTime
        n += 1
    record.activeCount = n
    if n < 1:
        record.status |= NO_ITEM
        record.sheetName = ""
        return 0
    # Second pass: sums about the first means, corrected by the mean deviation from them (the
    # corrected two-pass algorithm).
    first_mean, first_mean_time = sy / n, sx / n
    dy_sum = dx_sum = squares_y = squares_x = products = 0.0
    for time, value, flags in record.points:
        if flags & DISABLED:
            continue
        dy = value - first_mean
        dx = time - first_mean_time
        dy_sum += dy
        dx_sum += dx
        squares_y += dy * dy
        squares_x += dx * dx
        products += dx * dy
    record.mean = corrected_mean(first_mean, dy_sum, n)
    record.meanTime = corrected_mean(first_mean_time, dx_sum, n)
    squares_y = corrected_squares(squares_y, dy_sum, n)
    squares_x = corrected_squares(squares_x, dx_sum, n)
    products = products - dx_sum * dy_sum / n
    record.variance = squares_y / n
    record.varianceTime = squares_x / n
    record.stdDev = sqrt(record.variance)
    record.stdDevTime = sqrt(record.varianceTime)
    record.sumSquares = syy
    record.sumSquaresTime = sxx
    record.covariance = products / n
    record.status |= STATS
    if n == 1:
        return 1
    record.varianceUnbiased = squares_y / (n - 1)
    record.varianceTimeUnbiased = squares_x / (n - 1)
    record.stdDevUnbiased = sqrt(record.varianceUnbiased)
    record.stdDevTimeUnbiased = sqrt(record.varianceTimeUnbiased)
    record.tLimit = t_quantile(record.alpha / 2, n - 1)
    record.r = div(record.covariance, record.stdDev * record.stdDevTime)
    record.tOfR = correlation_t(record.r, n - 2)
    record.tCritical = t_quantile((1 - record.checkLevel) / 2, n - 2)
    record.status |= STATS_PAIRS
    return 1


def fit_line(record):
    record.fit = LineFit()
    fit = record.fit
    n = record.activeCount
    if n < 2:
        return 0
    fit.slope = div(record.covariance, record.varianceTime)
    fit.intercept = record.mean - fit.slope * record.meanTime
    record.status |= LINE
    if n == 2:
        return 1
    time_spread = n * record.varianceTime
    fit.a11 = div(record.varianceTime + record.meanTime * record.meanTime, time_spread)
    fit.a12 = div(-record.meanTime, time_spread)
    fit.a22 = div(1.0, time_spread)
    fit.tLine = t_quantile(record.alpha / 2, n - 2)
    se = sr = 0.0
    for time, value, flags in record.points:
        if flags & DISABLED:
            continue
        fitted_deviation = fit.slope * (time - record.meanTime)
        residual = (value - record.mean) - fitted_deviation
        se += residual * residual
        sr += fitted_deviation * fitted_deviation
    fit.residualVariance = se / (n - 2)
    fit.regressionVariance = sr / (n - 2)
    fit.residualPerPoint = se / n
    fit.regressionPerPoint = sr / n
    fit.errorRatio = sqrt(div(fit.residualPerPoint, fit.regressionPerPoint))
    fit.slopeErrorPlain = sqrt(fit.residualPerPoint * fit.a22)
    fit.slopeError = sqrt(fit.residualVariance * fit.a22)
    fit.interceptErrorPlain = sqrt(fit.residualPerPoint * fit.a11)
    fit.interceptError = sqrt(fit.residualVariance * fit.a11)
    fit.fValue = div(fit.regressionPerPoint, fit.residualPerPoint / (n - 2))
    fit.fCritical = f_quantile(1 - record.checkLevel, 1, n - 2)
    fit.checkLevel = record.checkLevel
    record.status |= LINE_ERRORS
    return 1


# --- fits beyond the line (numpy and scipy) ----------------------------------------------------

METHODS = {"linear": 0, "parabolic": 1, "exponential": 2, "mean": 3, "auto": 4}
METHOD_NAMES = ["一次回帰", "二次回帰", "指数回帰", "平均", "自動"]
CURVE_HEADS = {
    1: b"intercept\terror\tb1\terror\tb2\terror\tconf. level\ttest level\ttest",
    2: b"intercept\terror\ta\terror\tb\terror\tc\terror\tconf. level",
    3: b"intercept\terror\tconf. level",
}


def active_points(record):
    import numpy
    pairs = [(time, value) for time, value, flags in record.points if not flags & DISABLED]
    return numpy.array([p[0] for p in pairs]), numpy.array([p[1] for p in pairs])


def take_curve(record, fit, coefficients, covariance, value, variance, squares, parameters):
    n = record.activeCount
    freedom = n - parameters
    fit.coefficients = list(coefficients)
    fit.covariance = covariance
    fit.intercept = value
    fit.interceptError = math.sqrt(max(variance, 0.0))
    fit.interceptErrorPlain = fit.interceptError * math.sqrt(freedom / n)
    fit.residualPerPoint = squares / n
    fit.checkLevel = record.checkLevel
    fit.parameters = parameters
    record.status |= LINE
    if freedom > 0:
        fit.residualVariance = squares / freedom
        fit.tLine = t_quantile(record.alpha / 2, freedom)
        record.status |= LINE_ERRORS


def fit_parabola(record, fit):
    """numpy's least squares of 1, t, t^2 and s^2 (X^T X)^-1."""
    import numpy
    t, y = active_points(record)
    fit.method = 1
    fit.curvatureT = fit.curvatureTCritical = 0.0
    if len(t) < 3 or len(set(t)) < 3:
        return 0
    design = numpy.vstack([numpy.ones_like(t), t, t * t]).T
    scale = numpy.array([1.0, 1.0 / max(abs(t)), 1.0 / max(abs(t)) ** 2])
    b, *_ = numpy.linalg.lstsq(design * scale, y, rcond=None)
    b = b * scale
    squares = float(numpy.sum((y - design @ b) ** 2))
    freedom = len(t) - 3
    s2 = squares / freedom if freedom > 0 else 0.0
    inverse = numpy.linalg.inv((design * scale).T @ (design * scale))
    covariance = s2 * (scale[:, None] * inverse * scale[None, :])
    fit.method = 1
    take_curve(record, fit, b, covariance, float(b[0]), float(covariance[0, 0]), squares, 3)
    if record.status & LINE_ERRORS:
        fit.curvatureT = abs(b[2]) / math.sqrt(covariance[2, 2])
        fit.curvatureTCritical = t_quantile((1 - record.checkLevel) / 2, freedom)
    return 1


def fit_exponential(record, fit):
    """scipy's curve_fit of a exp(-b t) + c, with the analytic Jacobian."""
    import numpy
    from scipy.optimize import curve_fit
    t, y = active_points(record)
    fit.method = 2
    if len(t) < 4:
        return 0
    first, span = min(t), max(t) - min(t)
    tau = (t - first) / span

    def curve(x, a, rate, c):
        return a * numpy.exp(-rate * x) + c

    def jacobian(x, a, rate, c):
        e = numpy.exp(-rate * x)
        return numpy.vstack([e, -a * x * e, numpy.ones_like(x)]).T

    best = None
    for rate in [s * 0.05 * (t_top / 0.05) ** (k / 12) for s, t_top in ((1, 50), (-1, 20))
                 for k in range(13)]:
        e = numpy.exp(-rate * tau)
        a = numpy.sum((e - e.mean()) * (y - y.mean())) / numpy.sum((e - e.mean()) ** 2)
        squares = numpy.sum((y - a * e - (y.mean() - a * e.mean())) ** 2)
        if best is None or squares < best[0]:
            best = (squares, [a, rate, y.mean() - a * e.mean()])
    try:
        p, pc = curve_fit(curve, tau, y, p0=best[1], jac=jacobian, xtol=1e-15, ftol=1e-15,
                          gtol=1e-15, maxfev=10000)
    except Exception:
        return 0
    if abs(p[1]) < 1e-3 or not numpy.all(numpy.isfinite(pc)):
        return 0
    shift = math.exp(p[1] * first / span)
    g = numpy.array([[shift, p[0] * shift * first / span, 0], [0, 1 / span, 0], [0, 0, 1]])
    covariance = g @ pc @ g.T
    b = [p[0] * shift, p[1] / span, p[2]]
    squares = float(numpy.sum((y - curve(tau, *p)) ** 2))
    gradient = numpy.array([1.0, 0.0, 1.0])
    take_curve(record, fit, b, covariance, b[0] + b[2], float(gradient @ covariance @ gradient),
               squares, 3)
    return 1


def fit_mean(record, fit):
    import numpy
    t, y = active_points(record)
    fit.method = 3
    n = len(y)
    variance = float(numpy.var(y, ddof=1)) / n if n > 1 else 0.0
    take_curve(record, fit, [float(numpy.mean(y)), 0.0, 0.0], numpy.diag([variance, 0, 0]),
               float(numpy.mean(y)), variance, float(numpy.var(y)) * n, 1)
    return 1


def fit_record(record, method):
    if method == 0:
        return fit_line(record)
    record.fit = LineFit()
    fit = record.fit
    if method == 4:
        if record.activeCount >= 5:
            status = record.status
            if fit_parabola(record, fit) and record.status & LINE_ERRORS and \
                    fit.curvatureT > fit.curvatureTCritical:
                return 1
            record.status = status
        return fit_line(record)
    return {1: fit_parabola, 2: fit_exponential, 3: fit_mean}[method](record, fit)


def export_curve(fit, calc_flags):
    plain = math.sqrt(fit.residualPerPoint / fit.residualVariance) if fit.residualVariance \
        else 0.0

    def shown(sd):
        if calc_flags & USE_STDDEV:
            return sd * plain * (2.0 if calc_flags & CONF95 else 1.0)
        return fit.tLine * sd

    def error(i):
        return shown(math.sqrt(fit.covariance[i][i]))

    level = c_format("%E", 0.95 if calc_flags & CONF95 else 0.68)
    fields = [c_format("%.6E", fit.intercept), c_format("%.6E", shown(fit.interceptError))]
    b = fit.coefficients
    if fit.method == 1:
        fields += [c_format("%.6E", v) for v in (b[1], error(1), b[2], error(2))]
        fields += [level, c_format("%E", 1 - fit.checkLevel),
                   "b2!=0" if fit.curvatureT > fit.curvatureTCritical else "b2=0"]
    elif fit.method == 2:
        fields += [c_format("%.6E", v) for v in (b[0], error(0), b[1], error(1), b[2],
                                                 error(2))]
        fields += [level]
    else:
        fields += [level]
    return "\t".join(fields).encode("ascii")


def run_regressions(records, peaks, calc_flags, test_level, method=0):
    successes = 0
    for record in records:
        if record.denominator:
            record.points = build_ratio_points(peaks, record.numerator, record.denominator)
        else:
            record.points = build_abundance_points(peaks, record.numerator)
        if record.points is None:
            continue
        record.alpha = 0.05 if calc_flags & CONF95 else 0.32
        record.checkLevel = test_level / 100
        if compute_statistics(record) and fit_record(record, method):
            successes += 1
    if successes == 0:
        raise ReductionError("回帰計算に失敗しました。")
    return successes


# --- IRD text -----------------------------------------------------------------------------------

def line_errors(fit, calc_flags):
    if calc_flags & USE_STDDEV:
        scale = 2.0 if calc_flags & CONF95 else 1.0
        return fit.interceptErrorPlain * scale, fit.slopeErrorPlain * scale
    return fit.tLine * fit.interceptError, fit.tLine * fit.slopeError


def export_fit(fit, calc_flags):
    if getattr(fit, "method", 0) != 0:
        return export_curve(fit, calc_flags)
    intercept_error, slope_error = line_errors(fit, calc_flags)
    level = 0.95 if calc_flags & CONF95 else 0.68
    fields = [c_format("%.6E", value) for value in
              (fit.intercept, intercept_error, fit.slope, slope_error)]
    fields += [c_format("%E", level), c_format("%E", 1 - fit.checkLevel),
               "a!=0" if fit.fValue > fit.fCritical else "a=0"]
    return "\t".join(fields).encode("ascii")


def record_method(record):
    return getattr(record.fit, "method", 0) if record.fit is not None else record.method


def record_line(record, calc_flags, names_method=False, counts=None):
    if calc_flags & USE_STDDEV:
        deviation = record.stdDev
        level = 0.95 if calc_flags & CONF95 else 0.68
        limit = 2 * record.stdDev if calc_flags & CONF95 else record.stdDev
    else:
        deviation = record.stdDevUnbiased
        level = 0.95 if calc_flags & CONF95 else 0.68
        limit = record.stdDevUnbiased * record.tLimit
    columns = [record.sheetName, "R" if record.denominator else "A"]
    columns += [c_format("%E", value) for value in
                (record.mean, deviation, level, limit, record.r, 1 - record.checkLevel)]
    columns.append("r!=0" if record.tOfR > record.tCritical else "r=0")
    line = ("\t".join(columns) + "\t").encode("latin-1")
    if record.fit is not None and (record.status & LINE or not getattr(record.fit, "method", 0)):
        line += export_fit(record.fit, calc_flags)
    line += b"\t"
    if record.points is not None:
        line += b"".join(b"0" if flags & DISABLED else b"1" for _, _, flags in record.points)
    if names_method:
        line += b"\t" + METHOD_NAMES[record_method(record)].encode("cp932")
    if counts is not None:
        line += b"\t%d\t%d" % tuple(counts)
    return line + b"\r\n"


def write_ird(records, note, calc_flags, output_flags, peaks=()):
    methods = []
    for record in records:
        if record_method(record) not in methods:
            methods.append(record_method(record))
    methods = methods or [0]
    linear_only = methods == [0]
    text = b""
    if output_flags & HEADER:
        text += b"SOURCE\t" + (note.path or b"") + b"\r\n"
        if output_flags & COMMENT and note.form == "PKS":
            for tag, comment in note.tags:
                if tag not in STORED_TAGS:
                    text += tag + b"\t" + comment + b"\r\n"
        elif output_flags & COMMENT and note.form == "DAT":
            f = note.fields
            text += b"DATANAME\t" + f.get("NAME", b"") + b"\r\n"
            text += b"DATE\t" + f.get("DATE", b"") + b"\r\n"
            text += b"COMMENT\t" + f.get("COMMENT", b"") + b"\r\n"
            text += ("SPIKEID\t%d\r\n" % f.get("SPIKEID", 0)).encode("ascii")
            text += ("SPIKEVOLUME\t%s\t%s\r\n" % (c_format("%G", f.get("SPIKEVOL", 0.0)),
                                                  c_format("%G", f.get("SPIKEERROR", 0.0)))
                     ).encode("ascii")
            text += ("SAMPLEWEIGHT\t%s\r\n" % c_format("%G", f.get("WEIGHT", 0.0))).encode(
                "ascii")
        text += ("RECORDS\t%d\r\n" % len(records)).encode("ascii")
        text += b"REGTYPE\t" + b",".join(METHOD_NAMES[m].encode("cp932") for m in methods) \
            + b"\r\n"
    text += b"\r\n"
    counts = [exclusion_count(record, peaks) for record in records]
    counted = any(any(pair) for pair in counts)
    if output_flags & GUIDE_COMMENT:
        heads = METHOD_HEADS if methods == [0] else CURVE_HEADS[methods[0]] \
            if len(methods) == 1 else b"intercept\terror"
        text += b"#" + RECORD_HEADS + b"\t" + heads + (b"" if linear_only else b"\t\tmethod")
        if counted:
            text += (b"\t\t" if linear_only else b"\t") + b"excluded by hand\texcluded by filter"
        text += b"\r\n"
    for record, pair in zip(records, counts):
        text += record_line(record, calc_flags, not linear_only, pair if counted else None)
    return text


# --- the whole reduction ----------------------------------------------------------------------

def parse_output_flags(text):
    text = text.strip()
    if re.fullmatch(r"0[xX][0-9a-fA-F]+|\d+", text):
        return int(text, 0)
    flags = 0
    for name in filter(None, (part.strip().lower() for part in text.split(","))):
        if name == "none":
            continue
        if name not in OUTPUT_FLAG_NAMES:
            raise ReductionError("unknown output flag " + name)
        flags |= OUTPUT_FLAG_NAMES[name]
    return flags


def settings_from(args, ini):
    calc_flags = 0
    if args.conf95 if args.conf95 is not None else ini.read_bool("regression", "conf95", False):
        calc_flags |= CONF95
    if args.stddev if args.stddev is not None else ini.read_bool("regression", "usestddev",
                                                                   False):
        calc_flags |= USE_STDDEV
    if args.all_numerators:
        calc_flags |= ALL_NUMERATORS
    if args.all_abundances:
        calc_flags |= ALL_ABUNDANCES
    if args.test_level is not None and not 0 <= args.test_level <= 100:
        raise ReductionError("--test-level is no number from 0 to 100")
    test_level = (args.test_level if args.test_level is not None
                  else ini.read_number("regression", "chklevel", 99.7))
    if args.output_flags is not None:
        output_flags = parse_output_flags(args.output_flags)
    else:
        output_flags = 0
        for name, bit in OUTPUT_FLAG_NAMES.items():
            if ini.read_bool("fileoutput", name, True):
                output_flags |= bit
    return calc_flags, test_level, output_flags


def reduce_sheet(note, rows, args, ini):
    """The IRD text of the reduction of one sheet, as bytes."""
    calc_flags, test_level, output_flags = settings_from(args, ini)
    peaks = extract_peaks(rows, ini.elem_width())
    exclusions = []
    if not args.ignore_stored:
        for tag, text in note.tags:
            if tag == EXCLUDED_TAG:
                exclusion = parse_exclusion(text, True)
                if exclusion:
                    exclusions.append(exclusion)
    for text in args.exclude or []:
        exclusion = parse_exclusion(text.encode("cp932"), False)
        if exclusion is None:
            raise ReductionError("--exclude " + text)
        if exclude_peaks(peaks, [exclusion]):
            raise ReductionError("--exclude %s names no peak" % text)
    exclude_peaks(peaks, exclusions)
    peaks = sort_peaks(peaks)
    elements = build_element_list(peaks)
    selection = {label: 0 for label in elements}
    for option, bit in ((args.numerator, 0x1), (args.denominator, 0x2), (args.abundance, 0x4)):
        for label in option or []:
            if label not in selection:
                raise ReductionError("no element " + label)
            selection[label] |= bit
    for label in elements:
        if calc_flags & ALL_NUMERATORS:
            selection[label] |= 0x1
        if calc_flags & ALL_ABUNDANCES:
            selection[label] |= 0x4
    if args.correction:
        # Only a set that the settings dialog offers (the INI counts sets and names them) and
        # that counts items can be chosen; any other name is refused.
        offered = (ini.read("general", "interferance") is not None
                   and ini.read_int("general", "interferance", -1) > 0
                   and any(name.lower() == args.correction.lower()
                           for name in ini.keys("interferance")))
        if not offered or correction_item_count(ini, args.correction) < 0:
            raise ReductionError("no correction set " + args.correction)
        calc_flags |= CORRECT
    records = create_records(elements, selection)
    if calc_flags & CORRECT:
        apply_corrections(peaks, ini, args.correction)
    method = METHODS[args.fit] if args.fit else 0
    for record in records:
        record.method = method
    run_regressions(records, peaks, calc_flags, test_level, method)
    return write_ird(records, note, calc_flags & 0xFF00, output_flags, peaks)


def argument_parser():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--cli", required=True)
    parser.add_argument("file")
    parser.add_argument("--ini")
    parser.add_argument("--format")
    parser.add_argument("--numerator", action="append")
    parser.add_argument("--denominator", action="append")
    parser.add_argument("--abundance", action="append")
    parser.add_argument("--all-numerators", action="store_true")
    parser.add_argument("--all-abundances", action="store_true")
    parser.add_argument("--conf95", dest="conf95", action="store_const", const=True)
    parser.add_argument("--conf68", dest="conf95", action="store_const", const=False)
    parser.add_argument("--stddev", dest="stddev", action="store_const", const=True)
    parser.add_argument("--unbiased", dest="stddev", action="store_const", const=False)
    parser.add_argument("--test-level", type=float)
    parser.add_argument("--correction")
    parser.add_argument("--fit", choices=sorted(METHODS))
    parser.add_argument("--exclude", action="append")
    parser.add_argument("--ignore-stored", action="store_true")
    parser.add_argument("--output-flags")
    parser.add_argument("--output")
    return parser


def default_ini(cli):
    return os.path.join(os.path.dirname(os.path.abspath(cli)), "TARNOVA.INI")


def main(argv):
    args = argument_parser().parse_args(argv)
    ini_path = args.ini or default_ini(args.cli)
    try:
        note, rows = read_sheet(args.cli, args.file, args.ini, args.format)
        note.path = os.fsencode(os.path.abspath(args.file))
        text = reduce_sheet(note, rows, args, IniFile(ini_path))
    except ReductionError as error:
        print("reduce_reference: %s" % error, file=sys.stderr)
        return 1
    if args.output:
        with open(args.output, "wb") as stream:
            stream.write(text)
    else:
        sys.stdout.buffer.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
