// The text that a copy of the fortune puts on the clipboard. Pure.
#ifndef MERROWIND_FORTUNE_COPY_H
#define MERROWIND_FORTUNE_COPY_H

#include <stdint.h>

// Copies length UTF-16 units of the text as shown into out with every line
// end as CR LF, as the clipboard's text wants it: an LF alone and a CR alone
// each become CR LF, and CR LF stays. Writes at most capacity units, the
// terminating 0 included, never cutting a line end or a surrogate pair in
// two; capacity 2 * length + 1 always suffices. Returns the units written
// before the terminator.
uint32_t CopyWithCrLfLineEnds(const uint16_t* text, uint32_t length, uint16_t* out, uint32_t capacity);

#endif
