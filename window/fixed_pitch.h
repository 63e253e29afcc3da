// Whether a fortune is laid out in columns (a table, a dialogue with the
// speakers' names in a column, code, a drawing) and so must be shown in a
// fixed-pitch font to keep its shape. Pure.
#ifndef MERROWIND_FIXED_PITCH_H
#define MERROWIND_FIXED_PITCH_H

// How many lines must look laid out before the fortune is: one alone is
// more often an aside (an attribution after a tab, a rule under a title).
const int kColumnLinesNeeded = 2;

// 1 when a line of the text (length bytes, no line break in it) looks laid
// out: after its first non-blank character, a tab or a run of three or more
// spaces that text follows, or a drawing: at least three drawing characters
// (| / \ _ - = + * # < > ~ ^) that make most of its non-blank characters.
// A full stop followed by spaces is a sentence's end, never a column, however
// many spaces follow it.
int IsColumnLine(const char* line, int length);

// 1 when at least kColumnLinesNeeded lines of the NUL-terminated text (lines
// end at LF or CR) look laid out.
int IsColumnLaidOut(const char* text);

#endif
