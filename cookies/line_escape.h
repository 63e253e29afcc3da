// The line-break escape of "Fortune.txt": inside a line, backslash and a
// lowercase n stand for a line break. Pure.
#ifndef MERROWIND_LINE_ESCAPE_H
#define MERROWIND_LINE_ESCAPE_H

// Turns every backslash-n pair of the NUL-terminated text into a space and a
// line feed, in place: the text keeps its length, and the line before the
// break ends in a space. Pairs are taken from left to right.
void ReplaceLineBreakEscapes(char* text);

#endif
