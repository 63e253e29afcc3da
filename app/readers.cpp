#include "app/readers.h"

#include <stdio.h>
#include <string.h>

#include "app/delivery.h"
#include "app/loop_result.h"
#include "app/random.h"
#include "cookies/legacy_file.h"
#include "cookies/legacy_lines.h"
#include "cookies/put_away.h"
#include "cookies/line_escape.h"
#include "core/catalogue.h"
#include "core/code_page.h"
#include "core/product.h"
#include "core/text_encoding.h"
#include "cookies/index_time.h"
#include "cookies/indexer.h"
#include "cookies/scanner.h"
#include "cookies/shared_read.h"

static char* AllocateText()
{
    char* text = static_cast<char*>(GlobalAlloc(GMEM_FIXED, kTextBufferSize));
    if (text != nullptr) text[0] = '\0';
    return text;
}

int OfferFortune(HINSTANCE instance, char* text)
{
    if (IsPutAway(text)) return kLoopPutAway;
    return DeliverFortune(instance, text);
}

int ReadLegacyFortune(HINSTANCE instance, uint32_t r)
{
    char* text = AllocateText();
    if (text == nullptr) return kLoopSourceFailed;
    // Text mode: CR LF arrives as LF, and Ctrl-Z ends the file.
    char path[MAX_PATH];
    FindLegacyFile(path);
    FILE* file = OpenSharedText(path);
    if (file == nullptr) {
        GlobalFree(text);
        return kLoopSourceFailed;
    }
    // Position r is the r-th piece, from 0, that the start-up count counts:
    // read in the same pieces and judged by the same rule, so blank lines
    // are no fortunes. With fewer such pieces (the file shrank since the
    // count) the last one read stands; with none there is nothing to show.
    char piece[kLegacyLineBufferSize];
    uint32_t found = 0;
    int firstPiece = 1;
    // A line too long for one piece may be cut inside a character: each
    // piece keeps its whole characters only, so its text is still UTF-8.
    AnsiLeadBytes lead;
    GetAnsiLeadBytes(&lead);
    CutCharacter cut = {};
    while (fgets(piece, kLegacyPieceLimit + 1, file) != nullptr) {
        size_t read = strlen(piece);
        int cutAtEnd = read == static_cast<size_t>(kLegacyPieceLimit) && piece[read - 1] != '\n';
        // A byte-order mark at the start of the file is no part of line 0.
        if (firstPiece) DropUtf8Mark(piece);
        firstPiece = 0;
        int fortune = IsLegacyFortunePiece(piece);
        uint32_t length = KeepWholeCharacters(&cut, piece, cutAtEnd, &lead);
        if (!fortune) continue;
        memcpy(text, piece, length + 1);
        if (found++ == r) break;
    }
    fclose(file);
    if (found == 0) {
        GlobalFree(text);
        return kLoopSourceFailed;
    }
    ReplaceLineBreakEscapes(text, &lead);
    int result = OfferFortune(instance, text);
    GlobalFree(text);
    return result;
}

// The number of whole entries in the open index; 0 when its size cannot be
// read.
static uint32_t IndexEntries(HANDLE index)
{
    DWORD sizeHigh = 0;
    DWORD size = GetFileSize(index, &sizeHigh);
    if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return 0;
    uint64_t entries = ((static_cast<uint64_t>(sizeHigh) << 32) | size) / 4u;
    return entries > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(entries);
}

// Offset of fortune r, from entry r of the open index; 0 (the first fortune)
// when the index cannot be positioned or read in full. A position at or
// beyond the index's own entries (drawn over a count the catalogue held
// before the file changed) is drawn again within them: read, it would give
// the first fortune every time.
static uint32_t LookUpOffset(HANDLE index, uint32_t entries, uint32_t r)
{
    uint32_t offset = 0;
    if (entries > 0 && r >= entries) r = ScaledRandom(entries);
    uint64_t at = static_cast<uint64_t>(r) * 4u;
    LONG high = static_cast<LONG>(at >> 32);
    DWORD low = SetFilePointer(index, static_cast<LONG>(at & 0xFFFFFFFFu), &high, FILE_BEGIN);
    if (low != INVALID_SET_FILE_POINTER || GetLastError() == NO_ERROR) {
        DWORD got = 0;
        // An entry cut short by the end of the file is no offset at all.
        if (!ReadFile(index, &offset, 4, &got, nullptr) || got != 4) offset = 0;
    }
    return offset;
}

// A UTF-8 byte-order mark at the start of a cookie file belongs to no
// fortune: a read from offset 0 begins after it.
static void SkipUtf8Mark(HANDLE cookies)
{
    char head[kUtf8MarkLength];
    DWORD got = 0;
    if (!ReadFile(cookies, head, sizeof head, &got, nullptr)) got = 0;
    SetFilePointer(cookies, static_cast<LONG>(Utf8MarkLength(head, got)), nullptr, FILE_BEGIN);
}

