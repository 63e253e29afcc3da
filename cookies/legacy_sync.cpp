#include "cookies/legacy_sync.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "core/catalogue.h"
#include "core/catalogue_lock.h"
#include "core/product.h"
#include "core/text_encoding.h"
#include "cookies/legacy_file.h"
#include "cookies/legacy_lines.h"
#include "cookies/shared_read.h"

// Opens "Fortune.txt" the way both the change test and the store do: read
// access, an existing file only, and nobody locked out (a file an editor
// holds open is still there, and its record keeps the user's choice).
static HANDLE OpenLegacyFile(const char* path)
{
    return OpenSharedForReading(path);
}

// The whole catalogue in one reading; record by record when there is no
// memory for that.
static int HasLegacyRecord()
{
    int n;
    SourceRecord* records = ReadSourceRecords(&n);
    int found = 0;
    if (records != nullptr) {
        for (int position = 0; position < n && !found; ++position)
            found = records[position].kind == kSourceLegacyText;
        LocalFree(records);
        return found;
    }
    SourceRecord record;
    for (int position = 0; !found && ReadSourceRecord(position, &record); ++position)
        found = record.kind == kSourceLegacyText;
    return found;
}

// The file is gone: its records leave the catalogue. After a deletion the
// later records move down, so the same position is looked at again; when a
// deletion could not shorten the run (a protected key or value), the walk
// moves on instead of reading the same record for ever.
static void RemoveLegacyRecords()
{
    // Every start without the file comes here: one reading of the whole
    // catalogue tells that there is nothing to remove.
    if (!HasLegacyRecord()) return;
    SourceRecord record;
    int position = 0;
    while (ReadSourceRecord(position, &record)) {
        if (record.kind != kSourceLegacyText) {
            ++position;
            continue;
        }
        int before = CountSourceRecords();
        DeleteSourceRecord(position);
        if (before == 0 || CountSourceRecords() != before - 1) ++position;
    }
}

static void CountLegacyLines(const char* path, LegacyLineTally* tally);
static void StoreRescan(const char* path, uint32_t count, uint32_t replace);

// The file's information through an open handle, as the change test and the
// store read it; 0 when it cannot be opened (it counts as gone) or read.
static int ReadLegacyFileInformation(const char* path, BY_HANDLE_FILE_INFORMATION* info, int* opened)
{
    HANDLE file = OpenLegacyFile(path);
    *opened = file != INVALID_HANDLE_VALUE;
    if (!*opened) return 0;
    int read = GetFileInformationByHandle(file, info) ? 1 : 0;
    CloseHandle(file);
    return read;
}

// The catalogue lock is held only for the writes and the look that comes
// just before them: reading the whole file (from a network share, a large
// file, a cloud file still being fetched) may take any time, and another
// copy's save would go ahead without the lock after its wait and mix its
// writes with ours. So the file is read and counted first; then, under the
// lock, what the count was based on is looked at again, the file and the
// stored result, and only when neither changed meanwhile (an edit, or
// another copy's sync of the same file) is the result written. Otherwise
// nothing is written: the stored time stays old, and the next start counts
// again. Likewise when another copy holds the lock past the wait.
void SyncLegacyTextFile()
{
    char path[MAX_PATH];
    FindLegacyFile(path);
    int opened;
    BY_HANDLE_FILE_INFORMATION before;
    int dated = ReadLegacyFileInformation(path, &before, &opened);
    HANDLE held;
    if (!opened) {
        if (!LockCatalogue(&held)) return;
        RemoveLegacyRecords();
        UnlockCatalogue(held);
        return;
    }

    // Only the stored time decides whether the file changed; the stored
    // count and switch are the working copies for a rescan.
    LegacyScanState stored = {0, 0, 0, 0};
    int read = dated ? ReadLegacyScanState(&stored) : 0;
    int changed = !(read == 4 && stored.lastLow == before.ftLastWriteTime.dwLowDateTime &&
                    stored.lastHigh == before.ftLastWriteTime.dwHighDateTime);
    if (!changed && HasLegacyRecord()) return;

    LegacyLineTally tally;
    BeginLegacyTally(&tally, stored.replace);
    CountLegacyLines(path, &tally);

    if (!LockCatalogue(&held)) return;
    BY_HANDLE_FILE_INFORMATION now;
    LegacyScanState storedNow = {0, 0, 0, 0};
    int datedNow = ReadLegacyFileInformation(path, &now, &opened);
    int same = opened && datedNow == dated && (dated ? ReadLegacyScanState(&storedNow) : 0) == read &&
               memcmp(&storedNow, &stored, sizeof stored) == 0;
    if (same && dated)
        same = CompareFileTime(&now.ftLastWriteTime, &before.ftLastWriteTime) == 0 &&
               now.nFileSizeHigh == before.nFileSizeHigh && now.nFileSizeLow == before.nFileSizeLow;
    if (same) StoreRescan(path, tally.count, tally.replace);
    UnlockCatalogue(held);
}

