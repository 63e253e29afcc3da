// How a fortune's bytes are read as characters. A fortune whose bytes are
// well-formed UTF-8 and hold at least one character beyond ASCII is UTF-8;
// any other is text in the ANSI code page, as fortunes always were. Pure, so
// the rules are tested without Windows.
#ifndef MERROWIND_TEXT_ENCODING_H
#define MERROWIND_TEXT_ENCODING_H

#include <stdint.h>

// The byte-order mark (U+FEFF in UTF-8) that Notepad writes at the start of
// a UTF-8 file.
const uint32_t kUtf8MarkLength = 3;

// kUtf8MarkLength when the first size bytes begin with the mark, else 0.
uint32_t Utf8MarkLength(const char* bytes, uint32_t size);

// Removes the mark from the start of a NUL-terminated text, in place. Used
// on the first piece read from the start of a file, never on the rest.
void DropUtf8Mark(char* text);

// Bytes of the well-formed UTF-8 character at text (1 to 4), reading at most
// available bytes; 0 when there is none there: a stray continuation byte, a
// sequence cut short, an overlong form, a surrogate or a value beyond
// U+10FFFF. A NUL is a character of 1 byte. A NUL-terminated text may pass
// any available of 4 or more: the reading stops at the first byte that does
// not continue the sequence.
uint32_t Utf8CharacterLength(const char* text, uint32_t available);

// 1 when the NUL-terminated text is well-formed UTF-8 and holds at least one
// character beyond ASCII; 0 for plain ASCII and for anything else.
int IsUtf8Fortune(const char* text);

// Decodes length bytes of UTF-8 into UTF-16 code units (a character beyond
// U+FFFF takes a surrogate pair), writing at most capacity units, never half
// a pair. A byte that starts no well-formed character becomes U+FFFD.
// Returns the number of units written; length units always suffice.
uint32_t DecodeUtf8(const char* text, uint32_t length, uint16_t* out, uint32_t capacity);

#endif
