// Readers of the two file-based kinds of source. Each fills its own 4100-byte
// buffer, hands it to DeliverFortune and returns the loop result.
#ifndef MERROWIND_READERS_H
#define MERROWIND_READERS_H

#include <windows.h>
#include <stdint.h>

#include "core/source_record.h"

// Line r (from 0) of "Fortune.txt" in the current directory.
int ReadLegacyFortune(HINSTANCE instance, uint32_t r);

// Fortune r of a cookie file, looked up in its index file. record is the
// turn's own copy; rebuilding a missing index may change it.
int ReadCookieFortune(HINSTANCE instance, uint32_t r, SourceRecord* record);

#endif
