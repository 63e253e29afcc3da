// Readers of the two file-based kinds of source. Each fills its own 4100-byte
// buffer, hands it to DeliverFortune and returns the loop result.
#ifndef MERROWIND_READERS_H
#define MERROWIND_READERS_H

#include <windows.h>
#include <stdint.h>

#include "core/source_record.h"

// Hands a text read from a source to DeliverFortune, unless the reader put
// it away (cookies/put_away.h): kLoopPutAway then, and nothing is shown.
int OfferFortune(HINSTANCE instance, char* text);

// Line r (from 0) of "Fortune.txt", in the current directory or else beside
// the program.
int ReadLegacyFortune(HINSTANCE instance, uint32_t r);

// Fortune r of a cookie file, looked up in its index file. record is the
// turn's own copy, as the catalogue holds it. An index that is missing or
// was built from another version of the file is rebuilt first (and a new
// index named in the copy when it named none). Whenever the index holds
// another number of entries than the copy's count, the copy and the
// catalogue's record get that number, and nothing else (skipped when another
// copy of the program holds the catalogue past the wait).
int ReadCookieFortune(HINSTANCE instance, uint32_t r, SourceRecord* record);

#endif