// Counts the fortune lines through the runtime's text-mode reader (CR LF
// reads as LF, Ctrl-Z ends the file) and decides the built-in switch.
static void CountLegacyLines(const char* path, LegacyLineTally* tally)
{
    HGLOBAL memory = GlobalAlloc(GMEM_FIXED, kLegacyLineBufferSize);
    if (memory == nullptr) return;
    char* line = static_cast<char*>(memory);
    FILE* text = OpenSharedText(path);
    if (text != nullptr) {
        // fgets stores at most size - 1 characters, so a longer line comes in
        // pieces of kLegacyPieceLimit characters.
        // A byte-order mark at the start of the file is no part of the first
        // line, here as when the line is read as a fortune.
        for (int first = 1; fgets(line, kLegacyPieceLimit + 1, text) != nullptr; first = 0) {
            if (first) DropUtf8Mark(line);
            TallyLegacyPiece(tally, line);
        }
        fclose(text);
    }
    GlobalFree(memory);
}

// Remembers the result with the file's time as it is after the count.
static void StoreScanState(const char* path, uint32_t count, uint32_t replace)
{
    HANDLE file = OpenLegacyFile(path);
    if (file == INVALID_HANDLE_VALUE) return;
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(file, &info)) {
        LegacyScanState state = {count, replace, info.ftLastWriteTime.dwLowDateTime,
                                 info.ftLastWriteTime.dwHighDateTime};
        WriteLegacyScanState(&state);
    }
    CloseHandle(file);
}

// The new legacy record goes over every legacy record, the built-in
// collection follows the switch, and without a legacy record the new one is
// appended behind the last record.
static void UpdateCatalogue(const SourceRecord* legacy, uint32_t replace)
{
    SourceRecord record;
    int position = 0;
    int replaced = 0;
    for (; ReadSourceRecord(position, &record); ++position) {
        if (record.kind == kSourceLegacyText) {
            WriteSourceRecord(position, legacy);
            replaced = 1;
        } else if (record.kind == kSourceBuiltIn) {
            record.active = replace != 0 ? 1 : 0;
            WriteSourceRecord(position, &record);
        }
    }
    if (!replaced) WriteSourceRecord(position, legacy);
}

// Stores the result of a count and puts it into the catalogue; under the
// catalogue lock.
static void StoreRescan(const char* path, uint32_t count, uint32_t replace)
{
    StoreScanState(path, count, replace);

    SourceRecord legacy;
    ZeroMemory(&legacy, sizeof legacy);
    legacy.active = 1;
    legacy.kind = kSourceLegacyText;
    legacy.count = count;
    SetField(legacy.name, sizeof legacy.name, kLegacyFileName);
    SetField(legacy.cookiePath, sizeof legacy.cookiePath, kLegacyFileName);
    UpdateCatalogue(&legacy, replace);
}

void RescanLegacyTextFile(uint32_t* count, uint32_t* replace)
{
    char path[MAX_PATH];
    FindLegacyFile(path);
    LegacyLineTally tally;
    BeginLegacyTally(&tally, *replace);
    CountLegacyLines(path, &tally);
    *count = tally.count;
    *replace = tally.replace;
    HANDLE held;
    if (!LockCatalogue(&held)) return;
    StoreRescan(path, *count, *replace);
    UnlockCatalogue(held);
}
