// Opening the user's files for reading without locking anyone out. An editor
// (Word, Excel and many others) keeps a file open for writing while it is
// shown; a reader that shares reading only cannot open such a file on
// Windows, so a draw would end, the indexer would fail and the start-up
// synchronisation would take "Fortune.txt" for gone. Every read-only open of
// a cookie file, an index file or "Fortune.txt" shares reading, writing and
// deletion.
#ifndef MERROWIND_SHARED_READ_H
#define MERROWIND_SHARED_READ_H

#include <windows.h>

#include <stdio.h>

const DWORD kShareEverything = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// CreateFileA for reading an existing file; INVALID_HANDLE_VALUE on failure.
HANDLE OpenSharedForReading(const char* path);

// The runtime's text-mode stream (mode "r": CR LF reads as LF, a byte 26
// ends the file) on a file opened as above; the runtime's own fopen shares
// reading and writing but not deletion. Null on failure; fclose closes it.
FILE* OpenSharedText(const char* path);

#endif