// Reads at most the text buffer's worth from the current position; the
// fortune's end is found afterwards by CookieFortuneLength.
static uint32_t ReadCookieBytes(HANDLE cookies, char* text)
{
    uint32_t total = 0;
    while (total < kFortuneTextLimit) {
        DWORD got = 0;
        if (!ReadFile(cookies, text + total, kFortuneTextLimit - total, &got, nullptr) || got == 0) break;
        total += got;
    }
    return total;
}

// Whether the open file lies on a volume that keeps times in steps of 2
// seconds (FAT, FAT32, exFAT), by the file system's name from the handle.
// GetVolumeInformationByHandleW came with Windows Vista: where the system
// lacks it, or cannot tell, the file counts as lying on one, so that an index
// is never rebuilt at every draw for a time its volume cannot keep.
static int OnCoarseTimeVolume(HANDLE file)
{
    typedef BOOL(WINAPI * GetVolumeInformationByHandleWProc)(HANDLE, LPWSTR, DWORD, LPDWORD, LPDWORD, LPDWORD,
                                                              LPWSTR, DWORD);
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    FARPROC procedure = kernel32 != nullptr ? GetProcAddress(kernel32, "GetVolumeInformationByHandleW") : nullptr;
    if (procedure == nullptr) return 1;
    GetVolumeInformationByHandleWProc call =
        reinterpret_cast<GetVolumeInformationByHandleWProc>(reinterpret_cast<void (*)()>(procedure));
    wchar_t fileSystem[MAX_PATH + 1];
    if (!call(file, nullptr, 0, nullptr, nullptr, nullptr, fileSystem, MAX_PATH + 1)) return 1;
    return KeepsCoarseFileTimes(fileSystem);
}

// Whether the open index's last entry lies inside the open cookie file; an
// index without entries, or whose sizes cannot be read, is left to the read.
static int LastEntryFits(HANDLE index, HANDLE cookies)
{
    uint32_t entries = IndexEntries(index);
    DWORD sizeHigh = 0;
    DWORD size = GetFileSize(cookies, &sizeHigh);
    if (entries == 0 || (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)) return 1;
    uint64_t at = static_cast<uint64_t>(entries - 1) * 4u;
    LONG high = static_cast<LONG>(at >> 32);
    DWORD low = SetFilePointer(index, static_cast<LONG>(at & 0xFFFFFFFFu), &high, FILE_BEGIN);
    uint32_t last = 0;
    DWORD got = 0;
    if ((low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) ||
        !ReadFile(index, &last, 4, &got, nullptr) || got != 4)
        return 1;
    return EntriesFitFile(last, (static_cast<uint64_t>(sizeHigh) << 32) | size);
}

// Whether the open index was built from this version of the open cookie
// file: the indexer gives the index the cookie file's last-write time, and an
// edit (a newer time) or a copy or unzip of another version (often an older
// time) would have the old offsets cut fortunes anywhere. Both times come
// from the open files, as the indexer takes and stamps them: through a path,
// a cookie file reached by a symbolic link gives the link's own times, which
// would never match. A missing index is not current; a cookie file whose
// time cannot be read is left to the read. An edit that shortened the file
// shows in the index's last entry even where the times cannot tell.
static int IndexIsCurrent(HANDLE index, HANDLE cookies)
{
    if (index == INVALID_HANDLE_VALUE) return 0;
    FILETIME indexTime;
    FILETIME cookieTime;
    if (!GetFileTime(cookies, nullptr, nullptr, &cookieTime)) return 1;
    if (!GetFileTime(index, nullptr, nullptr, &indexTime)) return 0;
    uint64_t indexStamp = (static_cast<uint64_t>(indexTime.dwHighDateTime) << 32) | indexTime.dwLowDateTime;
    uint64_t cookieStamp = (static_cast<uint64_t>(cookieTime.dwHighDateTime) << 32) | cookieTime.dwLowDateTime;
    // Equal times are the rule at every draw; only times that differ ask
    // the volumes (a trip to the file system each) whether 2 s may part them.
    if (!SameFileTime(indexStamp, cookieStamp, 0) &&
        !SameFileTime(indexStamp, cookieStamp, OnCoarseTimeVolume(cookies) || OnCoarseTimeVolume(index)))
        return 0;
    return LastEntryFits(index, cookies);
}

// How long a copy waits for another that is building the same index, and
// how often it looks whether that one is done.
static const DWORD kOtherBuildWaitMs = 3000;
static const DWORD kOtherBuildPollMs = 50;

