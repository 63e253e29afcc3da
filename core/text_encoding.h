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

// The lead bytes of a double-byte ANSI code page (Japanese, Chinese, Korean
// Windows), as Windows reports them: up to six ranges, each its first and
// last byte, ended by a range of two zeros. All zero for a single-byte code
// page, where every byte is a character.
const int kLeadByteTableSize = 12;
struct AnsiLeadBytes {
    unsigned char ranges[kLeadByteTableSize];
};

// 1 when the byte starts a double-byte character; a null table has none.
int IsAnsiLeadByte(const AnsiLeadBytes* lead, unsigned char byte);

// Bytes of the ANSI character at text, reading at most available bytes: 2
// for a lead byte followed by a byte other than NUL, else 1.
uint32_t AnsiCharacterLength(const char* text, uint32_t available, const AnsiLeadBytes* lead);

// A read of a fixed size (a cookie file's fortune that fills the text
// buffer, a line of "Fortune.txt" read in pieces) can cut the last character
// in two. Returns how many of the length bytes hold whole characters: as
// UTF-8 when those bytes are well-formed UTF-8 and the rest begins a
// character (so the cut decides nothing), else in the ANSI code page, where
// only a lone lead byte at the end is dropped. At least length - 3.
uint32_t WholeCharactersLength(const char* text, uint32_t length, const AnsiLeadBytes* lead);

// A text read in pieces of a fixed size (a long line of "Fortune.txt"): the
// first bytes of a character that the end of one piece cut off, and whether
// they were taken as UTF-8 or as an ANSI lead byte. Starts all zero.
struct CutCharacter {
    char bytes[3];
    uint32_t length;
    int utf8;
};

// Keeps whole characters of one NUL-terminated piece, in place: drops from
// its start the rest of the character that cut holds, and, when cutAtEnd,
// drops a character cut in two at its end (WholeCharactersLength) and keeps
// its bytes in cut for the next piece. Returns the piece's new length.
uint32_t KeepWholeCharacters(CutCharacter* cut, char* piece, int cutAtEnd, const AnsiLeadBytes* lead);

#endif
