#!/usr/bin/env python3
"""Build Merrowind's program icon (.ico) from its text-art source.

The icon is a single 32 x 32 image in 16 colours, the format every Windows
version (and Wine) can show without scaling or colour conversion.

Usage:
    python3 tools/make_icon.py --source res/program_icon.txt --output FILE.ico

In the source each legend line "# X = N" maps the character X to entry N of
the standard Windows 16-colour palette below, and "# . = transparent" marks
the see-through pixels.
"""

import struct
import sys

# Imported from the source tree at build time: keep it free of __pycache__.
sys.dont_write_bytecode = True
from text_art import ArtError, generator_main, pack_bits, resource_image, single_image_file  # noqa: E402

SIZE = 32
BITS_PER_PIXEL = 4

# The standard Windows 16-colour (VGA) palette, as (red, green, blue).
PALETTE = (
    (0x00, 0x00, 0x00),  # 0  black
    (0x80, 0x00, 0x00),  # 1  dark red
    (0x00, 0x80, 0x00),  # 2  dark green
    (0x80, 0x80, 0x00),  # 3  olive
    (0x00, 0x00, 0x80),  # 4  navy
    (0x80, 0x00, 0x80),  # 5  purple
    (0x00, 0x80, 0x80),  # 6  teal
    (0xC0, 0xC0, 0xC0),  # 7  silver
    (0x80, 0x80, 0x80),  # 8  grey
    (0xFF, 0x00, 0x00),  # 9  red
    (0x00, 0xFF, 0x00),  # 10 lime
    (0xFF, 0xFF, 0x00),  # 11 yellow
    (0x00, 0x00, 0xFF),  # 12 blue
    (0xFF, 0x00, 0xFF),  # 13 magenta
    (0x00, 0xFF, 0xFF),  # 14 cyan
    (0xFF, 0xFF, 0xFF),  # 15 white
)

TRANSPARENT = "transparent"


def pixel_table(art):
    """Map every legend character to (colour index, mask bit)."""
    table = {}
    for char, value in art.legend.items():
        if value == TRANSPARENT:
            # Transparent pixels keep colour 0 in the colour bitmap: with the
            # mask bit set, Windows then leaves the screen pixel unchanged.
            table[char] = (0, 1)
            continue
        try:
            index = int(value)
        except ValueError:
            index = -1
        if not 0 <= index < len(PALETTE):
            raise ArtError(
                "%s: legend entry '%s' = %s is neither a colour 0..15 nor '%s'"
                % (art.path, char, value, TRANSPARENT)
            )
        table[char] = (index, 0)
    return table


def build_icon(art):
    colour_table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    image = resource_image(art, pixel_table(art), BITS_PER_PIXEL, colour_table)
    return single_image_file(1, art, image, len(PALETTE), 1, BITS_PER_PIXEL)


def self_check():
    assert pack_bits([1, 2, 3], 4) == b"\x12\x30\x00\x00"
    assert pack_bits([1] + [0] * 7 + [1], 1) == b"\x80\x80\x00\x00"


def main(argv=None):
    self_check()
    return generator_main("icon", "Build Merrowind's 32x32 16-colour icon.", SIZE, build_icon, argv)


if __name__ == "__main__":
    sys.exit(main())
