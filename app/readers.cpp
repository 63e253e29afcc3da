#include "app/readers.h"

#include <stdio.h>

#include "app/delivery.h"
#include "cookies/line_escape.h"
#include "core/product.h"
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
    if (text == nullptr) return 1;
    // Text mode: CR LF arrives as LF, and Ctrl-Z ends the file.
    FILE* file = OpenSharedText(kLegacyFileName);
    if (file == nullptr) {
        GlobalFree(text);
        return 1;
    }
    // Line r, counted from 0 over every line; a file with fewer lines leaves
    // the last line read (fgets leaves the buffer alone at the end).
    for (uint32_t i = 0;; ++i) {
        if (fgets(text, static_cast<int>(kTextBufferSize - 1), file) == nullptr) break;
        if (i == r) break;
    }
    fclose(file);
    // A read error may leave the buffer unterminated.
    text[kTextBufferSize - 1] = '\0';
    ReplaceLineBreakEscapes(text);
    int result = DeliverFortune(instance, text);
    GlobalFree(text);
    return result;
}

// Offset of fortune r, from entry r of the index file; 0 (the first fortune)
// when the index cannot be opened, positioned or read in full.
static uint32_t LookUpOffset(const char* indexPath, uint32_t r)
{
    uint32_t offset = 0;
    HANDLE index = OpenSharedForReading(indexPath);
    if (index == INVALID_HANDLE_VALUE) return 0;
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

int ReadCookieFortune(HINSTANCE instance, uint32_t r, SourceRecord* record)
{
    char* text = AllocateText();
    if (text == nullptr) return 1;

    char indexPath[kPathFieldSize + 1];
    FieldString(record->indexPath, indexPath);
    int temporaryIndex = 0;
    if (GetFileAttributesA(indexPath) == INVALID_FILE_ATTRIBUTES) {
        // Rebuilt on this thread. A record without an index path gets a new
        // name that is never stored, so that index is only for this turn:
        // kept, such files would pile up at every turn until no name is free.
        temporaryIndex = indexPath[0] == '\0';
        IndexJob job;
        job.record = record;
        job.thread = nullptr;
        job.progress.store(0);
        job.cancel.store(0);
        job.taken = &kCatalogueIndexNames;
        if (IndexCookieFile(&job) != kIndexOk) {
            GlobalFree(text);
            return 1;
        }
        FieldString(record->indexPath, indexPath);
    }

    int result = 1;
    uint32_t offset = LookUpOffset(indexPath, r);
    char cookiePath[kPathFieldSize + 1];
    FieldString(record->cookiePath, cookiePath);
    HANDLE cookies = OpenSharedForReading(cookiePath);
    if (cookies != INVALID_HANDLE_VALUE) {
        // The offset goes as a signed 32-bit distance: 2 GiB and beyond fail.
        if (SetFilePointer(cookies, static_cast<LONG>(offset), nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER) {
            uint32_t n = ReadCookieBytes(cookies, text);
            text[CookieFortuneLength(text, n)] = '\0';
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
