"""Read the text-art pictures behind Merrowind's icon and cursor.

A picture file is plain text: one character per pixel, one line per pixel row,
so the art can be reviewed and changed in any editor and diffs stay readable.

    # Lines that are "#" alone or start with "# " are comments.
    # A comment of the form "# X = VALUE" says what character X stands for.
    # A cursor picture gives its hot spot as "# hotspot X Y".
    ....KK....
    ...KooK...

Pixel rows never contain spaces, so a row that starts with "#" (a pixel drawn
with the character "#") is not mistaken for a comment.
"""

import os
import re

LEGEND_LINE = re.compile(r"^#\s+(\S)\s+=\s+(\S+)")


class ArtError(Exception):
    """The picture file is malformed; the message names the file and line."""


class Art:
    def __init__(self, path, legend, rows, settings):
        self.path = path
        self.legend = legend      # character -> VALUE text from its "# X = VALUE" line
        self.rows = rows          # list of pixel rows, top row first
        self.settings = settings  # "hotspot" -> ["13", "5"], ...

    def value(self, x, y):
        return self.legend[self.rows[y][x]]


def _is_comment(line):
    return line == "#" or line.startswith("# ")


def read_art(path, width, height):
    """Parse a picture file and check its size and characters."""
    try:
        with open(path, "r", encoding="ascii") as handle:
            lines = handle.read().splitlines()
    except OSError as error:
        raise ArtError("cannot read '%s': %s" % (path, error.strerror))
    except UnicodeDecodeError:
        raise ArtError("'%s' is not plain ASCII text" % path)

    legend = {}
    settings = {}
    rows = []
    row_lines = []
    for number, line in enumerate(lines, start=1):
        stripped = line.rstrip()
        if not stripped:
            continue
        if _is_comment(stripped):
            match = LEGEND_LINE.match(stripped)
            if match:
                char, value = match.groups()
                if char in legend:
                    raise ArtError("%s:%d: '%s' is in the legend twice" % (path, number, char))
                legend[char] = value
            else:
                words = stripped[1:].split()
                if words and words[0].lower() == "hotspot":
                    settings[words[0].lower()] = words[1:]
            continue
        rows.append(stripped)
        row_lines.append(number)

    if not legend:
        raise ArtError("%s: no legend ('# X = VALUE' lines) found" % path)
    if len(rows) != height:
        raise ArtError("%s: %d pixel rows found, %d expected" % (path, len(rows), height))
    for row, number in zip(rows, row_lines):
        if len(row) != width:
            raise ArtError(
                "%s:%d: row is %d characters wide, %d expected" % (path, number, len(row), width)
            )
        for column, char in enumerate(row):
            if char not in legend:
                raise ArtError(
                    "%s:%d: column %d: '%s' is not in the legend" % (path, number, column + 1, char)
                )
    return Art(path, legend, rows, settings)


def pack_bits(values, bits):
    """Pack one row of small integers MSB-first (leftmost pixel in the high bits),
    padded with zero bits to a whole number of 32-bit words as DIB rows are."""
    per_byte = 8 // bits
    out = bytearray()
    for start in range(0, len(values), per_byte):
        byte = 0
        chunk = values[start : start + per_byte]
        for value in chunk:
            byte = (byte << bits) | value
        byte <<= bits * (per_byte - len(chunk))
        out.append(byte)
    while len(out) % 4:
        out.append(0)
    return bytes(out)


def write_binary(path, data):
    """Write through a temporary file so an interrupted build leaves no half file."""
    directory = os.path.dirname(os.path.abspath(path))
    os.makedirs(directory, exist_ok=True)
    temporary = path + ".tmp"
    with open(temporary, "wb") as handle:
        handle.write(data)
    os.replace(temporary, path)
