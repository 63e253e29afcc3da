// Where a new index file goes: the lowest free numbered name in the
// program's folder under the current user's application-data folder.
#ifndef MERROWIND_INDEX_LOCATION_H
#define MERROWIND_INDEX_LOCATION_H

#include <windows.h>

#include <stdint.h>

#include "core/source_record.h"

// Names are numbered from 0 up to one below this number.
const uint32_t kIndexNameLimit = 99999;

// Creates the maker's and the program's folders where missing and writes
// the path of the lowest free name numbered below limit into indexPath.
// Returns 0, or the indexer's code: 1 (no application-data folder), 2 (path
// too long), 3 (folder not created) or 8 (every name below limit taken;
// indexPath then names the untried candidate numbered limit). The program
// always passes kIndexNameLimit; tests pass a small limit.
DWORD ChooseIndexFile(char (&indexPath)[kPathFieldSize], uint32_t limit);

#endif
