#!/usr/bin/env python3
"""Build Merrowind's pointing-hand cursor (.cur) from its text-art source.

The cursor holds the sizes Windows asks for from 100 % to 400 % scaling, each
drawn from the 32 x 32 picture and monochrome, the one cursor format that
every Windows version (and Wine) shows the same way.

Usage:
    python3 tools/make_cursor.py --source res/hand_cursor.txt --output FILE.cur

The source's legend maps characters to "black", "white" or "transparent",
and a "# hotspot X Y" line gives the hot spot (pixel column X, row Y, counted
from 0 at the top left). The hot spot must lie on a drawn pixel, or clicks
would land beside what the user points at.
"""

import struct
import sys

# Imported from the source tree at build time: keep it free of __pycache__.
sys.dont_write_bytecode = True
from text_art import (  # noqa: E402
    ArtError, generator_main, image_file, resource_image, scaled_position, scaled_rows)

SIZE = 32
# SM_CXCURSOR at 100, 125, 150, 175, 200, 250, 300 and 400 % scaling.
SIZES = (32, 40, 48, 56, 64, 80, 96, 128)

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
    hot_x, hot_y = hotspot(art)
    table = pixel_table(art)
    images = []
    for size in SIZES:
        rows = scaled_rows(art.rows, size)
        x, y = scaled_position(hot_x, SIZE, size), scaled_position(hot_y, SIZE, size)
        if art.legend[rows[y][x]] == "transparent":
            raise ArtError("%s: at %d px the hot spot (%d, %d) is on a transparent pixel" % (art.path, size, x, y))
        # In a cursor's directory entry the planes and bit-count fields hold
        # the hot spot.
        images.append((size, size, 2, x, y, resource_image(rows, table, 1, COLOUR_TABLE)))
    return image_file(2, images)


def main(argv=None):
    return generator_main("cursor", "Build Merrowind's pointing-hand cursor.", SIZE, build_cursor, argv)


if __name__ == "__main__":
    sys.exit(main())
