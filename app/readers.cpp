#include "app/readers.h"

#include <stdio.h>
#include <string.h>

#include "app/delivery.h"
#include "app/loop_result.h"
#include "app/random.h"
#include "cookies/legacy_file.h"
#include "cookies/legacy_lines.h"
#include "cookies/line_escape.h"
#include "core/catalogue.h"
#include "core/code_page.h"
#include "core/product.h"
#include "core/text_encoding.h"
#include "cookies/indexer.h"
#include "cookies/scanner.h"
#include "cookies/shared_read.h"

static char* AllocateText()
{
    char* text = static_cast<char*>(GlobalAlloc(GMEM_FIXED, kTextBufferSize));
    if (text != nullptr) text[0] = '\0';
    return text;
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
    int result = DeliverFortune(instance, text);
    GlobalFree(text);
    return result;
}

// Offset of fortune r, from entry r of the index file; 0 (the first fortune)
// when the index cannot be opened, positioned or read in full. A position at
// or beyond the index's own entries (drawn over a count the catalogue held
// before the file changed) is drawn again within them: read, it would give
// the first fortune every time.
static uint32_t LookUpOffset(const char* indexPath, uint32_t r)
{
    uint32_t offset = 0;
    HANDLE index = OpenSharedForReading(indexPath);
    if (index == INVALID_HANDLE_VALUE) return 0;
    DWORD sizeHigh = 0;
    DWORD size = GetFileSize(index, &sizeHigh);
    if (size != INVALID_FILE_SIZE || GetLastError() == NO_ERROR) {
        uint64_t entries = ((static_cast<uint64_t>(sizeHigh) << 32) | size) / 4u;
        if (r >= entries) r = ScaledRandom(static_cast<uint32_t>(entries));
    }
    uint64_t at = static_cast<uint64_t>(r) * 4u;
    LONG high = static_cast<LONG>(at >> 32);
    DWORD low = SetFilePointer(index, static_cast<LONG>(at & 0xFFFFFFFFu), &high, FILE_BEGIN);
    if (low != INVALID_SET_FILE_POINTER || GetLastError() == NO_ERROR) {
        DWORD got = 0;
        // An entry cut short by the end of the file is no offset at all.
        if (!ReadFile(index, &offset, 4, &got, nullptr) || got != 4) offset = 0;
    }
    CloseHandle(index);
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

// The index is made afresh when it is missing (an empty path included), and
// when it was not built from this version of the cookie file: the indexer
// gives the index the cookie file's last-write time, and an edit (a newer
// time) or a copy or unzip of another version (often an older time) would
// have the old offsets cut fortunes anywhere. A cookie file that cannot be
// looked at is left to the open that reads it.
static int IndexNeedsRebuild(const char* indexPath, const char* cookiePath)
{
    WIN32_FILE_ATTRIBUTE_DATA index;
    WIN32_FILE_ATTRIBUTE_DATA cookies;
    if (!GetFileAttributesExA(indexPath, GetFileExInfoStandard, &index)) return 1;
    if (!GetFileAttributesExA(cookiePath, GetFileExInfoStandard, &cookies)) return 0;
    return CompareFileTime(&cookies.ftLastWriteTime, &index.ftLastWriteTime) != 0;
}

int ReadCookieFortune(HINSTANCE instance, uint32_t r, SourceRecord* record)
{
    char* text = AllocateText();
    if (text == nullptr) return kLoopSourceFailed;

    char indexPath[kPathFieldSize + 1];
    char cookiePath[kPathFieldSize + 1];
    FieldString(record->indexPath, indexPath);
    FieldString(record->cookiePath, cookiePath);
    int temporaryIndex = 0;
    if (IndexNeedsRebuild(indexPath, cookiePath)) {
        // Rebuilt on this thread. A record without an index path gets a new
        // name that is never stored, so that index is only for this turn:
        // kept, such files would pile up at every turn until no name is free.
        temporaryIndex = indexPath[0] == '\0';
        const SourceRecord stored = *record;
        IndexJob job;
        job.record = record;
        job.thread = nullptr;
        job.progress.store(0);
        job.cancel.store(0);
        job.taken = &kCatalogueIndexNames;
        if (IndexCookieFile(&job) != kIndexOk) {
            GlobalFree(text);
            return kLoopSourceFailed;
        }
        FieldString(record->indexPath, indexPath);
        // The fresh count goes into the catalogue, so that later draws
        // weigh the source by what it holds now.
        if (record->count != stored.count) UpdateSourceCount(&stored, record->count);
    }

    int result = kLoopSourceFailed;
    uint32_t offset = LookUpOffset(indexPath, r);
    HANDLE cookies = OpenSharedForReading(cookiePath);
    if (cookies != INVALID_HANDLE_VALUE) {
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
            result = DeliverFortune(instance, text);
        } else {
            CloseHandle(cookies);
        }
    }
    GlobalFree(text);
    if (temporaryIndex) DeleteFileA(indexPath);
    return result;
}
