#!/usr/bin/env python3
"""Build Merrowind's program icon (.ico) from its text-art source.

The icon holds every size Windows shows from 100 % to 200 % scaling and the
large one of Explorer's views: 16, 20, 24, 32, 40, 48, 64 and 256 pixels, each
drawn from the one 32 x 32 picture, 32-bit with an alpha channel; the 256 one
PNG-compressed, as Windows Vista and later read it.

Usage:
    python3 tools/make_icon.py --source res/program_icon.txt --output FILE.ico

In the source each legend line "# X = N" maps the character X to entry N of
the standard Windows 16-colour palette below, and "# . = transparent" marks
the see-through pixels.
"""

import struct
import sys
import zlib

# Imported from the source tree at build time: keep it free of __pycache__.
sys.dont_write_bytecode = True
from text_art import ArtError, generator_main, image_file  # noqa: E402

SIZE = 32
SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
PNG_SIZES = (256,)

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
    """Map every legend character to (red, green, blue, alpha)."""
    table = {}
    for char, value in art.legend.items():
        if value == TRANSPARENT:
            table[char] = (0, 0, 0, 0)
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
        table[char] = PALETTE[index] + (255,)
    return table


def resample(pixels, size):
    """The square picture (rows of RGBA) at size x size: each new pixel is the
    mean of the area of the picture it covers, the colours weighted by their
    alpha so that see-through pixels lend no colour to their neighbours. At
    the picture's own size it is the picture; at whole multiples, its pixels
    made larger."""
    source = len(pixels)
    spans = []  # per new pixel: [(source index, share of it)]
    for target in range(size):
        start, end = target * source, (target + 1) * source  # in 1/size of a source pixel
        spans.append([(i, min(end, (i + 1) * size) - max(start, i * size))
                      for i in range(start // size, (end + size - 1) // size)])
    out = []
    for row_span in spans:
        row = []
        for column_span in spans:
            sums = [0, 0, 0, 0]
            for y, wy in row_span:
                for x, wx in column_span:
                    r, g, b, a = pixels[y][x]
                    w = wy * wx * a
                    sums[0] += r * w
                    sums[1] += g * w
                    sums[2] += b * w
                    sums[3] += w
            area = source * source  # the weights of one new pixel add up to this, times 255 at full alpha
            alpha = (sums[3] + area // 2) // area
            row.append(tuple((c + sums[3] // 2) // sums[3] for c in sums[:3]) + (alpha,) if alpha else (0, 0, 0, 0))
        out.append(row)
    return out


def bitmap_image(pixels):
    """A 32-bit image: BITMAPINFOHEADER, colours as BGRA rows bottom-up, and
    the AND mask (1 where nothing is drawn) for systems that ignore alpha."""
    size = len(pixels)
    colour = b"".join(bytes(v for r, g, b, a in row for v in (b, g, r, a)) for row in reversed(pixels))
    mask = b""
    for row in reversed(pixels):
        bits = bytearray((size + 31) // 32 * 4)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + mask


def png_image(pixels):
    """An 8-bit RGBA PNG, each row unfiltered, compressed with zlib."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    size = len(pixels)
    raw = b"".join(b"\0" + bytes(v for pixel in row for v in pixel) for row in pixels)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def build_icon(art):
    table = pixel_table(art)
    picture = [[table[c] for c in row] for row in art.rows]
    images = []
    for size in SIZES:
        pixels = resample(picture, size)
        data = png_image(pixels) if size in PNG_SIZES else bitmap_image(pixels)
        images.append((size, size, 0, 1, 32, data))
    return image_file(1, images)


def self_check():
    clear, red, blue = (0, 0, 0, 0), (255, 0, 0, 255), (0, 0, 255, 255)
    picture = [[red, clear], [blue, red]]
    assert resample(picture, 2) == picture
    assert resample(picture, 4)[1] == [red, red, clear, clear]
    # Halved: a quarter of each colour, the see-through quarter lending none.
    assert resample(picture, 1) == [[(170, 0, 85, 191)]]


def main(argv=None):
    self_check()
    return generator_main("icon", "Build Merrowind's program icon in every size.", SIZE, build_icon, argv)


if __name__ == "__main__":
    sys.exit(main())
