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

import argparse
import os
import re
import struct
import sys

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


def resource_image(rows, table, bits_per_pixel, colour_table):
    """One image of an icon or cursor file: a BITMAPINFOHEADER, the colour
    table, the colour bitmap and the mask, rows bottom-up as DIBs store them.
    table maps each picture character to (colour index, mask bit); a mask bit
    of 1 with colour 0 leaves the screen pixel as it is."""
    colour_rows = []
    mask_rows = []
    for row in reversed(rows):
        colour_rows.append(pack_bits([table[c][0] for c in row], bits_per_pixel))
        mask_rows.append(pack_bits([table[c][1] for c in row], 1))
    colour_bitmap = b"".join(colour_rows)
    mask_bitmap = b"".join(mask_rows)
    width = len(rows[0])
    header = struct.pack(
        "<IiiHHIIiiII",
        40,                      # biSize
        width,                   # biWidth
        len(rows) * 2,           # biHeight: colour bitmap plus mask
        1,                       # biPlanes
        bits_per_pixel,          # biBitCount
        0,                       # biCompression: BI_RGB
        len(colour_bitmap) + len(mask_bitmap),
        0,
        0,
        0,                       # biClrUsed: 0 means the whole table
        0,
    )
    return header + colour_table + colour_bitmap + mask_bitmap


def scaled_rows(rows, size):
    """The picture at size x size by nearest neighbour: each pixel takes the
    character under its centre. Made larger, every pixel of the picture is
    kept, so a one-pixel outline stays whole."""
    height, width = len(rows), len(rows[0])
    return [
        "".join(rows[(y * 2 + 1) * height // (size * 2)][(x * 2 + 1) * width // (size * 2)] for x in range(size))
        for y in range(size)
    ]


def scaled_position(position, picture_size, size):
    """The first pixel of a picture of the given size whose centre falls on the
    picture's pixel at position (scaled_rows' mapping), so a hot spot stays on
    what it marks."""
    target = 0
    while (target * 2 + 1) * picture_size // (size * 2) < position:
        target += 1
    return target


def image_file(resource_type, images):
    """An .ico (resource_type 1) or .cur (2) file. images is a list of
    (width, height, colour_count, field_a, field_b, bytes); field_a and field_b
    are the planes and bit count of an icon, the hot spot x and y of a cursor.
    A side of 256 is written as 0, as the format has it."""
    directory = struct.pack("<HHH", 0, resource_type, len(images))  # reserved, type, count
    offset = len(directory) + 16 * len(images)
    entries = b""
    for width, height, colour_count, field_a, field_b, data in images:
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, colour_count, 0, field_a, field_b,
                               len(data), offset)
        offset += len(data)
    return directory + entries + b"".join(image[5] for image in images)


def generator_main(what, description, size, build, argv=None):
    """The command line both generators share: --source picture --output file.
    build turns the parsed picture into the file's bytes."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--source", required=True, help="text-art picture (%d x %d)" % (size, size))
    parser.add_argument("--output", required=True, help="file to write")
    args = parser.parse_args(argv)
    try:
        art = read_art(args.source, size, size)
        write_binary(args.output, build(art))
    except ArtError as error:
        print("merrowind: %s: %s" % (what, error), file=sys.stderr)
        return 1
    except OSError as error:
        print("merrowind: %s: cannot write '%s': %s" % (what, error.filename, error.strerror),
              file=sys.stderr)
        return 1
    return 0
