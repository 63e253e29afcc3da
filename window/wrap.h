// Breaking the over-long lines of a fortune at spaces, in place.
#ifndef MERROWIND_WRAP_H
#define MERROWIND_WRAP_H

#include <stdint.h>

// A line breaks when its column count reaches this.
const int kWrapColumn = 95;

// Rewrites text (a NUL-terminated string in a buffer of capacity bytes,
// terminator included) so that no line reaches the wrap column: each break
// turns the most recent space of the line into CR and puts LF after it; a
// line without a space is broken hard before the character that reached the
// column. Existing line breaks stay. The result holds at most capacity - 1
// characters; whatever does not fit is dropped. Without scratch memory the
// text is left as it is.
void WrapFortuneText(char* text, uint32_t capacity);

#endif
