#!/usr/bin/env python3
"""Checks a report page rendered by pdftoppm (-gray, PGM) for ink where the report's layout puts
its lines: the rule of the data-point table and its heading, and the frame of the graph.

The places follow from the page (A4 portrait), the margins of the layout (1 cm from the left and
right edges) and the printer font (10 points; its average character width w is 84 units at
1200 dpi): the table's vertical rule stands 20 w + 2 units right of the left margin, its heading
rule runs 42 w from the left margin; the graph's plot frame begins 13 w right of the margin
(room for the value labels) and ends one w before the right margin.

usage: ink_check.py PAGE.pgm DPI
"""
import sys

CM_PER_UNIT = 2.54 / 1200.0
W = 84 * CM_PER_UNIT  # cm
LEFT = 1.0
RIGHT = 21.0 - 1.0
TOLERANCE = 0.25  # cm, for the spooler's re-rendering


def read_pgm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields, position = [], 0
    while len(fields) < 4:
        while data[position:position + 1].isspace():
            position += 1
        if data[position:position + 1] == b"#":
            position = data.index(b"\n", position)
            continue
        end = position
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[position:end])
        position = end
    if fields[0] != b"P5":
        raise SystemExit(f"{path}: not a binary grey map")
    width, height = int(fields[1]), int(fields[2])
    pixels = data[position + 1:position + 1 + width * height]
    return width, height, pixels


def ink(width, pixels, x, y):
    return pixels[y * width + x] < 128


def main():
    path, dpi = sys.argv[1], float(sys.argv[2])
    cm = dpi / 2.54
    width, height, pixels = read_pgm(path)

    # Markers of points on the frame are filled white and break its lines for a moment, so a
    # line counts by how much of it has ink, not by one unbroken run.
    def vertical_line(x_cm, min_cm):
        lo, hi = int((x_cm - TOLERANCE) * cm), int((x_cm + TOLERANCE) * cm) + 1
        for x in range(max(lo, 0), min(hi, width)):
            if sum(ink(width, pixels, x, y) for y in range(height)) >= min_cm * cm:
                return True
        return False

    def horizontal_line(start_cm, end_cm):
        lo, hi = int((start_cm + TOLERANCE) * cm), int((end_cm - TOLERANCE) * cm)
        for y in range(height):
            if sum(ink(width, pixels, x, y) for x in range(lo, hi)) >= 0.9 * (hi - lo):
                return True
        return False

    checks = {
        "table rule": vertical_line(LEFT + 20 * W, 1.0),
        "table heading rule": horizontal_line(LEFT, LEFT + 42 * W),
        "graph frame, left": vertical_line(LEFT + 13 * W, 6.0),
        "graph frame, right": vertical_line(RIGHT - W, 6.0),
        "graph frame, top and bottom": horizontal_line(LEFT + 13 * W, RIGHT - W),
    }
    missing = [name for name, found in checks.items() if not found]
    if missing:
        print(f"{path}: no ink for " + ", ".join(missing))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
