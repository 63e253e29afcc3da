// Start-up synchronisation of the legacy text file "Fortune.txt" with the
// catalogue.
#ifndef MERROWIND_LEGACY_SYNC_H
#define MERROWIND_LEGACY_SYNC_H

#include <stdint.h>

// Both read and count the file outside the catalogue lock and write under
// it, and write nothing when another copy of the program holds it past the
// wait. The sync also writes nothing when the file or the stored result of
// the last count changed while it counted.
void SyncLegacyTextFile();
// Counts the fortune lines into *count and sets *replace from the first
// line; *replace comes in holding the value to keep when no line is read.
void RescanLegacyTextFile(uint32_t* count, uint32_t* replace);

#endif