// Opens the index for reading. While another running copy of the program
// builds it (its create keeps the file to itself) the open is refused; that
// copy is waited for, a bounded time.
static HANDLE OpenIndexAfterOtherBuild(const char* indexPath)
{
    for (DWORD waited = 0;; waited += kOtherBuildPollMs) {
        HANDLE index = OpenSharedForReading(indexPath);
        if (index != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION ||
            waited >= kOtherBuildWaitMs)
            return index;
        Sleep(kOtherBuildPollMs);
    }
}

// Builds the record's index on this thread and opens it into *index; 1 on
// success. Two copies started together find the same stale index, and the
// second one's create fails while the first one builds: that copy reads the
// index the first one made, or, when it is still not current, builds it once
// more, before the source counts as unreadable. Every open after a build,
// this copy's or another's, waits for a build still under way: a third copy
// may start one the moment this one's ends, and an open refused then would
// read the first fortune.
static int RebuildIndex(SourceRecord* record, HANDLE cookies, HANDLE* index)
{
    IndexJob job;
    job.record = record;
    job.thread = nullptr;
    job.progress.store(0);
    job.cancel.store(0);
    job.taken = &kCatalogueIndexNames;
    char indexPath[kPathFieldSize + 1];
    for (int build = 1;; ++build) {
        DWORD code = IndexCookieFile(&job);
        FieldString(record->indexPath, indexPath);
        *index = INVALID_HANDLE_VALUE;
        if (code != kIndexOk && code != kIndexCannotCreate) return 0;
        *index = OpenIndexAfterOtherBuild(indexPath);
        if (code == kIndexOk || IndexIsCurrent(*index, cookies)) return 1;
        // Our own handle would make the next build's create fail.
        if (*index != INVALID_HANDLE_VALUE) CloseHandle(*index);
        *index = INVALID_HANDLE_VALUE;
        if (build == 2) return 0;
    }
}

int ReadCookieFortune(HINSTANCE instance, uint32_t r, SourceRecord* record)
{
    char* text = AllocateText();
    if (text == nullptr) return kLoopSourceFailed;

    char indexPath[kPathFieldSize + 1];
    char cookiePath[kPathFieldSize + 1];
    FieldString(record->indexPath, indexPath);
    FieldString(record->cookiePath, cookiePath);
    HANDLE cookies = OpenSharedForReading(cookiePath);
    if (cookies == INVALID_HANDLE_VALUE) {
        GlobalFree(text);
        return kLoopSourceFailed;
    }
    const SourceRecord stored = *record;
    int temporaryIndex = 0;
    HANDLE index = OpenSharedForReading(indexPath);
    if (!IndexIsCurrent(index, cookies)) {
        // Rebuilt on this thread, which needs the index to itself. A record
        // without an index path gets a new name that is never stored, so
        // that index is only for this turn: kept, such files would pile up
        // at every turn until no name is free.
        if (index != INVALID_HANDLE_VALUE) CloseHandle(index);
        temporaryIndex = indexPath[0] == '\0';
        if (!RebuildIndex(record, cookies, &index)) {
            CloseHandle(cookies);
            GlobalFree(text);
            return kLoopSourceFailed;
        }
        FieldString(record->indexPath, indexPath);
    }

    // The catalogue's count follows the index: after a rebuild, and also
    // when a count written before was lost (another copy's save put an older
    // row back), since a current index is never rebuilt. Later draws then
    // weigh the source by what it holds, and reach all of it.
    uint32_t offset = 0;
    if (index != INVALID_HANDLE_VALUE) {
        uint32_t entries = IndexEntries(index);
        if (entries != 0 && entries != stored.count) {
            record->count = entries;
            UpdateSourceCount(&stored, entries);
        }
        offset = LookUpOffset(index, entries, r);
        CloseHandle(index);
    }

    int result = kLoopSourceFailed;
    // The offset goes as a signed 32-bit distance: 2 GiB and beyond fail.
    if (SetFilePointer(cookies, static_cast<LONG>(offset), nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER) {
        if (offset == 0) SkipUtf8Mark(cookies);
        uint32_t n = ReadCookieBytes(cookies, text);
        uint32_t length = CookieFortuneLength(text, n);
        // A fortune that fills the buffer may go on past it, cut inside
        // a character, which would make its text no UTF-8.
        if (length == kFortuneTextLimit) {
            AnsiLeadBytes lead;
            GetAnsiLeadBytes(&lead);
            length = WholeCharactersLength(text, length, &lead);
        }
        text[length] = '\0';
        CloseHandle(cookies);
        result = OfferFortune(instance, text);
    } else {
        CloseHandle(cookies);
    }
    GlobalFree(text);
    if (temporaryIndex) DeleteFileA(indexPath);
    return result;
}
