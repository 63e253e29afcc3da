// Where a new index file goes: the lowest free numbered name in the
// program's folder under the current user's application-data folder.
#ifndef MERROWIND_INDEX_LOCATION_H
#define MERROWIND_INDEX_LOCATION_H

#include <windows.h>

#include <stdint.h>

#include "core/source_record.h"

// Names are numbered from 0 up to one below this number.
const uint32_t kIndexNameLimit = 99999;

// Names that are taken although no file of that name may exist now: a record
// in the catalogue, or a row of an open settings list, names an index file
// that has gone (deleted by hand, or by a cleaner). Handing such a name to a
// second source would make two records share one index file. isTaken is
// asked with each candidate path and returns 1 when it is taken; it may run
// on the indexer's worker thread, so what it looks at must not change while
// the indexer runs.
struct TakenIndexNames {
    int (*isTaken)(const void* context, const char* path);
    const void* context;
};

// The names the records of the catalogue give, read afresh at each question.
extern const TakenIndexNames kCatalogueIndexNames;

// Creates the maker's and the program's folders where missing and writes
// the path of the lowest name numbered below limit that is free on disk and
// not taken (taken may be null) into indexPath.
// Returns 0, or the indexer's code: 1 (no application-data folder), 2 (path
// too long), 3 (folder not created) or 8 (every name below limit taken;
// indexPath then names the untried candidate numbered limit). The program
// always passes kIndexNameLimit; tests pass a small limit.
DWORD ChooseIndexFile(char (&indexPath)[kPathFieldSize], uint32_t limit, const TakenIndexNames* taken = nullptr);

// The path of a file of the given name in the program's folder beside the
// index files, the maker's and the program's folders made where missing
// when create is 1; 1 on success.
int ProgramFolderFile(const char* name, char (&path)[MAX_PATH], int create);

#endif
