#include "cookies/indexer.h"

#include "cookies/index_location.h"
#include "cookies/scanner.h"
#include "cookies/shared_read.h"

// The cookie file is read through a buffer of the indexer's own and the
// entries are collected and written in blocks: one system call per byte
// would make a large file take tens of seconds. No heap memory is used.
static const DWORD kReadBufferSize = 64 * 1024;
static const uint32_t kEntryBlockCount = 4096;

// Offsets are 32-bit, and the reader seeks them as signed 32-bit distances,
// so only files below 2 GiB can be indexed and read back.
static const uint32_t kCookieSizeLimit = 0x80000000u;

static int WriteEntries(HANDLE index, const uint32_t* entries, uint32_t n)
{
    DWORD bytes = n * static_cast<DWORD>(sizeof *entries);
    DWORD written = 0;
    return WriteFile(index, entries, bytes, &written, nullptr) && written == bytes;
}

// Entries found and not yet written, and the number counted so far.
struct EntryBlock {
    HANDLE index;
    uint32_t pending;
    uint32_t count;
    uint32_t entries[kEntryBlockCount];
};

// Counts an entry and writes the block when it is full; 0 if that write
// failed (the entry is counted all the same).
static int AddEntry(EntryBlock* block, uint32_t offset)
{
    block->entries[block->pending++] = offset;
    ++block->count;
    if (block->pending < kEntryBlockCount) return 1;
    block->pending = 0;
    return WriteEntries(block->index, block->entries, kEntryBlockCount);
}

// The stop request is looked at, and progress written, once per slice of
// bytes rather than per byte: the thread that asks for a stop cannot tell one
// byte from the next anyway, and nobody can tell sixteen equal progress
// values from one. So a stop request is honoured within one slice of the
// bytes examined after it is made, and progress lags the scan by at most one
// slice. The last value written is the one the whole file gives, as before.
static const uint32_t kSliceSize = kIndexStopGrain;
static_assert(kReadBufferSize % kSliceSize == 0, "a read buffer holds whole slices");

// Everything one pass keeps between slices.
struct CookieScan {
    IndexJob* job;
    CookieScanState state;
    double quotient;    // progress per byte, worked out once
    uint32_t examined;  // bytes examined so far
    DWORD result;
    EntryBlock block;
};

// Examines the n bytes of one slice, which start at file offset
// scan->examined. A failed entry write ends the slice at the byte that found
// the entry, with result 6.
static void ScanSlice(CookieScan* scan, const unsigned char* bytes, uint32_t n)
{
    CookieScanState s = scan->state;
    uint32_t i = 0;
    while (i < n) {
        // Plain text goes sixteen bytes at a time up to the next "%".
        if (s != kScanAfterSeparator) {
            while (n - i >= kPlainBlockSize) {
                unsigned plain = SkipPlainBytes(bytes + i, &s);
                i += plain;
                if (plain < kPlainBlockSize) break;
            }
            if (i == n) break;
        }
        // A "%", the bytes after a separator, and the slice's last few bytes
        // go one at a time.
        if (ScanCookieByte(&s, bytes[i]) && !AddEntry(&scan->block, scan->examined + i)) {
            scan->result = kIndexWriteFailed;
            ++i;
            break;
        }
        ++i;
    }
    scan->state = s;
    scan->examined += i;
}

// The one forward pass, through a buffer of the indexer's own. The stop
// request is looked at before each slice is examined; a failed write ends
// the scan as if at the next byte, where a stop request still counts.
static void ScanCookieFile(CookieScan* scan, HANDLE cookies)
{
    unsigned char bytes[kReadBufferSize];
    for (;;) {
        DWORD got = 0;
        // A read error ends the scan like the end of the file: the entries
        // found so far stand.
        if (!ReadFile(cookies, bytes, kReadBufferSize, &got, nullptr)) break;
        // A file that grew past the limit while it is read is cut there.
        if (got > kCookieSizeLimit - 1 - scan->examined) got = kCookieSizeLimit - 1 - scan->examined;
        if (got == 0) break;
        for (DWORD at = 0; at < got; at += kSliceSize) {
            if (scan->job->cancel.load(std::memory_order_relaxed) == 1) scan->result = kIndexCancelled;
            if (scan->result != kIndexOk) return;
            DWORD n = got - at < kSliceSize ? got - at : kSliceSize;
            ScanSlice(scan, bytes + at, n);
            scan->job->progress.store(ProgressValue(scan->quotient, scan->examined), std::memory_order_relaxed);
            if (scan->result != kIndexOk) {
                if (scan->job->cancel.load(std::memory_order_relaxed) == 1) scan->result = kIndexCancelled;
                return;
            }
        }
    }
    EntryBlock* block = &scan->block;
    if (scan->result == kIndexOk && block->pending > 0 && !WriteEntries(block->index, block->entries, block->pending))
        scan->result = kIndexWriteFailed;
}

DWORD WINAPI IndexCookieFile(LPVOID parameter)
{
    IndexJob* job = static_cast<IndexJob*>(parameter);
    SourceRecord* record = job->record;
    if (FieldLength(record->indexPath, sizeof record->indexPath) == 0) {
        DWORD code = ChooseIndexFile(record->indexPath, kIndexNameLimit, job->taken);
        if (code != kIndexOk) return code;
    }
    char indexPath[kPathFieldSize + 1];
    char cookiePath[kPathFieldSize + 1];
    FieldString(record->indexPath, indexPath);
    FieldString(record->cookiePath, cookiePath);

    // An index that cannot be opened for rewriting (another running copy
    // of the program is reading it) is left as it is: it is not this run's
    // to delete.
    HANDLE index = CreateFileA(indexPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
    if (index == INVALID_HANDLE_VALUE) return kIndexCannotCreate;

    DWORD result = kIndexOk;
    HANDLE cookies = OpenSharedForReading(cookiePath);
    if (cookies == INVALID_HANDLE_VALUE) {
        result = kIndexCannotOpenCookies;
    } else {
        DWORD sizeHigh = 0;
        DWORD size = GetFileSize(cookies, &sizeHigh);
        if (sizeHigh != 0 || size >= kCookieSizeLimit) {
            // Also a size that cannot be read (INVALID_FILE_SIZE).
            result = kIndexCannotOpenCookies;
        } else {
            CookieScan scan;
            scan.job = job;
            scan.state = kScanInText;
            scan.quotient = ProgressQuotient(size);
            scan.examined = 0;
            scan.result = kIndexOk;
            scan.block.index = index;
            scan.block.pending = 0;
            scan.block.count = 1;  // entry 0, the first fortune
            const uint32_t firstEntry = 0;
            if (!WriteEntries(index, &firstEntry, 1)) scan.result = kIndexWriteFailed;
            // The cookie file's time as the scan begins: a write during the
            // scan leaves the file newer than the index says.
            FILETIME written;
            int dated = GetFileTime(cookies, nullptr, nullptr, &written);
            ScanCookieFile(&scan, cookies);
            result = scan.result;
            record->count = scan.block.count;
            // The index carries the last-write time of the version it was
            // built from, so that the reader can tell any other version, older
            // (a copy, an unzip) or newer (an edit), from this one.
            if (result == kIndexOk && dated) SetFileTime(index, nullptr, nullptr, &written);
        }
        CloseHandle(cookies);
    }
    CloseHandle(index);
    // No partial or empty index file survives a failed run.
    if (result != kIndexOk) DeleteFileA(indexPath);
    return result;
}
