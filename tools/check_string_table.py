#!/usr/bin/env python3
"""Check that a compiled string table holds exactly the expected fortunes.

RC compilers have their own quoting and escape rules, and a slip there would
only show as a garbled fortune once in a while at run time. This reads the
string table back out of a compiled .res file and compares every string with
the texts make_fortune_table.py wrote to its --expected file.

Usage:
    python3 tools/check_string_table.py --res FILE.res --expected FILE.txt
                                        [--language 2057] [--stamp FILE]
    python3 tools/check_string_table.py --rc FILE.rc --windres WINDRES
                                        --expected FILE.txt [--stamp FILE]

With --rc the script compiles FILE.rc itself (WINDRES -O res into a temporary
folder) and checks the result. --stamp names a file to touch on success, for
build systems that need an output to depend on.
"""

import argparse
import os
import struct
import subprocess
import sys
import tempfile

RT_STRING = 6
STRINGS_PER_BLOCK = 16
# 0x0809: LANG_ENGLISH, SUBLANG_ENGLISH_UK.
DEFAULT_LANGUAGE = 2057


class CheckError(Exception):
    pass


def _read_name(data, pos):
    """Read a type or name field: 0xFFFF then an ordinal, or a UTF-16 string."""
    (first,) = struct.unpack_from("<H", data, pos)
    if first == 0xFFFF:
        (ordinal,) = struct.unpack_from("<H", data, pos + 2)
        return ordinal, pos + 4
    end = pos
    while True:
        (unit,) = struct.unpack_from("<H", data, end)
        if unit == 0:
            break
        end += 2
    return data[pos:end].decode("utf-16-le"), end + 2


def read_res(data):
    """Yield (type, name, language, payload) for every resource in a .res file."""
    pos = 0
    size = len(data)
    while pos < size:
        if size - pos < 8:
            raise CheckError("truncated resource header at offset %d" % pos)
        data_size, header_size = struct.unpack_from("<II", data, pos)
        if header_size < 16 or pos + header_size + data_size > size:
            raise CheckError("malformed resource header at offset %d" % pos)
        res_type, cursor = _read_name(data, pos + 8)
        name, cursor = _read_name(data, cursor)
        cursor = (cursor + 3) & ~3
        # DataVersion (4 bytes), MemoryFlags (2 bytes), then LanguageId.
        (language,) = struct.unpack_from("<H", data, cursor + 6)
        payload = data[pos + header_size : pos + header_size + data_size]
        # The leading empty entry only marks the file as a 32-bit .res.
        if not (data_size == 0 and res_type == 0 and name == 0):
            yield res_type, name, language, payload
        pos = (pos + header_size + data_size + 3) & ~3


def read_string_table(data):
    """Return ({string id: text}, {languages seen}) for all RT_STRING blocks."""
    strings = {}
    languages = set()
    for res_type, name, language, payload in read_res(data):
        if res_type != RT_STRING:
            continue
        if not isinstance(name, int) or name == 0:
            raise CheckError("string-table block with a bad name %r" % (name,))
        languages.add(language)
        cursor = 0
        for index in range(STRINGS_PER_BLOCK):
            if cursor + 2 > len(payload):
                raise CheckError("string-table block %d is truncated" % name)
            (length,) = struct.unpack_from("<H", payload, cursor)
            cursor += 2
            text = payload[cursor : cursor + 2 * length]
            if len(text) != 2 * length:
                raise CheckError("string-table block %d is truncated" % name)
            cursor += 2 * length
            if length:
                string_id = (name - 1) * STRINGS_PER_BLOCK + index
                key = (string_id, language)
                if key in strings:
                    raise CheckError("string %d appears twice" % string_id)
                strings[key] = text.decode("utf-16-le")
    return strings, languages


def read_expected(path):
    with open(path, "rb") as handle:
        data = handle.read()
    if not data.endswith(b"\0"):
        raise CheckError("'%s' does not end with a NUL separator" % path)
    return [chunk.decode("ascii") for chunk in data[:-1].split(b"\0")]


def compare(strings, languages, expected, language):
    if languages != {language}:
        raise CheckError(
            "string table languages are %s, expected only %d"
            % (sorted(languages) or "none", language)
        )
    table = {string_id: text for (string_id, _), text in strings.items()}
    wanted_ids = set(range(1, len(expected) + 1))
    extra = sorted(set(table) - wanted_ids)
    if extra:
        raise CheckError("unexpected string ids in the table: %s" % extra[:10])
    missing = sorted(wanted_ids - set(table))
    if missing:
        raise CheckError(
            "%d string ids are missing from the table, first %s" % (len(missing), missing[:10])
        )
    for string_id, text in enumerate(expected, start=1):
        if table[string_id] != text:
            got = table[string_id]
            at = next(
                (i for i, (a, b) in enumerate(zip(got, text)) if a != b),
                min(len(got), len(text)),
            )
            raise CheckError(
                "string %d differs at character %d: compiled %r, expected %r"
                % (string_id, at, got[max(0, at - 20) : at + 20], text[max(0, at - 20) : at + 20])
            )


def compile_rc(windres, rc_path, res_path):
    command = [windres, "-i", rc_path, "-o", res_path, "-O", "res"]
    try:
        result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    except OSError as error:
        raise CheckError("cannot run '%s': %s" % (windres, error.strerror))
    if result.returncode != 0:
        raise CheckError(
            "'%s' failed:\n%s" % (" ".join(command), result.stdout.decode("utf-8", "replace"))
        )


def check(res_path, expected_path, language):
    with open(res_path, "rb") as handle:
        data = handle.read()
    strings, languages = read_string_table(data)
    expected = read_expected(expected_path)
    compare(strings, languages, expected, language)
    return len(expected)


def main(argv=None):
    parser = argparse.ArgumentParser(
        description="Compare a compiled string table with the expected fortune texts."
    )
    source = parser.add_mutually_exclusive_group(required=True)
    source.add_argument("--res", help="compiled .res file to read")
    source.add_argument("--rc", help="resource script to compile with --windres and read")
    parser.add_argument("--windres", help="windres program used with --rc")
    parser.add_argument("--expected", required=True, help="NUL-separated expected texts")
    parser.add_argument(
        "--language",
        type=lambda value: int(value, 0),
        default=DEFAULT_LANGUAGE,
        help="language id every string-table block must carry (default 2057)",
    )
    parser.add_argument("--stamp", help="file to touch when the check passes")
    parser.add_argument("--quiet", action="store_true", help="print nothing on success")
    args = parser.parse_args(argv)
    if args.rc and not args.windres:
        parser.error("--rc needs --windres")

    try:
        if args.rc:
            with tempfile.TemporaryDirectory() as folder:
                res_path = os.path.join(folder, "strings.res")
                compile_rc(args.windres, args.rc, res_path)
                count = check(res_path, args.expected, args.language)
        else:
            count = check(args.res, args.expected, args.language)
        if args.stamp:
            with open(args.stamp, "w") as handle:
                handle.write("%d strings match\n" % count)
    except CheckError as error:
        print("merrowind: string table check failed: %s" % error, file=sys.stderr)
        return 1
    except OSError as error:
        print(
            "merrowind: string table check failed: '%s': %s" % (error.filename, error.strerror),
            file=sys.stderr,
        )
        return 1
    if not args.quiet:
        print("string table: all %d strings match" % count)
    return 0


if __name__ == "__main__":
    sys.exit(main())
