// When an index counts as built from the version of its cookie file that is
// there now. Pure: no platform headers, so it is tested natively too.
#ifndef MERROWIND_INDEX_TIME_H
#define MERROWIND_INDEX_TIME_H

#include <stdint.h>

// Two seconds in file-time units (100 ns).
const uint64_t kFileTimeSlack = 20000000u;

// The indexer gives the index its cookie file's last-write time, so the two
// times are equal while the file is the version indexed: an edit saved a
// moment later (a script's second write, an editor's quick re-save) differs
// by less than a second and must count as another version. Only where one
// of the two files lies on a volume that keeps times in steps of 2 seconds
// (coarse: FAT on an SD card or a USB stick) does the index carry a time near
// its file's instead; there two times count as the same when they differ by
// less than 2 seconds, either way. 1 when they count as the same, else 0.
int SameFileTime(uint64_t a, uint64_t b, int coarse);

// Whether a file system, by the name Windows gives it ("NTFS", "FAT32"),
// keeps last-write times in steps of 2 seconds: FAT, FAT32 and exFAT do.
int KeepsCoarseFileTimes(const wchar_t* fileSystem);

// Whether an index whose last entry is lastEntry can belong to a cookie file
// of size bytes: every fortune but that of an empty file starts at a byte of
// the file, so a last entry at or past the end comes from a longer version,
// whatever the times say. Entry 0 of an empty file is the one exception.
int EntriesFitFile(uint32_t lastEntry, uint64_t size);

#endif
