// The cookie-file indexer: one pass over a cookie file that writes the byte
// offset of every fortune into an index file and counts them.
#ifndef MERROWIND_INDEXER_H
#define MERROWIND_INDEXER_H

#include <windows.h>

#include <atomic>
#include <stdint.h>

#include "core/source_record.h"

// The job block. progress and cancel are shared with the starting thread
// while a worker runs; each is one 32-bit value, read and written whole.
struct IndexJob {
    SourceRecord* record;
    HANDLE thread;
    std::atomic<int32_t> progress;
    std::atomic<int32_t> cancel;
};

// Result codes.
enum IndexResult : DWORD {
    kIndexOk = 0,
    kIndexNoAppData = 1,
    kIndexPathTooLong = 2,
    kIndexNoFolder = 3,
    kIndexCannotCreate = 4,
    kIndexCannotOpenCookies = 5,
    kIndexWriteFailed = 6,
    kIndexCancelled = 7,
    kIndexNoFreeName = 8
};

// A thread procedure (its argument is the IndexJob); also called directly.
DWORD WINAPI IndexCookieFile(LPVOID job);

#endif
