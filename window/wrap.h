// Breaking the over-long lines of a fortune at spaces, in place.
#ifndef MERROWIND_WRAP_H
#define MERROWIND_WRAP_H

#include <stdint.h>

#include "core/text_encoding.h"

// A line breaks when its column count reaches this.
const int kWrapColumn = 95;

// Rewrites text (a NUL-terminated string in a buffer of capacity bytes,
// terminator included) so that no line reaches the wrap column: each break
// turns the most recent space of the line into CR and puts LF after it; a
// line without a space is broken hard before the character that reached the
// column. Existing line breaks stay. The result holds at most capacity - 1
// characters; whatever does not fit is dropped. Without scratch memory the
// text is left as it is.
// The column counts bytes: the pass for text in a single-byte ANSI code
// page.
void WrapFortuneText(char* text, uint32_t capacity);

// The pass for text in any ANSI code page: in a double-byte one (lead bytes
// as given) the column counts characters and a break or the cut at the
// capacity falls between two characters, as in the UTF-8 pass; with a table
// of no lead bytes it is WrapFortuneText.
void WrapAnsiFortuneText(char* text, uint32_t capacity, const AnsiLeadBytes* lead);

// The same pass for UTF-8 text: the column counts characters, a hard break
// falls between two characters, and a character that does not fit whole in
// the capacity is dropped with the rest, so the result stays well-formed.
void WrapUtf8FortuneText(char* text, uint32_t capacity);

#endif
