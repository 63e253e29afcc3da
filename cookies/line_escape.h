// The line-break escape of "Fortune.txt": inside a line, backslash and a
// lowercase n stand for a line break. Pure.
#ifndef MERROWIND_LINE_ESCAPE_H
#define MERROWIND_LINE_ESCAPE_H

#include "core/text_encoding.h"

// Turns every backslash-n pair of the NUL-terminated text into a space and a
// line feed, in place: the text keeps its length, and the line before the
// break ends in a space. Pairs are taken from left to right, a character at
// a time: in a double-byte ANSI code page (lead bytes as given; null for
// none) a backslash that is the second byte of a character is no escape.
// UTF-8 text is read as UTF-8, where a backslash is always itself.
void ReplaceLineBreakEscapes(char* text, const AnsiLeadBytes* lead);

#endif
