// The cookie-file indexer: one pass over a cookie file that writes the byte
// offset of every fortune into an index file and counts them.
#ifndef MERROWIND_INDEXER_H
#define MERROWIND_INDEXER_H

#include <windows.h>

#include <atomic>
#include <stdint.h>

#include "cookies/index_location.h"
#include "cookies/index_result.h"
#include "core/source_record.h"

// The job block. progress and cancel are shared with the starting thread
// while a worker runs; each is one 32-bit value, read and written whole.
// taken (none by default) names the index files that records already claim,
// for a record whose index file is still to be named.
struct IndexJob {
    SourceRecord* record;
    HANDLE thread;
    std::atomic<int32_t> progress;
    std::atomic<int32_t> cancel;
    const TakenIndexNames* taken = nullptr;
};

// The stop request is looked at, and progress written, once per this many
// bytes examined: a request is honoured within this many bytes.
const uint32_t kIndexStopGrain = 4096;

// A thread procedure (its argument is the IndexJob); also called directly.
DWORD WINAPI IndexCookieFile(LPVOID job);

#endif
