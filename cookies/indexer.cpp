#include "cookies/indexer.h"

#include "cookies/index_location.h"
#include "cookies/scanner.h"

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
static int AddEntry(EntryBlock& block, uint32_t offset)
{
    block.entries[block.pending++] = offset;
    ++block.count;
    if (block.pending < kEntryBlockCount) return 1;
    block.pending = 0;
    return WriteEntries(block.index, block.entries, kEntryBlockCount);
}

// Examines bytes[from] up to bytes[to - 1], after each of which progress has
// the same value. Returns the index of the next byte to examine: to, or one
// past a byte whose entry could not be written (result then 6), or the byte
// before which a stop request was seen (result then 7).
static DWORD ScanStretch(const unsigned char* bytes, DWORD from, DWORD to, uint32_t firstOffset, int32_t value,
                         CookieScanState& state, EntryBlock& block, IndexJob* job, DWORD& result)
{
    std::atomic<int32_t>& cancel = job->cancel;
    std::atomic<int32_t>& progress = job->progress;
    CookieScanState s = state;
    DWORD i = from;
    // The stretch's first byte goes the long way: it writes the new value.
    DWORD longWayUntil = from + 1;
    while (i < to) {
        // Plain text goes sixteen bytes at a time up to the next "%", which
        // goes the long way. The stop request is still looked at before each
        // byte and progress written after each; the bytes from the "%" on
        // get both again when their turn comes, which changes nothing, since
        // the stretch's first byte has already written this value.
        if (i >= longWayUntil && s != kScanAfterSeparator) {
            while (to - i >= kPlainBlockSize) {
#if defined(__GNUC__)
#pragma GCC unroll 16
#endif
                for (unsigned k = 0; k < kPlainBlockSize; ++k) {
                    if (cancel.load(std::memory_order_relaxed) == 1) {
                        result = kIndexCancelled;
                        state = s;
                        return i + k;
                    }
                    progress.store(value, std::memory_order_relaxed);
                }
                unsigned plain = SkipPlainBytes(bytes + i, s);
                i += plain;
                if (plain < kPlainBlockSize) {
                    longWayUntil = i + 1;
                    break;
                }
            }
            if (i == to) break;
        }
        // Any other byte, the long way.
        if (cancel.load(std::memory_order_relaxed) == 1) {
            result = kIndexCancelled;
            break;
        }
        if (ScanCookieByte(s, bytes[i]) && !AddEntry(block, firstOffset + (i - from))) result = kIndexWriteFailed;
        progress.store(value, std::memory_order_relaxed);
        ++i;
        if (result != kIndexOk) break;
    }
    state = s;
    return i;
}

// The one forward pass. Buffering changes nothing that the starting thread
// can see: cancel is looked at before every byte is examined, and progress
// is written after every byte, with the value that byte's position gives.
// Since that value stays the same over long stretches of bytes, it is worked
// out once per stretch. A write error ends the run with 6 at the next byte;
// with entries written in blocks, that is a byte after the block that failed.
static DWORD ScanCookieFile(HANDLE cookies, HANDLE index, uint32_t size, IndexJob* job, uint32_t& count,
                            DWORD result)
{
    unsigned char bytes[kReadBufferSize];
    EntryBlock block;
    block.index = index;
    block.pending = 0;
    block.count = count;
    CookieScanState state = kScanInText;
    const double quotient = ProgressQuotient(size);
    uint32_t examined = 0;  // bytes examined before the buffer's first byte
    for (;;) {
        DWORD got = 0;
        // A read error ends the scan like the end of the file: the entries
        // found so far stand.
        if (!ReadFile(cookies, bytes, kReadBufferSize, &got, nullptr)) break;
        // A file that grew past the limit while it is read is cut there.
        if (got > kCookieSizeLimit - 1 - examined) got = kCookieSizeLimit - 1 - examined;
        if (got == 0) break;
        DWORD i = 0;
        while (i < got) {
            if (result != kIndexOk) {
                // A byte follows a failed write: the stop, unless a stop
                // request came too.
                if (job->cancel.load(std::memory_order_relaxed) == 1) result = kIndexCancelled;
                count = block.count;
                return result;
            }
            // After byte i the position is examined + i + 1.
            uint32_t first = examined + i + 1;
            uint32_t last = LastPositionWithSameProgress(quotient, first);
            DWORD end = got;
            if (last - first < got - i - 1) end = i + 1 + (last - first);
            i = ScanStretch(bytes, i, end, examined + i, ProgressValue(quotient, first), state, block, job, result);
            if (result == kIndexCancelled) {
                count = block.count;
                return result;
            }
        }
        examined += got;
    }
    if (result == kIndexOk && block.pending > 0 && !WriteEntries(index, block.entries, block.pending))
        result = kIndexWriteFailed;
    count = block.count;
    return result;
}

DWORD WINAPI IndexCookieFile(LPVOID parameter)
{
    IndexJob* job = static_cast<IndexJob*>(parameter);
    SourceRecord* record = job->record;
    if (FieldLength(record->indexPath, sizeof record->indexPath) == 0) {
        DWORD code = ChooseIndexFile(record->indexPath, kIndexNameLimit);
        if (code != kIndexOk) return code;
    }
    char indexPath[kPathFieldSize + 1];
    char cookiePath[kPathFieldSize + 1];
    FieldString(record->indexPath, indexPath);
    FieldString(record->cookiePath, cookiePath);

    HANDLE index = CreateFileA(indexPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
    if (index == INVALID_HANDLE_VALUE) {
        DeleteFileA(indexPath);
        return kIndexCannotCreate;
    }

    DWORD result = kIndexOk;
    HANDLE cookies = CreateFileA(cookiePath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (cookies == INVALID_HANDLE_VALUE) {
        result = kIndexCannotOpenCookies;
    } else {
        DWORD sizeHigh = 0;
        DWORD size = GetFileSize(cookies, &sizeHigh);
        if (sizeHigh != 0 || size >= kCookieSizeLimit) {
            // Also a size that cannot be read (INVALID_FILE_SIZE).
            result = kIndexCannotOpenCookies;
        } else {
            const uint32_t firstEntry = 0;
            if (!WriteEntries(index, &firstEntry, 1)) result = kIndexWriteFailed;
            uint32_t count = 1;
            result = ScanCookieFile(cookies, index, size, job, count, result);
            record->count = count;
        }
        CloseHandle(cookies);
    }
    CloseHandle(index);
    // No partial or empty index file survives a failed run.
    if (result != kIndexOk) DeleteFileA(indexPath);
    return result;
}
