// The indexer's result codes. Pure, so the dialogs' rules can name them too.
#ifndef MERROWIND_INDEX_RESULT_H
#define MERROWIND_INDEX_RESULT_H

#include <stdint.h>

// No code equals 259, the exit code of a thread that is still running, by
// which a starter tells that the run has not ended.
enum IndexResult : uint32_t {
    kIndexOk = 0,
    kIndexNoAppData = 1,          // the application-data folder could not be had
    kIndexPathTooLong = 2,        // a folder or file name would pass the path limit
    kIndexNoFolder = 3,           // a folder could not be created
    kIndexCannotCreate = 4,       // the index file could not be created
    kIndexCannotOpenCookies = 5,  // the cookie file could not be opened (or is 2 GiB or more)
    kIndexWriteFailed = 6,        // an entry could not be written
    kIndexCancelled = 7,          // the starter asked the run to stop
    kIndexNoFreeName = 8          // every numbered index name is taken
};

#endif
