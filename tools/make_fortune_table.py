#!/usr/bin/env python3
"""Build the resource-script fragment that holds Merrowind's built-in fortunes.

The fortunes come from Debian's `fortunes` package: plain cookie files in which
fortunes are separated by lines starting with "%". This script picks a fixed
set of them, cleans them up so that every one is plain printable ASCII with
no tabs, and writes them as a STRINGTABLE (string ids 1..N) for windres / RC.

Usage:
    python3 tools/make_fortune_table.py --corpus DIR --output FILE.rc
                                        [--expected FILE.txt]

--expected writes the same texts as raw bytes, each followed by one NUL byte,
in id order, so that tests can check the program's output against the table
without parsing resource scripts.
"""

import argparse
import os
import sys

# Cookie files, in the order their fortunes are numbered.
CORPUS_FILES = (
    "fortunes",
    "wisdom",
    "literature",
    "people",
    "humorists",
    "science",
    "computers",
    "education",
)

# The program numbers its built-in fortunes 1..FORTUNE_COUNT; it has to match
# the count compiled into the C++ side.
FORTUNE_COUNT = 4297

# Size limits for a built-in fortune, so that each one fits the fortune window.
MAX_CHARS = 2140
MAX_LINE_BREAKS = 29
MAX_LINE_CHARS = 196
TAB_STOP = 8

# 0x09 = LANG_ENGLISH, 0x02 = SUBLANG_ENGLISH_UK (language id 2057).
LANGUAGE_LINE = "LANGUAGE 0x09, 0x02"

MISSING_CORPUS_HINT = (
    "the built-in fortunes are made from Debian's 'fortunes' package; "
    "install it with: apt-get install --no-install-recommends fortunes "
    "(or point MERROWIND_FORTUNE_CORPUS at a folder of those cookie files)"
)

CR = 0x0D
LF = 0x0A


class GenerationError(Exception):
    """A problem the user has to fix (missing corpus, too few fortunes...)."""


def split_cookies(data):
    """Split the bytes of one cookie file into the raw bytes of its fortunes.

    A "%" directly after a CR or LF inside a fortune ends that fortune (the
    "%" itself is not part of the text). After such a separator all CR and LF
    bytes are skipped and the next fortune starts at the first other byte,
    whatever it is: on a line such as "%%" or "% x" the rest of the line
    starts the next fortune. A separator followed by nothing but line breaks
    up to the end of the file starts no fortune.
    """
    texts = []
    size = len(data)
    start = 0
    while start < size:
        # The first byte of a fortune is never itself a separator, so the
        # search begins one byte in.
        pos = start + 1
        end = size
        while True:
            pos = data.find(b"%", pos)
            if pos < 0:
                break
            if data[pos - 1] in (CR, LF):
                end = pos
                break
            pos += 1
        texts.append(data[start:end])
        if end == size:
            break
        start = end + 1
        while start < size and data[start] in (CR, LF):
            start += 1
    return texts


def normalise(raw):
    """Turn a fortune's raw bytes into the text the program shows."""
    text = raw.decode("latin-1")
    text = text.replace("\r\n", "\n").replace("\r", "\n")
    text = text.strip("\n")
    # After the line-break rewrite only LF can restart a column, which is
    # exactly where str.expandtabs restarts it too.
    return text.expandtabs(TAB_STOP)


def is_usable(text):
    """True if the text prints cleanly and fits the program's limits."""
    if not text or len(text) > MAX_CHARS:
        return False
    if text.count("\n") > MAX_LINE_BREAKS:
        return False
    for ch in text:
        if ch != "\n" and not " " <= ch <= "~":
            return False
    return all(len(line) <= MAX_LINE_CHARS for line in text.split("\n"))


