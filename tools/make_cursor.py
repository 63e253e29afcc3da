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

import struct
import sys

# Imported from the source tree at build time: keep it free of __pycache__.
sys.dont_write_bytecode = True
from text_art import ArtError, generator_main, resource_image, single_image_file  # noqa: E402

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
    hot_x, hot_y = hotspot(art)
    image = resource_image(art, pixel_table(art), 1, COLOUR_TABLE)
    # In a cursor's directory entry the planes and bit-count fields hold the
    # hot spot.
    return single_image_file(2, art, image, 2, hot_x, hot_y)


def main(argv=None):
    return generator_main("cursor", "Build Merrowind's 32x32 pointing-hand cursor.", SIZE, build_cursor, argv)


if __name__ == "__main__":
    sys.exit(main())
