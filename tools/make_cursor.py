#!/usr/bin/env python3
"""Build Merrowind's pointing-hand cursor (.cur) from its text-art source.

The cursor is a single 32 x 32 monochrome image, the one cursor format that
every Windows version (and Wine) shows the same way.

Usage:
    python3 tools/make_cursor.py --source res/hand_cursor.txt --output FILE.cur

The source's legend maps characters to "black", "white" or "transparent",
and a "# hotspot X Y" line gives the hot spot (pixel column X, row Y, counted
from 0 at the top left). The hot spot must lie on a drawn pixel, or clicks
would land beside what the user points at.
"""

import argparse
import struct
import sys

# Imported from the source tree at build time: keep it free of __pycache__.
sys.dont_write_bytecode = True
from text_art import ArtError, pack_bits, read_art, write_binary  # noqa: E402

SIZE = 32

# Per pixel: (colour bitmap bit, mask bit). Windows draws a cursor as
# screen AND mask XOR colour, so mask 1 with colour 0 leaves the screen as is.
PIXEL_BITS = {
    "black": (0, 0),
    "white": (1, 0),
    "transparent": (0, 1),
}

# Colour table of the 1-bit image: index 0 black, index 1 white (B, G, R, 0).
COLOUR_TABLE = struct.pack("<BBBB", 0, 0, 0, 0) + struct.pack("<BBBB", 0xFF, 0xFF, 0xFF, 0)


def pixel_table(art):
    table = {}
    for char, value in art.legend.items():
        if value not in PIXEL_BITS:
            raise ArtError(
                "%s: legend entry '%s' = %s is not one of %s"
                % (art.path, char, value, ", ".join(sorted(PIXEL_BITS)))
            )
        table[char] = PIXEL_BITS[value]
    return table


def hotspot(art):
    words = art.settings.get("hotspot")
    if words is None:
        raise ArtError("%s: no '# hotspot X Y' line" % art.path)
    try:
        x, y = (int(word) for word in words)
    except ValueError:
        raise ArtError("%s: the hotspot line needs two whole numbers X Y" % art.path)
    if not (0 <= x < SIZE and 0 <= y < SIZE):
        raise ArtError("%s: hotspot (%d, %d) lies outside the %dx%d image" % (art.path, x, y, SIZE, SIZE))
    if art.value(x, y) == "transparent":
        raise ArtError("%s: hotspot (%d, %d) is on a transparent pixel" % (art.path, x, y))
    return x, y


def build_cursor(art):
    table = pixel_table(art)
    hot_x, hot_y = hotspot(art)
    colour_rows = []
    mask_rows = []
    # DIB rows are stored bottom-up.
    for row in reversed(art.rows):
        colour_rows.append(pack_bits([table[c][0] for c in row], 1))
        mask_rows.append(pack_bits([table[c][1] for c in row], 1))
    colour_bitmap = b"".join(colour_rows)
    mask_bitmap = b"".join(mask_rows)

    header = struct.pack(
        "<IiiHHIIiiII",
        40,                      # biSize
        SIZE,                    # biWidth
        SIZE * 2,                # biHeight: colour bitmap plus mask
        1,                       # biPlanes
        1,                       # biBitCount
        0,                       # biCompression: BI_RGB
        len(colour_bitmap) + len(mask_bitmap),
        0,
        0,
        0,                       # biClrUsed: 0 means both colours
        0,
    )
    image = header + COLOUR_TABLE + colour_bitmap + mask_bitmap

    cursor_dir = struct.pack("<HHH", 0, 2, 1)  # reserved, type 2 = cursor, one image
    entry = struct.pack(
        "<BBBBHHII",
        SIZE,
        SIZE,
        2,                       # colour count
        0,
        hot_x,                   # in a cursor the planes field holds the hot spot x
        hot_y,                   # and the bit-count field the hot spot y
        len(image),
        len(cursor_dir) + 16,    # the image follows the single directory entry
    )
    return cursor_dir + entry + image


def main(argv=None):
    parser = argparse.ArgumentParser(description="Build Merrowind's 32x32 pointing-hand cursor.")
    parser.add_argument("--source", required=True, help="text-art picture (32 x 32)")
    parser.add_argument("--output", required=True, help=".cur file to write")
    args = parser.parse_args(argv)

    try:
        art = read_art(args.source, SIZE, SIZE)
        data = build_cursor(art)
        write_binary(args.output, data)
    except ArtError as error:
        print("merrowind: cursor: %s" % error, file=sys.stderr)
        return 1
    except OSError as error:
        print("merrowind: cursor: cannot write '%s': %s" % (error.filename, error.strerror),
              file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