def collect_fortunes(corpus_dir, count=FORTUNE_COUNT):
    """Return the first `count` usable, distinct fortunes of the corpus."""
    if not os.path.isdir(corpus_dir):
        raise GenerationError(
            "fortune folder '%s' does not exist; %s" % (corpus_dir, MISSING_CORPUS_HINT)
        )
    missing = [
        name for name in CORPUS_FILES if not os.path.isfile(os.path.join(corpus_dir, name))
    ]
    if missing:
        raise GenerationError(
            "fortune folder '%s' lacks the cookie file(s) %s; %s"
            % (corpus_dir, ", ".join(missing), MISSING_CORPUS_HINT)
        )

    chosen = []
    seen = set()
    for name in CORPUS_FILES:
        path = os.path.join(corpus_dir, name)
        try:
            with open(path, "rb") as handle:
                data = handle.read()
        except OSError as error:
            raise GenerationError("cannot read '%s': %s" % (path, error.strerror))
        for raw in split_cookies(data):
            text = normalise(raw)
            if text in seen or not is_usable(text):
                continue
            seen.add(text)
            chosen.append(text)
            if len(chosen) == count:
                return chosen
    raise GenerationError(
        "fortune folder '%s' gives only %d usable fortunes, %d are needed; %s"
        % (corpus_dir, len(chosen), count, MISSING_CORPUS_HINT)
    )


def rc_escape(text):
    """Quote a fortune as an RC string literal that yields exactly `text`.

    windres and Microsoft RC both turn "\\\\" into one backslash, "\\n" into LF
    and a doubled quote into one quote. "\\\"" is avoided on purpose: RC
    compilers disagree about it. Every other character of a usable fortune is
    printable ASCII and stands for itself.
    """
    return '"%s"' % (
        text.replace("\\", "\\\\").replace('"', '""').replace("\n", "\\n")
    )


def render_rc(texts):
    lines = [
        "// Generated by tools/make_fortune_table.py from Debian's 'fortunes' package.",
        "// Do not edit: the build regenerates it.",
        LANGUAGE_LINE,
        "STRINGTABLE",
        "BEGIN",
    ]
    for number, text in enumerate(texts, start=1):
        lines.append("  %d, %s" % (number, rc_escape(text)))
    lines.append("END")
    return "\n".join(lines) + "\n"


def render_expected(texts):
    return b"".join(text.encode("ascii") + b"\0" for text in texts)


def write_file(path, data):
    """Write through a temporary file so an interrupted build leaves no half file."""
    directory = os.path.dirname(os.path.abspath(path))
    os.makedirs(directory, exist_ok=True)
    temporary = path + ".tmp"
    with open(temporary, "wb") as handle:
        handle.write(data)
    os.replace(temporary, path)


def self_check():
    """Guard the parts whose mistakes would be silent."""
    assert split_cookies(b"a\n%\nb\n%\n") == [b"a\n", b"b\n"]
    assert split_cookies(b"a\n%%\n%\n") == [b"a\n", b"%\n"]
    assert split_cookies(b"a\n% x\n") == [b"a\n", b" x\n"]
    assert split_cookies(b"%a\r\n%\r\n\r\n") == [b"%a\r\n"]
    assert split_cookies(b"50% off\n") == [b"50% off\n"]
    assert normalise(b"\r\n\tx\r\nab\tc\rz\n\n") == "        x\nab      c\nz"
    assert rc_escape('say "\\n"\n') == '"say ""\\\\n""\\n"'


def main(argv=None):
    parser = argparse.ArgumentParser(
        description="Generate the STRINGTABLE fragment of Merrowind's built-in fortunes."
    )
    parser.add_argument("--corpus", required=True, help="folder holding the cookie files")
    parser.add_argument("--output", required=True, help="resource-script fragment to write")
    parser.add_argument(
        "--expected",
        help="also write the texts, each followed by a NUL byte, for tests",
    )
    args = parser.parse_args(argv)

    self_check()
    try:
        texts = collect_fortunes(args.corpus)
        write_file(args.output, render_rc(texts).encode("ascii"))
        if args.expected:
            write_file(args.expected, render_expected(texts))
    except GenerationError as error:
        print("merrowind: %s" % error, file=sys.stderr)
        return 1
    except OSError as error:
        print(
            "merrowind: cannot write '%s': %s" % (error.filename, error.strerror),
            file=sys.stderr,
        )
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
