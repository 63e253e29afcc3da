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

import argparse
import struct
import sys

# Imported from the source tree at build time: keep it free of __pycache__.
sys.dont_write_bytecode = True
from text_art import ArtError, pack_bits, read_art, write_binary  # noqa: E402

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
    """Map every legend character to (colour index, transparent?)."""
    table = {}
    for char, value in art.legend.items():
        if value == TRANSPARENT:
            # Transparent pixels keep colour 0 in the colour bitmap: with the
            # mask bit set, Windows then leaves the screen pixel unchanged.
            table[char] = (0, True)
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
        table[char] = (index, False)
    return table


def build_icon(art):
    table = pixel_table(art)
    colour_rows = []
    mask_rows = []
    # DIB rows are stored bottom-up.
    for row in reversed(art.rows):
        colour_rows.append(pack_bits([table[c][0] for c in row], BITS_PER_PIXEL))
        mask_rows.append(pack_bits([1 if table[c][1] else 0 for c in row], 1))
    colour_bitmap = b"".join(colour_rows)
    mask_bitmap = b"".join(mask_rows)

    colour_table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    header = struct.pack(
        "<IiiHHIIiiII",
        40,                      # biSize
        SIZE,                    # biWidth
        SIZE * 2,                # biHeight: colour bitmap plus mask
        1,                       # biPlanes
        BITS_PER_PIXEL,          # biBitCount
        0,                       # biCompression: BI_RGB
        len(colour_bitmap) + len(mask_bitmap),
        0,
        0,
        0,                       # biClrUsed: 0 means all 16
        0,
    )
    image = header + colour_table + colour_bitmap + mask_bitmap

    icon_dir = struct.pack("<HHH", 0, 1, 1)  # reserved, type 1 = icon, one image
    entry = struct.pack(
        "<BBBBHHII",
        SIZE,
        SIZE,
        len(PALETTE),            # colour count
        0,
        1,                       # planes
        BITS_PER_PIXEL,
        len(image),
        len(icon_dir) + 16,      # the image follows the single directory entry
    )
    return icon_dir + entry + image


def self_check():
    assert pack_bits([1, 2, 3], 4) == b"\x12\x30\x00\x00"
    assert pack_bits([1] + [0] * 7 + [1], 1) == b"\x80\x80\x00\x00"


def main(argv=None):
    parser = argparse.ArgumentParser(description="Build Merrowind's 32x32 16-colour icon.")
    parser.add_argument("--source", required=True, help="text-art picture (32 x 32)")
    parser.add_argument("--output", required=True, help=".ico file to write")
    args = parser.parse_args(argv)

    self_check()
    try:
        art = read_art(args.source, SIZE, SIZE)
        data = build_icon(art)
        write_binary(args.output, data)
    except ArtError as error:
        print("merrowind: icon: %s" % error, file=sys.stderr)
        return 1
    except OSError as error:
        print("merrowind: icon: cannot write '%s': %s" % (error.filename, error.strerror),
              file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
