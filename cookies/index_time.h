// When an index counts as built from the version of its cookie file that is
// there now. Pure: no platform headers, so it is tested natively too.
#ifndef MERROWIND_INDEX_TIME_H
#define MERROWIND_INDEX_TIME_H

#include <stdint.h>

// Two seconds in file-time units (100 ns).
const uint64_t kFileTimeSlack = 20000000u;

// The indexer gives the index its cookie file's last-write time. A volume
// that keeps times in steps of 2 seconds (FAT: an SD card, a USB stick)
// stores a time near it instead, so two last-write times (file-time units)
// count as the same when they differ by less than 2 seconds, either way.
// 1 when they do, else 0.
int SameFileTime(uint64_t a, uint64_t b);

#endif
